#pragma once
// Preset files: the effect fields of the parameters as a small text file under a user's name,
// kept below the presets folder's "User" folder.

#include "engine/FilterParameters.h"

#include <string>

// The shown sub-folder of the presets' "User" folder: empty at the top, otherwise a relative
// path ending with a folder separator; at most kMaxPresetFolder characters (UTF-16 units, as
// every length of a name or path here; the text itself is UTF-8).
extern std::string currentPresetFolder;
constexpr size_t kMaxPresetFolder = 255;

// The extension of preset files, and the longest full path the preset files may have (the
// system's path limit, so a name is refused rather than cut into another file's name).
constexpr const char* kPresetExtension = "vfxpst";
constexpr size_t kMaxPresetPath = 259;

// A name without a trailing ".vfxpst" (compared without regard to case; only names longer than
// 7 characters lose it).
std::string CutPresetExtension(const std::string& name);

// The file of a preset name in the shown folder, or empty when the name is empty or the path
// would exceed kMaxPresetPath.
std::string PresetPath(const std::string& name);

// Reads a preset file into `parameters`: true when the header matched and the fields were
// applied; false (and nothing changed) when the file cannot be opened or is no preset.
bool ReadPresetFile(const std::string& path, FilterParameters* parameters);
// Writes the effect fields of `parameters`; the file is replaced only once it is complete.
// False when it could not be written (an existing file is then left as it was).
bool WritePresetFile(const std::string& path, const FilterParameters& parameters);

// The preset named `name` in the shown folder into gParams; on success the marker follows.
bool LoadPreset(const std::string& name);
// Writes gParams as the preset `name` in the shown folder; on failure tells the user
// "Cannot Save File!". Returns whether the file was written.
bool SavePreset(const std::string& name);

// What the dialog adds: the preview marker following loaded parameters, and the window that
// owns the preset messages. Both are optional.
extern void (*presetLoadedHook)();
extern void* presetMessageOwner;
