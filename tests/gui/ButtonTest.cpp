// Buttons, pictures and captions: the Mac-style button, the bitmap buttons of the top bar, the
// link, the "Contaner CPP" caption, the picture panel and the colour swatch.
#include "SkinFixture.h"

#include <algorithm>
#include <cstdlib>

namespace {

class ButtonTest : public SkinTest {
protected:
    MacStyleBtnRecord* MacButton(int id, int x, int y, int width, int height, const char* text, bool isDefault) {
        Create("MacStyleBtn", id, x, y, width, height);
        return AttachMacStyleBtn(parent_, id, text, isDefault);
    }

    TControlButton* BitmapButton(int id, int x, int y, int width, int height) {
        HWND window = Create("Control Button CPP", id, x, y, width, height);
        auto* button = static_cast<TControlButton*>(GetControlObject(window, "Control Button CPP"));
        SetButtonBitmaps(button, 228, 227, 228, 0);
        return button;
    }
};

// How far two pictures of the same size are apart: the largest channel difference of each
// pixel, averaged over the picture.
double MeanDifference(const gui::Image& a, const gui::Image& b) {
    double sum = 0.0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            int largest = 0;
            for (int k = 0; k < 3; ++k)
                largest = std::max(largest, std::abs(a.at(x, y)[k] - b.at(x, y)[k]));
            sum += largest;
        }
    return sum / (double(a.width) * double(a.height));
}

} // namespace

TEST_F(ButtonTest, MacStyleButtonStatesAndClick) {
    MacStyleBtnRecord* ok = MacButton(1, 10, 10, 90, 24, "OK", true);
    MacStyleBtnRecord* cancel = MacButton(2, 110, 10, 90, 24, "Cancel", false);
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(ok->state, 3);
    EXPECT_EQ(cancel->state, 0);
    ExpectLooksLike(ok->window, "mac_button_default");
    ExpectLooksLike(cancel->window, "mac_button_normal");

    gui::MouseMove(cancel->window, 20, 10, false);
    EXPECT_EQ(cancel->state, 1);
    ExpectLooksLike(cancel->window, "mac_button_hot");
    gui::MouseDown(cancel->window, 20, 10);
    EXPECT_EQ(cancel->state, 2);
    ExpectLooksLike(cancel->window, "mac_button_pressed");
    gui::MouseUp(cancel->window, 20, 10);
    EXPECT_EQ(cancel->state, 0);
    EXPECT_EQ(GetFocus(), cancel->window);
    ASSERT_EQ(gui::Log().Commands(2).size(), 1u);

    // The default button returns to its default look after hovering.
    gui::MouseMove(ok->window, 20, 10, false);
    EXPECT_EQ(ok->state, 1);
    gui::MouseMove(ok->window, 200, 10, false);
    EXPECT_EQ(ok->state, 3);
    EXPECT_TRUE(gui::Log().Commands(1).empty());
}

TEST_F(ButtonTest, MacStyleButtonClicksOnlyWhenPressedAndReleasedOnIt) {
    // Real input: the system decides where each message goes and who holds the mouse.
    MacStyleBtnRecord* ok = MacButton(1, 200, 100, 90, 22, "OK", true);
    ASSERT_NE(ok, nullptr);
    // Pressed on the background, dragged onto the button, released there: no click.
    gui::PointerDrag(parent_, 20, 20, 40, 10, false, 4, ok->window);
    EXPECT_TRUE(gui::Log().Commands(1).empty()) << "a press elsewhere must not click the button";
    EXPECT_EQ(ok->state, 3);
    EXPECT_NE(GetCapture(), ok->window);
    // Pressed on it and released outside: no click either.
    gui::PointerDrag(ok->window, 40, 10, 150, 10);
    EXPECT_TRUE(gui::Log().Commands(1).empty()) << "a release away from the button cancels the click";
    // Pressed, dragged out and back in, released on it: one click, and the face showed it.
    gui::PointerDown(ok->window, 40, 10);
    EXPECT_EQ(ok->state, 2);
    gui::PointerMove(ok->window, 150, 10);
    EXPECT_EQ(ok->state, 3) << "outside, the face says a release would not click";
    gui::PointerMove(ok->window, 45, 12);
    EXPECT_EQ(ok->state, 2);
    gui::PointerUp(ok->window, 45, 12);
    gui::Pump();
    EXPECT_EQ(gui::Log().Commands(1).size(), 1u);
    EXPECT_EQ(GetFocus(), ok->window);
}

