#pragma once
// The thin layer over the operating system. Nothing else in the plug-in calls the system
// directly: module path, page allocator, message box and threads live here, with one
// implementation for Win32 and one for POSIX.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Folder separator of paths handed to and built by the plug-in.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The longest module path the plug-in reads (the system's path limit).
constexpr size_t kMaxModulePath = 260;

// Full path of the library (or program) that contains this code, at most kMaxModulePath
// characters; empty if the system cannot tell.
std::string ModulePath();

// Module instance handle saved when the library was loaded (Windows; null elsewhere and in
// programs that link the code statically).
void* ModuleInstance();
void SetModuleInstance(void* instance);

// Page allocator: reserves and commits `bytes` of zero-filled memory, or returns null.
void* AllocatePages(size_t bytes);
// Releases a block from AllocatePages (null is ignored). `bytes` is the size it was given.
void ReleasePages(void* block, size_t bytes);
// Bytes allocated through AllocatePages and not yet released (for leak checks in tests).
size_t PagesInUse();
// Makes the next `count` calls of AllocatePages fail (tests of the out-of-memory paths).
void FailNextPageAllocations(int count);

enum class MessageIcon { Information, Warning, Error };
enum class MessageButtons { Ok, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// Shows a modal message box owned by `owner` (a window handle or null). On Linux the message
// goes to standard error and is recorded; the answer there is always Ok (Cancel for a
// question).
MessageAnswer ShowMessage(void* owner, const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

// Messages shown so far (recorded on every platform; tests read and clear them).
struct RecordedMessage {
    std::string caption;
    std::string text;
};
std::vector<RecordedMessage> RecordedMessages();
void ClearRecordedMessages();

// Moves a completed file over `target`, replacing it (atomically where the system allows).
bool CommitFile(const std::string& completed, const std::string& target);

// Threads: a plain function run on a new operating-system thread, and a join.
using ThreadHandle = void*;
using ThreadFunction = void (*)(void* argument);
// Starts `function(argument)` on a new thread; null if no thread could be started.
ThreadHandle StartThread(ThreadFunction function, void* argument);
// Waits for the thread to end and releases its handle.
void JoinThread(ThreadHandle thread);
// Waits at most `milliseconds` for the thread to end; true (and the handle released) if it did.
bool JoinThreadTimed(ThreadHandle thread, uint32_t milliseconds);
// Number of processors the system offers (at least 1).
unsigned ProcessorCount();

} // namespace platform
