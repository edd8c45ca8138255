#pragma once
// Dialog-wide state the skinned controls read: the screen resolution, the shared bold font,
// the rotor's sphere texture and the background brush. Whoever runs a dialog sets it up (the
// background brush comes with RegisterSkinClasses, the rest with SetUpDialogResources) and
// releases it after the dialog.

#include <windows.h>

#include <cstdint>

// Vertical dots per inch measured when a dialog initialises; 96 until then.
extern int32_t screenDpi;
// "Arial" bold of 13 pixels, scaled by the square root of screenDpi / 96 above 96 dpi.
extern HFONT sharedBoldFont;
// The rotor's 72 x 72 texture: rows top first, red, green, blue bytes per pixel; null when
// not loaded.
extern uint8_t* rotorTexture;
constexpr int kRotorTextureSize = 72;
// The texture's bitmap resource.
constexpr int kRotorTextureBitmap = 108;
// RGB(232,232,232): class background of every skinned control and fill of what pictures do
// not cover.
extern HBRUSH SkinBackgroundBrush;
extern uint8_t skinBackgroundColour[3];
constexpr COLORREF kSkinBackground = RGB(232, 232, 232);
// Colour of the dialogs' static texts, drawn on the skin's background.
constexpr COLORREF kSkinText = RGB(50, 55, 60);

// The module that holds the skin's bitmaps and dialog templates (the one given to
// RegisterSkinClasses).
HINSTANCE SkinModule();

// Measures screenDpi on `dialog`, creates the shared bold font and loads the rotor texture
// (bitmap 108) from `module`, replacing what an earlier call left.
void SetUpDialogResources(HWND dialog, HINSTANCE module);
void ReleaseDialogResources();

// Height of the shared bold font for a resolution.
int BoldFontHeight(int32_t dpi);
// Loads bitmap `id` of `module` (24 bits) into the texture buffer; false if it is missing.
bool LoadRotorTexture(HINSTANCE module, int id);
void ReleaseRotorTexture();

// The common controls library of the skin's manifest (version 6), loaded by
// RegisterSkinClasses, and the one function of it the spin edit calls.
using CreateUpDownControlFunction = HWND(WINAPI*)(DWORD, int, int, int, int, HWND, int, HINSTANCE, HWND, int, int, int);
CreateUpDownControlFunction UpDownFactory();

// Makes the skin's manifest context current while it lives, so that common controls created
// meanwhile are of the manifest's version.
class SkinActivation {
public:
    SkinActivation();
    ~SkinActivation();
    SkinActivation(const SkinActivation&) = delete;
    SkinActivation& operator=(const SkinActivation&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

// Set up and released by RegisterSkinClasses and UnregisterSkinClasses.
void OpenSkinContext(HINSTANCE module);
void CloseSkinContext();
