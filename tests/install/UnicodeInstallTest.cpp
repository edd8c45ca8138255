// The built plug-in as a user installs it: Vortiflux64.8bf with its Vortiflux\Presets and
// Vortiflux\Help folders, in a folder whose path holds "š", "€", Cyrillic and CJK letters (as
// hosts' plug-in folders sit under the user's own name). A scripted user saves, lists, loads,
// opens folders and deletes in the dialog with real input; the settings file goes beside the
// library and comes back; the manual is asked for by its real path. The test host takes the
// library's message boxes and shell requests (host/DesktopCalls.h).
#include "GuiHarness.h"
#include "RealInput.h"
#include "TempFolder.h"
#include "engine/FilterParameters.h"
#include "host/DesktopCalls.h"
#include "host/SubstituteHost.h"
#include "presets/PresetListIds.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kDialogTitle = "Nimbrook Vortiflux";

// "Plug-ins š€ Жук 漢字" and a few names a user may give.
const std::string kFolderName = "Plug-ins \xC5\xA1\xE2\x82\xAC \xD0\x96\xD1\x83\xD0\xBA \xE6\xBC\xA2\xE5\xAD\x97";
const std::string kPresetName =
    "Caf\xC3\xA9 Blue \xE2\x82\xAC\xC5\xA1 \xD0\x96\xD1\x83\xD0\xBA \xE6\xBC\xA2\xE5\xAD\x97";
const std::wstring kTypedName = L"Caf\u00E9 Blue \u20AC\u0161 \u0416\u0443\u043A \u6F22\u5B57";
const std::string kReddish = "R\xC3\xB6tlich";
const std::string kGlow = "Gl\xC3\xBChen";

std::string Utf8(const std::wstring& text) {
    return fs::path(text).u8string();
}

std::string PluginBesideThisProgram() {
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return (fs::path(buffer).parent_path() / "Vortiflux64.8bf").u8string();
}

std::vector<std::string> ListEntries(HWND list) {
    std::vector<std::string> entries;
    for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        entries.push_back(Utf8(text));
    }
    return entries;
}

int IndexOf(HWND list, const std::string& entry) {
    const std::vector<std::string> entries = ListEntries(list);
    const auto found = std::find(entries.begin(), entries.end(), entry);
    return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
}

// Clicks (or double-clicks) an entry of the list where the user sees it, scrolled into view.
void ClickEntry(HWND list, int index, bool twice = false) {
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    RECT item = {};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const int x = item.left + 30;
    const int y = (item.top + item.bottom) / 2;
    if (twice)
        real_input::DoubleClick(list, x, y);
    else
        real_input::Click(list, x, y);
}

std::string WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)), L'\0');
    GetWindowTextW(window, &text[0], static_cast<int>(text.size() + 1));
    return Utf8(text);
}

class UnicodeInstall : public ::testing::Test {
protected:
    void SetUp() override {
        // The package's layout, in a folder of the user's kind of name.
        library_ = fs::u8path(temp_.folder() + kFolderName);
        const fs::path source = fs::u8path(VORTIFLUX_SOURCE_DIR);
        fs::create_directories(library_ / "Vortiflux" / "Help");
        fs::copy_file(fs::u8path(PluginBesideThisProgram()), library_ / "Vortiflux64.8bf");
        fs::copy(source / "packaging" / "Presets", library_ / "Vortiflux" / "Presets", fs::copy_options::recursive);
        for (const char* page : {"VortifluxManual.html", "VortifluxManual_parameters.html"})
            fs::copy_file(source / "help" / page, library_ / "Vortiflux" / "Help" / page);
        fs::create_directories(user() / fs::u8path(kReddish));
        std::ofstream(user() / fs::u8path(kReddish) / fs::u8path(kGlow + ".vfxpst"), std::ios::binary)
            << "Vortiflux Preset;\ntprP 33\n";

        std::string error;
        ASSERT_TRUE(host.Load((library_ / "Vortiflux64.8bf").u8string(), &error)) << error;
        host.document = host::Document::Make(64, 48, plugInModeRGBColor, false);
        host::ClearDesktopRecord();
    }
    void TearDown() override {
        host.Unload();
        if (owner_ != nullptr)
            DestroyWindow(owner_);
        gui::Pump();
    }

    fs::path user() const { return library_ / "Vortiflux" / "Presets" / "User"; }
    std::string folder() const { return library_.u8string() + "\\"; }

    FilterParameters Live() const {
        FilterParameters params{};
        std::memcpy(&params, host.parametersBytes(), sizeof params);
        return params;
    }

    // Runs the filter with its dialog; `script` acts in the open dialog and ends it.
    void RunDialog(const std::function<void(HWND)>& script) {
        owner_ = gui::CreateTestParent("Host", 0, 0, 200, 100);
        host.options.ownerWindow = owner_;
        host.options.neverShowDialog = false;
        host.options.playInfo = plugInDialogDisplay;
        bool opened = false;
        gui::WhenWindowAppears(kDialogTitle, [&](HWND dialog) {
            opened = true;
            script(dialog);
            if (IsWindow(dialog) && IsWindowVisible(dialog)) {
                ADD_FAILURE() << "the script left the dialog open";
                EndDialog(dialog, IDCANCEL);
            }
        });
        host.RunInteractive();
        EXPECT_TRUE(opened) << "the dialog did not open";
    }

