// Win32 implementation of the platform layer (the Windows build).
#include "platform/PlatformInternal.h"

#include <windows.h>

#include <new>

namespace platform {

namespace {
HINSTANCE gInstance = nullptr;

HMODULE OwnModule() {
    if (gInstance != nullptr)
        return gInstance;
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnModule), &module);
    return module;
}
} // namespace

std::string ModulePath() {
    char buffer[kMaxModulePath + 1] = {};
    DWORD length = GetModuleFileNameA(OwnModule(), buffer, static_cast<DWORD>(kMaxModulePath));
    if (length == 0 || length >= kMaxModulePath)
        return std::string();
    return std::string(buffer, length);
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
    // Test programs run without anyone to answer: they ask for the message to be recorded only.
    if (GetEnvironmentVariableA("VORTIFLUX_NO_MESSAGE_BOXES", nullptr, 0) != 0)
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    switch (MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style)) {
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
    return MoveFileExA(completed.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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
