// The spin edit and its Mac-style slider, and the "Set value" dialog in its spin edit form.
#include "SkinFixture.h"

#include <commctrl.h>

#include <string>
#include <utility>

namespace {

constexpr int kSpinId = 2959;
constexpr int kLabelId = 1058;

std::string Text(HWND window) {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class SpinEditTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        label_ = CreateWindowExA(0, "STATIC", "Value", WS_CHILD | WS_VISIBLE, 10, 10, 120, 16, parent_,
                                 reinterpret_cast<HMENU>(kLabelId), module_, nullptr);
        window_ = Create("Spin Edit CPP", kSpinId, 10, 30, 150, 42);
        // As the parameter panel configures "Value".
        spin_ = SetupSpinEdit(parent_, kSpinId, kLabelId, -100, 100, -1000, 1000, "Strength of effect",
                              "Value of the effect", false, true, false, 25);
        ASSERT_NE(spin_, nullptr);
        SetSpinValue(spin_, 10);
        // A second field that can take the focus away from the spin edit's field.
        other_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 200, 30, 60, 20, parent_,
                                 reinterpret_cast<HMENU>(50), module_, nullptr);
        gui::Pump();
        gui::Log().Clear();
    }

    int SliderX(float v) const {
        const float travel = spin_->sliderObject->width - 1.0f - 2.0f * kSliderInset;
        return static_cast<int>((v - spin_->min) * (travel / (spin_->max - spin_->min)) + kSliderInset + 0.5f);
    }

    void Commit(const char* typed) {
        gui::TypeText(spin_->edit, typed);
        SetFocus(other_);
        gui::Pump();
    }

    HWND label_ = nullptr;
    HWND window_ = nullptr;
    HWND other_ = nullptr;
    TSpinEdit* spin_ = nullptr;
};

} // namespace

TEST_F(SpinEditTest, SetUpBuildsTheThreeChildrenAndShowsTheValue) {
    EXPECT_NE(spin_->edit, nullptr);
    EXPECT_NE(spin_->upDown, nullptr);
    EXPECT_NE(spin_->slider, nullptr);
    ASSERT_NE(spin_->sliderObject, nullptr);
    EXPECT_EQ(spin_->sliderObject->embedded, 1);
    EXPECT_EQ(spin_->label, label_);
    EXPECT_STREQ(spin_->name, "Strength of effect");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(spin_->edit, WM_GETFONT, 0, 0)), sharedBoldFont);
    EXPECT_EQ(Text(spin_->edit), "10.00");
    EXPECT_FLOAT_EQ(spin_->sliderObject->value, 10.0f);
    EXPECT_EQ(LOWORD(SendMessageA(spin_->upDown, UDM_GETPOS, 0, 0)), 10);
    ExpectLooksLike(window_, "spin_edit_normal");
}

TEST_F(SpinEditTest, ValuesFromTheProgramWidenTheRangeUpToTheLimits) {
    SetSpinValue(spin_, 150);
    EXPECT_FLOAT_EQ(spin_->max, 150);
    EXPECT_FLOAT_EQ(spin_->sliderObject->max, 150);
    SetSpinValue(spin_, -400);
    EXPECT_FLOAT_EQ(spin_->min, -400);
    // Beyond the absolute limit the range stops at the limit but the value is kept.
    SetSpinValue(spin_, 2500);
    EXPECT_FLOAT_EQ(spin_->max, 1000);
    EXPECT_FLOAT_EQ(spin_->value, 2500);
    EXPECT_EQ(Text(spin_->edit), "2500.00");
    EXPECT_GT(spin_->sliderObject->ThumbPosition(), spin_->sliderObject->width - 1 - kSliderInset);
    EXPECT_TRUE(gui::Log().Commands().empty()) << "the program's own changes are not reported";
}

