#pragma once
// Reading a plug-in's property list the way a host does.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct Property {
    uint32_t vendor = 0;
    uint32_t key = 0;
    int32_t id = 0;
    std::vector<uint8_t> data; // including the padding the length counts
};

// Parses the bytes of a property list; nothing when the header or a length is inconsistent.
std::optional<std::vector<Property>> ParsePropertyList(const std::vector<uint8_t>& bytes);

// The data of the first property with `key`, or null.
const Property* FindProperty(const std::vector<Property>& properties, uint32_t key);

// A zero-terminated string at the start of a property's data.
std::string PropertyCString(const Property& property, size_t offset = 0);

} // namespace host
