// The plug-in without a user interface: Start goes on with the current values as if the dialog
// had ended with OK, and About has nothing to show.
#include "plugin/UserInterface.h"

bool RunMainDialog() {
    return true;
}

void ShowAboutBox(AboutRecord*) {}

void ShowDialogProgress(float, float) {}
