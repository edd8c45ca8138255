// The preset list's folders and names: what a folder lists, the way down and up, the length
// limit of the shown folder, the names a new preset may have, and deleting in a sub-folder.
#include "presets/PresetList.h"
#include "TempFolder.h"
#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "presets/PresetFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using testing_support::TempFolder;

namespace {

const char kSep = platform::kPathSeparator;

class PresetList : public ::testing::Test {
protected:
    void SetUp() override {
        savedPresets_ = PresetsFolder;
        PresetsFolder = library_.folder();
        currentPresetFolder.clear();
        std::filesystem::create_directories(user());
    }
    void TearDown() override {
        PresetsFolder = savedPresets_;
        currentPresetFolder.clear();
    }
    std::string user() const { return library_.folder() + "User"; }
    void Touch(const std::string& relative) { library_.Write("User/" + relative, "Vortiflux Preset;\n"); }
    void Folder(const std::string& relative) { std::filesystem::create_directories(user() + "/" + relative); }
    static bool Has(const std::vector<std::string>& entries, const std::string& entry) {
        return std::find(entries.begin(), entries.end(), entry) != entries.end();
    }

    TempFolder library_;
    std::string savedPresets_;
};

} // namespace

TEST_F(PresetList, EmptyOrMissingFolderListsOnlyDefault) {
    EXPECT_EQ(PresetListEntries(), std::vector<std::string>{"Default"});
    std::filesystem::remove_all(user());
    EXPECT_EQ(PresetListEntries(), std::vector<std::string>{"Default"});
}

TEST_F(PresetList, ListsFoldersBeforePresetsWithoutExtensionsInAnyCase) {
    Touch("Calm.vfxpst");
    Touch("LOUD.VFXPST");
    Touch("notes.txt");
    Touch("vfxpst");
    Folder("Soft");
    Folder(".hidden");
    const std::vector<std::string> entries = PresetListEntries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], "Default");
    EXPECT_EQ(entries[1], "\tSoft");
    EXPECT_TRUE(Has(entries, "Calm"));
    EXPECT_TRUE(Has(entries, "LOUD"));
}

TEST_F(PresetList, FoldersOpenDownAndUp) {
    Folder("Soft/Very");
    Touch("Soft/Ripple.vfxpst");
    ASSERT_TRUE(OpenPresetFolderEntry("\tSoft"));
    EXPECT_EQ(currentPresetFolder, std::string("Soft") + kSep);
    std::vector<std::string> entries = PresetListEntries();
    EXPECT_EQ(entries, (std::vector<std::string>{"Default", "\t..", "\tVery", "Ripple"}));

    ASSERT_TRUE(OpenPresetFolderEntry("\tVery"));
    EXPECT_EQ(currentPresetFolder, std::string("Soft") + kSep + "Very" + kSep);
    ASSERT_TRUE(OpenPresetFolderEntry("\t.."));
    EXPECT_EQ(currentPresetFolder, std::string("Soft") + kSep);
    ASSERT_TRUE(OpenPresetFolderEntry("\t.."));
    EXPECT_EQ(currentPresetFolder, "");
    EXPECT_FALSE(OpenPresetFolderEntry("Ripple")) << "a preset is no folder";
}

TEST_F(PresetList, FolderThatWouldOverrunTheLimitIsNotEntered) {
    currentPresetFolder = std::string(200, 'a') + kSep;
    const std::string before = currentPresetFolder;
    EXPECT_FALSE(OpenPresetFolderEntry("\t" + std::string(60, 'b')));
    EXPECT_EQ(currentPresetFolder, before);
    EXPECT_TRUE(OpenPresetFolderEntry("\t" + std::string(53, 'b')));
    EXPECT_EQ(currentPresetFolder.size(), kMaxPresetFolder);
}

TEST_F(PresetList, NamesThatCannotBeFilesOrLeaveTheFolderAreRefused) {
    EXPECT_EQ(PresetNameProblem("Gentle Ripple"), "");
    EXPECT_EQ(PresetNameProblem("v1.2 warm"), "");
    for (const char* bad : {"", "..", ".", "a/b", "..\\up", "..", "what?", "a:b", "tab\there", "dot.", "blank ", "CON",
                            "nul.txt", "Lpt1"})
        EXPECT_NE(PresetNameProblem(bad), "") << bad;
    EXPECT_NE(PresetNameProblem(std::string(400, 'x')), "") << "longer than a path may be";
}

