// POSIX implementation of the platform layer (the Linux build).
#include "platform/PlatformInternal.h"

#include <dirent.h>
#include <dlfcn.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

namespace platform {

namespace {
void* gInstance = nullptr;
} // namespace

std::string ModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr)
        return std::string();
    std::string path = info.dli_fname;
    if (path.find('/') == std::string::npos) {
        // A program linked with this code: the path of the executable itself.
        char buffer[kMaxModulePath + 1];
        ssize_t length = readlink("/proc/self/exe", buffer, kMaxModulePath);
        if (length <= 0)
            return std::string();
        path.assign(buffer, static_cast<size_t>(length));
    }
    if (PathLength(path) > kMaxModulePath)
        return std::string();
    return path;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return path.empty() ? nullptr : std::fopen(path.c_str(), mode);
}

bool FileExists(const std::string& path) {
    struct stat status {};
    return !path.empty() && stat(path.c_str(), &status) == 0;
}

bool RemoveFile(const std::string& path) {
    return !path.empty() && unlink(path.c_str()) == 0;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    entries->clear();
    DIR* directory = folder.empty() ? nullptr : opendir(folder.c_str());
    if (directory == nullptr)
        return false;
    const std::string prefix = folder.back() == '/' ? folder : folder + '/';
    while (const dirent* found = readdir(directory)) {
        const std::string name = found->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat status {};
        FolderEntry entry;
        entry.name = name;
        entry.isFolder = stat((prefix + name).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
        entries->push_back(std::move(entry));
    }
    closedir(directory);
    return true;
}

void* ModuleInstance() {
    return gInstance;
}
void SetModuleInstance(void* instance) {
    gInstance = instance;
}

namespace {
constexpr size_t kLargePageThreshold = size_t(8) << 20;
} // namespace

void* AllocatePages(size_t bytes) {
    if (bytes == 0 || ShouldFailPageAllocation())
        return nullptr;
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
#ifdef MADV_HUGEPAGE
    // Whole images: large pages make the first touch of each 2 MB one fault instead of 512.
    if (bytes >= kLargePageThreshold)
        madvise(block, bytes, MADV_HUGEPAGE);
#endif
    gPagesInUse += bytes;
    return block;
}

void ReleasePages(void* block, size_t bytes) {
    if (block == nullptr)
        return;
    munmap(block, bytes);
    gPagesInUse -= bytes;
}

MessageAnswer ShowMessage(void*, const std::string& text, const std::string& caption, MessageIcon,
                          MessageButtons buttons) {
    RecordMessage(caption, text);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

bool CommitFile(const std::string& completed, const std::string& target) {
    return std::rename(completed.c_str(), target.c_str()) == 0;
}

void OpenWithShell(void*, const std::string& target) {
    if (ShellRequestHandler handler = CurrentShellRequestHandler())
        handler(target);
}

namespace {
struct ThreadStart {
    ThreadFunction function;
    void* argument;
};

struct PosixThread {
    pthread_t thread;
    bool finished = false;
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t done = PTHREAD_COND_INITIALIZER;
    ThreadStart start;
};

void* RunThread(void* raw) {
    auto* self = static_cast<PosixThread*>(raw);
    self->start.function(self->start.argument);
    pthread_mutex_lock(&self->lock);
    self->finished = true;
    pthread_cond_broadcast(&self->done);
    pthread_mutex_unlock(&self->lock);
    return nullptr;
}
} // namespace

ThreadHandle StartThread(ThreadFunction function, void* argument) {
    auto* thread = new (std::nothrow) PosixThread;
    if (thread == nullptr)
        return nullptr;
    thread->start = {function, argument};
    if (pthread_create(&thread->thread, nullptr, &RunThread, thread) != 0) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void JoinThread(ThreadHandle handle) {
    if (handle == nullptr)
        return;
    auto* thread = static_cast<PosixThread*>(handle);
    pthread_join(thread->thread, nullptr);
    delete thread;
}

bool JoinThreadTimed(ThreadHandle handle, uint32_t milliseconds) {
    if (handle == nullptr)
        return true;
    auto* thread = static_cast<PosixThread*>(handle);
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    pthread_mutex_lock(&thread->lock);
    while (!thread->finished) {
        if (pthread_cond_timedwait(&thread->done, &thread->lock, &deadline) == ETIMEDOUT)
            break;
    }
    bool finished = thread->finished;
    pthread_mutex_unlock(&thread->lock);
    if (!finished)
        return false;
    JoinThread(handle);
    return true;
}

unsigned ProcessorCount() {
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<unsigned>(count) : 1u;
}

} // namespace platform
