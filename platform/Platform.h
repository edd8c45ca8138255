#pragma once
// The thin layer over the operating system. Nothing else in the plug-in calls the system
// directly: module path, files and folders, page allocator, message box, the shell and threads
// live here, with one implementation for Win32 and one for POSIX.
//
// Text, file names included, is UTF-8 everywhere in the portable code. Only this layer converts:
// on Windows every name goes to the system as UTF-16 (the wide calls), so a name is whatever
// the file system accepts, whatever the user's code page. On Linux names are the file system's
// bytes, passed through unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// Folder separator of paths handed to and built by the plug-in.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The longest module path the plug-in reads (the system's path limit), in UTF-16 units.
constexpr size_t kMaxModulePath = 260;

// Full path of the library (or program) that contains this code, at most kMaxModulePath
// UTF-16 units; empty if the system cannot tell.
std::string ModulePath();

// ---- Text ----

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsUtf8(const std::string& text);
// The length the path limits count: the UTF-16 units of `text` (what Windows counts), alike on
// both systems so a name fits or not on both; a name that is no UTF-8 (Linux allows any bytes)
// by its bytes.
size_t PathLength(const std::string& text);

#ifdef _WIN32
// UTF-8 to UTF-16 and back for the system's wide calls; false, with `out` empty, on invalid input
// (an ill-formed byte sequence, an unpaired surrogate).
bool ToWide(const std::string& text, std::wstring* out);
bool ToUtf8(const wchar_t* text, size_t length, std::string* out);
inline bool ToUtf8(const std::wstring& text, std::string* out) {
    return ToUtf8(text.data(), text.size(), out);
}
#endif

// ---- Files and folders (paths in UTF-8) ----

// fopen with a UTF-8 path ("rb", "wb", "ab"); null when the file cannot be opened or the path
// is no UTF-8.
std::FILE* OpenFile(const std::string& path, const char* mode);
// Whether a file or folder of that name exists.
bool FileExists(const std::string& path);
// Deletes a file; false when it could not be deleted.
bool RemoveFile(const std::string& path);

struct FolderEntry {
    std::string name; // UTF-8; a name the system cannot give as UTF-8 is left out of the listing
    bool isFolder = false;
};
// The entries of `folder` (with or without a trailing separator) in the order the file system
// gives them, without "." and ".."; false (and nothing listed) when the folder cannot be read.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries);

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
// Programs that run this code in-process with no one to answer (the tests) turn the boxes off:
// messages are then only recorded and answered as on Linux. On by default.
void SetMessageBoxesShown(bool shown);

// Messages shown so far (recorded on every platform; tests read and clear them).
struct RecordedMessage {
    std::string caption;
    std::string text;
};
std::vector<RecordedMessage> RecordedMessages();
void ClearRecordedMessages();

// Moves a completed file over `target`, replacing it (atomically where the system allows).
bool CommitFile(const std::string& completed, const std::string& target);

// Asks the shell to open `target` (a file or a web address) with the verb "open" and SW_SHOW,
// `owner` owning anything it shows; a failure is not reported. Windows only: elsewhere only a
// handler sees the request.
void OpenWithShell(void* owner, const std::string& target);
// Programs that run this code in-process (the tests) take the requests instead of the shell:
// the handler is called on the requesting thread with the target; null gives the shell back.
using ShellRequestHandler = void (*)(const std::string& target);
void SetShellRequestHandler(ShellRequestHandler handler);

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
