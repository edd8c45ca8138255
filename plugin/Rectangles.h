#pragma once
// The one place that chooses between the host's 16-bit rectangles (in the FilterRecord) and
// its 32-bit rectangles (in the big-document record). Every accessor looks at the host record
// of the current call afresh; nothing is cached, clipped or normalised.

#include "plugin/HostAbi.h"

// True when the host offers big documents and the plug-in has announced 32-bit coordinates.
bool Using32BitCoordinates();

// 32-bit forms: the 32-bit fields when in use, else the 16-bit fields sign-extended.
VRect GetFilterRect();
VRect GetInRect();
VRect GetOutRect();
VPoint GetFloatCoord();
void SetInRect(const VRect& rect);
void SetOutRect(const VRect& rect);
void SetMaskRect(const VRect& rect);

// 16-bit forms (the preview request): the low 16 bits of the 32-bit fields when in use, else
// the 16-bit fields; the setters widen into the 32-bit fields when in use.
Rect GetFilterRect16();
Rect GetInRect16();
Rect GetOutRect16();
void SetInRect(const Rect& rect);
void SetOutRect(const Rect& rect);
void SetMaskRect(const Rect& rect);

// Height and width of a rectangle as 64-bit values (never negative).
int64_t RectHeight(const VRect& rect);
int64_t RectWidth(const VRect& rect);