TEST_F(SpinEditTest, TypedValuesAreClampedAndCommittedWhenTheFieldIsLeft) {
    Commit("250");
    EXPECT_FLOAT_EQ(spin_->value, 100) << "typing does not widen the range";
    EXPECT_EQ(Text(spin_->edit), "100.00");
    auto commands = gui::Log().Commands(kSpinId);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].code, 0);
    EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(spin_->edit));

    gui::Log().Clear();
    Commit("100.005");
    EXPECT_TRUE(gui::Log().Commands(kSpinId).empty()) << "a change of 0.01 or less is no change";

    // A number too large to hold is still beyond one end of the range; "nan" is no number.
    for (const auto& typed : {std::pair<const char*, float>{"1e999", 100.0f}, {"-inf", -100.0f}, {"nan", 0.0f}}) {
        SetSpinValue(spin_, 50);
        gui::Log().Clear();
        Commit(typed.first);
        EXPECT_FLOAT_EQ(spin_->value, typed.second) << typed.first;
        EXPECT_EQ(gui::Log().Commands(kSpinId).size(), 1u) << typed.first;
    }
    Commit("no number");
    EXPECT_FLOAT_EQ(spin_->value, 0);
    EXPECT_EQ(gui::Log().Commands(kSpinId).size(), 1u) << "no change, no second notification";
}

TEST_F(SpinEditTest, EscapeInTheFieldRestoresTheValue) {
    gui::TypeText(spin_->edit, "77");
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(1, 27), reinterpret_cast<LPARAM>(spin_->edit));
    EXPECT_EQ(Text(spin_->edit), "10.00");
    SetFocus(other_);
    gui::Pump();
    EXPECT_FLOAT_EQ(spin_->value, 10);
    EXPECT_TRUE(gui::Log().Commands(kSpinId).empty());
}

TEST_F(SpinEditTest, QuickArrowClicksNotifyOnceAfterTheDelay) {
    SetSpinValue(spin_, 25.37f);
    RECT arrows = {};
    GetClientRect(spin_->upDown, &arrows);
    for (int click = 0; click < 3; ++click)
        gui::Click(spin_->upDown, arrows.right / 2, 2);
    // Float values step from their integer part.
    EXPECT_FLOAT_EQ(spin_->value, 28);
    EXPECT_EQ(Text(spin_->edit), "28.00");
    ASSERT_TRUE(gui::PumpPastTimer(window_, kSpinNotifyTimer));
    const auto& log = gui::Log();
    ASSERT_EQ(log.Commands(kSpinId).size(), 1u);
    EXPECT_GT(log.CommandIndex(kSpinId), log.TimerIndex(window_, kSpinNotifyTimer));
    EXPECT_EQ(spin_->timerPending, 0);
}

TEST_F(SpinEditTest, SliderClickMovesAtOnceAndNotifiesAfterTheClickTimer) {
    HWND slider = spin_->slider;
    const int x = SliderX(50);
    gui::Click(slider, x, 10);
    EXPECT_NEAR(spin_->sliderObject->value, 50, 1.5);
    ASSERT_TRUE(gui::PumpPastTimer(slider, kClickTimer));
    const auto& log = gui::Log();
    ASSERT_EQ(log.Commands(kSpinId).size(), 1u);
    EXPECT_GT(log.CommandIndex(kSpinId), log.TimerIndex(slider, kClickTimer));
    EXPECT_NEAR(spin_->value, 50, 1.5);
    EXPECT_EQ(GetFocus(), spin_->edit) << "the field takes the focus with its text selected";
}

TEST_F(SpinEditTest, SliderDoubleClickRestoresTheDefaultWithOneNotification) {
    HWND slider = spin_->slider;
    gui::DoubleClick(slider, SliderX(-80), 10);
    ASSERT_TRUE(gui::PumpPastTimer(slider, kClickTimer));
    EXPECT_FLOAT_EQ(spin_->value, 25);
    EXPECT_EQ(Text(spin_->edit), "25.00");
    EXPECT_EQ(gui::Log().Commands(kSpinId).size(), 1u);
}

