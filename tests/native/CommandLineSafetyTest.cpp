// The vortiflux tool never loses a file: outputs checked against every input and each other before
// any work, replaced outputs that keep what the user set on them, no temporary file left by a
// failed, interrupted or killed run, values saved only from a run that succeeded.
#include "TempFolder.h"
#include "ToolTestSupport.h"
#include "cli/OutputFile.h"
#include "presets/PresetFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

using testing_support::TempFolder;
using namespace tool_test;
namespace fs = std::filesystem;

extern char** environ;

namespace {

const char* kNeutral = "--value 0 --aberration 0 --quiet";

class ToolSafety : public ::testing::Test {
protected:
    std::string Env() const { return "XDG_CONFIG_HOME=" + config.folder(); }
    ToolRun Run(const std::string& arguments) { return Tool(arguments, Env()); }
    std::string F(const std::string& name) const { return folder.file(name); }
    std::vector<std::string> Names(const std::string& sub = "") const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(F(sub)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    mode_t Mode(const std::string& name) const {
        struct stat status {};
        stat(F(name).c_str(), &status);
        return status.st_mode & 07777;
    }
    TempFolder folder;
    TempFolder config;
};

// A process number that no process has (one that has just ended).
pid_t DeadProcess() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

void AgeBy(const std::string& path, int seconds) {
    const auto old = fs::last_write_time(path) - std::chrono::seconds(seconds);
    fs::last_write_time(path, old);
}

TEST_F(ToolSafety, OutputsAreCheckedAgainstEveryInputAndEachOtherBeforeAnyWork) {
    fs::create_directories(F("a"));
    fs::create_directories(F("f"));
    fs::create_directories(F("d1"));
    fs::create_directories(F("d2"));
    Write(F("a/x.png"), Pattern(20, 10, cli::ColorModel::Rgb, false));
    Write(F("f/x.png"), Pattern(10, 20, cli::ColorModel::Rgb, false));
    Write(F("d1/x.png"), Pattern(12, 12, cli::ColorModel::Rgb, false));
    Write(F("d2/x.png"), Pattern(14, 14, cli::ColorModel::Rgb, false));
    const std::string kept = folder.Read("f/x.png");

    // The first input's result would replace the second input before it is read.
    ToolRun run = Run("apply " + F("a/x.png") + " " + F("f/x.png") + " -o " + F("f/") + " --quiet");
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("the output of " + F("a/x.png") + " would replace the input " + F("f/x.png")),
              std::string::npos)
        << run.output;
    EXPECT_EQ(folder.Read("f/x.png"), kept);

    // Two inputs of one name into one folder: refused, and not even the folder is made.
    run = Run("apply " + F("d1/x.png") + " " + F("d2/x.png") + " -o " + F("out/") + " --quiet");
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("would both be written to"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(F("out")));

    // Another name for the input (a hard link, a symbolic link) is the input.
    fs::create_hard_link(F("f/x.png"), F("hard.png"));
    fs::create_symlink(F("f/x.png"), F("soft.png"));
    for (const char* other : {"hard.png", "soft.png"}) {
        run = Run("apply " + F("f/x.png") + " -o " + F(other) + " --quiet");
        EXPECT_EQ(run.exitCode, 2) << other << ": " << run.output;
        EXPECT_NE(run.output.find("would replace the input"), std::string::npos) << run.output;
    }
    EXPECT_EQ(folder.Read("f/x.png"), kept);

    // A single input into a folder that does not exist yet.
    run = Run("apply " + F("a/x.png") + " -o " + F("new/folder/") + " " + kNeutral);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Read(F("new/folder/x.png")).pixels, Pattern(20, 10, cli::ColorModel::Rgb, false).pixels);
}

