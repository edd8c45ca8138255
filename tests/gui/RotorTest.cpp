// The rotor: conversions between positions and angles, the pointer, the click and double click
// notifications, the disabled look and the "Set value" dialog in its rotor form.
#include "SkinFixture.h"

#include <cmath>
#include <string>

namespace {

constexpr int kRotorId = 1935;

class RotorTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        window_ = Create("Rotor CPP", kRotorId, 10, 10, 101, 101);
        rotor_ = static_cast<TRotor*>(GetControlObject(window_, "Rotor CPP"));
        ASSERT_NE(rotor_, nullptr);
        fieldX_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 130, 10, 70, 20, parent_,
                                  reinterpret_cast<HMENU>(1036), module_, nullptr);
        fieldY_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 130, 40, 70, 20, parent_,
                                  reinterpret_cast<HMENU>(1037), module_, nullptr);
        // As the parameter panel configures its offset rotor.
        rotor_->showPosition = 1;
        rotor_->defaultX = 0;
        rotor_->defaultY = 0;
        rotor_->name = "Offset position";
        rotor_->field1 = fieldX_;
        rotor_->field2 = fieldY_;
        gui::Log().Clear();
    }

    std::string Field(HWND field) {
        char text[32] = {};
        GetWindowTextA(field, text, sizeof text);
        return text;
    }

    HWND window_ = nullptr;
    HWND fieldX_ = nullptr;
    HWND fieldY_ = nullptr;
    TRotor* rotor_ = nullptr;
};

} // namespace

TEST_F(RotorTest, PositionsMapOntoTheDiscAndBack) {
    SetRotorPosition(rotor_, 0, 0);
    EXPECT_NEAR(rotor_->elevation, 90, 1e-4);
    EXPECT_EQ(Field(fieldX_), "0.00");
    EXPECT_EQ(Field(fieldY_), "0.00") << "no negative zero";

    SetRotorPosition(rotor_, 100, 0);
    EXPECT_NEAR(rotor_->azimuth, 0, 1e-4);
    EXPECT_NEAR(rotor_->elevation, 0, 1e-3);

    // The square's corner lands on the rim, down and to the right.
    SetRotorPosition(rotor_, 100, 100);
    EXPECT_NEAR(rotor_->azimuth, -45, 1e-4);
    EXPECT_NEAR(rotor_->elevation, 0, 0.05);

    const float points[][2] = {{37, -12}, {-80, 55}, {-100, -100}, {3, 99}, {-64, 0}};
    for (const auto& p : points) {
        SetRotorPosition(rotor_, p[0], p[1]);
        float x = 0, y = 0;
        RotorPosition(rotor_, &x, &y);
        // y of the position grows upwards, y given to SetRotorPosition downwards.
        EXPECT_NEAR(x, p[0], 0.05) << p[0] << "," << p[1];
        EXPECT_NEAR(y, -p[1], 0.05) << p[0] << "," << p[1];
    }
    EXPECT_TRUE(gui::Log().Commands(kRotorId).empty()) << "the program's own changes are not reported";
}

TEST_F(RotorTest, PointerAnglesFollowTheScreen) {
    float azimuth = 12, elevation = 0;
    // Below and to the right on the diagonal.
    RotorAnglesAt(rotor_, 50 + 20, 50 + 20, &azimuth, &elevation);
    EXPECT_NEAR(azimuth, -45, 1e-4);
    EXPECT_NEAR(elevation, std::acos(std::sqrt(800.0) / 48.0) * 180 / 3.14159265358979, 1e-3);
    RotorAnglesAt(rotor_, 50, 10, &azimuth, &elevation);
    EXPECT_NEAR(azimuth, 90, 1e-4) << "up";
    RotorAnglesAt(rotor_, 10, 52, &azimuth, &elevation);
    EXPECT_NEAR(azimuth, -180 + std::atan(2.0 / 40.0) * 180 / 3.14159265358979, 1e-3) << "left, a little below";
    // On the centre's row the previous angle stays; outside the rim the elevation is 0.
    azimuth = 33;
    RotorAnglesAt(rotor_, 100, 50, &azimuth, &elevation);
    EXPECT_FLOAT_EQ(azimuth, 33);
    EXPECT_FLOAT_EQ(elevation, 0);
    // -45 and 315 show the same position.
    float x1, y1, x2, y2;
    SetRotorAngles(rotor_, -45, 30);
    RotorPosition(rotor_, &x1, &y1);
    SetRotorAngles(rotor_, 315, 30);
    RotorPosition(rotor_, &x2, &y2);
    EXPECT_NEAR(x1, x2, 1e-3);
    EXPECT_NEAR(y1, y2, 1e-3);
}

