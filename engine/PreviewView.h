#pragma once
// The main preview pane's view of the filter rectangle: its visible size, its scroll position
// and the size of the whole filter rectangle at the current zoom. The preview pane owns it while
// the dialog is open; the zoom (PreviewZoom.h) and the processing read and write it.

#include <cstdint>

struct PreviewView {
    int32_t viewWidth = 0; // visible area, preview pixels
    int32_t viewHeight = 0;
    int32_t scrollX = 0;     // top left of the visible area, preview pixels at the current zoom,
    int32_t scrollY = 0;     //   from the top left of the zoomed filter rectangle
    int32_t zoomedWidth = 0; // the filter rectangle at the current zoom
    int32_t zoomedHeight = 0;
};

extern PreviewView mainView;
