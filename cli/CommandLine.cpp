#include "cli/CommandLine.h"

#include "cli/Limits.h"
#include "cli/ToolPaths.h"
#include "engine/EffectFields.h"
#include "presets/PresetFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace cli {

namespace {

// The dialog's names, which the tool accepts in any case, with or without separators.
const char* const kMethodNames[kDistortionMethodCount] = {"Turbulence", "Turbulence 2",  "Smooth",
                                                          "Radial",     "Radial Smooth", "Swirl"};

// Options that take a value (the others are switches).
constexpr const char* kValueOptions[] = {"-o",          "--output",      "--method", "--center",       "--selection",
                                         "--preset",    "--save-preset", "--plugin", "--limit-pixels", "--quality",
                                         "--format",    "--value",       "--size",   "--aberration",   "--seed",
                                         "--proportion"};
constexpr const char* kSwitches[] = {"--last-used", "--convert", "--timing", "--quiet", "-q",
                                     "--force",     "-f",        "--help",   "-h"};

bool IsOneOf(const std::string& option, const char* const* begin, const char* const* end) {
    return std::find_if(begin, end, [&](const char* name) { return option == name; }) != end;
}

void Give(ApplyRequest* request, uint32_t key) {
    if (std::find(request->givenKeys.begin(), request->givenKeys.end(), key) == request->givenKeys.end())
        request->givenKeys.push_back(key);
}

bool SplitNumbers(const std::string& text, size_t count, std::vector<double>* numbers) {
    numbers->clear();
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        double value = 0;
        if (!ParseNumber(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), &value))
            return false;
        numbers->push_back(value);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return numbers->size() == count;
}

// `typed` is the number as the user wrote it, which the warning repeats.
void WarnBeyond(const std::string& option, const std::string& typed, double value, double low, double high,
                std::vector<std::string>* warnings) {
    if (value < low || value > high) {
        char range[96];
        std::snprintf(range, sizeof range, " (the panel allows %g to %g)", low, high);
        warnings->push_back(option + " " + typed + " is beyond the usual range" + range + "; using it as given");
    }
}

std::string Squeezed(const std::string& text) {
    std::string squeezed;
    for (const char character : text) {
        const auto c = static_cast<unsigned char>(character);
        if (c != ' ' && c != '-' && c != '_')
            squeezed += char(std::tolower(c));
    }
    return squeezed;
}

// "X,Y,W,H" in whole pixels, X and Y from 0, W and H from 1, the far edges within 32-bit
// coordinates.
bool ParseSelection(const std::string& text, VRect* selection) {
    std::vector<double> numbers;
    if (!SplitNumbers(text, 4, &numbers))
        return false;
    constexpr double kLargest = 2147483647.0;
    for (double n : numbers)
        if (n != std::floor(n) || n < 0 || n > kLargest)
            return false;
    const double x = numbers[0], y = numbers[1], w = numbers[2], h = numbers[3];
    if (w < 1 || h < 1 || x + w > kLargest || y + h > kLargest)
        return false;
    *selection = VRect{int32_t(y), int32_t(x), int32_t(y + h), int32_t(x + w)};
    return true;
}

// Moves the value of `*option` (attached as --option=value, or the next argument) into `value`;
// false with an error when a value is missing, a switch has one, or the option is unknown.
bool TakeOptionValue(const std::vector<std::string>& arguments, size_t* i, std::string* option, std::string* value,
                     std::string* error) {
    std::optional<std::string> attached;
    if (const size_t equals = option->find('='); option->compare(0, 2, "--") == 0 && equals != std::string::npos) {
        attached = option->substr(equals + 1);
        option->erase(equals);
    }
    if (IsOneOf(*option, std::begin(kValueOptions), std::end(kValueOptions))) {
        if (attached) {
            *value = *attached;
        } else if (*i + 1 < arguments.size()) {
            *value = arguments[++*i];
        } else {
            *error = *option + " needs a value";
            return false;
        }
        return true;
    }
    if (IsOneOf(*option, std::begin(kSwitches), std::end(kSwitches))) {
        if (attached) {
            *error = *option + " takes no value";
            return false;
        }
        return true;
    }
    *error = "unknown option '" + *option + "' (try vortiflux --help)";
    return false;
}