TEST_F(RotorTest, ClickNotifiesOnceAfterTheClickTimer) {
    gui::Click(window_, 80, 50 - 30);
    EXPECT_GT(rotor_->azimuth, 0);
    EXPECT_NE(Field(fieldX_), "") << "the fields follow at once";
    EXPECT_TRUE(gui::Log().Commands(kRotorId).empty());
    ASSERT_TRUE(gui::PumpPastTimer(window_, kClickTimer));
    const auto& log = gui::Log();
    ASSERT_EQ(log.Commands(kRotorId).size(), 1u);
    EXPECT_GT(log.CommandIndex(kRotorId), log.TimerIndex(window_, kClickTimer));
}

TEST_F(RotorTest, DoubleClickReturnsToTheCentreWithOneNotification) {
    SetRotorPosition(rotor_, 60, -20);
    gui::DoubleClick(window_, 20, 80);
    ASSERT_TRUE(gui::PumpPastTimer(window_, kClickTimer));
    EXPECT_NEAR(rotor_->elevation, 90, 1e-4);
    EXPECT_EQ(Field(fieldX_), "0.00");
    EXPECT_EQ(gui::Log().Commands(kRotorId).size(), 1u);
}

TEST_F(RotorTest, DragFollowsThePointerAndHoverEndsOutside) {
    gui::MouseDown(window_, 50, 50);
    EXPECT_EQ(rotor_->visualState, 1);
    gui::MouseMove(window_, 90, 50 + 1, true);
    EXPECT_NEAR(rotor_->azimuth, 0, 2);
    gui::MouseUp(window_, 90, 51);
    EXPECT_EQ(rotor_->visualState, 0);
    ASSERT_TRUE(gui::PumpPastTimer(window_, kClickTimer));
    EXPECT_EQ(gui::Log().Commands(kRotorId).size(), 1u);
    gui::MouseMove(window_, 50, 50, false);
    EXPECT_EQ(rotor_->visualState, 1);
    EXPECT_EQ(GetCapture(), window_);
    ExpectLooksLike(window_, "rotor_hover", 20);
    gui::MouseMove(window_, 5, 5, false);
    EXPECT_EQ(rotor_->visualState, 0);
    EXPECT_NE(GetCapture(), window_);
}

TEST_F(RotorTest, OnlyADragBegunOnTheRotorTurnsIt) {
    // Real input: pressed on the parent beside the rotor and dragged across it, the button
    // belongs to that press.
    SetRotorPosition(rotor_, 40, -40);
    const float azimuth = rotor_->azimuth, elevation = rotor_->elevation;
    gui::PointerDrag(parent_, 5, 5, 80, 70, false, 6, window_);
    EXPECT_FLOAT_EQ(rotor_->azimuth, azimuth);
    EXPECT_FLOAT_EQ(rotor_->elevation, elevation);
    EXPECT_FALSE(KillTimer(window_, kClickTimer)) << "the release started a notification";
    EXPECT_TRUE(gui::Log().Commands(kRotorId).empty());
    // Begun on it, the same gesture turns it and is reported once.
    gui::PointerDrag(window_, 50, 50, 80, 70, false, 6);
    ASSERT_TRUE(gui::PumpPastTimer(window_, kClickTimer));
    EXPECT_NE(rotor_->azimuth, azimuth);
    EXPECT_EQ(gui::Log().Commands(kRotorId).size(), 1u);
}

TEST_F(RotorTest, LooksEnabledAndDisabled) {
    SetRotorPosition(rotor_, 40, -40);
    ExpectLooksLike(window_, "rotor_normal", 20);
    EnableWindow(window_, FALSE);
    gui::Pump();
    EXPECT_FALSE(IsWindowEnabled(fieldX_));
    gui::MouseMove(window_, 50, 50, false);
    EXPECT_EQ(rotor_->visualState, 0) << "a disabled rotor takes no hover state";
    ExpectLooksLike(window_, "rotor_disabled", 20);
    EnableWindow(window_, TRUE);
    EXPECT_TRUE(IsWindowEnabled(fieldY_));
}

TEST_F(RotorTest, SetValueDialogTakesTheAnglesAsTyped) {
    SetRotorAngles(rotor_, 10, 20);
    gui::WhenWindowAppears("Set value", [&](HWND dialog) {
        char text[32] = {};
        GetDlgItemTextA(dialog, 15904, text, sizeof text);
        EXPECT_STREQ(text, "Light position");
        GetDlgItemTextA(dialog, 15905, text, sizeof text);
        EXPECT_STREQ(text, "Not limit");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 15908)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 15907)));
        SetDlgItemTextA(dialog, 15906, "-135.5");
        SetDlgItemTextA(dialog, 15907, "45");
        SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
    });
    gui::RightClick(window_, 50, 50);
    ASSERT_TRUE(gui::WindowActionDone());
    gui::Pump();
    EXPECT_FLOAT_EQ(rotor_->azimuth, -135.5f);
    EXPECT_FLOAT_EQ(rotor_->elevation, 45);
    EXPECT_EQ(gui::Log().Commands(kRotorId).size(), 1u);
}
