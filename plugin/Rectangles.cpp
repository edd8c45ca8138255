#include "plugin/Rectangles.h"

#include "plugin/Globals.h"
#include "plugin/HostChecks.h"

namespace {

VRect Widen(const Rect& r) {
    return VRect{r.top, r.left, r.bottom, r.right};
}

Rect Narrow(const VRect& r) {
    return Rect{static_cast<int16_t>(r.top), static_cast<int16_t>(r.left), static_cast<int16_t>(r.bottom),
                static_cast<int16_t>(r.right)};
}

// The two homes of one rectangle.
struct RectFields {
    Rect FilterRecord::*narrow;
    VRect BigDocumentStruct::*wide;
};

constexpr RectFields kFilter{&FilterRecord::filterRect, &BigDocumentStruct::filterRect32};
constexpr RectFields kIn{&FilterRecord::inRect, &BigDocumentStruct::inRect32};
constexpr RectFields kOut{&FilterRecord::outRect, &BigDocumentStruct::outRect32};
constexpr RectFields kMask{&FilterRecord::maskRect, &BigDocumentStruct::maskRect32};

VRect Read(const RectFields& fields) {
    if (gFilterRecord == nullptr)
        return VRect{0, 0, 0, 0};
    if (Using32BitCoordinates())
        return BigDocument()->*fields.wide;
    return Widen(gFilterRecord->*fields.narrow);
}

void Write(const RectFields& fields, const VRect& rect) {
    if (gFilterRecord == nullptr)
        return;
    if (Using32BitCoordinates())
        BigDocument()->*fields.wide = rect;
    else
        gFilterRecord->*fields.narrow = Narrow(rect);
}

} // namespace

bool Using32BitCoordinates() {
    const BigDocumentStruct* big = BigDocument();
    return big != nullptr && big->PluginUsing32BitCoordinates != 0;
}

VRect GetFilterRect() {
    return Read(kFilter);
}
VRect GetInRect() {
    return Read(kIn);
}
VRect GetOutRect() {
    return Read(kOut);
}

VPoint GetFloatCoord() {
    if (gFilterRecord == nullptr)
        return VPoint{0, 0};
    if (Using32BitCoordinates())
        return BigDocument()->floatCoord32;
    return VPoint{gFilterRecord->floatCoord.v, gFilterRecord->floatCoord.h};
}

void SetInRect(const VRect& rect) {
    Write(kIn, rect);
}
void SetOutRect(const VRect& rect) {
    Write(kOut, rect);
}
void SetMaskRect(const VRect& rect) {
    Write(kMask, rect);
}

Rect GetFilterRect16() {
    return Narrow(Read(kFilter));
}
Rect GetInRect16() {
    return Narrow(Read(kIn));
}
Rect GetOutRect16() {
    return Narrow(Read(kOut));
}
void SetInRect(const Rect& rect) {
    Write(kIn, Widen(rect));
}
void SetOutRect(const Rect& rect) {
    Write(kOut, Widen(rect));
}
void SetMaskRect(const Rect& rect) {
    Write(kMask, Widen(rect));
}

int64_t RectHeight(const VRect& rect) {
    int64_t height = int64_t(rect.bottom) - int64_t(rect.top);
    return height > 0 ? height : 0;
}

int64_t RectWidth(const VRect& rect) {
    int64_t width = int64_t(rect.right) - int64_t(rect.left);
    return width > 0 ? width : 0;
}
