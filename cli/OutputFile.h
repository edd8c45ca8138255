#pragma once
// Replacing output files without ever losing one: each output is written to a temporary file
// beside it and renamed over it only when complete. The temporary file takes the mode and owner
// the output had, symbolic links are followed to the file they name, read-only outputs are kept
// unless forced, and a temporary file is removed when the run fails, is interrupted (SIGINT,
// SIGTERM, SIGHUP) or — for a run that was killed outright — by a later run.

#include <sys/types.h>

#include <string>
#include <vector>

namespace cli {

// An output as it is on disk before the run.
struct OutputTarget {
    std::string shown;     // as the user named it
    std::string path;      // the file written: symbolic links followed to the file they name
    bool exists = false;   // `path` exists
    bool regular = true;   // a regular file, or one to be made; otherwise (a device, a pipe) written in place
    bool readOnly = false; // exists without write permission for us
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    dev_t device = 0; // identity of an existing file
    ino_t inode = 0;
};

// Follows `output` through symbolic links and records what is there. False with a message when
// it cannot be resolved (a loop of links, a folder in the way).
bool ResolveOutput(const std::string& output, OutputTarget* target, std::string* error);

// The temporary file of an output named `name` written by process `pid`:
// ".vortiflux-PID-NAME", with NAME cut so the whole stays within the file system's name limit.
std::string TemporaryName(const std::string& name, long pid, size_t nameMax = 255);
// Whether `name` is a temporary file of this tool (of this naming or of the earlier
// ".NAME.vortiflux-PID"), and of which process.
bool IsTemporaryName(const std::string& name, long* pid);

// Removes temporary files that runs of this tool left in `folder` when they were killed: only
// regular files of our naming, owned by this user, whose process no longer exists and that have
// not changed for a minute. Returns the names removed.
std::vector<std::string> RemoveStaleTemporaries(const std::string& folder);

// Removes registered temporary files on SIGINT, SIGTERM and SIGHUP, then ends the process by the
// same signal. Called once at start.
void InstallSignalCleanup();

class TemporaryOutput {
public:
    TemporaryOutput() = default;
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // Creates the temporary file beside `target.path`. False with "cannot write NAME: reason".
    bool Create(const OutputTarget& target, std::string* error);
    // The path the writers open: the temporary file itself, through its open descriptor.
    const std::string& writePath() const { return writePath_; }
    // Gives the file the mode and owner the output had (or the usual mode of a new file) and
    // renames it over the output. False with a message; the temporary file is then removed.
    bool Commit(std::string* error);

private:
    void Discard();

    OutputTarget target_;
    std::string path_;
    std::string writePath_;
    int descriptor_ = -1;
    int slot_ = -1;
};

} // namespace cli
