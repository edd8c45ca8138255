#pragma once
// Whole-image processing: turns the host's delivered rectangle into the engine's RGBA buffer,
// renders the distortion and writes the result back into the host's output buffer. The same
// operations serve the dialog's preview while dialogActive is set.

#include "engine/DistortionContext.h"

#include <cstddef>
#include <cstdint>

// The working buffers, process-wide (four samples a pixel: bytes in the dialog, the document's
// depth in a final render; rows without gaps), and their geometry.
extern DistortionContext workingContext;
extern uint8_t* sourceBuffer;
extern uint8_t* destinationBuffer;
// While the dialog is open: the picture behind the preview (3 bytes a pixel), or null.
extern uint8_t* viewBackground;

// Processes the area the host delivered (the whole filter rectangle in Start, the visible part
// of the preview in the dialog). A final render that cannot get its memory leaves the output as
// the host delivered it and reports -108.
void ProcessImage();
// Sizes, obtains and fills the source buffer from the host's input (or the preview source);
// reports progress 0, 5 and 10. False (with the result code set) when memory or the host's
// colour conversion failed; the buffers are then released.
bool PrepareWorkingBuffers();
// Releases the source, destination, background and plane scratch blocks, and the preview's own
// sample of the view with the memory of its last request (ReleasePreviewRequests).
void ReleaseWorkingBuffers();
// Judges from the source buffer (8 bits a sample, as in the dialog) whether the document's
// transparency varies: the preview decides it once, on the view it opens with.
void DetectViewTransparency();
// Builds viewBackground from the preview backdrop at the view's zoom and scroll position.
void BuildViewBackground();

// The modes the filter processes: RGB, CMYK and greyscale at 8 and at 16 bits.
bool IsSupportedImage(int16_t imageMode, int32_t depth);
// For any other image: tells the user ("Plugin Alert") and returns true.
bool AlertIfUnsupportedImage();
