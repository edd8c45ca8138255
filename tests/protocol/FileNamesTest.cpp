// File names beyond ASCII: the platform layer's measures and file calls with names in Latin
// letters with accents, the euro sign, Cyrillic, CJK and a character outside the basic plane, on
// both systems (on Windows through the wide calls, checked here against the standard library).
#include "TempFolder.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

using testing_support::TempFolder;

namespace {

// "š€ Жук 漢字 🌀" in UTF-8: two, three, two and three, three and four bytes a character.
const std::string kMixed = "\xC5\xA1\xE2\x82\xAC \xD0\x96\xD1\x83\xD0\xBA \xE6\xBC\xA2\xE5\xAD\x97 \xF0\x9F\x8C\x80";

std::string ReadAll(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = platform::OpenFile(path, "rb")) {
        char buffer[256];
        size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, count);
        std::fclose(file);
    }
    return bytes;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    std::FILE* file = platform::OpenFile(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

TEST(FileNameText, LengthsCountUtf16UnitsAndIllFormedTextIsTold) {
    EXPECT_EQ(platform::PathLength(""), 0u);
    EXPECT_EQ(platform::PathLength("Caf\xC3\xA9"), 4u);
    // Eleven characters, the last one outside the basic plane: two units.
    EXPECT_EQ(platform::PathLength(kMixed), 12u);
    EXPECT_TRUE(platform::IsUtf8(kMixed));
    for (const char* bad :
         {"\xC3", "\xC3(", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", "ok\x80"}) {
        EXPECT_FALSE(platform::IsUtf8(bad)) << bad;
        // Linux names may be any bytes: they are measured by their bytes.
        EXPECT_EQ(platform::PathLength(bad), std::string(bad).size());
    }
}

TEST(FileNames, FilesAndFoldersWithNamesInAnyScript) {
    TempFolder temp;
    const char separator = platform::kPathSeparator;
    const std::string folder = temp.folder() + "Plug-ins " + kMixed + separator;
    std::filesystem::create_directories(std::filesystem::u8path(folder + "R\xC3\xB6tlich"));
    const std::string file = folder + "Caf\xC3\xA9 Blue.vfxpst";

    ASSERT_TRUE(WriteAll(file + ".part", "bytes\n"));
    ASSERT_TRUE(platform::CommitFile(file + ".part", file));
    EXPECT_FALSE(platform::FileExists(file + ".part"));
    EXPECT_TRUE(platform::FileExists(file));
    EXPECT_EQ(ReadAll(file), "bytes\n");
    // The standard library sees the same name, so the name went to the system as typed.
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(file)));

    // Replacing keeps one file under the name.
    ASSERT_TRUE(WriteAll(file + ".part", "newer\n"));
    ASSERT_TRUE(platform::CommitFile(file + ".part", file));
    EXPECT_EQ(ReadAll(file), "newer\n");

    std::vector<platform::FolderEntry> entries;
    ASSERT_TRUE(platform::ListFolder(folder, &entries));
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Caf\xC3\xA9 Blue.vfxpst");
    EXPECT_FALSE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, "R\xC3\xB6tlich");
    EXPECT_TRUE(entries[1].isFolder);
    // Without the trailing separator the same; a missing folder lists nothing.
    ASSERT_TRUE(platform::ListFolder(folder.substr(0, folder.size() - 1), &entries));
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_FALSE(platform::ListFolder(folder + "missing", &entries));
    EXPECT_TRUE(entries.empty());

    EXPECT_TRUE(platform::RemoveFile(file));
    EXPECT_FALSE(platform::FileExists(file));
    EXPECT_FALSE(platform::RemoveFile(file)) << "nothing left to delete";
    EXPECT_EQ(platform::OpenFile(file, "rb"), nullptr);
    EXPECT_EQ(platform::OpenFile("", "rb"), nullptr);
}

#ifdef _WIN32
// The conversions at the border of the wide calls refuse what has no counterpart instead of
// guessing: such a name would open another file.
TEST(FileNameText, ConversionsRoundTripAndRefuseIllFormedText) {
    std::wstring wide;
    ASSERT_TRUE(platform::ToWide(kMixed, &wide));
    EXPECT_EQ(wide, L"\u0161\u20AC \u0416\u0443\u043A \u6F22\u5B57 \U0001F300");
    std::string back;
    ASSERT_TRUE(platform::ToUtf8(wide, &back));
    EXPECT_EQ(back, kMixed);
    EXPECT_TRUE(platform::ToWide("", &wide));
    EXPECT_TRUE(wide.empty());

    EXPECT_FALSE(platform::ToWide("ok\xC3(", &wide));
    EXPECT_TRUE(wide.empty());
    const wchar_t lone[] = {L'a', 0xD800, L'b'};
    EXPECT_FALSE(platform::ToUtf8(lone, 3, &back));
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(platform::OpenFile("ok\xC3(.txt", "wb"), nullptr);
    EXPECT_FALSE(platform::FileExists("ok\xC3("));
}
#endif
