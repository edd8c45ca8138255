#pragma once
// The main dialog's operations that the preview panes and the parameter panel call back into,
// and the state they share while the dialog is open.

#include <windows.h>

// The dialog's window while it exists, else null.
extern HWND mainDialog;
// "Arial" 400 of 13 pixels for the preset list; lives with the dialog.
extern HFONT presetListFont;

// Renders the current view with the current parameters and repaints the main pane.
void RefreshPreview();
// Enables or disables "+" and "-".
void EnableZoomIn(bool enable);
void EnableZoomOut(bool enable);

// The exported dialog procedure of "DISSOLVEDIALOG".
extern "C" __declspec(dllexport) INT_PTR CALLBACK DissolveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Notification codes of this dialog's controls, and its own commands.
constexpr WORD kViewMoved = 9;
constexpr WORD kDoubleClicked = 2;
constexpr WORD kRevertField = 27;
constexpr int kCommandRenderAgain = 7777;
constexpr int kCommandZoomToFit = 9001;
constexpr int kCommandZoomTo100 = 9002;
