#include "host/EnableExpression.h"

#include "plugin/HostAbi.h"

#include <cctype>
#include <vector>

namespace host {

namespace {

struct ModeName {
    const char* name;
    int16_t mode;
};
constexpr ModeName kModeNames[] = {
    {"BitmapMode", plugInModeBitmap},
    {"GrayScaleMode", plugInModeGrayScale},
    {"IndexedMode", plugInModeIndexedColor},
    {"RGBMode", plugInModeRGBColor},
    {"CMYKMode", plugInModeCMYKColor},
    {"HSLMode", plugInModeHSLColor},
    {"HSBMode", plugInModeHSBColor},
    {"MultichannelMode", plugInModeMultichannel},
    {"DuotoneMode", plugInModeDuotone},
    {"LabMode", plugInModeLabColor},
    {"Gray16Mode", plugInModeGray16},
    {"RGB48Mode", plugInModeRGB48},
    {"Lab48Mode", plugInModeLab48},
    {"CMYK64Mode", plugInModeCMYK64},
    {"DeepMultichannelMode", plugInModeDeepMultichannel},
    {"Duotone16Mode", plugInModeDuotone16},
};

// A recursive-descent reader over the expression; every value is a whole number (true is 1).
class Reader {
public:
    Reader(const std::string& text, const EnableContext& context) : text_(text), context_(context) {}

    std::optional<int64_t> Whole() {
        auto value = Or();
        Skip();
        if (!value || at_ != text_.size())
            return std::nullopt;
        return value;
    }

private:
    void Skip() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }
    bool Take(const char* token) {
        Skip();
        const std::string t(token);
        if (text_.compare(at_, t.size(), t) != 0)
            return false;
        at_ += t.size();
        return true;
    }

    std::optional<int64_t> Or() {
        auto left = And();
        while (left && Take("||")) {
            auto right = And();
            if (!right)
                return std::nullopt;
            left = (*left != 0 || *right != 0) ? 1 : 0;
        }
        return left;
    }
    std::optional<int64_t> And() {
        auto left = Comparison();
        while (left && Take("&&")) {
            auto right = Comparison();
            if (!right)
                return std::nullopt;
            left = (*left != 0 && *right != 0) ? 1 : 0;
        }
        return left;
    }
    std::optional<int64_t> Comparison() {
        auto left = Unary();
        if (!left)
            return std::nullopt;
        static const char* const kOperators[] = {"==", "!=", "<=", ">=", "<", ">"};
        for (const char* op : kOperators) {
            if (!Take(op))
                continue;
            auto right = Unary();
            if (!right)
                return std::nullopt;
            const std::string o(op);
            const int64_t a = *left, b = *right;
            return int64_t(o == "=="   ? a == b
                           : o == "!=" ? a != b
                           : o == "<=" ? a <= b
                           : o == ">=" ? a >= b
                           : o == "<"  ? a < b
                                       : a > b);
        }
        return left;
    }
    std::optional<int64_t> Unary() {
        if (Take("!")) {
            auto value = Unary();
            return value ? std::optional<int64_t>(*value == 0 ? 1 : 0) : std::nullopt;
        }
        return Primary();
    }
    std::optional<int64_t> Primary() {
        Skip();
        if (Take("(")) {
            auto value = Or();
            return value && Take(")") ? value : std::nullopt;
        }
        if (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
            int64_t value = 0;
            while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) && value < (1 << 30))
                value = value * 10 + (text_[at_++] - '0');
            return value;
        }
        const std::string name = Name();
        if (name.empty())
            return std::nullopt;
        if (name == "in")
            return In();
        return Lookup(name);
    }
    // in (value, candidate, candidate, ...): whether value equals one of the candidates.
    std::optional<int64_t> In() {
        if (!Take("("))
            return std::nullopt;
        auto value = Or();
        if (!value)
            return std::nullopt;
        bool found = false;
        while (Take(",")) {
            auto candidate = Or();
            if (!candidate)
                return std::nullopt;
            found = found || *candidate == *value;
        }
        return Take(")") ? std::optional<int64_t>(found ? 1 : 0) : std::nullopt;
    }
    std::string Name() {
        Skip();
        const size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
            ++at_;
        return text_.substr(start, at_ - start);
    }
    std::optional<int64_t> Lookup(const std::string& name) const {
        if (name == "true")
            return 1;
        if (name == "false")
            return 0;
        if (name == "PSHOP_ImageMode")
            return context_.imageMode;
        if (name == "PSHOP_ImageDepth")
            return context_.depth;
        if (name == "PSHOP_HasAlpha")
            return context_.hasAlpha ? 1 : 0;
        if (name == "PSHOP_HasSelection")
            return context_.hasSelection ? 1 : 0;
        if (name == "PSHOP_ImageWidth")
            return context_.width;
        if (name == "PSHOP_ImageHeight")
            return context_.height;
        for (const ModeName& mode : kModeNames)
            if (name == mode.name)
                return mode.mode;
        return std::nullopt;
    }

    const std::string& text_;
    const EnableContext& context_;
    size_t at_ = 0;
};

} // namespace

std::optional<bool> EvaluateEnableExpression(const std::string& expression, const EnableContext& context) {
    const auto value = Reader(expression, context).Whole();
    if (!value)
        return std::nullopt;
    return *value != 0;
}

int16_t EnableImageMode(int16_t mode, int32_t depth) {
    if (depth != 16)
        return mode;
    switch (mode) {
    case plugInModeGrayScale:
        return plugInModeGray16;
    case plugInModeRGBColor:
        return plugInModeRGB48;
    case plugInModeLabColor:
        return plugInModeLab48;
    case plugInModeCMYKColor:
        return plugInModeCMYK64;
    case plugInModeMultichannel:
        return plugInModeDeepMultichannel;
    case plugInModeDuotone:
        return plugInModeDuotone16;
    default:
        return mode;
    }
}

} // namespace host
