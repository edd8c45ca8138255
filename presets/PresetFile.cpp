#include "presets/PresetFile.h"

#include "engine/EffectFields.h"
#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "presets/TextFileReader.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

std::string currentPresetFolder;
void (*presetLoadedHook)() = nullptr;
void* presetMessageOwner = nullptr;

namespace {

constexpr const char* kHeader = "Vortiflux Preset;";
// A preset's first line may be 255 characters long, further lines 1000.
constexpr size_t kHeaderLineCapacity = 256;
constexpr size_t kLineCapacity = 1001;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix)
        if (std::tolower(static_cast<unsigned char>(*text)) != std::tolower(static_cast<unsigned char>(*prefix)))
            return false;
    return true;
}

} // namespace

std::string CutPresetExtension(const std::string& name) {
    const size_t length = std::strlen(kPresetExtension);
    if (platform::PathLength(name) <= length + 1)
        return name;
    const std::string tail = name.substr(name.size() - length);
    if (!StartsWithIgnoringCase(tail.c_str(), kPresetExtension))
        return name;
    // The character before the extension (usually the dot) goes too, as a whole character: the
    // bytes that continue a UTF-8 sequence go with the byte that starts it.
    size_t cut = name.size() - length - 1;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

std::string PresetPath(const std::string& name) {
    const std::string bare = CutPresetExtension(name);
    if (bare.empty() || platform::PathLength(currentPresetFolder) > kMaxPresetFolder)
        return std::string();
    const char separator = platform::kPathSeparator;
    std::string path = PresetsFolder + "User" + separator + currentPresetFolder;
    if (!currentPresetFolder.empty() && path.back() != '\\' && path.back() != '/')
        path += separator;
    path += bare + "." + kPresetExtension;
    return platform::PathLength(path) <= kMaxPresetPath ? path : std::string();
}

bool ReadPresetFile(const std::string& path, FilterParameters* parameters) {
    File file(platform::OpenFile(path, "rb"));
    if (!file)
        return false;
    char header[kHeaderLineCapacity];
    if (!ReadTextLine(file.get(), header, sizeof header) || !StartsWithIgnoringCase(header, kHeader))
        return false;
    // Read into a copy so a file is applied as a whole.
    FilterParameters loaded = *parameters;
    char line[kLineCapacity];
    while (ReadTextLine(file.get(), line, sizeof line)) {
        const char* position = line;
        if (line[0] == 'V' && std::strlen(line) >= 9) {
            if (const char* version = std::strstr(line, "Version")) {
                // "Version" and the character after it; versions 1 and 2 are both read alike.
                const char* number = version + std::strlen("Version") + (version[7] != '\0' ? 1 : 0);
                ReadIntValue(&number);
                continue;
            }
        }
        SkipBlanks(&position);
        const uint32_t key = ReadKey(&position);
        SkipBlanks(&position);
        if (key == keyMethod)
            loaded.method = static_cast<uint8_t>(ReadIntValue(&position) & 0xFF);
        else if (float* field = EffectFieldOf(loaded, key))
            *field = static_cast<float>(ReadFloatValue(&position));
    }
    *parameters = loaded;
    return true;
}

bool WritePresetFile(const std::string& path, const FilterParameters& parameters) {
    const std::string temporary = path + ".part";
    File file(platform::OpenFile(temporary, "wb"));
    if (!file)
        return false;
    char key[5];
    bool ok = std::fprintf(file.get(), "%s\n%s\n%s\n", kHeader, "Version 1;", ";------Emitter------") > 0;
    KeyText(keyMethod, key);
    ok = ok && std::fprintf(file.get(), "%s %d %s\n", key, int(parameters.method), "\t\t\t\t;Method") > 0;
    for (const EffectField& entry : kEffectFields) {
        char number[64];
        FormatTwoDecimals(parameters.*entry.field, number, sizeof number);
        KeyText(entry.key, key);
        ok = ok && std::fprintf(file.get(), "%s %s \t\t\t\t;%s \n", key, number, entry.presetName) > 0;
    }
    ok = ok && std::fprintf(file.get(), "%s\n", ";------The End------") > 0;
    ok = std::fflush(file.get()) == 0 && ok;
    ok = std::fclose(file.release()) == 0 && ok;
    ok = ok && platform::CommitFile(temporary, path);
    if (!ok)
        platform::RemoveFile(temporary);
    return ok;
}

bool LoadPreset(const std::string& name) {
    if (gParams == nullptr)
        return false;
    const std::string path = PresetPath(name);
    if (path.empty() || !ReadPresetFile(path, gParams))
        return false;
    if (presetLoadedHook != nullptr)
        presetLoadedHook();
    return true;
}

bool SavePreset(const std::string& name) {
    const std::string path = PresetPath(name);
    if (gParams == nullptr || path.empty() || !WritePresetFile(path, *gParams)) {
        platform::ShowMessage(presetMessageOwner, "Cannot Save File!", "Save Preset Error",
                              platform::MessageIcon::Error);
        return false;
    }
    return true;
}
