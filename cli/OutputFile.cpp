#include "cli/OutputFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace cli {

namespace {

constexpr char kPrefix[] = ".vortiflux-";
constexpr char kLegacyMarker[] = ".vortiflux-"; // ".NAME.vortiflux-PID" of earlier versions
constexpr int kSymbolicLinkLimit = 40;
constexpr time_t kStaleSeconds = 60;

// The temporary files that exist right now, for the signal handler: fixed storage, written
// before a file is created and cleared after it is renamed or removed.
constexpr int kSlots = 4;
char gSlotPaths[kSlots][PATH_MAX];
volatile sig_atomic_t gSlotUsed[kSlots];

int TakeSlot(const std::string& path) {
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i)
        if (gSlotUsed[i] == 0) {
            std::memcpy(gSlotPaths[i], path.c_str(), path.size() + 1);
            gSlotUsed[i] = 1;
            return i;
        }
    return -1;
}

void ReleaseSlot(int slot) {
    if (slot >= 0)
        gSlotUsed[slot] = 0;
}

void OnSignal(int signal) {
    for (int i = 0; i < kSlots; ++i)
        if (gSlotUsed[i] != 0)
            unlink(gSlotPaths[i]);
    // Ends the process as the signal would have, so the caller sees how it ended.
    struct sigaction restore {};
    restore.sa_handler = SIG_DFL;
    sigemptyset(&restore.sa_mask);
    sigaction(signal, &restore, nullptr);
    raise(signal);
}

mode_t NewFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = umask(022);
        umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

bool ProcessGone(long pid) {
    return pid > 0 && pid <= INT_MAX && kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() < 10 && text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

bool ResolveOutput(const std::string& output, OutputTarget* target, std::string* error) {
    *target = OutputTarget();
    target->shown = output;
    fs::path path(output);
    struct stat status {};
    for (int links = 0;; ++links) {
        if (lstat(path.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                *error = "cannot write " + output + ": " + std::strerror(errno);
                return false;
            }
            break; // to be made
        }
        if (!S_ISLNK(status.st_mode)) {
            target->exists = true;
            break;
        }
        if (links == kSymbolicLinkLimit) {
            *error = "cannot write " + output + ": " + std::strerror(ELOOP);
            return false;
        }
        std::error_code failed;
        const fs::path next = fs::read_symlink(path, failed);
        if (failed) {
            *error = "cannot write " + output + ": " + failed.message();
            return false;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    target->path = path.string();
    if (target->exists) {
        if (S_ISDIR(status.st_mode)) {
            *error = "cannot write " + output + ": " + std::strerror(EISDIR);
            return false;
        }
        target->regular = S_ISREG(status.st_mode);
        target->mode = status.st_mode & 07777;
        target->owner = status.st_uid;
        target->group = status.st_gid;
        target->device = status.st_dev;
        target->inode = status.st_ino;
        // Root may write anything, so the mode's write bits decide for it too.
        target->readOnly = target->regular && ((status.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0);
    }
    return true;
}

std::string TemporaryName(const std::string& name, long pid, size_t nameMax) {
    std::string result = kPrefix + std::to_string(pid) + "-";
    size_t keep = nameMax > result.size() ? std::min(name.size(), nameMax - result.size()) : 0;
    // Never cut a UTF-8 sequence in two.
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return result + name.substr(0, keep);
}

bool IsTemporaryName(const std::string& name, long* pid) {
    const size_t prefix = sizeof kPrefix - 1;
    if (name.compare(0, prefix, kPrefix) == 0) {
        const size_t dash = name.find('-', prefix);
        if (dash != std::string::npos && AllDigits(name.substr(prefix, dash - prefix))) {
            *pid = std::stol(name.substr(prefix, dash - prefix));
            return true;
        }
    }
    const size_t marker = name.rfind(kLegacyMarker);
    if (name.size() > 1 && name[0] == '.' && marker != std::string::npos && marker > 1 &&
        AllDigits(name.substr(marker + sizeof kLegacyMarker - 1))) {
        *pid = std::stol(name.substr(marker + sizeof kLegacyMarker - 1));
        return true;
    }
    return false;
}

std::vector<std::string> RemoveStaleTemporaries(const std::string& folder) {
    std::vector<std::string> removed;
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr)
        return removed;
    const time_t now = std::time(nullptr);
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        long pid = 0;
        if (!IsTemporaryName(name, &pid) || pid == long(getpid()))
            continue;
        struct stat status {};
        if (fstatat(dirfd(directory), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != geteuid() || now - status.st_mtime < kStaleSeconds || !ProcessGone(pid))
            continue;
        if (unlinkat(dirfd(directory), name.c_str(), 0) == 0)
            removed.push_back(name);
    }
    closedir(directory);
    return removed;
}

void InstallSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        // A signal the caller chose to ignore (nohup) stays ignored.
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
}

TemporaryOutput::~TemporaryOutput() {
    Discard();
}

void TemporaryOutput::Discard() {
    if (descriptor_ >= 0)
        close(descriptor_);
    descriptor_ = -1;
    if (!path_.empty())
        unlink(path_.c_str());
    path_.clear();
    ReleaseSlot(slot_);
    slot_ = -1;
}

bool TemporaryOutput::Create(const OutputTarget& target, std::string* error) {
    Discard();
    target_ = target;
    const fs::path output(target.path);
    const fs::path folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
    long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;
    const std::string path =
        (folder / TemporaryName(output.filename().string(), long(getpid()), size_t(nameMax))).string();
    slot_ = TakeSlot(path);
    for (int attempt = 0; attempt < 2; ++attempt) {
        descriptor_ = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (descriptor_ >= 0 || errno != EEXIST)
            break;
        // Carries this process's number, so it is a leftover of an earlier process that had it.
        unlink(path.c_str());
    }
    if (descriptor_ < 0) {
        const int reason = errno;
        ReleaseSlot(slot_);
        slot_ = -1;
        *error = "cannot write " + target.shown + ": " + std::strerror(reason);
        return false;
    }
    path_ = path;
    // Writers open the file through its descriptor, so a name swapped meanwhile cannot redirect them.
    const std::string viaDescriptor = "/proc/self/fd/" + std::to_string(descriptor_);
    writePath_ = access(viaDescriptor.c_str(), F_OK) == 0 ? viaDescriptor : path_;
    return true;
}

bool TemporaryOutput::Commit(std::string* error) {
    if (target_.exists) {
        // The owner first: a change of owner clears the set-user and set-group bits.
        if (target_.owner != geteuid() || target_.group != getegid())
            (void)!fchown(descriptor_, target_.owner, target_.group);
        fchmod(descriptor_, target_.mode);
    } else {
        fchmod(descriptor_, NewFileMode());
    }
    if (rename(path_.c_str(), target_.path.c_str()) != 0) {
        const int reason = errno;
        Discard();
        *error = "cannot write " + target_.shown + ": " + std::strerror(reason);
        return false;
    }
    close(descriptor_);
    descriptor_ = -1;
    path_.clear();
    ReleaseSlot(slot_);
    slot_ = -1;
    return true;
}

} // namespace cli
