#pragma once
// Builds ModulePath, LibraryFolder, PresetsFolder and HelpFolder from the library's own path.
void BuildFolderPaths();
