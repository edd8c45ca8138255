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

// Why a host that checks property lists strictly (as the Paint.NET host does) would skip the
// filter, so its command never appears; empty when it lists it. It refuses a list that is
// damaged, is not a filter's ('kind' '8BFM'), names no 64-bit entry point, asks for an interface
// newer than 4.0 ('vers', read as (major << 16) | minor), has no RGB in 'mode', or has no name
// or category.
std::string PropertyListRefusal(const std::vector<uint8_t>& bytes);

// The filter cases of 'fici', in the host's order.
enum class FilterCase {
    FlatImage,
    FlatImageWithSelection,
    FloatingSelection,
    EditableTransparency,
    EditableTransparencyWithSelection,
    ProtectedTransparency,
    ProtectedTransparencyWithSelection,
};
// Flag of a filter case entry: the filter writes outside the selection, so the host must not
// mask its result.
constexpr uint8_t kWritesOutsideSelection = 0x08;
// The flags byte of a case's 'fici' entry; 0 (the host's defaults) when the list has none.
uint8_t FilterCaseFlags(const std::vector<uint8_t>& bytes, FilterCase filterCase);

} // namespace host