TEST_F(ButtonTest, MacStyleFacesFitTheirHeightAndStatesDiffer) {
    // The dialogs lay their buttons out 22 pixels high: the face is squeezed, not cut.
    MacStyleBtnRecord* full = MacButton(1, 10, 10, 90, 24, nullptr, false);
    MacStyleBtnRecord* low = MacButton(2, 110, 10, 90, 22, nullptr, false);
    ASSERT_NE(full, nullptr);
    ASSERT_NE(low, nullptr);
    const gui::Image fullFace = gui::CaptureWindow(full->window);
    const gui::Image lowFace = gui::CaptureWindow(low->window);
    ASSERT_EQ(lowFace.height, 22);
    for (int x : {2, 9, 45, 80, 87}) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(lowFace.at(x, 21)[k], fullFace.at(x, 23)[k], 8) << "bottom rim at x " << x;
            EXPECT_NEAR(lowFace.at(x, 20)[k], fullFace.at(x, 22)[k], 8) << "bottom rim at x " << x;
            EXPECT_NEAR(lowFace.at(x, 0)[k], fullFace.at(x, 0)[k], 8) << "top rim at x " << x;
        }
    }
    // Every state has a look of its own: the idle default button is not the hovered one.
    const auto face = [&](uint8_t state) {
        full->state = state;
        return gui::CaptureWindow(full->window);
    };
    const gui::Image looks[4] = {face(0), face(1), face(2), face(3)};
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_GE(MeanDifference(looks[a], looks[b]), 20.0) << "states " << a << " and " << b << " look alike";
}

TEST_F(ButtonTest, DisabledMacStyleButtonIgnoresHovering) {
    MacStyleBtnRecord* button = MacButton(1300, 10, 10, 90, 24, "Save", false);
    ASSERT_NE(button, nullptr);
    EnableWindow(button->window, FALSE);
    SendMessageA(button->window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    EXPECT_EQ(button->state, 0);
    EXPECT_EQ(button->enabled, 0);
    ExpectLooksLike(button->window, "mac_button_disabled");
}

TEST_F(ButtonTest, MacStyleButtonShapes) {
    // Taller than the face: the background shows below it. 36 wide: no middle, caption centred.
    MacStyleBtnRecord* tall = MacButton(1000, 10, 10, 60, 30, "+", false);
    MacStyleBtnRecord* small = MacButton(1001, 80, 10, 36, 24, "-", false);
    ASSERT_NE(tall, nullptr);
    ASSERT_NE(small, nullptr);
    const gui::Image image = gui::CaptureWindow(tall->window);
    const uint8_t* below = image.at(30, 28);
    EXPECT_EQ(below[0], 232);
    EXPECT_EQ(below[1], 232);
    EXPECT_EQ(below[2], 232);
    ExpectLooksLike(tall->window, "mac_button_tall");
    ExpectLooksLike(small->window, "mac_button_narrow");
    // Attaching to something that is not a Mac-style button gives nothing.
    Create("Contaner CPP", 1002, 10, 60, 30, 20);
    EXPECT_EQ(AttachMacStyleBtn(parent_, 1002, "x", false), nullptr);
    EXPECT_EQ(AttachMacStyleBtn(parent_, 4711, "x", false), nullptr);
}

TEST_F(ButtonTest, BitmapButtonHoverAndClick) {
    TControlButton* button = BitmapButton(1777, 10, 10, 42, 17);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->bitmaps[0], nullptr);
    ExpectLooksLike(button->window, "help_button_normal");
    gui::MouseMove(button->window, 10, 5, false);
    EXPECT_EQ(button->visualState, 1);
    ExpectLooksLike(button->window, "help_button_hot");
    // The right and bottom edges still count as inside.
    gui::MouseMove(button->window, 42, 17, false);
    EXPECT_EQ(button->visualState, 1);
    gui::MouseMove(button->window, 43, 5, false);
    EXPECT_EQ(button->visualState, 0);
    EXPECT_TRUE(gui::Log().Commands().empty()) << "hovering sends nothing";

    // Pressed, dragged outside and released: still a click.
    gui::MouseDown(button->window, 10, 5);
    EXPECT_EQ(button->visualState, 2);
    gui::MouseMove(button->window, 300, 5, true);
    EXPECT_EQ(button->visualState, 2);
    gui::MouseUp(button->window, 300, 5);
    EXPECT_EQ(button->visualState, 0);
    EXPECT_EQ(gui::Log().Commands(1777).size(), 1u);
}

