#include "host/PropertyList.h"

#include <cstring>

namespace host {

namespace {
template <typename T> bool ReadAt(const std::vector<uint8_t>& bytes, size_t offset, T* out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T))
        return false;
    std::memcpy(out, bytes.data() + offset, sizeof(T));
    return true;
}
} // namespace

std::optional<std::vector<Property>> ParsePropertyList(const std::vector<uint8_t>& bytes) {
    int16_t signature = 0;
    int32_t version = 0, count = 0;
    if (!ReadAt(bytes, 0, &signature) || !ReadAt(bytes, 2, &version) || !ReadAt(bytes, 6, &count))
        return std::nullopt;
    if (signature != 1 || version != 0 || count < 0)
        return std::nullopt;
    std::vector<Property> properties;
    size_t offset = 10;
    for (int32_t i = 0; i < count; ++i) {
        Property property;
        int32_t length = 0;
        if (!ReadAt(bytes, offset, &property.vendor) || !ReadAt(bytes, offset + 4, &property.key) ||
            !ReadAt(bytes, offset + 8, &property.id) || !ReadAt(bytes, offset + 12, &length))
            return std::nullopt;
        offset += 16;
        if (length < 0 || size_t(length) > bytes.size() - offset)
            return std::nullopt;
        property.data.assign(bytes.begin() + long(offset), bytes.begin() + long(offset) + length);
        offset += (size_t(length) + 3) & ~size_t(3);
        properties.push_back(std::move(property));
    }
    return properties;
}

const Property* FindProperty(const std::vector<Property>& properties, uint32_t key) {
    for (const Property& property : properties)
        if (property.key == key)
            return &property;
    return nullptr;
}

std::string PropertyCString(const Property& property, size_t offset) {
    std::string text;
    for (size_t i = offset; i < property.data.size() && property.data[i] != 0; ++i)
        text.push_back(static_cast<char>(property.data[i]));
    return text;
}

} // namespace host
