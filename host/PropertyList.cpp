#include "host/PropertyList.h"

#include "plugin/HostAbi.h"

#include <algorithm>
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

namespace {

// A length-prefixed string, trimmed of blanks and terminators.
std::string PascalText(const Property& property) {
    if (property.data.empty())
        return std::string();
    const size_t length = std::min<size_t>(property.data[0], property.data.size() - 1);
    std::string text(property.data.begin() + 1, property.data.begin() + 1 + long(length));
    const size_t first = text.find_first_not_of(" \t\r\n", 0);
    const size_t last = text.find_last_not_of(std::string(" \t\r\n\0", 5));
    return first == std::string::npos || last == std::string::npos ? std::string()
                                                                   : text.substr(first, last - first + 1);
}

uint32_t Le32(const Property& property, size_t offset = 0) {
    uint32_t value = 0;
    if (property.data.size() >= offset + 4)
        std::memcpy(&value, property.data.data() + offset, 4);
    return value;
}

constexpr uint32_t kLatestInterfaceMajor = 4;
constexpr uint32_t kLatestInterfaceMinor = 0;
constexpr uint8_t kModeFlagRgb = 0x10; // first byte of 'mode', highest bit first: bitmap, grey, indexed, RGB

} // namespace

std::string PropertyListRefusal(const std::vector<uint8_t>& bytes) {
    const auto properties = ParsePropertyList(bytes);
    if (!properties)
        return "the property list is damaged";
    const Property* kind = FindProperty(*properties, FourCC("kind"));
    if (kind == nullptr || Le32(*kind) != FourCC("8BFM"))
        return "the property list is not a filter's";
    const Property* code = FindProperty(*properties, FourCC("8664"));
    if (code == nullptr || PropertyCString(*code).empty())
        return "the property list names no 64-bit entry point";
    if (const Property* version = FindProperty(*properties, FourCC("vers"))) {
        const uint32_t packed = Le32(*version);
        const uint32_t major = packed >> 16, minor = packed & 0xFFFF;
        if (major > kLatestInterfaceMajor || (major == kLatestInterfaceMajor && minor > kLatestInterfaceMinor))
            return "the filter needs interface version " + std::to_string(major) + "." + std::to_string(minor) +
                   ", newer than 4.0";
    }
    if (const Property* mode = FindProperty(*properties, FourCC("mode")))
        if (mode->data.empty() || (mode->data[0] & kModeFlagRgb) == 0)
            return "the filter does not support RGB";
    const Property* category = FindProperty(*properties, FourCC("catg"));
    if (category == nullptr || PascalText(*category).empty())
        return "the property list names no category";
    const Property* name = FindProperty(*properties, FourCC("name"));
    if (name == nullptr || PascalText(*name).empty())
        return "the property list names no command";
    return std::string();
}

uint8_t FilterCaseFlags(const std::vector<uint8_t>& bytes, FilterCase filterCase) {
    const auto properties = ParsePropertyList(bytes);
    const Property* cases = properties ? FindProperty(*properties, FourCC("fici")) : nullptr;
    const size_t entry = size_t(filterCase) * 4;
    if (cases == nullptr || cases->data.size() < entry + 4)
        return 0;
    return cases->data[entry + 2];
}

} // namespace host