TEST_F(SpinEditTest, DraggingTheSliderFollowsThePointer) {
    HWND slider = spin_->slider;
    gui::MouseDown(slider, SliderX(0), 10);
    gui::MouseMove(slider, SliderX(40), 10, true);
    EXPECT_NEAR(spin_->value, 40, 1.5) << "the field follows while dragging";
    gui::MouseMove(slider, 2000, 10, true);
    EXPECT_FLOAT_EQ(spin_->value, 100) << "the value stays inside the range";
    gui::MouseUp(slider, 2000, 10);
    ASSERT_TRUE(gui::PumpPastTimer(slider, kClickTimer));
    EXPECT_EQ(gui::Log().Commands(kSpinId).size(), 1u);
}

TEST_F(SpinEditTest, TheSliderTakesOnlyADragBegunOnIt) {
    // Real input: a drag begun on the field that ends on the slider moves nothing.
    gui::PointerDrag(spin_->edit, 5, 5, SliderX(80), 10, false, 4, spin_->slider);
    EXPECT_FLOAT_EQ(spin_->value, 10);
    EXPECT_FLOAT_EQ(spin_->sliderObject->value, 10);
    EXPECT_FALSE(KillTimer(spin_->slider, kClickTimer)) << "the release started a notification";
    // Begun on the slider, the thumb follows and the parent hears of it once.
    gui::PointerDrag(spin_->slider, SliderX(10), 10, SliderX(80), 10);
    ASSERT_TRUE(gui::PumpPastTimer(spin_->slider, kClickTimer));
    EXPECT_NEAR(spin_->value, 80, 1.5);
    EXPECT_EQ(gui::Log().Commands(kSpinId).size(), 1u);
}

TEST_F(SpinEditTest, ThumbStaysClearOfTheBorder) {
    // At either end of the range the whole thumb is drawn inside the slider, with the border's
    // colour around it untouched.
    HWND slider = spin_->slider;
    RECT client = {};
    GetClientRect(slider, &client);
    for (float v : {-100.0f, 100.0f}) {
        SetSpinValue(spin_, v);
        const gui::Image image = gui::CaptureWindow(slider);
        // The capture holds the static edge (one pixel) around the client area.
        const int edge = (image.width - int(client.right)) / 2, right = edge + int(client.right);
        for (int y = edge; y < edge + int(client.bottom); ++y)
            for (int x : {edge, edge + 1, right - 2, right - 1})
                EXPECT_EQ(image.at(x, y)[0], 232) << "value " << v << " at " << x << "," << y;
    }
}

TEST_F(SpinEditTest, DisabledSpinEditDisablesItsPartsAndLabel) {
    EnableWindow(window_, FALSE);
    gui::Pump();
    for (HWND part : {spin_->edit, spin_->upDown, spin_->slider, label_})
        EXPECT_FALSE(IsWindowEnabled(part));
    EXPECT_EQ(spin_->sliderObject->enabled, 0);
    ExpectLooksLike(window_, "spin_edit_disabled");
    EnableWindow(window_, TRUE);
    gui::Pump();
    for (HWND part : {spin_->edit, spin_->upDown, spin_->slider, label_})
        EXPECT_TRUE(IsWindowEnabled(part));
}

TEST_F(SpinEditTest, SetValueDialogChangesRangeAndValueOnOk) {
    gui::WhenWindowAppears("Set value", [&](HWND dialog) {
        char text[64] = {};
        GetDlgItemTextA(dialog, 15901, text, sizeof text);
        EXPECT_STREQ(text, "Strength of effect");
        GetDlgItemTextA(dialog, 15904, text, sizeof text);
        EXPECT_STREQ(text, "Float slider");
        GetDlgItemTextA(dialog, 15905, text, sizeof text);
        EXPECT_STREQ(text, "-1000.00 ... 1000.00");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 15907)));
        ExpectLooksLike(dialog, "set_value_dialog_spin_edit", 40);
        // Each field is checked against the others when it is left, so the order matters as it
        // does for a user: first the range, then the value inside it.
        gui::TypeText(GetDlgItem(dialog, 15908), "-300");
        gui::TypeText(GetDlgItem(dialog, 15909), "500");
        gui::TypeText(GetDlgItem(dialog, 15906), "420");
        SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
    });
    gui::RightClick(spin_->slider, 20, 10);
    EXPECT_TRUE(gui::WindowActionDone());
    gui::Pump();
    EXPECT_FLOAT_EQ(spin_->min, -300);
    EXPECT_FLOAT_EQ(spin_->max, 500);
    EXPECT_FLOAT_EQ(spin_->value, 420);
    EXPECT_FLOAT_EQ(spin_->sliderObject->max, 500);
    EXPECT_EQ(Text(spin_->edit), "420.00");
    EXPECT_EQ(gui::Log().Commands(kSpinId).size(), 1u);
}

