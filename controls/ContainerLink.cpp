// "ContainerLinkC": a caption that acts as a hyperlink (blue, underlined, hand cursor, click
// notification). The class owns the two caption fonts and the hand cursor.
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"
#include "controls/WindowRule.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint8_t kLinkCaption = 5;

HFONT captionFont = nullptr;
HFONT linkFont = nullptr;
HCURSOR handCursor = nullptr;

void Paint(ContainerLinkRecord* link, HDC target) {
    gdi::Canvas canvas(target, link->width, link->height);
    HDC dc = canvas.dc();
    RECT area = {0, 0, link->width, link->height};
    FillRect(dc, &area, SkinBackgroundBrush);
    HFONT font = link->font ? link->font : link->active ? linkFont : captionFont;
    {
        gdi::Selection selection(dc, font);
        const int length = static_cast<int>(std::strlen(link->text));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, link->text, length, &extent);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, link->useCustomColour ? link->customColour : link->active ? RGB(0, 0, 255) : RGB(0, 0, 0));
        const int x = link->leftAlign ? 0 : (link->width - extent.cx) / 2;
        TextOutA(dc, x, (link->height - extent.cy) / 2, link->text, length);
    }
    canvas.CopyTo(target, 0, 0);
}

LRESULT HandleLink(ContainerLinkRecord* link, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return 1;
    case WM_PAINT:
        if (link->kind != kLinkCaption || !link->text)
            break;
        {
            gdi::Paint paint(window);
            Paint(link, paint.dc());
        }
        return 1;
    case WM_MOUSEMOVE:
        if (link->active && handCursor)
            SetCursor(handCursor);
        return 1;
    case WM_SETCURSOR:
        // The hand is set on every move; the class cursor must not undo it in between.
        if (link->active && handCursor)
            return TRUE;
        break;
    case WM_LBUTTONDOWN:
        if (link->active)
            SendMessageA(GetParent(window), WM_COMMAND, static_cast<WORD>(link->id), 0);
        return 1;
    case WM_COMMAND:
        PostMessageA(GetParent(window), message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void FreeLink(ContainerLinkRecord* link) {
    std::free(link->text);
    delete link;
}

} // namespace

HFONT LinkFont() {
    return linkFont;
}
HFONT LinkCaptionFont() {
    return captionFont;
}
HCURSOR LinkCursor() {
    return handCursor;
}

LRESULT CALLBACK ContainerLinkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const skin::WindowRule rule{false, true, true};
    return skin::RunWindowRule<ContainerLinkRecord>(rule, window, message, wParam, lParam, HandleLink, FreeLink);
}

void SetUpContainerLinkClass(HINSTANCE module) {
    // The About box sets the class up without the other skinned classes; the link still paints
    // on the skin's background.
    if (!SkinBackgroundBrush)
        SkinBackgroundBrush = gdi::CreateBrush(kSkinBackground);
    if (!captionFont)
        captionFont = gdi::CreateFontNamed(14, FW_BOLD, false, PROOF_QUALITY, "Arial");
    if (!linkFont)
        linkFont = gdi::CreateFontNamed(14, FW_NORMAL, true, PROOF_QUALITY, "Arial");
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ContainerLinkWindowProc;
    windowClass.cbWndExtra = 4;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = SkinBackgroundBrush;
    windowClass.lpszClassName = "ContainerLinkC";
    RegisterClassA(&windowClass);
    handCursor = LoadCursorA(nullptr, IDC_HAND);
}

void TearDownContainerLinkClass(HINSTANCE module) {
    // The hand is a shared system cursor: forgetting it is all the tear-down it needs.
    handCursor = nullptr;
    gdi::Delete(SkinBackgroundBrush);
    SkinBackgroundBrush = nullptr;
    gdi::Delete(captionFont);
    gdi::Delete(linkFont);
    captionFont = nullptr;
    linkFont = nullptr;
    UnregisterClassA("ContainerLinkC", module);
}

ContainerLinkRecord* AttachContainerLink(HWND dialog, int id, const char* text, bool active, bool leftAlign) {
    auto* link = static_cast<ContainerLinkRecord*>(GetControlObject(GetDlgItem(dialog, id), "ContainerLinkC"));
    if (!link)
        return nullptr;
    link->kind = kLinkCaption;
    link->active = active ? 1 : 0;
    if (text) {
        char* copy = _strdup(text);
        if (copy) {
            std::free(link->text);
            link->text = copy;
        }
    }
    link->leftAlign = leftAlign ? 1 : 0;
    link->font = nullptr;
    link->customColour = 0;
    link->useCustomColour = 0;
    return link;
}
