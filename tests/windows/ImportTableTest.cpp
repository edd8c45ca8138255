// Vortiflux64.8bf must load in a host with nothing else installed: it may import from system
// libraries only (the C++, GCC and thread runtimes are linked in).
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

// Names of the libraries in the import table of a PE file, read from the file itself.
std::vector<std::string> ImportedLibraries(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> names;
    if (image.size() < sizeof(IMAGE_DOS_HEADER))
        return names;
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
        names.push_back(image.data() + offsetOf(descriptor->Name));
    }
    return names;
}

TEST(ImportTable, OnlySystemLibraries) {
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "comctl32.dll",
                                          "comdlg32.dll", "shell32.dll", "advapi32.dll", "msvcrt.dll",
                                          "ole32.dll",    "shlwapi.dll", "uxtheme.dll",  "msimg32.dll"};
    const std::vector<std::string> imported = ImportedLibraries(testing_support::PluginPath());
    ASSERT_FALSE(imported.empty());
    for (const std::string& name : imported)
        EXPECT_TRUE(system.count(Lower(name)) == 1 || Lower(name).rfind("api-ms-win-", 0) == 0) << name;
}

} // namespace
