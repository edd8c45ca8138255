#include "presets/TextFileReader.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
constexpr size_t kMaxNumberCharacters = 64;

bool IsNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == ',' || c == '-' || c == 'e' || c == 'E';
}

// Collects the characters of a number at `*position` into `text` (terminated); returns its length.
size_t CollectNumber(const char** position, char (&text)[kMaxNumberCharacters + 1]) {
    SkipBlanks(position);
    size_t length = 0;
    while (length < kMaxNumberCharacters && IsNumberCharacter((*position)[0]))
        text[length++] = *(*position)++;
    text[length] = '\0';
    return length;
}
} // namespace

bool ReadTextLine(std::FILE* file, char* line, size_t capacity) {
    if (capacity == 0)
        return false;
    size_t length = 0;
    bool readAnything = false;
    for (;;) {
        const int c = std::fgetc(file);
        if (c == EOF) {
            if (!readAnything)
                return false;
            break;
        }
        readAnything = true;
        if (c <= 13 && c != 9)
            break;
        if (length + 1 < capacity)
            line[length++] = c == 9 ? ' ' : static_cast<char>(c);
    }
    while (length > 0 && line[length - 1] == ' ')
        --length;
    line[length] = '\0';
    return true;
}

void SkipBlanks(const char** position) {
    while (**position == ' ')
        ++*position;
}

uint32_t ReadKey(const char** position) {
    const char* text = *position;
    if (text[0] == ';')
        return 0;
    for (int i = 0; i < 4; ++i)
        if (text[i] == '\0')
            return 0;
    const uint32_t key = uint32_t(uint8_t(text[0])) | (uint32_t(uint8_t(text[1])) << 8) |
                         (uint32_t(uint8_t(text[2])) << 16) | (uint32_t(uint8_t(text[3])) << 24);
    *position = text + 4;
    return key;
}

int32_t ReadIntValue(const char** position) {
    char text[kMaxNumberCharacters + 1];
    const size_t length = CollectNumber(position, text);
    int64_t value = 0;
    const auto result = std::from_chars(text, text + length, value);
    if (result.ec != std::errc())
        return 0;
    // Out-of-range numbers saturate rather than wrap.
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

double ReadFloatValue(const char** position) {
    char text[kMaxNumberCharacters + 1];
    const size_t length = CollectNumber(position, text);
    double value = 0.0;
    const auto result = std::from_chars(text, text + length, value);
    if (result.ec == std::errc::result_out_of_range) {
        // As the C library's conversion does: too large gives infinity, too small gives 0.
        const char* exponent = std::strpbrk(text, "eE");
        const bool large = exponent != nullptr && exponent[1] != '-';
        if (!large)
            return 0.0;
        return text[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    return result.ec == std::errc() ? value : 0.0;
}

void KeyText(uint32_t key, char text[5]) {
    for (int i = 0; i < 4; ++i)
        text[i] = static_cast<char>((key >> (8 * i)) & 0xFF);
    text[4] = '\0';
}

void FormatTwoDecimals(double value, char* text, size_t capacity) {
    if (capacity == 0)
        return;
    if (!std::isfinite(value)) {
        std::snprintf(text, capacity, "%s", std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf"));
        return;
    }
    const auto result = std::to_chars(text, text + capacity - 1, value, std::chars_format::fixed, 2);
    *(result.ec == std::errc() ? result.ptr : text) = '\0';
}
