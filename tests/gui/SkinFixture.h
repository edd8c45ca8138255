#pragma once
// What every test of the skinned controls runs in: the classes registered and the dialog-wide
// resources set up as a dialog run does, a parent window that records notifications, and a
// check that every GDI object the run created was deleted again.

#include "GuiHarness.h"
#include "controls/GdiObjects.h"
#include "controls/SkinControls.h"
#include "controls/SkinResources.h"

#include <gtest/gtest.h>

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = GetModuleHandleA(nullptr);
        liveBefore_ = gdi::LiveObjects();
        RegisterSkinClasses(module_);
        parent_ = gui::SharedTestParent();
        // The pointer a real-input test left over the parent would make new controls hot.
        gui::ParkPointer();
        SetUpDialogResources(parent_, module_);
        gui::Log().Clear();
    }

    void TearDown() override {
        gui::ClearTestParent(parent_);
        ReleaseDialogResources();
        UnregisterSkinClasses(module_);
        EXPECT_EQ(gdi::LiveObjects(), liveBefore_) << "GDI objects left after the dialog run";
    }

    HWND Create(const char* className, int id, int x, int y, int width, int height, void* object = nullptr,
                DWORD style = WS_CHILD | WS_VISIBLE) {
        HWND window = CreateWindowExA(0, className, "", style, x, y, width, height, parent_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_, object);
        gui::Pump();
        return window;
    }

    // Saves a capture of `window` and compares it with its reference.
    void ExpectLooksLike(HWND window, const std::string& name, int pixelAllowance = 4) {
        const gui::Comparison comparison = gui::CheckScreenshot(name, gui::CaptureWindow(window), 8, pixelAllowance);
        EXPECT_TRUE(comparison.matches) << comparison.message;
    }

    HINSTANCE module_ = nullptr;
    HWND parent_ = nullptr;
    long liveBefore_ = 0;
};
