#pragma once
// The preset list of the parameter panel as windows: the owner-drawn list box 1913 with its
// static 1093, "Save" 1300 and "Delete" 1092, and the name dialog (template 147) with the
// overwrite warning.

#include <windows.h>

#include <string>

// Appends the entries of the shown folder to the list; removes all entries, last first.
void FillPresetList(HWND list);
void ClearPresetList(HWND list);
// Enables "Delete" exactly when a readable entry that is no folder is selected.
void UpdateDeleteButton(HWND list, HWND deleteButton);

// Asks for a new preset's name in dialog 147 over `owner`; `name` (UTF-8) holds the name shown
// first and receives the typed one (at most 254 characters), its extension cut. 0 cancelled, 1 a
// new name, 2 replace the existing file. Names that cannot be files are refused with a message
// and asked again.
int AskPresetName(HWND owner, std::string* name);

// The panel's set-up of its preset group: tooltip and `font` for the list, the list filled and
// "Delete" in step.
void SetUpPresetPanel(HWND panel, HFONT font);
// The list's notifications and the two buttons' commands of the panel. True when parameters
// were applied (a preset or "Default"): the panel then shows them in its controls and has the
// main dialog render again.
bool HandlePresetListCommand(HWND panel, int id, int code);
// Draws one entry (the panel's WM_DRAWITEM for the list).
void DrawPresetListEntry(const DRAWITEMSTRUCT* item);
