#pragma once
// The preview's source images: the zoom of the main preview with the host request for its
// visible area, and the navigator's full-size RGBA copy of the filter rectangle.

#include "engine/PreviewView.h"

#include <cstddef>
#include <cstdint>

// Zoom state, kept while the dialog is open.
extern float zoom;             // image pixels per preview pixel, a whole number from 1 to fitZoom
extern float fitZoom;          // the smallest whole zoom at which the filter rectangle fits
extern float zoomStepsFromFit; // whole steps below fitZoom; -1: not set yet (the next call shows 100 %)

// The navigator's source: Wf x Hf pixels of 4 bytes (red, green, blue, transparency).
extern uint8_t* navigatorSource;
extern bool navigatorSourceReady;

// The visible area as a sampling host would have delivered it, sampled by the plug-in itself
// because the host cannot sample: width x height pixels in the host's layout (all planes
// interleaved, one byte a sample), rows rowBytes apart, from the page allocator. Made by
// SetPreviewZoom at zoom above 1 in a host without sampling, read by PrepareWorkingBuffers
// instead of inData; null otherwise.
struct SampledView {
    uint8_t* pixels = nullptr;
    int64_t width = 0;
    int64_t height = 0;
    int64_t rowBytes = 0;
    size_t bytes = 0;
};
extern SampledView sampledView;

// Puts the zoom state back to how the dialog opens (zoom 1, steps not set).
void ResetPreviewZoom();
// Settles the zoom for the view, keeps the view centred and in range, and asks the host for the
// visible area at that zoom (the host's answer becomes the result code).
void SetPreviewZoom(PreviewView& view);
// Copies the whole filter rectangle into navigatorSource once per dialog, converting CMYK to RGB.
// False after a failure that was reported to the user.
bool FetchNavigatorSource();
// Releases navigatorSource and clears navigatorSourceReady (the dialog's teardown).
void ReleaseNavigatorSource();
// Releases the sampled view and forgets which rectangle and rate the host was last asked for
// (with the working buffers, at the dialog's teardown and after a final render), so the next
// dialog starts from what a host holds at the start of a run: nothing.
void ReleasePreviewRequests();

// A plain CMYK to RGB conversion for hosts without colour conversion; c, m, y, k are ink
// amounts (0 no ink, 255 full ink).
void CmykToRgbFallback(uint8_t c, uint8_t m, uint8_t y, uint8_t k, uint8_t rgb[3]);
