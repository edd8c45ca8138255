#pragma once
// The About box (dialog template 128): the product, its version "1.0 (64 Bit)", a link to our
// web site and "Close".

#include <windows.h>

// The version as the About box shows it.
constexpr const char* kAboutVersion = "1.0";
constexpr const char* kAboutVersionSuffix = " (64 Bit)";

// Runs the About box modally over `owner`. The "MacStyleBtn" and "ContainerLinkC" classes must
// be registered (the main dialog has them while it runs). Returns the id that ended the box
// (1 for Enter, 2 for "Close" and Escape), or -1 when the box could not be created.
INT_PTR RunAboutBox(HWND owner);

// For the host's About command, when no dialog of ours runs: registers the two classes with
// their fonts, bitmaps and the background brush, runs the box over `owner` (the host's main
// window) and releases them again.
INT_PTR RunAboutBoxFromHost(HWND owner);
