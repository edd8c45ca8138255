// The framework: class registration, the lookup from a window to its object, tooltips, and the
// count of GDI objects across a dialog run.
#include "SkinFixture.h"

#include <commctrl.h>

#include <cstring>

namespace {

int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM counter) {
            ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace

TEST_F(SkinTest, ObjectLookupIsExactAboutTheClass) {
    HWND container = Create("Contaner CPP", 100, 10, 10, 80, 20);
    ASSERT_NE(container, nullptr);
    auto* object = static_cast<TContaner*>(GetControlObject(container, "Contaner CPP"));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->window, container);
    EXPECT_EQ(object->id, 100);
    EXPECT_EQ(object->width, 80);
    EXPECT_EQ(object->height, 20);
    EXPECT_EQ(object->enabled, 1);
    EXPECT_EQ(object->selection, -1);
    EXPECT_EQ(GetControlObject(container, "contaner CPP"), nullptr);
    EXPECT_EQ(GetControlObject(container, "Control CPP"), nullptr);
    EXPECT_EQ(GetControlObject(parent_, "Contaner CPP"), nullptr);
    EXPECT_EQ(GetControlObject(nullptr, "Contaner CPP"), nullptr);
}

namespace {

// A button that says when it is destroyed.
class WatchedButton : public TControlButton {
public:
    explicit WatchedButton(int* destroyed) : destroyed_(destroyed) {}
    ~WatchedButton() override { ++*destroyed_; }

private:
    int* destroyed_;
};

// What the control's own user data holds once its class has handled WM_NCDESTROY.
LONG_PTR dataAfterDestroy = -1;
WNDPROC classProcedure = nullptr;

LRESULT CALLBACK WatchDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(classProcedure, window, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        dataAfterDestroy = GetWindowLongPtrA(window, GWLP_USERDATA);
    return result;
}

} // namespace

TEST_F(SkinTest, ObjectGivenAtCreationIsUsedAndFreedWithTheWindow) {
    int destroyed = 0;
    auto* own = new WatchedButton(&destroyed);
    HWND button = Create("Control Button CPP", 101, 10, 10, 40, 20, own);
    EXPECT_EQ(GetControlObject(button, "Control Button CPP"), own);
    EXPECT_EQ(own->window, button);
    EXPECT_EQ(own->id, 101);
    classProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDestroy)));
    dataAfterDestroy = -1;
    DestroyWindow(button);
    EXPECT_EQ(destroyed, 1) << "the object goes with its window, once";
    EXPECT_EQ(dataAfterDestroy, 0) << "the window keeps no pointer to the freed object";
}

TEST_F(SkinTest, EveryClassIsRegisteredWithItsStyleAndCursor) {
    const struct {
        const char* name;
        UINT style;
    } classes[] = {{"Control CPP", 0},
                   {"Control Button CPP", 0},
                   {"Control Button Fire CPP", 0},
                   {"Control Glass CPP", 0},
                   {"Contaner CPP", 0},
                   {"Contaner Anim CPP", 0},
                   {"Contaner Color CPP", 0},
                   {"Preview Contaner CPP", CS_DBLCLKS},
                   {"Rotor CPP", CS_DBLCLKS},
                   {"Mac Slider CPP", CS_DBLCLKS},
                   {"Glass Slider CPP", 0},
                   {"Spin Edit CPP", 0},
                   {"Spin Edit CPP Hor", 0},
                   {"Color Equalizer CPP", 0},
                   {"ContainerLinkC", 0},
                   {"MacStyleBtn", 0}};
    for (const auto& expected : classes) {
        WNDCLASSA found = {};
        ASSERT_TRUE(GetClassInfoA(module_, expected.name, &found)) << expected.name;
        EXPECT_EQ(found.style, expected.style) << expected.name;
        EXPECT_EQ(found.cbWndExtra, 4) << expected.name;
        EXPECT_EQ(found.hbrBackground, SkinBackgroundBrush) << expected.name;
        HWND window = Create(expected.name, 200, 0, 0, 30, 30);
        EXPECT_NE(window, nullptr) << expected.name;
        DestroyWindow(window);
    }
    WNDCLASSA preview = {};
    ASSERT_TRUE(GetClassInfoA(module_, "Preview Contaner CPP", &preview));
    EXPECT_EQ(preview.hCursor, LoadCursorA(nullptr, IDC_SIZEALL));
}

TEST_F(SkinTest, TooltipNeedsWindowAndText) {
    HWND container = Create("Contaner CPP", 100, 10, 10, 80, 20);
    const int before = ThreadWindowCount();
    AddTooltip(container, nullptr);
    AddTooltip(nullptr, "text");
    EXPECT_EQ(ThreadWindowCount(), before);
    AddTooltip(container, "A tip", "Title");
    EXPECT_EQ(ThreadWindowCount(), before + 1);
    HWND tip = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr);
    ASSERT_NE(tip, nullptr);
    // Owned by the dialog the control is in, it goes with the dialog.
    EXPECT_EQ(GetWindow(tip, GW_OWNER), parent_);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST(SkinFramework, ClassesComeAndGoWithTheDialogRunAndTheCountReturns) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    const long before = gdi::LiveObjects();
    for (int run = 0; run < 2; ++run) {
        RegisterSkinClasses(module);
        WNDCLASSA found = {};
        EXPECT_TRUE(GetClassInfoA(module, "ContainerLinkC", &found));
        EXPECT_NE(SkinBackgroundBrush, nullptr);
        HWND parent = gui::SharedTestParent();
        SetUpDialogResources(parent, module);
        EXPECT_NE(rotorTexture, nullptr);
        EXPECT_NE(sharedBoldFont, nullptr);
        EXPECT_GT(gdi::LiveObjects(), before);
        HWND button = CreateWindowExA(0, "MacStyleBtn", "", WS_CHILD | WS_VISIBLE, 0, 0, 60, 24, parent, nullptr,
                                      module, nullptr);
        gui::CaptureWindow(button);
        gui::ClearTestParent(parent);
        ReleaseDialogResources();
        UnregisterSkinClasses(module);
        EXPECT_FALSE(GetClassInfoA(module, "Rotor CPP", &found));
        EXPECT_FALSE(GetClassInfoA(module, "MacStyleBtn", &found));
        EXPECT_EQ(gdi::LiveObjects(), before);
    }
    // A second deletion of a handle does no harm and does not disturb the count.
    HBRUSH brush = gdi::CreateBrush(RGB(1, 2, 3));
    gdi::Delete(brush);
    gdi::Delete(brush);
    EXPECT_EQ(gdi::LiveObjects(), before);
}

TEST(SkinFramework, BoldFontFollowsTheResolution) {
    EXPECT_EQ(BoldFontHeight(96), 13);
    EXPECT_EQ(BoldFontHeight(72), 13);
    EXPECT_EQ(BoldFontHeight(120), 14);
    EXPECT_EQ(BoldFontHeight(144), 15);
}

TEST(SkinFramework, RotorTextureIsTopRowFirstInRedGreenBlue) {
    ASSERT_TRUE(LoadRotorTexture(GetModuleHandleA(nullptr), 108));
    ASSERT_NE(rotorTexture, nullptr);
    // The generated texture is grey with a slight blue tint: blue is the largest component.
    const uint8_t* centre = rotorTexture + (36 * kRotorTextureSize + 36) * 3;
    EXPECT_LT(centre[0], centre[2]);
    ReleaseRotorTexture();
    EXPECT_EQ(rotorTexture, nullptr);
    EXPECT_FALSE(LoadRotorTexture(GetModuleHandleA(nullptr), 4242));
}
