// The dialog's code linked into the test program and run in-process, so that what it leaves
// behind can be counted: every GDI object it created and every page it obtained must be gone
// once the run has ended.
#include "GuiHarness.h"
#include "controls/GdiObjects.h"
#include "dialog/DialogIds.h"
#include "protocol/InProcessHost.h"

#include <gtest/gtest.h>

TEST(DialogInProcess, AnEditedZoomedAndResizedRunLeavesNoObjectOrPageBehind) {
    platform::SetModuleInstance(GetModuleHandleA(nullptr)); // dialogs and bitmaps are ours
    host::SubstituteHost host;
    host.library().UseEntry(&testing_support::InProcessEntry);
    host.document = host::Document::Make(900, 700, plugInModeRGBColor, true);
    host.document.AddLayerBelow("Below", true, true, 3);
    host.options.neverShowDialog = false;
    host.options.playInfo = plugInDialogDisplay;
    HWND owner = gui::CreateTestParent("Host", 0, 0, 200, 100);
    host.options.ownerWindow = owner;

    const long objectsBefore = gdi::LiveObjects();
    const size_t pagesBefore = platform::PagesInUse();
    bool opened = false;
    gui::WhenWindowAppears("Nimbrook Vortiflux", [&](HWND dialog) {
        opened = true;
        HWND panel = FindWindowExA(dialog, nullptr, "#32770", nullptr);
        gui::TypeText(GetDlgItem(GetDlgItem(panel, IDC_SPIN_VALUE), 1), "60");
        SetFocus(GetDlgItem(dialog, IDOK));
        gui::Click(GetDlgItem(dialog, IDC_ZOOM_OUT), 5, 5);
        gui::RightClick(GetDlgItem(dialog, IDC_MAIN_PANE), 50, 40);
        SetWindowPos(dialog, nullptr, 0, 0, 1010, 720, SWP_NOMOVE | SWP_NOZORDER);
        SendMessageA(dialog, WM_EXITSIZEMOVE, 0, 0);
        gui::Pump();
        EXPECT_GT(gdi::LiveObjects(), objectsBefore);
        gui::Click(GetDlgItem(dialog, IDOK), 10, 10);
    });
    const host::RunResult run = host.RunInteractive();
    EXPECT_TRUE(opened);
    EXPECT_EQ(run.result, noErr);
    EXPECT_EQ(gdi::LiveObjects(), objectsBefore) << "GDI objects left after the dialog";
    EXPECT_EQ(platform::PagesInUse(), pagesBefore) << "pages left after the run";
    DestroyWindow(owner);
    gui::Pump();
}
