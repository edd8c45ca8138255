#include "presets/PresetList.h"

#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "presets/PresetFile.h"

#include <cctype>
#include <cstring>

namespace {

bool HasPresetExtension(const std::string& fileName) {
    const size_t length = std::strlen(kPresetExtension);
    if (fileName.size() <= length + 1 || fileName[fileName.size() - length - 1] != '.')
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(fileName[fileName.size() - length + i])) != kPresetExtension[i])
            return false;
    return true;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

} // namespace

std::string ShownPresetFolder() {
    std::string folder = PresetsFolder + "User" + platform::kPathSeparator + currentPresetFolder;
    if (!IsSeparator(folder.back()))
        folder += platform::kPathSeparator;
    return folder;
}

std::vector<std::string> PresetListEntries() {
    std::vector<std::string> entries{kDefaultEntry};
    if (!currentPresetFolder.empty())
        entries.push_back(std::string(1, kFolderMark) + kParentFolder);
    std::vector<platform::FolderEntry> found;
    platform::ListFolder(ShownPresetFolder(), &found);
    std::vector<std::string> presets;
    for (const platform::FolderEntry& entry : found) {
        const std::string& name = entry.name;
        if (entry.isFolder) {
            if (!name.empty() && name[0] != '.')
                entries.push_back(kFolderMark + name);
        } else if (HasPresetExtension(name)) {
            presets.push_back(name.substr(0, name.size() - std::strlen(kPresetExtension) - 1));
        }
    }
    entries.insert(entries.end(), presets.begin(), presets.end());
    return entries;
}

bool IsFolderEntry(const std::string& entry) {
    return !entry.empty() && entry[0] == kFolderMark;
}

bool OpenPresetFolderEntry(const std::string& entry) {
    if (!IsFolderEntry(entry))
        return false;
    const std::string name = entry.substr(1);
    if (name == kParentFolder) {
        std::string folder = currentPresetFolder;
        if (!folder.empty() && IsSeparator(folder.back()))
            folder.pop_back();
        const size_t last = folder.find_last_of("\\/");
        currentPresetFolder = last == std::string::npos ? std::string() : folder.substr(0, last + 1);
        return true;
    }
    if (name.empty() || platform::PathLength(currentPresetFolder) + platform::PathLength(name) + 1 > kMaxPresetFolder)
        return false;
    currentPresetFolder += name + platform::kPathSeparator;
    return true;
}

std::string PresetNameProblem(const std::string& name) {
    if (name.empty())
        return "Please type a name for the preset.";
    // Letters of any script are welcome; only what no file name may hold is refused (bytes of
    // 128 and above are parts of UTF-8 characters, text that is no UTF-8 could not be named).
    const bool utf8 = platform::IsUtf8(name);
    for (const char character : name) {
        const auto c = static_cast<unsigned char>(character);
        if (!utf8 || c < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr)
            return "A preset name cannot contain any of the characters \\ / : * ? \" < > |.";
    }
    if (name == "." || name == "..")
        return "\"" + name + "\" cannot be the name of a preset.";
    if (name.back() == ' ' || name.back() == '.')
        return "A preset name cannot end with a blank or a dot.";
    std::string stem = name.substr(0, name.find('.'));
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    // The system also reserves the ports numbered with superscript digits (in UTF-8 here).
    static const char* const kDevices[] = {
        "CON",  "PRN",         "AUX",         "NUL",         "COM1",        "COM2",        "COM3",
        "COM4", "COM5",        "COM6",        "COM7",        "COM8",        "COM9",        "LPT1",
        "LPT2", "LPT3",        "LPT4",        "LPT5",        "LPT6",        "LPT7",        "LPT8",
        "LPT9", "COM\xC2\xB9", "COM\xC2\xB2", "COM\xC2\xB3", "LPT\xC2\xB9", "LPT\xC2\xB2", "LPT\xC2\xB3"};
    for (const char* device : kDevices)
        if (stem == device)
            return "\"" + name + "\" is reserved by the system and cannot be the name of a preset.";
    if (PresetPath(name).empty())
        return "The name is too long for a preset in this folder.";
    return std::string();
}

bool PresetFileExists(const std::string& name) {
    const std::string path = PresetPath(name);
    return !path.empty() && platform::FileExists(path);
}

void DeletePresetFile(const std::string& name) {
    const std::string path = PresetPath(name);
    if (!path.empty())
        platform::RemoveFile(path);
}
