#include "plugin/FolderPaths.h"

#include "platform/Platform.h"
#include "plugin/Globals.h"

void BuildFolderPaths() {
    const std::string separator(1, platform::kPathSeparator);
    ModulePath = platform::ModulePath();
    size_t cut = ModulePath.find_last_of(separator + "/");
    LibraryFolder = cut == std::string::npos ? std::string() : ModulePath.substr(0, cut + 1);
    PresetsFolder = LibraryFolder + "Vortiflux" + separator + "Presets" + separator;
    HelpFolder = LibraryFolder + "Vortiflux" + separator + "Help" + separator;
}
