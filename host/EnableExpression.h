#pragma once
// The enable expression of a property list ('enbl'), as a host evaluates it to decide whether
// the filter's command is available for the current document: for example
// "in (PSHOP_ImageMode, RGBMode, CMYKMode)" or "PSHOP_ImageDepth == 8 && !PSHOP_HasAlpha".
//
// Understood: `in (value, candidates...)`, `==`, `!=`, `<`, `<=`, `>`, `>=`, `&&`, `||`, `!`,
// parentheses, whole numbers, `true`, `false`, the image mode names (RGBMode, RGB48Mode,
// CMYKMode, ...) and the document variables PSHOP_ImageMode, PSHOP_ImageDepth,
// PSHOP_HasAlpha (transparency), PSHOP_HasSelection, PSHOP_ImageWidth and PSHOP_ImageHeight.

#include <cstdint>
#include <optional>
#include <string>

namespace host {

struct EnableContext {
    int16_t imageMode = 0; // the host's mode code, the deep variants (RGB48, ...) for 16-bit data
    int32_t depth = 8;
    bool hasAlpha = false;
    bool hasSelection = false;
    int32_t width = 0;
    int32_t height = 0;
};

// Whether the expression enables the command; nothing when it cannot be read (a host then
// leaves the command disabled).
std::optional<bool> EvaluateEnableExpression(const std::string& expression, const EnableContext& context);

// The mode code a host shows an enable expression for a document of `mode` at `depth` bits.
int16_t EnableImageMode(int16_t mode, int32_t depth);

} // namespace host
