#include "controls/SkinResources.h"

#include "controls/GdiObjects.h"

#include <commctrl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

int32_t screenDpi = 96;
HFONT sharedBoldFont = nullptr;
uint8_t* rotorTexture = nullptr;
HBRUSH SkinBackgroundBrush = nullptr;
uint8_t skinBackgroundColour[3] = {232, 232, 232};

namespace {

HINSTANCE skinModule = nullptr;
HANDLE skinContext = INVALID_HANDLE_VALUE;
HMODULE commonControls = nullptr;
CreateUpDownControlFunction createUpDown = nullptr;

// The manifest of a library is its resource 2 of type 24.
constexpr WORD kLibraryManifest = 2;

} // namespace

HINSTANCE SkinModule() {
    return skinModule ? skinModule : GetModuleHandleA(nullptr);
}

int BoldFontHeight(int32_t dpi) {
    if (dpi <= 96)
        return 13;
    return static_cast<int>(13.0 * std::sqrt(dpi / 96.0));
}

bool LoadRotorTexture(HINSTANCE module, int id) {
    ReleaseRotorTexture();
    HBITMAP bitmap = gdi::LoadBitmapResource(module, id);
    if (!bitmap)
        return false;
    BITMAP info = {};
    bool loaded = false;
    if (GetObjectA(bitmap, sizeof info, &info) && info.bmBits && info.bmBitsPixel == 24 &&
        info.bmWidth == kRotorTextureSize && std::abs(info.bmHeight) == kRotorTextureSize) {
        constexpr int n = kRotorTextureSize;
        rotorTexture = static_cast<uint8_t*>(std::malloc(n * n * 3));
        if (rotorTexture) {
            // The section keeps the file's bottom-up rows and blue-green-red order.
            const auto* bits = static_cast<const uint8_t*>(info.bmBits);
            for (int row = 0; row < n; ++row) {
                const uint8_t* source = bits + static_cast<size_t>(n - 1 - row) * info.bmWidthBytes;
                uint8_t* target = rotorTexture + row * n * 3;
                for (int x = 0; x < n; ++x) {
                    target[x * 3 + 0] = source[x * 3 + 2];
                    target[x * 3 + 1] = source[x * 3 + 1];
                    target[x * 3 + 2] = source[x * 3 + 0];
                }
            }
            loaded = true;
        }
    }
    gdi::Delete(bitmap);
    return loaded;
}

void ReleaseRotorTexture() {
    std::free(rotorTexture);
    rotorTexture = nullptr;
}

void SetUpDialogResources(HWND dialog, HINSTANCE module) {
    ReleaseDialogResources();
    if (HDC dc = GetDC(dialog)) {
        screenDpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(dialog, dc);
    }
    sharedBoldFont = gdi::CreateFontNamed(BoldFontHeight(screenDpi), FW_BOLD, false, DEFAULT_QUALITY, "Arial");
    LoadRotorTexture(module, kRotorTextureBitmap);
}

void ReleaseDialogResources() {
    gdi::Delete(sharedBoldFont);
    sharedBoldFont = nullptr;
    ReleaseRotorTexture();
}

CreateUpDownControlFunction UpDownFactory() {
    return createUpDown;
}

SkinActivation::SkinActivation() {
    if (skinContext != INVALID_HANDLE_VALUE)
        active_ = ActivateActCtx(skinContext, &cookie_) != FALSE;
}

SkinActivation::~SkinActivation() {
    if (active_)
        DeactivateActCtx(0, cookie_);
}

void OpenSkinContext(HINSTANCE module) {
    skinModule = module;
    ACTCTXA context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = module;
    context.lpResourceName = MAKEINTRESOURCEA(kLibraryManifest);
    skinContext = CreateActCtxA(&context);
    SkinActivation activation;
    commonControls = LoadLibraryA("comctl32.dll");
    if (commonControls) {
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = reinterpret_cast<InitFunction>(
            reinterpret_cast<void*>(GetProcAddress(commonControls, "InitCommonControlsEx")));
        createUpDown = reinterpret_cast<CreateUpDownControlFunction>(
            reinterpret_cast<void*>(GetProcAddress(commonControls, "CreateUpDownControl")));
        if (init) {
            INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
            init(&classes);
        }
    }
}

void CloseSkinContext() {
    createUpDown = nullptr;
    if (commonControls)
        FreeLibrary(commonControls);
    commonControls = nullptr;
    if (skinContext != INVALID_HANDLE_VALUE)
        ReleaseActCtx(skinContext);
    skinContext = INVALID_HANDLE_VALUE;
}
