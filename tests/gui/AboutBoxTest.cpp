// The About box from both places it opens (the host's About command and the main dialog's top
// bar), and the shell threads that open the manual and our web pages. The shell's requests are
// taken by the platform layer's request handler instead of starting a browser.
#include "about/AboutBox.h"
#include "SkinFixture.h"
#include "about/AboutIds.h"
#include "about/ShellPages.h"
#include "platform/Platform.h"
#include "plugin/Globals.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex requestsLock;
std::vector<std::string> requests;
// While set, the hook keeps the shell thread inside its "shell call" until the event is set.
HANDLE holdShell = nullptr;

void TakeRequest(const std::string& target) {
    if (holdShell != nullptr)
        WaitForSingleObject(holdShell, 20000);
    std::lock_guard<std::mutex> lock(requestsLock);
    requests.emplace_back(target);
}

std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(requestsLock);
    return requests;
}

class ShellRequests : public ::testing::Test {
protected:
    void SetUp() override {
        requests.clear();
        platform::SetShellRequestHandler(&TakeRequest);
    }
    void TearDown() override {
        if (holdShell != nullptr)
            SetEvent(holdShell);
        EXPECT_TRUE(CloseShellThreads());
        if (holdShell != nullptr)
            CloseHandle(holdShell);
        holdShell = nullptr;
        platform::SetShellRequestHandler(nullptr);
    }
    void HoldShellCalls() { holdShell = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
};

std::string ItemText(HWND box, int id) {
    char text[256] = {};
    GetDlgItemTextA(box, id, text, sizeof text);
    return text;
}

// Checks what the box shows and leaves it open.
void ExpectAboutContents(HWND box) {
    EXPECT_EQ(ItemText(box, IDC_ABOUT_VERSION), "1.0 (64 Bit)");
    auto* link = static_cast<ContainerLinkRecord*>(GetControlObject(GetDlgItem(box, IDC_ABOUT_LINK), "ContainerLinkC"));
    ASSERT_NE(link, nullptr);
    EXPECT_STREQ(link->text, "www.nimbrook.example.com");
    EXPECT_EQ(link->active, 1);
    EXPECT_EQ(link->leftAlign, 1);
    auto* close = static_cast<MacStyleBtnRecord*>(GetControlObject(GetDlgItem(box, IDCANCEL), "MacStyleBtn"));
    ASSERT_NE(close, nullptr);
    EXPECT_STREQ(close->text, "Close");
    EXPECT_EQ(close->state, 0);
}

} // namespace

// From the host's About command no dialog of ours runs: the box brings its own classes and
// releases every GDI object it made.
TEST(AboutBoxFromHost, ShowsVersionAndClosesWithEscapeAndWithClose) {
    HWND hostWindow = gui::SharedTestParent();
    const long liveBefore = gdi::LiveObjects();

    gui::WhenWindowAppears("About", [&](HWND box) {
        ExpectAboutContents(box);
        // A picture to look at, not compared: without a window manager the frame and the
        // balloon tooltips make the capture vary from run to run.
        gui::WritePng(gui::ScreenshotFolder() + "/about_box.png", gui::CaptureWindow(box));
        gui::PressKey(VK_ESCAPE, box);
    });
    EXPECT_EQ(RunAboutBoxFromHost(hostWindow), IDCANCEL);
    EXPECT_TRUE(gui::WindowActionDone());

    gui::WhenWindowAppears("About", [&](HWND box) {
        HWND close = GetDlgItem(box, IDCANCEL);
        gui::MouseMove(close, 20, 8, false);
        gui::Click(close, 20, 8);
    });
    EXPECT_EQ(RunAboutBoxFromHost(hostWindow), IDCANCEL);
    EXPECT_TRUE(gui::WindowActionDone());

    WNDCLASSA unused = {};
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "MacStyleBtn", &unused)) << "class left registered";
    EXPECT_EQ(gdi::LiveObjects(), liveBefore) << "GDI objects left after the About box";
}

