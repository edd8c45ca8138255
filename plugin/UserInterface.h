#pragma once
// What the selectors ask of the user interface. The Windows build with its dialogs provides the
// real ones; without a user interface (the Linux build) the dialog ends at once with OK and the
// About box returns at once.

#include "plugin/HostAbi.h"

// Runs the main dialog over the current parameters; true when the user chose OK.
bool RunMainDialog();
// Moves the main dialog's progress bar (range 0 to total, position done) and repaints it.
void ShowDialogProgress(float done, float total);
// Shows the About box, owned by the window in the record's platform data.
void ShowAboutBox(AboutRecord* record);
