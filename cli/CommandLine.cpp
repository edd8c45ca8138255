#include "cli/CommandLine.h"

#include "plugin/Globals.h"
#include "presets/PresetFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace cli {

namespace {

const char* const kMethodNames[kDistortionMethodCount] = {"turbulence", "turbulence2",   "smooth",
                                                          "radial",     "radial-smooth", "swirl"};

// An option that sets one effect field, with the panel's limits (beyond them: a warning).
struct FieldOption {
    const char* name;
    uint32_t key;
    float FilterParameters::*field;
    double low, high;
};
constexpr FieldOption kFieldOptions[] = {
    {"--value", keyValue, &FilterParameters::value, -1000, 1000},
    {"--size", keySize, &FilterParameters::size, 1, 300},
    {"--aberration", keyAberration, &FilterParameters::aberration, -200, 200},
    {"--seed", keyRandomSeed, &FilterParameters::randomSeed, 0, 1000},
    {"--proportion", keyProportion, &FilterParameters::proportion, -1000, 1000},
};

constexpr uint32_t kAllKeys[] = {keyMethod,     keyValue,      keySize,    keyAberration,
                                 keyRandomSeed, keyProportion, keyCenterX, keyCenterY};

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

void WarnBeyond(const std::string& option, double value, double low, double high, std::vector<std::string>* warnings) {
    if (value < low || value > high) {
        char range[96];
        std::snprintf(range, sizeof range, " (the panel allows %g to %g)", low, high);
        warnings->push_back(option + " " + std::to_string(value) + " is beyond the usual range" + range +
                            "; using it as given");
    }
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
    for (int i = 0; i < kDistortionMethodCount; ++i) {
        if (text == kMethodNames[i] || text == std::to_string(i)) {
            *method = uint8_t(i);
            return true;
        }
    }
    return false;
}

const char* MethodName(uint8_t method) {
    return method < kDistortionMethodCount ? kMethodNames[method] : "radial (method number above 5)";
}

std::string UsageText() {
    return "Usage:\n"
           "  vortiflux apply INPUT -o OUTPUT [options]     distort one image into OUTPUT\n"
           "  vortiflux apply INPUT... -o FOLDER [options]  distort several images into FOLDER\n"
           "  vortiflux info INPUT...                       print size, mode, planes and profile\n"
           "  vortiflux --help | --version\n"
           "\n"
           "Effect options (defaults in brackets):\n"
           "  --method NAME|N     turbulence, turbulence2, smooth, radial, radial-smooth, swirl, or 0-5 [turbulence]\n"
           "  --value X           strength, -1000..1000 [25]\n"
           "  --size X            scale of the pattern, 1..300 [25]\n"
           "  --aberration X      chromatic aberration, -200..200 [0]\n"
           "  --seed X            random seed, 0..1000, fractions count [0]\n"
           "  --proportion X      stretch along one axis, -1000..1000 [0]\n"
           "  --center X,Y        emitter centre in percent of half the area from its middle,\n"
           "                      -100..100 each, Y upwards [0,0]\n"
           "  --preset FILE       start from a .vfxpst preset (options after it override it)\n"
           "  --last-used         start from the values of the last run; only the options given change them\n"
           "\n"
           "Other options:\n"
           "  -o, --output PATH   output file (its extension picks PNG, JPEG or TIFF), or folder\n"
           "  --selection X,Y,W,H filter only this rectangle; the rest stays as it was\n"
           "  --save-preset FILE  also save the effect values as a .vfxpst preset\n"
           "  --convert           convert grey, indexed, Lab and 16-bit images to 8-bit RGB first\n"
           "  --quiet             no progress bar, no notes\n"
           "  --timing            print how long reading, filtering and writing each image took\n"
           "  --plugin LIBRARY    use this plug-in library instead of the one beside the tool\n"
           "\n"
           "Supported images: 8-bit RGB or CMYK, with or without transparency, in PNG (RGB only), JPEG\n"
           "and TIFF files.\n";
}

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* line, std::string* error,
                      std::vector<std::string>* warnings) {
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
    ApplyRequest& request = line->apply;
    {
        FilterParameters* saved = gParams;
        gParams = &request.parameters;
        InitParameters();
        gParams = saved;
    }
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto next = [&](std::string* value) {
            if (i + 1 >= arguments.size()) {
                *error = option + " needs a value";
                return false;
            }
            *value = arguments[++i];
            return true;
        };
        std::string value;
        if (option == "--help" || option == "-h") {
            line->command = Command::Help;
            return true;
        }
        if (option == "-o" || option == "--output") {
            if (!next(&value))
                return false;
            request.output = value;
        } else if (option == "--method") {
            if (!next(&value))
                return false;
            if (!ParseMethod(value, &request.parameters.method)) {
                *error = "--method: '" + value +
                         "' is no method (turbulence, turbulence2, smooth, radial, "
                         "radial-smooth, swirl or 0 to 5)";
                return false;
            }
            Give(&request, keyMethod);
        } else if (option == "--center") {
            std::vector<double> numbers;
            if (!next(&value))
                return false;
            if (!SplitNumbers(value, 2, &numbers)) {
                *error = "--center: '" + value + "' is not two numbers X,Y";
                return false;
            }
            WarnBeyond("--center X", numbers[0], -100, 100, warnings);
            WarnBeyond("--center Y", numbers[1], -100, 100, warnings);
            request.parameters.centerX = float(numbers[0]);
            request.parameters.centerY = float(numbers[1]);
            Give(&request, keyCenterX);
            Give(&request, keyCenterY);
        } else if (option == "--selection") {
            std::vector<double> numbers;
            if (!next(&value))
                return false;
            bool whole = SplitNumbers(value, 4, &numbers);
            for (double n : numbers)
                whole = whole && n == std::floor(n) && std::fabs(n) < 2147483647.0;
            if (!whole || numbers[2] <= 0 || numbers[3] <= 0) {
                *error = "--selection: '" + value + "' is not X,Y,W,H in whole pixels with W and H above 0";
                return false;
            }
            request.selection = VRect{int32_t(numbers[1]), int32_t(numbers[0]), int32_t(numbers[1] + numbers[3]),
                                      int32_t(numbers[0] + numbers[2])};
        } else if (option == "--preset") {
            if (!next(&value))
                return false;
            if (!ReadPresetFile(value, &request.parameters)) {
                *error = "--preset: cannot read '" + value + "' as a Vortiflux preset";
                return false;
            }
            for (uint32_t key : kAllKeys)
                Give(&request, key);
        } else if (option == "--save-preset") {
            if (!next(&value))
                return false;
            request.savePreset = value;
        } else if (option == "--plugin") {
            if (!next(&value))
                return false;
            request.plugin = value;
        } else if (option == "--last-used") {
            request.lastUsed = true;
        } else if (option == "--convert") {
            request.convert = true;
        } else if (option == "--timing") {
            request.timing = true;
        } else if (option == "--quiet" || option == "-q") {
            request.quiet = true;
        } else {
            const FieldOption* field = nullptr;
            for (const FieldOption& candidate : kFieldOptions)
                if (option == candidate.name)
                    field = &candidate;
            if (field != nullptr) {
                double number = 0;
                if (!next(&value))
                    return false;
                if (!ParseNumber(value, &number)) {
                    *error = option + ": '" + value + "' is not a finite number";
                    return false;
                }
                if (std::fabs(number) > 3.4e38) {
                    *error = option + ": " + value + " is too large";
                    return false;
                }
                WarnBeyond(option, number, field->low, field->high, warnings);
                request.parameters.*field->field = float(number);
                Give(&request, field->key);
            } else if (!option.empty() && option[0] == '-' && option != "-") {
                *error = "unknown option '" + option + "' (try vortiflux --help)";
                return false;
            } else {
                request.inputs.push_back(option);
            }
        }
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

} // namespace cli