TEST_F(ButtonTest, ToggleButtonAndDisabledFace) {
    TControlButton* button = BitmapButton(1156, 10, 10, 33, 25);
    SetButtonBitmaps(button, 226, 217, 225, 0);
    button->imageMode = 1;
    gui::Click(button->window, 5, 5);
    EXPECT_EQ(button->checked, 1);
    ExpectLooksLike(button->window, "initials_toggle_checked");
    gui::Click(button->window, 5, 5);
    EXPECT_EQ(button->checked, 0);
    // Without a disabled bitmap a disabled button keeps its ordinary face.
    button->enabled = 0;
    ExpectLooksLike(button->window, "initials_normal");
    EXPECT_EQ(gui::Log().Commands(1156).size(), 2u);
}

TEST_F(ButtonTest, AnimatedButtonStaysHotUntilItsLeaveTimer) {
    HWND window = Create("Control Button CPP", 1154, 10, 10, 303, 30);
    auto* old = static_cast<TControlButton*>(GetControlObject(window, "Control Button CPP"));
    auto* about = new TControlButtonAnimated(old);
    EXPECT_EQ(GetControlObject(window, "Control Button CPP"), about);
    EXPECT_EQ(about->width, 303);
    EXPECT_EQ(about->id, 1154);
    SetButtonBitmaps(about, 232, 231, 232, 0);
    gui::MouseMove(window, 100, 10, false);
    EXPECT_EQ(about->visualState, 1);
    ExpectLooksLike(window, "about_button_hot");
    gui::MouseMove(window, 400, 10, false);
    EXPECT_EQ(about->visualState, 1) << "the hot look outlasts the pointer";
    // Without frames the leave sequence ends with the next frame tick, before the 500 ms timer.
    ASSERT_TRUE(gui::PumpPastTimer(window, 1));
    EXPECT_EQ(about->visualState, 0);
    EXPECT_EQ(about->phase, 0);
    ExpectLooksLike(window, "about_button_normal");
    gui::Click(window, 100, 10);
    EXPECT_EQ(gui::Log().Commands(1154).size(), 1u);
}

TEST_F(ButtonTest, PicturePanelShowsItsBitmap) {
    HWND bar = Create("Control CPP", 1163, 0, 0, 472, 46);
    auto* picture = static_cast<TControl*>(GetControlObject(bar, "Control CPP"));
    ASSERT_NE(picture, nullptr);
    picture->image = gdi::LoadBitmapResource(module_, 230);
    picture->imageMode = 1;
    ExpectLooksLike(bar, "top_bar_left");
    // A command from a child is passed on to the parent.
    SendMessageA(bar, WM_COMMAND, 77, 0);
    EXPECT_EQ(gui::Log().Commands(77).size(), 1u);
}

