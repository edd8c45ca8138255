#include "host/DesktopCalls.h"

#include <mutex>

#ifdef _WIN32
#include <windows.h>

#include <cstring>
#include <shellapi.h>
#endif

namespace host {

namespace {
std::mutex recordLock;
std::vector<DesktopMessage> messages;
std::vector<std::string> shellRequests;
} // namespace

std::vector<DesktopMessage> DesktopMessages() {
    std::lock_guard<std::mutex> lock(recordLock);
    return messages;
}

std::vector<std::string> ShellRequests() {
    std::lock_guard<std::mutex> lock(recordLock);
    return shellRequests;
}

void ClearDesktopRecord() {
    std::lock_guard<std::mutex> lock(recordLock);
    messages.clear();
    shellRequests.clear();
}

#ifdef _WIN32

namespace {

std::string Utf8(const wchar_t* text) {
    if (text == nullptr)
        return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return std::string();
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], bytes, nullptr, nullptr);
    result.resize(static_cast<size_t>(bytes) - 1);
    return result;
}

std::string Utf8(const char* text) {
    if (text == nullptr)
        return std::string();
    // Narrow text of a library is in the system's code page.
    const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], units);
    return Utf8(wide.c_str());
}

int Answer(UINT type) {
    return (type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
}

void AddMessage(std::string caption, std::string text) {
    std::lock_guard<std::mutex> lock(recordLock);
    messages.push_back({std::move(caption), std::move(text)});
}

void AddShellRequest(const std::string& verb, const std::string& target) {
    std::lock_guard<std::mutex> lock(recordLock);
    shellRequests.push_back((verb.empty() ? std::string("open") : verb) + " " + target);
}

int WINAPI RecordMessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    AddMessage(Utf8(caption), Utf8(text));
    return Answer(type);
}

int WINAPI RecordMessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    AddMessage(Utf8(caption), Utf8(text));
    return Answer(type);
}

// The shell answers success with a value above 32.
HINSTANCE WINAPI RecordShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
    AddShellRequest(Utf8(verb), Utf8(file));
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

HINSTANCE WINAPI RecordShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
    AddShellRequest(Utf8(verb), Utf8(file));
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

struct Redirection {
    const char* name;
    void* recorder;
};

const Redirection kRedirections[] = {
    {"MessageBoxW", reinterpret_cast<void*>(&RecordMessageBoxW)},
    {"MessageBoxA", reinterpret_cast<void*>(&RecordMessageBoxA)},
    {"ShellExecuteW", reinterpret_cast<void*>(&RecordShellExecuteW)},
    {"ShellExecuteA", reinterpret_cast<void*>(&RecordShellExecuteA)},
};

bool Overwrite(ULONGLONG* slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old))
        return false;
    *slot = reinterpret_cast<ULONGLONG>(value);
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

} // namespace

bool RedirectDesktopCalls(void* module, std::string* error) {
    auto* base = static_cast<uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (base == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) {
        *error = "no library image to redirect";
        return false;
    }
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        *error = "the library is no 64-bit image";
        return false;
    }
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return true;
    for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        // The names are in the lookup table; the loader wrote the addresses into the other one.
        const DWORD lookup = import->OriginalFirstThunk != 0 ? import->OriginalFirstThunk : import->FirstThunk;
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA64*>(base + lookup);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + import->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL64(name->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            for (const Redirection& redirection : kRedirections) {
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), redirection.name) != 0)
                    continue;
                if (!Overwrite(&slot->u1.Function, redirection.recorder)) {
                    *error = std::string("cannot redirect the import of ") + redirection.name;
                    return false;
                }
            }
        }
    }
    return true;
}

#else

bool RedirectDesktopCalls(void*, std::string*) {
    return true;
}

#endif

} // namespace host