TEST_F(SpinEditTest, RejectedOkChangesNothing) {
    gui::WhenWindowAppears("Set value", [&](HWND dialog) {
        // A min below the absolute limit is refused together with everything else typed.
        SetDlgItemTextA(dialog, 15908, "-5000");
        SetDlgItemTextA(dialog, 15909, "50");
        SetDlgItemTextA(dialog, 15906, "20");
        SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
        gui::Pump();
        EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
        char text[32] = {};
        GetDlgItemTextA(dialog, 15908, text, sizeof text);
        EXPECT_STREQ(text, "-1000.00") << "the field shows the nearest allowed value";
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 15908));
        EXPECT_FLOAT_EQ(spin_->min, -100);
        // A value outside the new range is refused as well, again without storing the range.
        SetDlgItemTextA(dialog, 15908, "-10");
        SetDlgItemTextA(dialog, 15906, "90");
        SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
        gui::Pump();
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_FLOAT_EQ(spin_->min, -100);
        EXPECT_FLOAT_EQ(spin_->max, 100);
        // A range upside down has no value in it: refused, nothing stored.
        SetDlgItemTextA(dialog, 15908, "60");
        SetDlgItemTextA(dialog, 15909, "20");
        SetDlgItemTextA(dialog, 15906, "40");
        SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
        gui::Pump();
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 15908));
        EXPECT_FLOAT_EQ(spin_->min, -100);
        EXPECT_FLOAT_EQ(spin_->value, 10);
        // A max too large to hold is beyond the limit, not 0: the field offers the limit.
        SetDlgItemTextA(dialog, 15908, "-10");
        SetDlgItemTextA(dialog, 15909, "inf");
        SetDlgItemTextA(dialog, 15906, "40");
        SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
        gui::Pump();
        GetDlgItemTextA(dialog, 15909, text, sizeof text);
        EXPECT_STREQ(text, "1000.00");
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 15909));
        EXPECT_FLOAT_EQ(spin_->max, 100);
        SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
    });
    gui::RightClick(spin_->slider, 20, 10);
    EXPECT_TRUE(gui::WindowActionDone());
    gui::Pump();
    EXPECT_FLOAT_EQ(spin_->min, -100);
    EXPECT_FLOAT_EQ(spin_->max, 100);
    EXPECT_FLOAT_EQ(spin_->value, 10);
    EXPECT_TRUE(gui::Log().Commands(kSpinId).empty());
}

TEST_F(SpinEditTest, EnterAndEscapeInTheDialogsFields) {
    gui::WhenWindowAppears("Set value", [&](HWND dialog) {
        HWND maxField = GetDlgItem(dialog, 15909);
        gui::TypeText(maxField, "-500");
        gui::PressKey(VK_RETURN, dialog);
        EXPECT_TRUE(IsWindow(dialog)) << "Enter in a field moves on instead of closing";
        EXPECT_NE(GetFocus(), maxField);
        char text[32] = {};
        // Leaving the field checked it: a max not above the min falls back to the max.
        GetWindowTextA(maxField, text, sizeof text);
        EXPECT_STREQ(text, "100.00");
        HWND valueField = GetDlgItem(dialog, 15906);
        gui::TypeText(valueField, "33");
        gui::PressKey(VK_ESCAPE, dialog);
        GetWindowTextA(valueField, text, sizeof text);
        EXPECT_STREQ(text, "10.00") << "Escape restores the field";
        EXPECT_TRUE(IsWindow(dialog)) << "and does not close the dialog";
        SetFocus(GetDlgItem(dialog, IDCANCEL));
        gui::PressKey(VK_ESCAPE, dialog);
    });
    gui::RightClick(spin_->slider, 20, 10);
    EXPECT_TRUE(gui::WindowActionDone());
    EXPECT_FLOAT_EQ(spin_->max, 100);
}

