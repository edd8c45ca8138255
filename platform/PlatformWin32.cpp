// Win32 implementation of the platform layer (the Windows build).
#include "platform/PlatformInternal.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <climits>
#include <cwchar>
#include <new>

namespace platform {

namespace {
HINSTANCE gInstance = nullptr;

HMODULE OwnModule() {
    if (gInstance != nullptr)
        return gInstance;
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}
} // namespace

std::string ModulePath() {
    wchar_t buffer[kMaxModulePath + 1] = {};
    DWORD length = GetModuleFileNameW(OwnModule(), buffer, static_cast<DWORD>(kMaxModulePath));
    std::string path;
    if (length == 0 || length >= kMaxModulePath || !ToUtf8(buffer, length, &path))
        return std::string();
    return path;
}

bool ToWide(const std::string& text, std::wstring* out) {
    out->clear();
    if (text.empty())
        return true;
    if (text.size() > static_cast<size_t>(INT_MAX))
        return false;
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (units <= 0)
        return false;
    out->resize(static_cast<size_t>(units));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, &(*out)[0], units) != units) {
        out->clear();
        return false;
    }
    return true;
}

bool ToUtf8(const wchar_t* text, size_t length, std::string* out) {
    out->clear();
    if (length == 0)
        return true;
    if (length > static_cast<size_t>(INT_MAX))
        return false;
    const int units = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return false;
    out->resize(static_cast<size_t>(bytes));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, units, &(*out)[0], bytes, nullptr, nullptr) != bytes) {
        out->clear();
        return false;
    }
    return true;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    std::wstring widePath;
    std::wstring wideMode;
    if (path.empty() || !ToWide(path, &widePath) || !ToWide(mode, &wideMode))
        return nullptr;
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

bool FileExists(const std::string& path) {
    std::wstring wide;
    return !path.empty() && ToWide(path, &wide) && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveFile(const std::string& path) {
    std::wstring wide;
    return !path.empty() && ToWide(path, &wide) && DeleteFileW(wide.c_str()) != 0;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    entries->clear();
    std::wstring pattern;
    if (folder.empty() || !ToWide(folder, &pattern))
        return false;
    if (pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        const wchar_t* name = found.cFileName;
        if (std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0)
            continue;
        FolderEntry entry;
        // A name that is no valid UTF-16 (an unpaired surrogate) could not be named again.
        if (!ToUtf8(name, std::wcslen(name), &entry.name))
            continue;
        entry.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries->push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

void* ModuleInstance() {
    return OwnModule();
}
void SetModuleInstance(void* instance) {
    gInstance = static_cast<HINSTANCE>(instance);
}

void* AllocatePages(size_t bytes) {
    if (bytes == 0 || ShouldFailPageAllocation())
        return nullptr;
    void* block = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (block != nullptr)
        gPagesInUse += bytes;
    return block;
}

void ReleasePages(void* block, size_t bytes) {
    if (block == nullptr)
        return;
    VirtualFree(block, 0, MEM_RELEASE);
    gPagesInUse -= bytes;
}

MessageAnswer ShowMessage(void* owner, const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) {
    RecordMessage(caption, text);
    UINT style = MB_TASKMODAL;
    style |= icon == MessageIcon::Error     ? MB_ICONERROR
             : icon == MessageIcon::Warning ? MB_ICONWARNING
                                            : MB_ICONINFORMATION;
    style |= buttons == MessageButtons::YesNoCancel ? MB_YESNOCANCEL : MB_OK;
    const MessageAnswer unanswered = buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    std::wstring wideText;
    std::wstring wideCaption;
    if (!MessageBoxesShown() || !ToWide(text, &wideText) || !ToWide(caption, &wideCaption))
        return unanswered;
    switch (MessageBoxW(static_cast<HWND>(owner), wideText.c_str(), wideCaption.c_str(), style)) {
    case IDYES:
        return MessageAnswer::Yes;
    case IDNO:
        return MessageAnswer::No;
    case IDCANCEL:
        return MessageAnswer::Cancel;
    default:
        return MessageAnswer::Ok;
    }
}

bool CommitFile(const std::string& completed, const std::string& target) {
    std::wstring wideCompleted;
    std::wstring wideTarget;
    if (!ToWide(completed, &wideCompleted) || !ToWide(target, &wideTarget))
        return false;
    return MoveFileExW(wideCompleted.c_str(), wideTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           0;
}

void OpenWithShell(void* owner, const std::string& target) {
    if (ShellRequestHandler handler = CurrentShellRequestHandler()) {
        handler(target);
        return;
    }
    std::wstring wide;
    if (target.empty() || !ToWide(target, &wide))
        return;
    // The shell may hand the request to components that need COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(static_cast<HWND>(owner), L"open", wide.c_str(), nullptr, nullptr, SW_SHOW);
    if (SUCCEEDED(com))
        CoUninitialize();
}

namespace {
struct ThreadStart {
    ThreadFunction function;
    void* argument;
};

DWORD WINAPI RunThread(LPVOID raw) {
    ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    start.function(start.argument);
    return 0;
}
} // namespace

ThreadHandle StartThread(ThreadFunction function, void* argument) {
    auto* start = new (std::nothrow) ThreadStart{function, argument};
    if (start == nullptr)
        return nullptr;
    HANDLE thread = CreateThread(nullptr, 0, &RunThread, start, 0, nullptr);
    if (thread == nullptr) {
        delete start;
        return nullptr;
    }
    return thread;
}

void JoinThread(ThreadHandle thread) {
    if (thread == nullptr)
        return;
    WaitForSingleObject(static_cast<HANDLE>(thread), INFINITE);
    CloseHandle(static_cast<HANDLE>(thread));
}

bool JoinThreadTimed(ThreadHandle thread, uint32_t milliseconds) {
    if (thread == nullptr)
        return true;
    if (WaitForSingleObject(static_cast<HANDLE>(thread), milliseconds) != WAIT_OBJECT_0)
        return false;
    CloseHandle(static_cast<HANDLE>(thread));
    return true;
}

unsigned ProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1u;
}

} // namespace platform
