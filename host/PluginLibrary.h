#pragma once
// Loads a plug-in library and finds its entry point, as a host does: on Windows through the
// property list's 64-bit entry-point name, elsewhere by the name PluginMain. On Windows the
// library's message boxes and shell requests then reach the recorders of host/DesktopCalls.h:
// this host has no user to answer them.

#include "plugin/HostAbi.h"

#include <string>
#include <vector>

namespace host {

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary() { Unload(); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the library (`path` in UTF-8); false with a message in `error` when it cannot be used.
    bool Load(const std::string& path, std::string* error);
    void Unload();
    // Drives an entry point linked into this program instead of a library (tests of the
    // plug-in's own code with the program's failure switches).
    // `propertyList` stands for the library's own (hosts read it before they load the code).
    void UseEntry(PluginEntryProc entry, std::vector<uint8_t> propertyList = {}) {
        Unload();
        entry_ = entry;
        propertyList_ = std::move(propertyList);
    }
    // Unloads and loads the library again, as a host process started anew finds it: every
    // process-wide value of the plug-in back at its start.
    bool Reload(std::string* error);
    bool loaded() const { return module_ != nullptr; }
    PluginEntryProc entry() const { return entry_; }
    // The raw property list: the resource on Windows, the exported data elsewhere.
    const std::vector<uint8_t>& propertyList() const { return propertyList_; }
    // The raw terminology resource the property list's 'hstm' names (Windows builds; empty
    // elsewhere or when the plug-in carries none).
    const std::vector<uint8_t>& terminology() const { return terminology_; }
    // Address of another exported function, or null.
    void* Symbol(const char* name) const;

private:
    void* module_ = nullptr;
    std::string path_;
    PluginEntryProc entry_ = nullptr;
    std::vector<uint8_t> propertyList_;
    std::vector<uint8_t> terminology_;
};

} // namespace host