bool ParseCenter(const std::string& value, ApplyRequest* request, std::string* error,
                 std::vector<std::string>* warnings) {
    std::vector<double> numbers;
    if (!SplitNumbers(value, 2, &numbers)) {
        *error = "--center: '" + value + "' is not two numbers X,Y";
        return false;
    }
    const size_t comma = value.find(',');
    const EffectField& x = *FindEffectField(keyCenterX);
    const EffectField& y = *FindEffectField(keyCenterY);
    WarnBeyond("--center X", value.substr(0, comma), numbers[0], x.low, x.high, warnings);
    WarnBeyond("--center Y", value.substr(comma + 1), numbers[1], y.low, y.high, warnings);
    request->parameters.centerX = float(numbers[0]);
    request->parameters.centerY = float(numbers[1]);
    Give(request, keyCenterX);
    Give(request, keyCenterY);
    return true;
}

bool ParsePreset(const std::string& value, ApplyRequest* request, std::string* error,
                 const std::string& presetsFolder) {
    std::string path = value;
    if (!ReadPresetFile(path, &request->parameters)) {
        path = FindShippedPreset(presetsFolder, value);
        if (path.empty() || !ReadPresetFile(path, &request->parameters)) {
            *error = "--preset: '" + value + "' is neither a Vortiflux preset file nor a shipped preset " +
                     "(vortiflux --help lists them)";
            return false;
        }
    }
    Give(request, keyMethod);
    for (const EffectField& entry : kEffectFields)
        Give(request, entry.key);
    return true;
}

// One of the effect's number options (--value, --size, ...).
bool ParseFieldOption(const EffectField& field, const std::string& value, ApplyRequest* request, std::string* error,
                      std::vector<std::string>* warnings) {
    const std::string option = field.optionName;
    double number = 0;
    if (!ParseNumber(value, &number)) {
        *error = option + ": '" + value + "' is not a finite number";
        return false;
    }
    if (std::fabs(number) > 3.4e38) {
        *error = option + ": " + value + " is too large";
        return false;
    }
    WarnBeyond(option, value, number, field.low, field.high, warnings);
    request->parameters.*field.field = float(number);
    Give(request, field.key);
    return true;
}

// The options that say what the effect is: the method, the centre, a preset, the numbers.
// False with an error for a bad value; `*known` false for any other option.
bool ParseEffectOption(const std::string& option, const std::string& value, ApplyRequest* request, bool* known,
                       std::string* error, std::vector<std::string>* warnings, const std::string& presetsFolder) {
    *known = true;
    if (option == "--method") {
        if (!ParseMethod(value, &request->parameters.method)) {
            *error = "--method: '" + value +
                     "' is no method (Turbulence, Turbulence 2, Smooth, Radial, Radial Smooth, Swirl "
                     "or 0 to 5)";
            return false;
        }
        Give(request, keyMethod);
        return true;
    }
    if (option == "--center")
        return ParseCenter(value, request, error, warnings);
    if (option == "--preset")
        return ParsePreset(value, request, error, presetsFolder);
    if (option == "--last-used") {
        request->lastUsed = true;
        return true;
    }
    for (const EffectField& candidate : kEffectFields)
        if (candidate.optionName != nullptr && option == candidate.optionName)
            return ParseFieldOption(candidate, value, request, error, warnings);
    *known = false;
    return true;
}

// The options about files and the run: output, format, selection, limits, switches.
bool ParseRunOption(const std::string& option, const std::string& value, ApplyRequest* request, std::string* error) {
    if (option == "-o" || option == "--output") {
        request->output = value;
    } else if (option == "--selection") {
        VRect selection{};
        if (!ParseSelection(value, &selection)) {
            *error = "--selection: '" + value +
                     "' is not X,Y,W,H in whole pixels (X and Y from 0, W and H from 1, up to 2147483647)";
            return false;
        }
        request->selection = selection;
    } else if (option == "--save-preset") {
        request->savePreset = value;
    } else if (option == "--plugin") {
        request->plugin = value;
    } else if (option == "--limit-pixels") {
        if (!ParsePixelCount(value, &request->limitPixels)) {
            *error = "--limit-pixels: '" + value + "' is not a pixel count (such as 500000000 or 500M)";
            return false;
        }
    } else if (option == "--quality") {
        double quality = 0;
        if (!ParseNumber(value, &quality) || quality != std::floor(quality) || quality < 1 || quality > 100) {
            *error = "--quality: '" + value + "' is not a whole number from 1 to 100";
            return false;
        }
        request->jpegQuality = int(quality);
    } else if (option == "--format") {
        request->format = FormatFromName(value);
        if (request->format == FileFormat::Unknown) {
            *error = "--format: '" + value + "' is not png, jpeg or tiff";
            return false;
        }
    } else if (option == "--convert") {
        request->convert = true;
    } else if (option == "--timing") {
        request->timing = true;
    } else if (option == "--quiet" || option == "-q") {
        request->quiet = true;
    } else if (option == "--force" || option == "-f") {
        request->force = true;
    }
    return true;
}