TEST_F(ToolSafety, ReplacedOutputsKeepTheirModeLinksAndProtection) {
    Write(F("in.png"), Pattern(16, 16, cli::ColorModel::Rgb, false));
    const std::string in = F("in.png");

    folder.Write("private.png", "old");
    chmod(F("private.png").c_str(), 0600);
    ASSERT_EQ(Run("apply " + in + " -o " + F("private.png") + " " + kNeutral).exitCode, 0);
    EXPECT_EQ(Mode("private.png"), 0600u);
    EXPECT_EQ(Read(F("private.png")).width, 16);

    // A new file gets the mode the user's umask gives.
    ASSERT_EQ(Tool("apply " + in + " -o " + F("masked.png") + " " + kNeutral, "umask 027;" + Env()).exitCode, 0);
    EXPECT_EQ(Mode("masked.png"), 0640u);

    // Written through the link, which stays a link.
    folder.Write("target.png", "old");
    fs::create_symlink("target.png", F("link.png"));
    ASSERT_EQ(Run("apply " + in + " -o " + F("link.png") + " " + kNeutral).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(F("link.png")));
    EXPECT_EQ(Read(F("target.png")).width, 16);

    // Read-only: kept unless forced, and still read-only when replaced.
    folder.Write("locked.png", "precious");
    chmod(F("locked.png").c_str(), 0444);
    ToolRun run = Run("apply " + in + " -o " + F("locked.png") + " " + kNeutral);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("is read-only; --force replaces it"), std::string::npos) << run.output;
    EXPECT_EQ(folder.Read("locked.png"), "precious");
    ASSERT_EQ(Run("apply " + in + " -o " + F("locked.png") + " --force " + kNeutral).exitCode, 0);
    EXPECT_EQ(Mode("locked.png"), 0444u);
    EXPECT_EQ(Read(F("locked.png")).width, 16);

    // The longest name the file system takes still has room for its temporary file.
    const std::string longName = std::string(251, 'n') + ".png";
    ASSERT_EQ(Run("apply " + in + " -o " + F(longName) + " " + kNeutral).exitCode, 0);
    ASSERT_EQ(Run("apply " + in + " -o " + F(longName) + " " + kNeutral).exitCode, 0);
    EXPECT_EQ(Read(F(longName)).width, 16);
    for (const std::string& name : Names())
        EXPECT_EQ(name.find(".vortiflux-"), std::string::npos) << name;
}

TEST_F(ToolSafety, InterruptedRunsRemoveTheirTemporaryFile) {
    // Large enough that writing the PNG takes a while; the signal arrives while it is written.
    Write(F("big.tif"), Pattern(2500, 2500, cli::ColorModel::Rgb, false));
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        folder.Write("out.png", "precious");
        const std::string input = F("big.tif"), output = F("out.png"), configEnv = Env();
        std::vector<std::string> strings = {VORTIFLUX_TOOL_PATH, "apply", input, "-o", output, "--quiet"};
        std::vector<char*> argv;
        for (std::string& s : strings)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        std::vector<std::string> envStrings = {configEnv};
        for (char** e = environ; *e != nullptr; ++e)
            if (std::string(*e).rfind("XDG_CONFIG_HOME=", 0) != 0)
                envStrings.push_back(*e);
        std::vector<char*> envp;
        for (std::string& s : envStrings)
            envp.push_back(s.data());
        envp.push_back(nullptr);
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, VORTIFLUX_TOOL_PATH, nullptr, nullptr, argv.data(), envp.data()), 0);
        bool writing = false;
        for (int i = 0; i < 120000 && !writing; ++i) {
            for (const std::string& name : Names())
                writing = writing || name.rfind(".vortiflux-", 0) == 0;
            if (!writing)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(writing) << "the tool never wrote a temporary file";
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(Names(), (std::vector<std::string>{"big.tif", "out.png"}));
        EXPECT_EQ(folder.Read("out.png"), "precious");
    }
}

TEST_F(ToolSafety, ALaterRunRemovesOnlyStaleLeftoversOfItsOwn) {
    Write(F("in.png"), Pattern(16, 16, cli::ColorModel::Rgb, false));
    const std::string dead = std::to_string(DeadProcess());
    const std::string alive = std::to_string(getpid());
    const std::vector<std::string> stale = {".vortiflux-" + dead + "-out.png", ".old.png.vortiflux-" + dead};
    const std::vector<std::string> kept = {
        ".vortiflux-" + alive + "-out.png",   // its process still runs
        ".vortiflux-" + dead + "-fresh.png",  // changed just now
        ".vortiflux-notes.txt",               // not our naming
        ".vortiflux-" + dead + "-linked.png", // a link, not a file we write
    };
    for (const std::string& name : stale) {
        folder.Write(name, "left over");
        AgeBy(F(name), 3600);
    }
    for (size_t i = 0; i + 1 < kept.size(); ++i) {
        folder.Write(kept[i], "someone's");
        if (i != 1)
            AgeBy(F(kept[i]), 3600);
    }
    fs::create_symlink("in.png", F(kept.back()));
    const ToolRun run = Run("apply " + F("in.png") + " -o " + F("out.png") + " --value 0");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const std::string& name : stale) {
        EXPECT_FALSE(fs::exists(F(name))) << name;
        EXPECT_NE(run.output.find("removed " + F(name) + ", left by an interrupted run"), std::string::npos)
            << run.output;
    }
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(F(name)))) << name;
}

