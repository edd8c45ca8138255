// The preset list as the user works it: a panel with the list, the folder line, "Save" and
// "Delete" over a window that stands for the main dialog; the name dialog and the overwrite
// warning answered as a user would.
#include "presets/PresetListWindow.h"
#include "../RealInput.h"
#include "../TempFolder.h"
#include "SkinFixture.h"
#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "presets/PresetFile.h"
#include "presets/PresetList.h"
#include "presets/PresetListIds.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class PresetListWindow : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        savedPresets_ = PresetsFolder;
        PresetsFolder = library_.folder();
        currentPresetFolder.clear();
        std::filesystem::create_directories(library_.folder() + "User");
        savedParams_ = gParams;
        gParams = &parameters_;
        InitParameters();
        // Unicode windows, as the parameter panel's.
        panel_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 300, parent_, nullptr, module_,
                                 nullptr);
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 5, 5, 200, 14, panel_,
                        reinterpret_cast<HMENU>(IDC_PRESET_FOLDER_TEXT), module_, nullptr);
        list_ = CreateWindowExW(
            0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_VSCROLL,
            5, 20, 200, 200, panel_, reinterpret_cast<HMENU>(IDC_PRESET_LIST_BOX), module_, nullptr);
        for (int id : {IDC_PRESET_SAVE_BUTTON, IDC_PRESET_DELETE_BUTTON})
            CreateWindowExA(0, "MacStyleBtn", "", WS_CHILD | WS_VISIBLE, id == IDC_PRESET_SAVE_BUTTON ? 5 : 100, 230,
                            80, 24, panel_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_, nullptr);
        AttachMacStyleBtn(panel_, IDC_PRESET_SAVE_BUTTON, "Save", false);
        AttachMacStyleBtn(panel_, IDC_PRESET_DELETE_BUTTON, "Delete", false);
    }
    void TearDown() override {
        DestroyWindow(panel_);
        gParams = savedParams_;
        PresetsFolder = savedPresets_;
        currentPresetFolder.clear();
        SkinTest::TearDown();
    }

    void Preset(const std::string& relative, float proportion) {
        library_.Write("User/" + relative, "Vortiflux Preset;\ntprP " + std::to_string(proportion) + "\n");
    }
    // The entries as the list holds them (UTF-16), in UTF-8.
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        wchar_t text[256];
        for (LRESULT i = 0, n = SendMessageW(list_, LB_GETCOUNT, 0, 0); i < n; ++i) {
            const LRESULT length = SendMessageW(list_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            std::string entry;
            EXPECT_TRUE(platform::ToUtf8(text, static_cast<size_t>(length), &entry));
            entries.push_back(entry);
        }
        return entries;
    }
    int IndexOf(const std::string& entry) const {
        const std::vector<std::string> entries = Entries();
        const auto found = std::find(entries.begin(), entries.end(), entry);
        return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
    }
    bool Pick(int index, int code = LBN_SELCHANGE) {
        SendMessageA(list_, LB_SETCURSEL, index, 0);
        return HandlePresetListCommand(panel_, IDC_PRESET_LIST_BOX, code);
    }
    bool DeleteEnabled() const { return IsWindowEnabled(GetDlgItem(panel_, IDC_PRESET_DELETE_BUTTON)) != FALSE; }
    std::string FolderLine() const {
        wchar_t text[300] = {};
        const UINT length = GetDlgItemTextW(panel_, IDC_PRESET_FOLDER_TEXT, text, 300);
        std::string line;
        EXPECT_TRUE(platform::ToUtf8(text, length, &line));
        return line;
    }
    // Types `name` into the name dialog when it appears and saves, then runs `next`.
    void TypeNameThen(const std::string& name, std::function<void()> next = nullptr) {
        gui::WhenWindowAppears("Save Parameters Preset", [name, next](HWND dialog) {
            gui::TypeText(GetDlgItem(dialog, IDC_PRESET_NAME_EDIT), name.c_str());
            if (next)
                next();
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
    }
    static void AnswerWarning(int button, std::function<void()> next = nullptr) {
        gui::WhenWindowAppears("File Save Warning", [button, next](HWND box) {
            if (next)
                next();
            PostMessageA(box, WM_COMMAND, button, 0);
        });
    }

    testing_support::TempFolder library_;
    std::string savedPresets_;
    FilterParameters parameters_{};
    FilterParameters* savedParams_ = nullptr;
    HWND panel_ = nullptr;
    HWND list_ = nullptr;
};

} // namespace

