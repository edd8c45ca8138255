// The last used values survive a real restart: one host process runs the filter and exits, a
// second process finds the values in the registry file.
#include "TestPlugin.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(RegistryRestart, ASecondHostProcessStartsWithTheFirstProcessValues) {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("vortiflux-restart-" + std::to_string(getpid()) + ".reg")).string();
    std::filesystem::remove(file);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        host::SubstituteHost first;
        std::string error;
        if (!first.Load(testing_support::PluginPath(), &error))
            _exit(2);
        first.options.registryFile = file;
        first.document = host::Document::Make(16, 16, plugInModeRGBColor, false);
        host::DescriptorItem method{keyMethod, typeInteger, 3, 0.0};
        host::DescriptorItem value{keyValue, typeFloat, 0, 40.0};
        first.PlayDescriptor({method, value}, plugInDialogDontDisplay);
        _exit(first.RunInteractive().result == noErr ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    host::SubstituteHost second;
    std::string error;
    ASSERT_TRUE(second.Load(testing_support::PluginPath(), &error)) << error;
    second.options.registryFile = file;
    second.document = host::Document::Make(16, 16, plugInModeRGBColor, false);
    ASSERT_EQ(second.RunInteractive().result, noErr);
    FilterParameters p{};
    std::memcpy(&p, second.parametersBytes(), sizeof p);
    EXPECT_EQ(p.method, 3);
    EXPECT_EQ(p.value, 40.0f);
    std::filesystem::remove(file);
}

} // namespace
