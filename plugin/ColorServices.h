#pragma once
// Colour conversion of single colours through the host's colour services callback.

#include "plugin/HostAbi.h"

// The colour space of an image mode: grey, CMYK, HSL, HSB and Lab have their own, every other
// mode (RGB included) converts as RGB.
int16_t ColorSpaceOfMode(int16_t imageMode);

// Converts four components in place from the colour space of `fromMode` to that of `toMode`.
// False (components unchanged) when the host has no colour services or reports an error.
bool ConvertColor(int16_t components[4], int16_t fromMode, int16_t toMode);
