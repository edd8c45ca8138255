#pragma once
// The two panes of class "Preview Contaner CPP": the main pane (a window onto the filter area
// at the current zoom, with the emitter cross) and the navigator (a thumbnail of the whole
// filter area with the rectangle the main pane shows).

#include "engine/PreviewView.h"

#include <windows.h>

#include <cstdint>

struct PreviewMarker {
    uint8_t shape = 0; // 0: full cross
    uint8_t visible = 0;
    uint8_t dragging = 0;
    float x = 0.0f; // centre coordinates: -100 left / bottom, 100 right / top of the filter area
    float y = 0.0f;
    float screenX = 0.0f; // where it was painted last, pane pixels (for hit testing)
    float screenY = 0.0f;
};

struct PreviewPane {
    HWND window = nullptr;
    int32_t id = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t role = 1; // 1 main pane, 0 navigator
    uint8_t doubleClicked = 0;
    uint8_t ctrlDrag = 0;
    int32_t markerCount = 0;
    PreviewMarker* markers = nullptr; // owned
    int32_t lastX = 0, lastY = 0;
    int32_t curX = 0, curY = 0;
    int32_t dragX = 0, dragY = 0;
    // The main pane's view of the filter area (its offset is viewX, viewY); the record is the
    // one the processing reads.
    PreviewView* view = nullptr;
    int32_t imageX = 0, imageY = 0;
    int32_t frameWidth = 0, frameHeight = 0;
    int32_t frameX = 0, frameY = 0;
    int32_t bitmapWidth = 0, bitmapHeight = 0;
    float scale = 0.0f;
    BITMAPINFO bitmapInfo = {};
    uint8_t* pixels = nullptr; // owned, bitmapWidth x bitmapHeight x 3, blue-green-red, bottom-up
    size_t pixelBytes = 0;
    HBITMAP bitmap = nullptr; // owned, made from pixels

    int32_t viewX() const { return view ? view->scrollX : 0; }
    int32_t viewY() const { return view ? view->scrollY : 0; }
};

extern PreviewPane* mainPane;
extern PreviewPane* navigatorPane;
// The emitter position in centre coordinates, shared with the parameter panel.
extern float emitterX, emitterY;

// The window procedure of "Preview Contaner CPP" (installed into the skinned class).
LRESULT CALLBACK PreviewPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The pane object of a "Preview Contaner CPP" window, or null.
PreviewPane* PaneOf(HWND window);

void BuildPaneBitmap(PreviewPane* pane);
void BuildNavigatorThumbnail(PreviewPane* navigator);
void BuildNavigatorBitmap(PreviewPane* navigator);
void SyncMarkerFromParameters();
// Puts the navigator's rectangle where the main pane's view is and repaints it.
void SyncNavigatorFrame();
// Gives the main pane its one mark (the emitter cross).
void AddEmitterMarker(PreviewPane* pane);
