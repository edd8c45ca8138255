// Preset files and the settings file: the bytes written, and what the readers make of files
// written by us, by hand and by other tools.
#include "presets/PresetFile.h"
#include "TempFolder.h"
#include "platform/Platform.h"
#include "plugin/Globals.h"
#include "presets/TextFileReader.h"
#include "presets/UiSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using testing_support::TempFolder;

namespace {

FilterParameters Defaults() {
    FilterParameters p{};
    FilterParameters* saved = gParams;
    gParams = &p;
    InitParameters();
    gParams = saved;
    return p;
}

bool SameParameters(const FilterParameters& a, const FilterParameters& b) {
    return a.windowLeft == b.windowLeft && a.windowTop == b.windowTop && a.windowWidth == b.windowWidth &&
           a.windowHeight == b.windowHeight && a.curveEditorLeft == b.curveEditorLeft &&
           a.curveEditorTop == b.curveEditorTop && a.curveEditorInteractive == b.curveEditorInteractive &&
           a.method == b.method && a.value == b.value && a.size == b.size && a.aberration == b.aberration &&
           a.randomSeed == b.randomSeed && a.proportion == b.proportion && a.centerX == b.centerX &&
           a.centerY == b.centerY;
}

const std::string kHeaderLines = "Vortiflux Preset;\nVersion 1;\n;------Emitter------\n";

class PresetFiles : public ::testing::Test {
protected:
    void SetUp() override {
        params = Defaults();
        gParams = &params;
        PresetsFolder = folder.folder();
        std::filesystem::create_directories(folder.file("User"));
        currentPresetFolder.clear();
        platform::ClearRecordedMessages();
    }
    void TearDown() override {
        gParams = nullptr;
        PresetsFolder.clear();
        currentPresetFolder.clear();
    }
    FilterParameters Load(const std::string& bytes) {
        folder.Write("p.vfxpst", bytes);
        FilterParameters p = Defaults();
        loaded = ReadPresetFile(folder.file("p.vfxpst"), &p);
        return p;
    }
    TempFolder folder;
    FilterParameters params{};
    bool loaded = false;
};

TEST_F(PresetFiles, DefaultsAreWrittenLineByLine) {
    ASSERT_TRUE(WritePresetFile(folder.file("d.vfxpst"), params));
    EXPECT_EQ(folder.Read("d.vfxpst"), kHeaderLines + "dhtM 0 \t\t\t\t;Method\n"
                                                      "elaV 25.00 \t\t\t\t;Value \n"
                                                      "eziS 25.00 \t\t\t\t;Size \n"
                                                      "rrbA 0.00 \t\t\t\t;Aberration \n"
                                                      "SdnR 0.00 \t\t\t\t;RandomSeed \n"
                                                      "tprP 0.00 \t\t\t\t;Proportion \n"
                                                      "XtnC 0.00 \t\t\t\t;Center X \n"
                                                      "YtnC 0.00 \t\t\t\t;Center Y \n"
                                                      ";------The End------\n");
}

TEST_F(PresetFiles, EveryFieldSurvivesARoundTripToTwoDecimals) {
    params.method = 5;
    params.value = -12.345f;
    params.size = 300.0f;
    params.aberration = 199.994f;
    params.randomSeed = 0.126f;
    params.proportion = -1000.0f;
    params.centerX = 12.345f;
    params.centerY = -99.999f;
    ASSERT_TRUE(WritePresetFile(folder.file("r.vfxpst"), params));
    EXPECT_NE(folder.Read("r.vfxpst").find("XtnC 12.35 "), std::string::npos);
    FilterParameters back = Defaults();
    ASSERT_TRUE(ReadPresetFile(folder.file("r.vfxpst"), &back));
    EXPECT_EQ(back.method, 5);
    EXPECT_FLOAT_EQ(back.value, -12.35f);
    EXPECT_FLOAT_EQ(back.size, 300.0f);
    EXPECT_FLOAT_EQ(back.aberration, 199.99f);
    EXPECT_FLOAT_EQ(back.randomSeed, 0.13f);
    EXPECT_FLOAT_EQ(back.proportion, -1000.0f);
    EXPECT_FLOAT_EQ(back.centerX, 12.35f);
    EXPECT_FLOAT_EQ(back.centerY, -100.0f);
    EXPECT_EQ(back.windowWidth, 828); // placement is never touched
}

TEST_F(PresetFiles, HeaderDecidesWhetherAnythingIsApplied) {
    FilterParameters p = Load("vortiflux preset;\ntprP 50\n");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(p.proportion, 50.0f);
    FilterParameters untouched = Defaults();
    untouched.proportion = 50.0f;
    EXPECT_TRUE(SameParameters(p, untouched));

    p = Load("Some Other Preset;\ntprP 50\n");
    EXPECT_FALSE(loaded);
    EXPECT_EQ(p.proportion, 0.0f);
    p = Load("");
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(ReadPresetFile(folder.file("missing.vfxpst"), &p));
}

TEST_F(PresetFiles, NumbersAreReadAsTheReadersDefineThem) {
    EXPECT_EQ(Load(kHeaderLines + "eziS 1e2\n").size, 100.0f);
    EXPECT_EQ(Load(kHeaderLines + "eziS 12,5\n").size, 12.0f);
    EXPECT_EQ(Load(kHeaderLines + "eziS +7\n").size, 0.0f);
    EXPECT_EQ(Load(kHeaderLines + "eziS abc\n").size, 0.0f);
    EXPECT_EQ(Load(kHeaderLines + "elaV -3.75 ;Value\n").value, -3.75f);
    EXPECT_EQ(Load(kHeaderLines + "dhtM 260\n").method, 4); // the low byte
    EXPECT_EQ(Load(kHeaderLines + "dhtM 99999999999999\n").method, 0xFF);
    EXPECT_TRUE(std::isinf(Load(kHeaderLines + "elaV 1e999\n").value));
    EXPECT_EQ(Load(kHeaderLines + "elaV 1e-999\n").value, 0.0f);
    // Unknown keys, comments and blank lines are skipped.
    FilterParameters p = Load(kHeaderLines + "\n;comment\nXXXX 5\n   \tXtnC\t-40\n");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(p.centerX, -40.0f);
}

TEST_F(PresetFiles, LineEndsOfOtherSystemsAndMissingLastLineEnd) {
    FilterParameters p = Load("Vortiflux Preset;\r\nVersion 1;\r\nelaV 40.00\r\nYtnC 12.00\r\n");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(p.value, 40.0f);
    EXPECT_EQ(p.centerY, 12.0f);
    // A hand-edited file whose last line has no line end keeps that line.
    p = Load(kHeaderLines + "elaV 40.00\nYtnC 33.50");
    EXPECT_EQ(p.centerY, 33.5f);
}

TEST_F(PresetFiles, OverlongLinesAreCutSafely) {
    const std::string longLine = "elaV 77" + std::string(5000, '7') + "\n";
    FilterParameters p = Load(kHeaderLines + longLine + "eziS 9\n" + std::string(300, 'x') + "\n");
    EXPECT_TRUE(loaded);
    EXPECT_GT(p.value, 1e30f); // 64 digits are read, the rest of the line is dropped
    EXPECT_EQ(p.size, 9.0f);   // the next line is read from its start
    p = Load(std::string("Vortiflux Preset;") + std::string(2000, ' ') + "x\neziS 8\n");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(p.size, 8.0f);
}

TEST_F(PresetFiles, NamesLoseTheirExtensionOnce) {
    EXPECT_EQ(CutPresetExtension("Swirly.vfxpst"), "Swirly");
    EXPECT_EQ(CutPresetExtension("Swirly.VFXPST"), "Swirly");
    EXPECT_EQ(CutPresetExtension(".vfxpst"), ".vfxpst"); // too short to carry one
    EXPECT_EQ(CutPresetExtension("a.vfxpst.vfxpst"), "a.vfxpst");
    // Counted in characters, and the one before the extension goes whole, whatever its bytes.
    EXPECT_EQ(CutPresetExtension("\xC3\xA9vfxpst"), "\xC3\xA9vfxpst");
    EXPECT_EQ(CutPresetExtension("Gr\xC3\xBCn\xC3\xA9vfxpst"), "Gr\xC3\xBCn");
    EXPECT_EQ(CutPresetExtension("\xE6\xBC\xA2.VFXPST"), "\xE6\xBC\xA2");
    params.value = 61.0f;
    ASSERT_TRUE(SavePreset("Swirly.vfxpst"));
    EXPECT_TRUE(std::filesystem::exists(folder.file("User/Swirly.vfxpst")));
    params.value = 0.0f;
    ASSERT_TRUE(LoadPreset("Swirly.VfxPst"));
    EXPECT_EQ(params.value, 61.0f);
    EXPECT_FALSE(LoadPreset(""));
}

TEST_F(PresetFiles, SubFoldersAndPathLimits) {
    std::filesystem::create_directories(folder.file("User/Soft"));
    currentPresetFolder = std::string("Soft") + platform::kPathSeparator;
    ASSERT_TRUE(SavePreset("Calm"));
    EXPECT_TRUE(std::filesystem::exists(folder.file("User/Soft/Calm.vfxpst")));
    currentPresetFolder = "Soft"; // without its separator: one is added
    EXPECT_TRUE(LoadPreset("Calm"));

    // A name that would exceed the path limit is refused, not cut into another file's name.
    currentPresetFolder.clear();
    const std::string longName(300, 'n');
    EXPECT_TRUE(PresetPath(longName).empty());
    EXPECT_FALSE(SavePreset(longName));
    EXPECT_FALSE(LoadPreset(longName));
    currentPresetFolder = std::string(256, 'f');
    EXPECT_TRUE(PresetPath("x").empty());
}

TEST_F(PresetFiles, FailedSaveTellsTheUserAndKeepsTheOldFile) {
    ASSERT_TRUE(SavePreset("Keep"));
    const std::string before = folder.Read("User/Keep.vfxpst");
    currentPresetFolder = std::string("NoSuchFolder") + platform::kPathSeparator;
    EXPECT_FALSE(SavePreset("Keep"));
    const auto messages = platform::RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Cannot Save File!");
    EXPECT_EQ(messages[0].caption, "Save Preset Error");
    EXPECT_EQ(folder.Read("User/Keep.vfxpst"), before);
}

class UiSettingsFile : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(UiSettingsFile, WritesEveryPlacementLineAndReadsItBack) {
    FilterParameters p = Defaults();
    p.windowLeft = 200;
    p.windowTop = 150;
    p.windowWidth = 1000;
    p.windowHeight = 800;
    p.curveEditorInteractive = -1;
    ASSERT_TRUE(WriteUiSettingsFile(folder.file("Vortiflux.ini"), p));
    EXPECT_EQ(folder.Read("Vortiflux.ini"), ";Parameters for Vortiflux plug-in UI\n"
                                            "tfeL 200 \t\t\t\t;Left of window\n"
                                            " poT 150 \t\t\t\t;Top of window\n"
                                            "htdW 1000 \t\t\t\t;Width of window\n"
                                            "thgH 800 \t\t\t\t;Height of window\n"
                                            "fLvC 400 \t\t\t\t;Left of curve editor window\n"
                                            "pTvC 300 \t\t\t\t;Top of curve editor window\n"
                                            "nIvC -1 \t\t\t\t;Is curve editor window interactive\n");
    FilterParameters back = Defaults();
    ReadUiSettingsFile(folder.file("Vortiflux.ini"), &back);
    EXPECT_EQ(back.windowLeft, 200);
    EXPECT_EQ(back.windowTop, 150);
    EXPECT_EQ(back.windowWidth, 1000);
    EXPECT_EQ(back.windowHeight, 800);
    EXPECT_EQ(back.curveEditorInteractive, -1);
}

// Beside a library whose folder is named in any script: written there under its own name and
// read back by the next Prepare.
TEST_F(UiSettingsFile, BesideALibraryInAFolderOfAnyName) {
    const std::string library = folder.folder() +
                                "\xC5\xA1\xE2\x82\xAC \xD0\x96\xD1\x83\xD0\xBA \xE6\xBC\xA2\xE5\xAD\x97" +
                                platform::kPathSeparator;
    std::filesystem::create_directories(std::filesystem::u8path(library));
    const std::string savedLibrary = LibraryFolder;
    LibraryFolder = library;
    FilterParameters p = Defaults();
    gParams = &p;
    p.windowLeft = 321;
    p.windowHeight = 654;
    SaveUiSettings();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(library + "Vortiflux.ini")));
    p = Defaults();
    LoadUiSettings();
    EXPECT_EQ(p.windowLeft, 321);
    EXPECT_EQ(p.windowHeight, 654);
    gParams = nullptr;
    LibraryFolder = savedLibrary;
}

TEST_F(UiSettingsFile, PartialFilesAndWindowsLineEnds) {
    folder.Write("a.ini", "htdW 1234\n");
    FilterParameters p = Defaults();
    ReadUiSettingsFile(folder.file("a.ini"), &p);
    FilterParameters expected = Defaults();
    expected.windowWidth = 1234;
    EXPECT_TRUE(SameParameters(p, expected));

    folder.Write("b.ini", ";x\r\n poT 77\r\n  tfeL 66\r\n");
    ReadUiSettingsFile(folder.file("b.ini"), &p);
    EXPECT_EQ(p.windowTop, 77);
    EXPECT_EQ(p.windowLeft, 66);

    ReadUiSettingsFile(folder.file("missing.ini"), &p); // nothing changes
    EXPECT_EQ(p.windowLeft, 66);
}

} // namespace
