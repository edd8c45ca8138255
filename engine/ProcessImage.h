#pragma once
// Whole-image processing: turns the host's delivered rectangle into the engine's RGBA buffer,
// renders the distortion and writes the result back into the host's output buffer.

// Processes the area that Start requested. Reports failures through the result code.
void ProcessImage();