TEST(TemporaryNames, StayWithinTheNameLimitAndAreRecognised) {
    long pid = 0;
    const std::string name = cli::TemporaryName(std::string(250, 'a') + ".png", 4194304);
    EXPECT_EQ(name.size(), 255u);
    EXPECT_TRUE(cli::IsTemporaryName(name, &pid));
    EXPECT_EQ(pid, 4194304);
    // A UTF-8 character is never cut in two.
    std::string accented;
    for (int i = 0; i < 130; ++i)
        accented += "\xC3\xA9";
    const std::string cut = cli::TemporaryName(accented, 12345);
    EXPECT_LE(cut.size(), 255u);
    EXPECT_NE(static_cast<unsigned char>(cut.back()), 0xC3);
    EXPECT_TRUE(cli::IsTemporaryName(".x.png.vortiflux-77", &pid));
    EXPECT_EQ(pid, 77);
    for (const char* other :
         {".vortiflux-", ".vortiflux-12", ".vortiflux-x-1.png", "vortiflux-12-a", ".png.vortiflux-"})
        EXPECT_FALSE(cli::IsTemporaryName(other, &pid)) << other;
}

TEST_F(ToolSafety, SelectionsAreRangeCheckedAndMustLieInTheImage) {
    Write(F("in.png"), Pattern(80, 60, cli::ColorModel::Rgb, false));
    struct Case {
        const char* selection;
        const char* says;
    };
    for (const Case& c :
         {Case{"10,10,2147483640,5", "not X,Y,W,H"}, Case{"-1,0,5,5", "not X,Y,W,H"}, Case{"0,0,0,5", "not X,Y,W,H"},
          Case{"1.5,0,5,5", "not X,Y,W,H"}, Case{"0,0,81,60", "does not fit in the 80 x 60 image"},
          Case{"100,100,5,5", "lies outside the 80 x 60 image"}}) {
        SCOPED_TRACE(c.selection);
        folder.Write("out.png", "precious");
        const ToolRun run = Run("apply " + F("in.png") + " -o " + F("out.png") + " --selection " + c.selection);
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_EQ(folder.Read("out.png"), "precious");
    }
    EXPECT_EQ(Run("apply " + F("in.png") + " -o " + F("out.png") + " --selection 0,0,80,60 --quiet").exitCode, 0);
}

TEST_F(ToolSafety, SavedPresetsHoldWhatThePluginRecordedAfterASuccessfulRun) {
    Write(F("in.png"), Pattern(30, 20, cli::ColorModel::Rgb, false));
    const std::string in = F("in.png");
    ASSERT_EQ(Run("apply " + in + " -o " + F("a.png") + " --method swirl --value 33 --proportion 7 --quiet").exitCode,
              0);
    // Only the size is given: the rest comes from the last run, as the plug-in recorded it.
    ToolRun run = Run("apply " + in + " -o " + F("b.png") + " --last-used --size 40 --save-preset " + F("used.vfxpst") +
                      " --quiet");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    FilterParameters saved{};
    ASSERT_TRUE(ReadPresetFile(F("used.vfxpst"), &saved));
    EXPECT_EQ(saved.method, Swirl);
    EXPECT_FLOAT_EQ(saved.value, 33.0f);
    EXPECT_FLOAT_EQ(saved.proportion, 7.0f);
    EXPECT_FLOAT_EQ(saved.size, 40.0f);

    // A run that fails saves nothing.
    run = Run("apply " + in + " " + F("missing.png") + " -o " + F("out/") + " --save-preset " + F("never.vfxpst"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("was not saved"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(F("never.vfxpst")));
}

TEST_F(ToolSafety, RunningOutOfMemoryIsOneLine) {
    if (std::getenv("VORTIFLUX_SANITIZED") != nullptr)
        GTEST_SKIP() << "the sanitizers' shadow memory does not run under an address-space limit";
    // A small JPEG that declares 8000 x 8000 pixels, allowed past the limit, in 150 MB of address space.
    Write(F("small.jpg"), Pattern(64, 48, cli::ColorModel::Rgb, false));
    std::string jpeg = folder.Read("small.jpg");
    const size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    jpeg.replace(frame + 5, 4, std::string("\x1F\x40\x1F\x40", 4));
    folder.Write("bomb.jpg", jpeg);
    const ToolRun run =
        Tool("apply " + F("bomb.jpg") + " -o " + F("out.png") + " --limit-pixels 1G", "ulimit -v 150000;" + Env());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("not enough memory"), std::string::npos) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    EXPECT_EQ(Names(), (std::vector<std::string>{"bomb.jpg", "small.jpg"}));
}

} // namespace