TEST_F(SpinEditTest, NoDialogWithoutRangeFollowingValue) {
    HWND fixed = Create("Spin Edit CPP", 2960, 10, 100, 150, 42);
    TSpinEdit* spin = SetupSpinEdit(parent_, 2960, 0, 0, 100, 0, 300, "Fixed", nullptr, true, false, true, 0);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->sliderObject->blueOutline, 0);
    EXPECT_FLOAT_EQ(spin->absMax, 100);
    gui::WhenWindowAppears("Set value", [](HWND dialog) {
        ADD_FAILURE() << "the dialog opened";
        EndDialog(dialog, 2);
    });
    gui::RightClick(spin->slider, 20, 10);
    gui::Pump();
    EXPECT_FALSE(gui::WindowActionDone());
    // Integer mode shows whole numbers.
    SetSpinValue(spin, 42.7f);
    EXPECT_EQ(Text(spin->edit), "42");
    ExpectLooksLike(fixed, "spin_edit_integer_black_outline");
    gui::WhenWindowAppears("nothing", [](HWND) {});
}

TEST_F(SkinTest, SliderWithoutRangeOrRoomStaysAtItsStart) {
    HWND window = Create("Mac Slider CPP", 3, 10, 10, 120, 20);
    auto* slider = static_cast<TMacSlider*>(GetControlObject(window, "Mac Slider CPP"));
    ASSERT_NE(slider, nullptr);
    SetSliderRange(slider, 30, 30);
    EXPECT_FLOAT_EQ(slider->ValueAt(80, 10), 30);
    SetSliderValue(slider, 30, false);
    EXPECT_EQ(slider->ThumbPosition(), kSliderInset);
    gui::Click(window, 80, 10);
    EXPECT_FLOAT_EQ(slider->value, 30);

    HWND narrow = Create("Mac Slider CPP", 4, 10, 40, 8, 20);
    auto* thin = static_cast<TMacSlider*>(GetControlObject(narrow, "Mac Slider CPP"));
    ASSERT_NE(thin, nullptr);
    EXPECT_FLOAT_EQ(thin->ValueAt(6, 10), 0);
    EXPECT_EQ(thin->ThumbPosition(), kSliderInset);
    gui::Click(narrow, 6, 10);
    EXPECT_FLOAT_EQ(thin->value, 0);
    gui::CaptureWindow(narrow); // paints without dividing by zero
}

TEST_F(SkinTest, HorizontalSpinEditKeepsFieldAndArrowsInStep) {
    HWND window = Create("Spin Edit CPP Hor", 7, 10, 10, 220, 24);
    auto* spin = static_cast<TSpinEdit*>(GetControlObject(window, "Spin Edit CPP Hor"));
    ASSERT_NE(spin, nullptr);
    ASSERT_NE(spin->sliderObject, nullptr);
    EXPECT_EQ(spin->horizontal, 1);
    EXPECT_EQ(spin->sliderObject->mode, 2);
    ASSERT_NE(spin->sliderObject->trackbar, nullptr);
    SetSliderRange(spin->sliderObject, 0, 50);
    SetSliderValue(spin->sliderObject, 20, false);
    EXPECT_EQ(SendMessageA(spin->sliderObject->trackbar, TBM_GETPOS, 0, 0), 20);
    EXPECT_EQ(Text(spin->edit), "20");
    EXPECT_EQ(LOWORD(SendMessageA(spin->upDown, UDM_GETPOS, 0, 0)), 20);
    ExpectLooksLike(window, "spin_edit_horizontal", 20);
}