TEST_F(PresetListWindow, FoldersOpenByDoubleClickAndTheFolderLineFollows) {
    SetUpPresetPanel(panel_, nullptr);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Default"});
    EXPECT_FALSE(DeleteEnabled());

    std::filesystem::create_directories(library_.folder() + "User\\Soft");
    Preset("Soft\\Calm.VFXPST", 10);
    ClearPresetList(list_);
    FillPresetList(list_);
    ASSERT_EQ(Entries(), (std::vector<std::string>{"Default", "\tSoft"}));

    EXPECT_FALSE(Pick(1)) << "a single click on a folder applies nothing";
    EXPECT_FALSE(DeleteEnabled());
    Pick(1, LBN_DBLCLK);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Default", "\t..", "Calm"}));
    EXPECT_EQ(FolderLine(), "Soft\\");
    Pick(1, LBN_DBLCLK);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Default", "\tSoft"}));
    EXPECT_EQ(FolderLine(), "");

    // A folder whose path would not fit is not entered; the list stays.
    const std::string deep(250, 'd');
    currentPresetFolder = deep + "\\";
    ClearPresetList(list_);
    SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("\tTooFar"));
    Pick(0, LBN_DBLCLK);
    EXPECT_EQ(currentPresetFolder, deep + "\\");
    EXPECT_EQ(Entries(), std::vector<std::string>{"\tTooFar"});
}

TEST_F(PresetListWindow, PickingAppliesPresetsAndDefaultKeepsThePlacement) {
    Preset("Stretch.vfxpst", 50);
    library_.Write("User/Broken.vfxpst", "not a preset\ntprP 70\n");
    SetUpPresetPanel(panel_, nullptr);
    parameters_.windowLeft = 321;

    EXPECT_TRUE(Pick(static_cast<int>(SendMessageA(list_, LB_FINDSTRINGEXACT, -1, (LPARAM) "Stretch"))));
    EXPECT_FLOAT_EQ(parameters_.proportion, 50);
    EXPECT_TRUE(DeleteEnabled());

    EXPECT_FALSE(Pick(static_cast<int>(SendMessageA(list_, LB_FINDSTRINGEXACT, -1, (LPARAM) "Broken"))));
    EXPECT_FLOAT_EQ(parameters_.proportion, 50) << "a file that is no preset is not applied";
    EXPECT_TRUE(DeleteEnabled());
    EXPECT_TRUE(IsWindowEnabled(parent_)) << "the main dialog takes input again";

    parameters_.value = 80;
    EXPECT_TRUE(Pick(0));
    EXPECT_FLOAT_EQ(parameters_.value, 25);
    EXPECT_FLOAT_EQ(parameters_.proportion, 0);
    EXPECT_EQ(parameters_.windowLeft, 321);
}