    testing_support::TempFolder temp_;
    fs::path library_;
    host::SubstituteHost host;
    HWND owner_ = nullptr;
};

} // namespace

TEST_F(UnicodeInstall, PresetsFoldersSettingsAndManualWorkUnderAnyFolderName) {
    RunDialog([&](HWND dialog) {
        HWND panel = FindWindowExW(dialog, nullptr, L"#32770", nullptr);
        ASSERT_NE(panel, nullptr);
        HWND list = GetDlgItem(panel, IDC_PRESET_LIST_BOX);
        EXPECT_TRUE(IsWindowUnicode(list)) << "a list that keeps names in the code page loses letters";

        // The shipped presets are found from the library's own path.
        std::vector<std::string> entries = ListEntries(list);
        for (const std::string& folderEntry : {std::string("\tSoft"), std::string("\tWild"), "\t" + kReddish})
            EXPECT_NE(std::find(entries.begin(), entries.end(), folderEntry), entries.end()) << folderEntry;

        // Save: a reserved name is refused with the message, then the name is typed as the user
        // wants it.
        gui::WhenWindowAppears("Save Parameters Preset", [](HWND nameDialog) {
            real_input::TypeIntoDialog(nameDialog, GetDlgItem(nameDialog, IDC_PRESET_NAME_EDIT), L"CON");
            gui::WhenWindowAppears("Save Parameters Preset", [](HWND again) {
                real_input::TypeIntoDialog(again, GetDlgItem(again, IDC_PRESET_NAME_EDIT), kTypedName);
            });
        });
        real_input::ClickCentre(GetDlgItem(panel, IDC_PRESET_SAVE_BUTTON));
        ASSERT_TRUE(gui::PumpUntil([&] { return IndexOf(list, kPresetName) >= 0; })) << "the new preset is listed";
        EXPECT_EQ(ListEntries(list).back(), kPresetName) << "appended, shown as typed";
        EXPECT_TRUE(fs::exists(user() / fs::u8path(kPresetName + ".vfxpst")));
        // A picture to look at (not compared: the glyphs depend on the fonts Wine finds).
        gui::WritePng(gui::ScreenshotFolder() + "/unicode_preset_list.png", gui::CaptureWindow(panel));
        const auto messages = host::DesktopMessages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].caption, "Save Preset Error");
        EXPECT_NE(messages[0].text.find("CON"), std::string::npos) << messages[0].text;

        // Into a folder and out again; a preset inside is loaded from its file.
        ClickEntry(list, IndexOf(list, "\t" + kReddish), true);
        EXPECT_EQ(WindowText(GetDlgItem(panel, IDC_PRESET_FOLDER_TEXT)), kReddish + "\\");
        EXPECT_EQ(ListEntries(list), (std::vector<std::string>{"Default", "\t..", kGlow}));
        ClickEntry(list, 2);
        EXPECT_FLOAT_EQ(Live().proportion, 33);
        ClickEntry(list, 1, true);
        EXPECT_EQ(WindowText(GetDlgItem(panel, IDC_PRESET_FOLDER_TEXT)), "");

        // The saved preset loads (it holds the defaults) and is deleted with its file.
        ClickEntry(list, IndexOf(list, kPresetName));
        EXPECT_FLOAT_EQ(Live().proportion, 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel, IDC_PRESET_DELETE_BUTTON)));
        real_input::ClickCentre(GetDlgItem(panel, IDC_PRESET_DELETE_BUTTON));
        EXPECT_EQ(IndexOf(list, kPresetName), -1);
        EXPECT_FALSE(fs::exists(user() / fs::u8path(kPresetName + ".vfxpst"))) << "Delete removes the file";

        // The manual (F1: its parameters page), by the real path of the installed page.
        real_input::Key(VK_F1);
        EXPECT_TRUE(gui::PumpUntil([] { return !host::ShellRequests().empty(); }));
        EXPECT_EQ(host::ShellRequests(),
                  std::vector<std::string>{"open " + folder() + "Vortiflux\\Help\\VortifluxManual_parameters.html"});

        real_input::ClickCentre(GetDlgItem(dialog, IDOK));
    });

    // The dialog's placement went beside the library; the next Prepare reads what is there.
    const fs::path settings = library_ / "Vortiflux.ini";
    ASSERT_TRUE(fs::exists(settings));
    std::ofstream(settings, std::ios::binary | std::ios::trunc) << "tfeL 123\n poT 45\nhtdW 1111\nthgH 777\n";
    host.options.neverShowDialog = true;
    host.options.playInfo = plugInDialogDontDisplay;
    host.RunInteractive();
    const FilterParameters params = Live();
    EXPECT_EQ(params.windowLeft, 123);
    EXPECT_EQ(params.windowTop, 45);
    EXPECT_EQ(params.windowWidth, 1111);
    EXPECT_EQ(params.windowHeight, 777);
}
