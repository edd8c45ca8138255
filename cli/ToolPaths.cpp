#include "cli/ToolPaths.h"

#include "presets/PresetFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace cli {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool IsFile(const fs::path& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

} // namespace

std::string ExecutableFolder() {
    std::error_code failed;
    const fs::path program = fs::canonical("/proc/self/exe", failed);
    return failed ? std::string() : program.parent_path().string();
}

std::string FindPlugin(const std::string& requested, std::vector<std::string>* tried) {
    tried->clear();
    if (!requested.empty())
        return requested;
    if (const char* fromEnvironment = std::getenv("VORTIFLUX_PLUGIN"); fromEnvironment != nullptr && *fromEnvironment)
        return fromEnvironment;
    const std::string folder = ExecutableFolder();
    if (folder.empty())
        return std::string();
    for (const fs::path& candidate :
         {fs::path(folder) / "Vortiflux.so", fs::path(folder).parent_path() / "lib" / "vortiflux" / "Vortiflux.so"}) {
        tried->push_back(candidate.lexically_normal().string());
        if (IsFile(candidate))
            return candidate.lexically_normal().string();
    }
    return std::string();
}

std::string ShippedPresetsFolder() {
    const std::string folder = ExecutableFolder();
    if (folder.empty())
        return std::string();
    const fs::path presets = (fs::path(folder).parent_path() / "share" / "vortiflux" / "presets").lexically_normal();
    std::error_code ignored;
    return fs::is_directory(presets, ignored) ? presets.string() : std::string();
}

std::vector<std::string> ShippedPresetNames(const std::string& folder) {
    std::vector<std::string> names;
    if (folder.empty())
        return names;
    std::error_code failed;
    const std::string extension = std::string(".") + kPresetExtension;
    for (fs::recursive_directory_iterator it(folder, failed), end; !failed && it != end; it.increment(failed)) {
        const fs::path& path = it->path();
        if (IsFile(path) && Lower(path.extension().string()) == extension)
            names.push_back(path.lexically_relative(folder).replace_extension().generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FindShippedPreset(const std::string& folder, const std::string& name) {
    const std::string wanted = Lower(CutPresetExtension(name));
    std::string found;
    int matches = 0;
    for (const std::string& candidate : ShippedPresetNames(folder)) {
        const std::string lower = Lower(candidate);
        const size_t slash = lower.rfind('/');
        const std::string bare = slash == std::string::npos ? lower : lower.substr(slash + 1);
        if (lower == wanted)
            return (fs::path(folder) / (candidate + "." + kPresetExtension)).string();
        if (bare == wanted) {
            found = (fs::path(folder) / (candidate + "." + kPresetExtension)).string();
            ++matches;
        }
    }
    return matches == 1 ? found : std::string();
}

} // namespace cli