TEST_F(PresetListWindow, SavingANewNameAppendsIt) {
    Preset("Zebra.vfxpst", 1);
    SetUpPresetPanel(panel_, nullptr);
    parameters_.size = 42;
    TypeNameThen("Aardvark");
    HandlePresetListCommand(panel_, IDC_PRESET_SAVE_BUTTON, 0);
    EXPECT_TRUE(gui::WindowActionDone());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Default", "Zebra", "Aardvark"}));
    EXPECT_NE(library_.Read("User/Aardvark.vfxpst").find("eziS 42.00"), std::string::npos);
    EXPECT_EQ(SendMessageA(list_, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(PresetListWindow, SavingOverAnExistingNameWarnsNoAsksAgainYesReplaces) {
    Preset("Mine.vfxpst", 1);
    SetUpPresetPanel(panel_, nullptr);
    parameters_.proportion = 77;
    // The warning needs real message boxes, answered below.
    platform::SetMessageBoxesShown(true);
    TypeNameThen("Mine",
                 [this] { AnswerWarning(IDNO, [this] { TypeNameThen("Mine", [] { AnswerWarning(IDYES); }); }); });
    HandlePresetListCommand(panel_, IDC_PRESET_SAVE_BUTTON, 0);
    platform::SetMessageBoxesShown(false);
    EXPECT_TRUE(gui::WindowActionDone());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Default", "Mine"})) << "no second entry";
    EXPECT_NE(library_.Read("User/Mine.vfxpst").find("tprP 77.00"), std::string::npos);
}

TEST_F(PresetListWindow, NamesThatWouldLeaveTheFolderAreRefused) {
    SetUpPresetPanel(panel_, nullptr);
    platform::ClearRecordedMessages();
    TypeNameThen("..\\..\\escape", [] {
        // Refused with a message, then asked again: cancel the second time.
        gui::WhenWindowAppears("Save Parameters Preset",
                               [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    });
    HandlePresetListCommand(panel_, IDC_PRESET_SAVE_BUTTON, 0);
    const auto messages = platform::RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Save Preset Error");
    EXPECT_EQ(Entries(), std::vector<std::string>{"Default"});
    EXPECT_FALSE(std::filesystem::exists(library_.folder() + "escape.vfxpst"));
}

TEST_F(PresetListWindow, DeletingInsideASubFolderDeletesThatFile) {
    std::filesystem::create_directories(library_.folder() + "User\\Wild");
    Preset("Wild\\Storm.vfxpst", 5);
    Preset("Storm.vfxpst", 6);
    SetUpPresetPanel(panel_, nullptr);
    Pick(1, LBN_DBLCLK);
    ASSERT_EQ(Entries(), (std::vector<std::string>{"Default", "\t..", "Storm"}));
    Pick(2);
    HandlePresetListCommand(panel_, IDC_PRESET_DELETE_BUTTON, 0);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Default", "\t.."}));
    EXPECT_FALSE(DeleteEnabled());
    EXPECT_FALSE(std::filesystem::exists(library_.folder() + "User\\Wild\\Storm.vfxpst"));
    EXPECT_TRUE(std::filesystem::exists(library_.folder() + "User\\Storm.vfxpst"));
}

TEST_F(PresetListWindow, EntriesDrawWithoutLeavingGdiObjects) {
    std::filesystem::create_directories(library_.folder() + "User\\Soft");
    Preset("Calm.vfxpst", 1);
    SetUpPresetPanel(panel_, nullptr);
    HDC dc = GetDC(list_);
    for (UINT index = 0; index < 3; ++index) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_LISTBOX;
        item.itemID = index;
        item.hwndItem = list_;
        item.hDC = dc;
        item.rcItem = {0, static_cast<LONG>(index * 16), 200, static_cast<LONG>(index * 16 + 16)};
        item.itemState = index == 1 ? ODS_FOCUS : 0;
        DrawPresetListEntry(&item);
    }
    // The folder icon is at (2, 1) of its entry: not the window colour.
    const COLORREF icon = GetPixel(dc, 10, 7);
    ReleaseDC(list_, dc);
    EXPECT_NE(icon, GetSysColor(COLOR_WINDOW));
    // The fixture checks that every icon loaded for drawing was deleted again.
}

// Names in any script, in a presets folder whose own path is not ASCII either: typed on the
// keyboard, shown exactly as typed, written under that name, loaded, entered as a folder and
// deleted. Names the system refuses are still refused.
TEST_F(PresetListWindow, NamesInAnyScriptAreTypedShownLoadedAndDeleted) {
    const std::string library = library_.folder() + "Plug-ins \xC5\xA1\xE2\x82\xAC \xD0\x96\xD1\x83\xD0\xBA "
                                                    "\xE6\xBC\xA2\xE5\xAD\x97\\";
    PresetsFolder = library;
    const std::string reddish = "R\xC3\xB6tlich";
    const std::string glow = "Gl\xC3\xBChen";
    std::filesystem::create_directories(std::filesystem::u8path(library + "User\\" + reddish));
    std::FILE* file = platform::OpenFile(library + "User\\" + reddish + "\\" + glow + ".vfxpst", "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("Vortiflux Preset;\ntprP 33\n", file);
    std::fclose(file);
    SetUpPresetPanel(panel_, nullptr);
    ASSERT_EQ(Entries(), (std::vector<std::string>{"Default", "\t" + reddish}));

    const std::wstring typed = L"Caf\u00E9 Blue \u20AC\u0161 \u0416\u0443\u043A \u6F22\u5B57";
    const std::string name = "Caf\xC3\xA9 Blue \xE2\x82\xAC\xC5\xA1 \xD0\x96\xD1\x83\xD0\xBA \xE6\xBC\xA2\xE5\xAD\x97";
    parameters_.proportion = 12;
    gui::WhenWindowAppears("Save Parameters Preset", [&](HWND dialog) {
        real_input::TypeIntoDialog(dialog, GetDlgItem(dialog, IDC_PRESET_NAME_EDIT), typed);
    });
    HandlePresetListCommand(panel_, IDC_PRESET_SAVE_BUTTON, 0);
    ASSERT_TRUE(gui::WindowActionDone());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Default", "\t" + reddish, name}));
    // Checked by the standard library, apart from the plug-in's own file calls.
    const std::filesystem::path saved = std::filesystem::u8path(library + "User\\" + name + ".vfxpst");
    EXPECT_TRUE(std::filesystem::exists(saved)) << "the file carries the name as typed";

    parameters_.proportion = 0;
    EXPECT_TRUE(Pick(IndexOf(name)));
    EXPECT_FLOAT_EQ(parameters_.proportion, 12);

    Pick(IndexOf("\t" + reddish), LBN_DBLCLK);
    EXPECT_EQ(FolderLine(), reddish + "\\");
    ASSERT_EQ(Entries(), (std::vector<std::string>{"Default", "\t..", glow}));
    EXPECT_TRUE(Pick(2));
    EXPECT_FLOAT_EQ(parameters_.proportion, 33);
    Pick(1, LBN_DBLCLK);
    EXPECT_EQ(FolderLine(), "");

    Pick(IndexOf(name));
    HandlePresetListCommand(panel_, IDC_PRESET_DELETE_BUTTON, 0);
    EXPECT_EQ(IndexOf(name), -1);
    EXPECT_FALSE(std::filesystem::exists(saved)) << "Delete removes the file, not only the entry";

    // A reserved name, even with a letter beyond ASCII in it, is refused with the message.
    platform::ClearRecordedMessages();
    gui::WhenWindowAppears("Save Parameters Preset", [](HWND dialog) {
        real_input::TypeIntoDialog(dialog, GetDlgItem(dialog, IDC_PRESET_NAME_EDIT), L"COM\u00B9");
        gui::WhenWindowAppears("Save Parameters Preset",
                               [](HWND again) { PostMessageW(again, WM_COMMAND, IDCANCEL, 0); });
    });
    HandlePresetListCommand(panel_, IDC_PRESET_SAVE_BUTTON, 0);
    const auto messages = platform::RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Save Preset Error");
    EXPECT_NE(messages[0].text.find("COM\xC2\xB9"), std::string::npos) << messages[0].text;
}