// The arguments after "apply": inputs, then options in any order ("--" ends the options).
bool ParseApply(const std::vector<std::string>& arguments, CommandLine* line, std::string* error,
                std::vector<std::string>* warnings, const std::string& presetsFolder) {
    ApplyRequest& request = line->apply;
    bool optionsEnded = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        if (optionsEnded || option == "-" || option.empty() || option[0] != '-') {
            request.inputs.push_back(option);
            continue;
        }
        if (option == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        if (!TakeOptionValue(arguments, &i, &option, &value, error))
            return false;
        if (option == "--help" || option == "-h") {
            line->command = Command::Help;
            return true;
        }
        bool known = false;
        if (!ParseEffectOption(option, value, &request, &known, error, warnings, presetsFolder))
            return false;
        if (!known && !ParseRunOption(option, value, &request, error))
            return false;
    }
    if (request.inputs.empty()) {
        *error = "apply needs an input image";
        return false;
    }
    if (request.output.empty()) {
        *error = "apply needs an output: -o OUTPUT";
        return false;
    }
    return true;
}

} // namespace

bool ParseNumber(const std::string& text, double* value) {
    const char* begin = text.c_str();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end)
        return false;
    double parsed = 0;
    const auto result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

bool ParseMethod(const std::string& text, uint8_t* method) {
    const std::string wanted = Squeezed(text);
    for (int i = 0; i < kDistortionMethodCount; ++i) {
        if (wanted == Squeezed(kMethodNames[i]) || text == std::to_string(i)) {
            *method = uint8_t(i);
            return true;
        }
    }
    return false;
}

bool ParsePixelCount(const std::string& text, uint64_t* pixels) {
    if (text.empty())
        return false;
    uint64_t scale = 1;
    std::string digits = text;
    switch (std::toupper(static_cast<unsigned char>(text.back()))) {
    case 'K':
        scale = 1000;
        break;
    case 'M':
        scale = 1000000;
        break;
    case 'G':
        scale = 1000000000;
        break;
    default:
        break;
    }
    if (scale != 1)
        digits.pop_back();
    uint64_t value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size() || value == 0 ||
        value > UINT64_MAX / scale)
        return false;
    *pixels = value * scale;
    return true;
}

const char* MethodName(uint8_t method) {
    return method < kDistortionMethodCount ? kMethodNames[method] : "Radial (method number above 5)";
}

