#pragma once
// The main dialog's placement, kept in "Vortiflux.ini" beside the library.

#include "engine/FilterParameters.h"

#include <string>

// LibraryFolder + "Vortiflux.ini".
std::string UiSettingsPath();

// Reads the placement fields from the file at `path` into `parameters`; a missing file changes
// nothing.
void ReadUiSettingsFile(const std::string& path, FilterParameters* parameters);
// Writes the seven placement fields; failures are silent (the file is replaced only once complete).
bool WriteUiSettingsFile(const std::string& path, const FilterParameters& parameters);

// The same for gParams and the file beside the library (nothing happens without gParams).
void LoadUiSettings();
void SaveUiSettings();