TEST_F(PresetList, SaveFindAndDeleteInsideASubFolder) {
    Folder("Wild");
    Touch("Keep.vfxpst");
    ASSERT_TRUE(OpenPresetFolderEntry("\tWild"));
    EXPECT_FALSE(PresetFileExists("Storm"));
    FilterParameters parameters{};
    FilterParameters* saved = gParams;
    gParams = &parameters;
    InitParameters();
    ASSERT_TRUE(SavePreset("Storm"));
    gParams = saved;
    EXPECT_TRUE(PresetFileExists("Storm"));
    EXPECT_TRUE(PresetFileExists("Storm.vfxpst"));

    DeletePresetFile("Keep"); // no such file here: nothing happens
    DeletePresetFile("Storm");
    EXPECT_FALSE(std::filesystem::exists(user() + "/Wild/Storm.vfxpst"));
    EXPECT_TRUE(std::filesystem::exists(user() + "/Keep.vfxpst")) << "the top folder's file is kept";
}

// A presets folder under a user's name, presets and folders named in any script: listed,
// entered, saved, found, loaded and deleted under exactly those names.
TEST_F(PresetList, NamesAndFoldersInAnyScript) {
    const std::string mixed = "\xC5\xA1\xE2\x82\xAC \xD0\x96\xD1\x83\xD0\xBA \xE6\xBC\xA2\xE5\xAD\x97";
    PresetsFolder = library_.folder() + "Plug-ins " + mixed + kSep;
    std::filesystem::create_directories(std::filesystem::u8path(PresetsFolder + "User" + kSep + "R\xC3\xB6tlich"));
    FilterParameters parameters{};
    FilterParameters* saved = gParams;
    gParams = &parameters;
    InitParameters();

    const std::string name = "Caf\xC3\xA9 Blue " + mixed;
    parameters.proportion = 12;
    ASSERT_TRUE(SavePreset(name));
    EXPECT_TRUE(PresetFileExists(name));
    std::vector<std::string> entries = PresetListEntries();
    EXPECT_EQ(entries, (std::vector<std::string>{"Default", "\tR\xC3\xB6tlich", name}));

    ASSERT_TRUE(OpenPresetFolderEntry("\tR\xC3\xB6tlich"));
    parameters.proportion = 33;
    ASSERT_TRUE(SavePreset("Gl\xC3\xBChen"));
    EXPECT_EQ(PresetListEntries(), (std::vector<std::string>{"Default", "\t..", "Gl\xC3\xBChen"}));
    ASSERT_TRUE(OpenPresetFolderEntry("\t.."));
    EXPECT_EQ(currentPresetFolder, "");

    parameters.proportion = 0;
    EXPECT_TRUE(LoadPreset(name));
    EXPECT_FLOAT_EQ(parameters.proportion, 12);
    DeletePresetFile(name);
    EXPECT_FALSE(PresetFileExists(name));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(PresetsFolder + "User" + kSep + name + ".vfxpst")));
    EXPECT_TRUE(std::filesystem::exists(
        std::filesystem::u8path(PresetsFolder + "User" + kSep + "R\xC3\xB6tlich" + kSep + "Gl\xC3\xBChen.vfxpst")));
    gParams = saved;
}

TEST_F(PresetList, LettersOfAnyScriptAreNamesReservedNamesAreNot) {
    for (const char* good : {"Caf\xC3\xA9 Blue", "\xD0\x96\xD1\x83\xD0\xBA", "\xE6\xBC\xA2\xE5\xAD\x97 2",
                             "\xE2\x82\xAC 5", "\xF0\x9F\x8C\x80 swirl", "COM10", "CON\xC3\xA9"})
        EXPECT_EQ(PresetNameProblem(good), "") << good;
    // The ports numbered with superscript digits are devices too; a name that is no text is no
    // name.
    for (const char* bad : {"COM\xC2\xB9", "lpt\xC2\xB3.txt", "Caf\xC3", "a\xED\xA0\x80"})
        EXPECT_NE(PresetNameProblem(bad), "") << bad;
}

TEST_F(PresetList, FolderLimitCountsCharactersNotBytes) {
    // 200 CJK characters are 600 bytes of UTF-8, and still 200 characters of a path.
    std::string deep;
    for (int i = 0; i < 200; ++i)
        deep += "\xE6\xBC\xA2";
    ASSERT_TRUE(OpenPresetFolderEntry("\t" + deep));
    EXPECT_EQ(currentPresetFolder, deep + kSep);
    EXPECT_FALSE(OpenPresetFolderEntry("\t" + std::string(54, 'b')));
    EXPECT_TRUE(OpenPresetFolderEntry("\t" + std::string(53, 'b')));
}
