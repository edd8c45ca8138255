#pragma once
// Where the tool finds what it ships with: the plug-in library and the presets, located from the
// program's real place on disk (so it runs from the build folder, an install prefix, PATH or a
// symbolic link alike).

#include <string>
#include <vector>

namespace cli {

// The folder of the running program with every symbolic link resolved; empty if unknown.
std::string ExecutableFolder();

// The plug-in library: `requested` (--plugin) if given, else $VORTIFLUX_PLUGIN, else the first of
// `Vortiflux.so` beside the program (the build folder) and `../lib/vortiflux/Vortiflux.so` (an
// installed tool) that exists. `tried` lists the places looked at, for the message when none is.
std::string FindPlugin(const std::string& requested, std::vector<std::string>* tried);

// The folder of the presets shipped with the tool (`../share/vortiflux/presets` from the
// program), or empty when there is none.
std::string ShippedPresetsFolder();

// The shipped presets as names relative to their folder, without the extension
// ("Soft/Soft Swirl"), sorted.
std::vector<std::string> ShippedPresetNames(const std::string& folder);

// The file of the shipped preset `name` means: "Soft Swirl", "soft swirl", "Soft/Soft Swirl" or
// any of them with ".vfxpst"; empty when none matches or the name is ambiguous.
std::string FindShippedPreset(const std::string& folder, const std::string& name);

} // namespace cli
