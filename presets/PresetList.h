#pragma once
// The preset list's folders and names, apart from any window: what the list shows for the
// folder in currentPresetFolder, the way down into a folder and up again, and the checks a
// new preset name must pass before a file is written under it.

#include <string>
#include <vector>

// The first entry of every list, which restores the default values.
constexpr const char* kDefaultEntry = "Default";
// Folder entries start with a tab; ".." (after the tab) is the way up.
constexpr char kFolderMark = '\t';
constexpr const char* kParentFolder = "..";

// PresetsFolder + "User" + currentPresetFolder, with a trailing separator.
std::string ShownPresetFolder();

// The entries of the shown folder: "Default"; a tab and the name of every sub-folder not
// starting with "." (and a tab and ".." below the top); the name, without its extension, of
// every file with the extension "vfxpst" in any case. Folders and presets each come in the
// order the file system gives them. A missing folder gives "Default" (and "..") only.
std::vector<std::string> PresetListEntries();

bool IsFolderEntry(const std::string& entry);

// Opens the folder of a folder entry ("\t.." goes up). False, with currentPresetFolder as it
// was, when the path would grow beyond kMaxPresetFolder characters or the entry is no folder.
bool OpenPresetFolderEntry(const std::string& entry);

// Why a name typed for a new preset (UTF-8) cannot be used, or empty when it can. Letters of
// any script are names. Refused: the empty name, characters that no file name may hold
// (control characters and \ / : * ? " < > |, and text that is no UTF-8), the names "." and
// "..", names ending with a blank or a dot (the system would drop them and write another file),
// device names such as "CON", "LPT1" or COM with a superscript one, and names whose file would
// not fit the path limit.
std::string PresetNameProblem(const std::string& name);

// Whether the preset `name` exists in the shown folder.
bool PresetFileExists(const std::string& name);
// Deletes the preset `name` (its extension cut first) from the shown folder; a failure is
// ignored.
void DeletePresetFile(const std::string& name);
