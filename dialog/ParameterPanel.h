#pragma once
// The parameter panel (template 143): the child dialog under the navigator in which every
// field of the effect is edited.

#include "controls/SkinControls.h"

#include <windows.h>

// The panel's window and its rotor while the dialog is open, else null.
extern HWND parameterPanel;
extern TRotor* panelRotor;

INT_PTR CALLBACK ParameterPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the parameters in the controls.
void LoadControlsFromParameters();
// Shows the centre (x, y) in the rotor and in the X and Y boxes.
void ShowCentreInControls(float x, float y);
// Escape in a centre field: restores the stored value; an unedited field cancels the dialog.
void RevertCentreField(HWND field, float stored);
// Remembers where the panel goes in the main dialog and puts it there.
void PlaceParameterPanel(int x, int y, int width);
// Sizes the panel for a main dialog client height of `height`.
void LayoutParameterPanel(int height);
// Forgets the panel's handles and objects (the dialog's teardown).
void ForgetParameterPanel();
