// Vortiflux64.8bf must load in a host with nothing else installed: it may import from system
// libraries only (the C++, GCC and thread runtimes are linked in). It names files only through
// the wide calls, and nothing in it reads a test's switch from the environment.
#include "TestPlugin.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::vector<char> FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

struct Imports {
    std::vector<std::string> libraries;
    std::vector<std::string> functions; // imported by name, from any library
};

// The import table of a PE file, read from the file itself.
Imports ReadImports(const std::string& path) {
    const std::vector<char> image = FileBytes(path);
    Imports imports;
    if (image.size() < sizeof(IMAGE_DOS_HEADER))
        return imports;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    auto offsetOf = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return 0;
    };
    size_t at = offsetOf(directory.VirtualAddress);
    for (; at != 0 && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image.size(); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + at);
        if (descriptor->Name == 0)
            break;
        imports.libraries.push_back(image.data() + offsetOf(descriptor->Name));
        const DWORD lookup =
            descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        for (size_t thunk = offsetOf(lookup); thunk != 0 && thunk + 8 <= image.size(); thunk += 8) {
            const auto* entry = reinterpret_cast<const IMAGE_THUNK_DATA64*>(image.data() + thunk);
            if (entry->u1.AddressOfData == 0)
                break;
            if (IMAGE_SNAP_BY_ORDINAL64(entry->u1.Ordinal))
                continue;
            const size_t name = offsetOf(static_cast<DWORD>(entry->u1.AddressOfData));
            if (name != 0)
                imports.functions.push_back(image.data() + name + 2); // after the hint
        }
    }
    return imports;
}

TEST(ImportTable, OnlySystemLibraries) {
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "comctl32.dll",
                                          "comdlg32.dll", "shell32.dll", "advapi32.dll", "msvcrt.dll",
                                          "ole32.dll",    "shlwapi.dll", "uxtheme.dll",  "msimg32.dll"};
    const std::vector<std::string> imported = ReadImports(testing_support::PluginPath()).libraries;
    ASSERT_FALSE(imported.empty());
    for (const std::string& name : imported)
        EXPECT_TRUE(system.count(Lower(name)) == 1 || Lower(name).rfind("api-ms-win-", 0) == 0) << name;
}

// A file name in narrow text goes through the user's code page and loses every letter it lacks:
// the library names files, folders, its own module and the pages it opens only in UTF-16. The
// message box is wide too, as messages quote preset names.
TEST(ImportTable, NoNarrowFileNameCalls) {
    const std::set<std::string> narrow = {"CreateFileA",
                                          "DeleteFileA",
                                          "MoveFileA",
                                          "MoveFileExA",
                                          "FindFirstFileA",
                                          "FindFirstFileExA",
                                          "GetFileAttributesA",
                                          "GetFileAttributesExA",
                                          "CreateDirectoryA",
                                          "RemoveDirectoryA",
                                          "GetModuleFileNameA",
                                          "ShellExecuteA",
                                          "ShellExecuteExA",
                                          "MessageBoxA",
                                          "fopen",
                                          "_open",
                                          "_stat64",
                                          "remove",
                                          "rename",
                                          "_access"};
    const Imports imports = ReadImports(testing_support::PluginPath());
    ASSERT_FALSE(imports.functions.empty());
    for (const std::string& function : imports.functions)
        EXPECT_EQ(narrow.count(function), 0u) << function;
    const auto has = [&](const char* function) {
        return std::find(imports.functions.begin(), imports.functions.end(), function) != imports.functions.end();
    };
    for (const char* wide : {"GetModuleFileNameW", "_wfopen", "FindFirstFileW", "DeleteFileW", "MoveFileExW",
                             "ShellExecuteW", "MessageBoxW"})
        EXPECT_TRUE(has(wide)) << wide;
}

// Tests switch the message boxes off, take the shell's requests from outside the library and
// choose the engine's variant in-process; the shipped library holds no switch of theirs, in 8-bit
// or UTF-16 text.
TEST(ImportTable, NoTestSwitchesInTheLibrary) {
    const std::vector<char> bytes = FileBytes(testing_support::PluginPath());
    ASSERT_FALSE(bytes.empty());
    for (const std::string name : {"VORTIFLUX_NO_MESSAGE_BOXES", "VORTIFLUX_RECORD_SHELL", "VORTIFLUX_ENGINE",
                                   "NO_MESSAGE_BOXES", "RECORD_SHELL"}) {
        std::string utf16;
        for (char c : name)
            utf16 += std::string{c, '\0'};
        for (const std::string& form : {name, utf16})
            EXPECT_EQ(std::search(bytes.begin(), bytes.end(), form.begin(), form.end()), bytes.end())
                << name << (form.size() > name.size() ? " (UTF-16)" : "");
    }
    const Imports imports = ReadImports(testing_support::PluginPath());
    for (const char* function : {"GetEnvironmentVariableA", "GetEnvironmentVariableW"})
        EXPECT_EQ(std::count(imports.functions.begin(), imports.functions.end(), function), 0) << function;
}

} // namespace
