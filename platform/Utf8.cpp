// UTF-8 checks shared by both systems: names are measured alike everywhere.
#include "platform/Platform.h"

#include <cstdint>

namespace platform {

namespace {
// Decodes the character at `text[*at]`, moving `*at` past it; false on an ill-formed sequence.
bool NextCodePoint(const std::string& text, size_t* at, uint32_t* codePoint) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(*at);
    size_t length = 0;
    uint32_t value = 0;
    uint32_t smallest = 0;
    if (lead < 0x80) {
        *codePoint = lead;
        ++*at;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, smallest = 0x10000;
    } else {
        return false;
    }
    if (text.size() - *at < length)
        return false;
    for (size_t i = 1; i < length; ++i) {
        const uint8_t next = byte(*at + i);
        if ((next & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are no characters.
    if (value < smallest || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return false;
    *at += length;
    *codePoint = value;
    return true;
}

// UTF-16 units of `text`, or SIZE_MAX when it is no UTF-8.
size_t Utf16Length(const std::string& text) {
    size_t units = 0;
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint = 0;
        if (!NextCodePoint(text, &at, &codePoint))
            return SIZE_MAX;
        units += codePoint >= 0x10000 ? 2 : 1;
    }
    return units;
}
} // namespace

bool IsUtf8(const std::string& text) {
    return Utf16Length(text) != SIZE_MAX;
}

size_t PathLength(const std::string& text) {
    const size_t units = Utf16Length(text);
    return units != SIZE_MAX ? units : text.size();
}

} // namespace platform
