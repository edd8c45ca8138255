#include "about/ShellPages.h"

#include "platform/Platform.h"
#include "plugin/FolderPaths.h"
#include "plugin/Globals.h"

#include <atomic>
#include <new>
#include <vector>

namespace {

// One request, owned by its thread: two requests in quick succession may both start a thread,
// and neither may see the other's target.
struct ShellRequest {
    std::string target;
    HWND owner;
    HMODULE library; // the reference the thread holds on this library
};

std::atomic<bool> busy{false};
// Threads started and not yet seen to end (the last one is the one started last).
std::vector<platform::ThreadHandle> shellThreads;

void ForgetEndedThreads() {
    std::vector<platform::ThreadHandle> running;
    for (platform::ThreadHandle thread : shellThreads)
        if (!platform::JoinThreadTimed(thread, 0))
            running.push_back(thread);
    shellThreads.swap(running);
}

// The body of every shell thread: the one shell call, then the thread gives back its reference
// on the library as its very last action (the system does that, outside the library's code).
void RunShellRequest(void* raw) {
    auto* request = static_cast<ShellRequest*>(raw);
    busy = true;
    try {
        // A failure (no browser, missing manual file) is not reported.
        platform::OpenWithShell(request->owner, request->target);
    } catch (...) {
        // Nothing of a failed request is reported; the flag must come down all the same.
    }
    busy = false;
    HMODULE library = request->library;
    delete request;
    FreeLibraryAndExitThread(library, 0);
}

void StartShellThread(platform::ThreadFunction body, const std::string& target, HWND owner) {
    if (busy)
        return;
    ForgetEndedThreads();
    HMODULE library = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunShellRequest),
                            &library))
        return;
    auto* request = new (std::nothrow) ShellRequest{target, owner, library};
    platform::ThreadHandle thread = nullptr;
    if (request != nullptr)
        thread = platform::StartThread(body, request);
    if (thread == nullptr) {
        delete request;
        FreeLibrary(library);
        return;
    }
    shellThreads.push_back(thread);
}

} // namespace

std::string ManualPagePath(int page) {
    if (HelpFolder.empty())
        BuildFolderPaths();
    return HelpFolder + (page == kManualParametersPage ? kManualParametersFile : kManualMainFile);
}

void ShowManualPage(void* request) {
    RunShellRequest(request);
}
void ShowWebPage(void* request) {
    RunShellRequest(request);
}

void OpenManualPage(int page, HWND owner) {
    if (busy)
        return;
    StartShellThread(&ShowManualPage, ManualPagePath(page), owner);
}

void OpenWebPage(const char* address, HWND owner) {
    if (address == nullptr || address[0] == '\0')
        return;
    StartShellThread(&ShowWebPage, address, owner);
}

bool ShellThreadBusy() {
    return busy;
}

bool CloseShellThreads(uint32_t milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    bool allEnded = true;
    for (platform::ThreadHandle thread : shellThreads) {
        const ULONGLONG now = GetTickCount64();
        const uint32_t left = now < deadline ? static_cast<uint32_t>(deadline - now) : 0;
        if (!platform::JoinThreadTimed(thread, left)) {
            // Still inside the shell: it keeps the library loaded until it is done, so only the
            // handle is let go here.
            CloseHandle(static_cast<HANDLE>(thread));
            allEnded = false;
        }
    }
    shellThreads.clear();
    return allEnded;
}