// From the main dialog's top bar the classes are those of the running dialog.
TEST_F(SkinTest, AboutBoxOverTheMainDialogClosesWithEnterAndKeepsTheClasses) {
    gui::WhenWindowAppears("About", [&](HWND box) {
        ExpectAboutContents(box);
        EXPECT_EQ(GetWindow(box, GW_OWNER), parent_);
        gui::PressKey(VK_RETURN, box);
    });
    EXPECT_EQ(RunAboutBox(parent_), IDOK);
    EXPECT_TRUE(gui::WindowActionDone());
    WNDCLASSA found = {};
    EXPECT_TRUE(GetClassInfoA(module_, "MacStyleBtn", &found));
}

TEST_F(ShellRequests, LinkOfTheAboutBoxOpensTheHomePage) {
    RegisterSkinClasses(GetModuleHandleA(nullptr));
    gui::WhenWindowAppears("About", [&](HWND box) {
        gui::MouseMove(GetDlgItem(box, IDC_ABOUT_LINK), 10, 6, false);
        gui::MouseDown(GetDlgItem(box, IDC_ABOUT_LINK), 10, 6);
        gui::MouseUp(GetDlgItem(box, IDC_ABOUT_LINK), 10, 6);
        EXPECT_TRUE(gui::PumpUntil([] { return !Requests().empty(); }));
        gui::PressKey(VK_ESCAPE, box);
    });
    EXPECT_EQ(RunAboutBox(gui::SharedTestParent()), IDCANCEL);
    UnregisterSkinClasses(GetModuleHandleA(nullptr));
    EXPECT_TRUE(CloseShellThreads());
    EXPECT_EQ(Requests(), std::vector<std::string>{"http://www.nimbrook.example.com/"});
}

TEST_F(ShellRequests, ManualPagesAndProductPageReachTheShell) {
    OpenManualPage(kManualParametersPage, gui::SharedTestParent());
    EXPECT_TRUE(CloseShellThreads());
    OpenManualPage(kManualMainPage, gui::SharedTestParent());
    EXPECT_TRUE(CloseShellThreads());
    OpenWebPage(kProductPage, nullptr);
    EXPECT_TRUE(CloseShellThreads());

    const std::vector<std::string> seen = Requests();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], HelpFolder + "VortifluxManual_parameters.html");
    EXPECT_EQ(seen[1], HelpFolder + "VortifluxManual.html");
    EXPECT_NE(HelpFolder.find("\\Vortiflux\\Help\\"), std::string::npos) << HelpFolder;
    EXPECT_EQ(seen[2], "http://www.nimbrook.example.com/products/products.php?"
                       "menu=get_prod_id&p_menustate=&prod_id=22");
}

TEST_F(ShellRequests, RequestsWhileTheShellIsBusyAreDropped) {
    HoldShellCalls();
    OpenWebPage(kProductPage, nullptr);
    ASSERT_TRUE(gui::PumpUntil([] { return ShellThreadBusy(); }));
    // F4 pressed again, then F1: both arrive while the first request is inside the shell.
    OpenWebPage(kProductPage, nullptr);
    OpenManualPage(kManualParametersPage, nullptr);
    SetEvent(holdShell);
    EXPECT_TRUE(CloseShellThreads());
    EXPECT_FALSE(ShellThreadBusy());
    EXPECT_EQ(Requests().size(), 1u);

    // Once the shell is done, the next request goes through again.
    OpenManualPage(kManualMainPage, nullptr);
    EXPECT_TRUE(CloseShellThreads());
    EXPECT_EQ(Requests().size(), 2u);
}

TEST_F(ShellRequests, TeardownWaitsForAHangingShellOnlyAsLongAsAllowed) {
    HoldShellCalls();
    OpenManualPage(kManualMainPage, nullptr);
    ASSERT_TRUE(gui::PumpUntil([] { return ShellThreadBusy(); }));
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(CloseShellThreads(200)) << "the thread is still in the shell";
    EXPECT_LT(GetTickCount64() - start, 5000u);
    // The thread goes on by itself and finishes its request later.
    SetEvent(holdShell);
    EXPECT_TRUE(gui::PumpUntil([] { return !ShellThreadBusy() && Requests().size() == 1; }));
}
