#include "presets/UiSettings.h"

#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "presets/TextFileReader.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct PlacementLine {
    uint32_t key;
    int32_t FilterParameters::*field;
    const char* comment;
};
constexpr PlacementLine kLines[] = {
    {keyWindowLeft, &FilterParameters::windowLeft, "\t\t\t\t;Left of window"},
    {keyWindowTop, &FilterParameters::windowTop, "\t\t\t\t;Top of window"},
    {keyWindowWidth, &FilterParameters::windowWidth, "\t\t\t\t;Width of window"},
    {keyWindowHeight, &FilterParameters::windowHeight, "\t\t\t\t;Height of window"},
    {keyCurveEditorLeft, &FilterParameters::curveEditorLeft, "\t\t\t\t;Left of curve editor window"},
    {keyCurveEditorTop, &FilterParameters::curveEditorTop, "\t\t\t\t;Top of curve editor window"},
    {keyCurveEditorInteractive, &FilterParameters::curveEditorInteractive,
     "\t\t\t\t;Is curve editor window interactive"},
};

const PlacementLine* LineOf(uint32_t key) {
    for (const PlacementLine& line : kLines)
        if (line.key == key)
            return &line;
    return nullptr;
}

} // namespace

std::string UiSettingsPath() {
    return LibraryFolder + "Vortiflux.ini";
}

void ReadUiSettingsFile(const std::string& path, FilterParameters* parameters) {
    File file(platform::OpenFile(path, "rb"));
    if (!file)
        return;
    char line[1001];
    while (ReadTextLine(file.get(), line, sizeof line)) {
        const char* position = line;
        // The key of the window's top is " poT": look at the line's first four characters
        // before skipping blanks, so that line is recognised too.
        uint32_t key = ReadKey(&position);
        if (LineOf(key) == nullptr) {
            position = line;
            SkipBlanks(&position);
            key = ReadKey(&position);
        }
        SkipBlanks(&position);
        if (const PlacementLine* known = LineOf(key))
            parameters->*known->field = ReadIntValue(&position);
    }
}

bool WriteUiSettingsFile(const std::string& path, const FilterParameters& parameters) {
    const std::string temporary = path + ".part";
    File file(platform::OpenFile(temporary, "wb"));
    if (!file)
        return false;
    bool ok = std::fprintf(file.get(), "%s\n", ";Parameters for Vortiflux plug-in UI") > 0;
    for (const PlacementLine& line : kLines) {
        char key[5];
        KeyText(line.key, key);
        ok = ok && std::fprintf(file.get(), "%s %d %s\n", key, int(parameters.*line.field), line.comment) > 0;
    }
    ok = std::fclose(file.release()) == 0 && ok;
    ok = ok && platform::CommitFile(temporary, path);
    if (!ok)
        platform::RemoveFile(temporary);
    return ok;
}

void LoadUiSettings() {
    if (gParams != nullptr)
        ReadUiSettingsFile(UiSettingsPath(), gParams);
}

void SaveUiSettings() {
    if (gParams != nullptr)
        WriteUiSettingsFile(UiSettingsPath(), *gParams);
}