std::string UsageText(const std::string& presetsFolder) {
    std::string text =
        "Usage:\n"
        "  vortiflux apply INPUT -o OUTPUT [options]     distort one image into OUTPUT\n"
        "  vortiflux apply INPUT... -o FOLDER/ [options] distort images into FOLDER (made if needed)\n"
        "  vortiflux info INPUT...                       print size, mode, planes, pages and profile\n"
        "  vortiflux --help | --version\n"
        "INPUT or OUTPUT '-' is standard input or output. Options take their value as --option VALUE\n"
        "or --option=VALUE.\n"
        "\n"
        "Effect options (defaults in brackets):\n"
        "  --method NAME|N     Turbulence, Turbulence 2, Smooth, Radial, Radial Smooth, Swirl (any case),\n"
        "                      or 0-5 [Turbulence]\n"
        "  --value X           strength, -1000..1000 [25]\n"
        "  --size X            scale of the pattern, 1..300 [25]\n"
        "  --aberration X      chromatic aberration, -200..200 [0]\n"
        "  --seed X            random seed, 0..1000, fractions count [0]\n"
        "  --proportion X      stretch along one axis, -1000..1000 [0]\n"
        "  --center X,Y        emitter centre in percent of half the area from its middle,\n"
        "                      -100..100 each, Y upwards [0,0]\n"
        "  --preset PRESET     start from a .vfxpst file or a shipped preset by name (options after it\n"
        "                      override it)\n"
        "  --last-used         start from the values of the last run; only the options given change them\n"
        "\n"
        "Other options:\n"
        "  -o, --output PATH   output file (its extension picks PNG, JPEG or TIFF), or folder\n"
        "  --format FORMAT     png, jpeg or tiff, whatever the output's extension (standard output: the\n"
        "                      input's format unless given)\n"
        "  --quality N         JPEG quality, 1..100 [95]\n"
        "  --selection X,Y,W,H filter only this rectangle; the rest stays as it was\n"
        "  --save-preset FILE  after a successful run, save the values it used as a .vfxpst preset\n"
        "  --convert           convert indexed, Lab and other images the tool does not take as they are\n"
        "                      to 8-bit RGB, and grey of 1, 2 or 4 bits to 8-bit grey\n"
        "  -f, --force         replace read-only output files\n"
        "  --limit-pixels N    refuse images of more than N pixels (K, M, G: thousands, millions,\n"
        "                      billions) [" +
        PixelCountText(DefaultLimits().maxPixels) +
        ", from this machine's memory]\n"
        "  -q, --quiet         no progress bar, no notes\n"
        "  --timing            print how long reading, filtering and writing each image took\n"
        "  --plugin LIBRARY    use this plug-in library\n"
        "\n"
        "The plug-in library is $VORTIFLUX_PLUGIN if set, else Vortiflux.so beside the tool or in\n"
        "../lib/vortiflux/ from it. Last used values are kept in $XDG_CONFIG_HOME/vortiflux\n"
        "(~/.config/vortiflux).\n"
        "\n"
        "Supported images: RGB, CMYK and grey of 8 or 16 bits a sample, with or without transparency,\n"
        "in PNG (no CMYK), JPEG (8 bits) and TIFF files; every page of a multi-page TIFF (into a TIFF).\n"
        "The output keeps the input's colours and depth; a 16-bit image written as JPEG is scaled to\n"
        "8 bits, with a note. An output that exists is replaced only once the new file is complete,\n"
        "keeping its permissions.\n"
        "\n"
        "Exit status: 0 done, 1 a file could not be read, written or filtered, 2 bad command line or\n"
        "unsupported image.\n";
    // The shipped presets, a line for each folder: "  Soft: Gentle Ripple, Heat Haze, Soft Swirl".
    const std::vector<std::string> presets = ShippedPresetNames(presetsFolder);
    if (presets.empty())
        text += "\nShipped presets (--preset NAME): none found in ../share/vortiflux/presets from the tool.\n";
    else
        text += "\nShipped presets (--preset NAME), in " + presetsFolder + ":\n";
    std::string folder = "\n";
    for (const std::string& name : presets) {
        const size_t slash = name.rfind('/');
        const std::string inFolder = slash == std::string::npos ? std::string() : name.substr(0, slash);
        if (inFolder != folder)
            text += std::string(folder == "\n" ? "" : "\n") + "  " + (inFolder.empty() ? "" : inFolder + ": ");
        else
            text += ", ";
        folder = inFolder;
        text += name.substr(slash + 1);
    }
    if (!presets.empty())
        text += "\n";
    return text;
}

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* line, std::string* error,
                      std::vector<std::string>* warnings, const std::string& presetsFolder) {
    if (arguments.empty()) {
        *error = "no command given (try vortiflux --help)";
        return false;
    }
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h" || command == "help") {
        line->command = Command::Help;
        return true;
    }
    if (command == "--version" || command == "-V") {
        line->command = Command::Version;
        return true;
    }
    if (command == "info") {
        line->command = Command::Info;
        line->infoInputs.assign(arguments.begin() + 1, arguments.end());
        line->infoInputs.erase(std::remove(line->infoInputs.begin(), line->infoInputs.end(), "--"),
                               line->infoInputs.end());
        if (line->infoInputs.empty()) {
            *error = "info needs at least one image file";
            return false;
        }
        return true;
    }
    if (command != "apply") {
        *error = "unknown command '" + command + "' (try vortiflux --help)";
        return false;
    }

    line->command = Command::Apply;
    line->apply.parameters = DefaultParameters();
    return ParseApply(arguments, line, error, warnings, presetsFolder);
}

} // namespace cli