TEST_F(ButtonTest, LinkNotifiesOnlyWhenActive) {
    Create("ContainerLinkC", 1200, 10, 10, 160, 20);
    Create("ContainerLinkC", 1201, 10, 40, 60, 20);
    ContainerLinkRecord* link = AttachContainerLink(parent_, 1200, "www.example.org", true, false);
    ContainerLinkRecord* plain = AttachContainerLink(parent_, 1201, "A caption much wider", false, true);
    ASSERT_NE(link, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(link->kind, 5);
    ExpectLooksLike(link->window, "link_active", 12);
    ExpectLooksLike(plain->window, "link_plain_left", 12);
    gui::MouseDown(link->window, 10, 10);
    EXPECT_EQ(gui::Log().Commands(1200).size(), 1u);
    gui::MouseDown(plain->window, 10, 10);
    EXPECT_TRUE(gui::Log().Commands(1201).empty());
    EXPECT_EQ(AttachContainerLink(parent_, 4711, "x", true, false), nullptr);
}

TEST_F(ButtonTest, ContanerLinkCaptionAndFrame) {
    HWND window = Create("Contaner CPP", 1300, 10, 10, 120, 20);
    auto* caption = static_cast<TContaner*>(GetControlObject(window, "Contaner CPP"));
    caption->kind = 5;
    caption->SetText("Caption link");
    ExpectLooksLike(window, "contaner_link", 12);
    gui::Click(window, 10, 10);
    EXPECT_EQ(gui::Log().Commands(1300).size(), 1u);

    HWND framed = Create("Contaner CPP", 1301, 10, 40, 120, 20);
    auto* frame = static_cast<TContaner*>(GetControlObject(framed, "Contaner CPP"));
    frame->kind = 4;
    frame->textColour = RGB(0, 0, 120);
    frame->enabled = 0;
    frame->SetText("Framed");
    ExpectLooksLike(framed, "contaner_framed_disabled", 12);
}

TEST_F(ButtonTest, ColourSwatchLooks) {
    HWND window = Create("Contaner Color CPP", 1400, 10, 10, 40, 20);
    auto* swatch = static_cast<TColorSwatch*>(GetControlObject(window, "Contaner Color CPP"));
    ASSERT_NE(swatch, nullptr);
    HWND companion = Create("Contaner CPP", 1401, 60, 10, 40, 20);
    swatch->colour = RGB(200, 40, 40);
    swatch->companion = companion;
    ExpectLooksLike(window, "swatch_normal");
    gui::MouseMove(window, 5, 5, false);
    EXPECT_EQ(swatch->hot, 1);
    ExpectLooksLike(window, "swatch_hot");
    gui::MouseMove(window, 100, 5, false);
    EXPECT_EQ(swatch->hot, 0);
    EnableWindow(window, FALSE);
    EXPECT_FALSE(IsWindowEnabled(companion));
    ExpectLooksLike(window, "swatch_disabled");
}

TEST_F(ButtonTest, ColourSwatchAsksTheSystemColourDialog) {
    HWND window = Create("Contaner Color CPP", 1400, 10, 10, 40, 20);
    auto* swatch = static_cast<TColorSwatch*>(GetControlObject(window, "Contaner Color CPP"));
    ASSERT_NE(swatch, nullptr);
    swatch->colour = RGB(10, 120, 200);
    gui::WhenWindowAppears("Color", [](HWND dialog) { SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0); });
    gui::Click(window, 5, 5);
    ASSERT_TRUE(gui::WindowActionDone());
    gui::Pump();
    EXPECT_TRUE(gui::Log().Commands(1400).empty()) << "nothing chosen, nothing reported";
    EXPECT_EQ(swatch->hot, 0);
    gui::WhenWindowAppears("Color", [](HWND dialog) { SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0); });
    gui::Click(window, 5, 5);
    ASSERT_TRUE(gui::WindowActionDone());
    gui::Pump();
    EXPECT_EQ(gui::Log().Commands(1400).size(), 1u);
    EXPECT_EQ(swatch->colour, RGB(10, 120, 200));
}
