#pragma once
// The services a host offers beyond the selector protocol: the basic suite, which hands out the
// other suites by name and version and counts what it handed out, the ColorSpace and
// ChannelPorts suites, the old colour services and channel port callbacks, and the document
// description with its layers. The action suites live in HostActions.

#include "host/ColorConversion.h"
#include "host/Document.h"
#include "host/HostActions.h"
#include "plugin/HostAbi.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace host {

class HostSuites {
public:
    explicit HostSuites(Document* document);
    ~HostSuites();
    HostSuites(const HostSuites&) = delete;
    HostSuites& operator=(const HostSuites&) = delete;

    SPBasicSuite* basic() { return &basic_; }
    ColorServicesProc colorServices() const;
    // A colour services callback that answers every call with an error.
    ColorServicesProc failingColorServices() const;
    ChannelPortProcs* channelPortProcs() { return &channelPorts_; }
    HostActions& actions() { return actions_; }
    ColorConverter& converter() { return converter_; }

    // Suites the basic suite refuses, by name, and versions of suites it refuses.
    std::set<std::string> withheld;
    std::map<std::string, std::set<int32_t>> withheldVersions;
    // Acquires not yet released, by suite name; and releases of suites nobody holds.
    std::map<std::string, int> outstanding;
    int unmatchedReleases = 0;
    int OutstandingTotal() const;
    // Every AcquireSuite call (granted or not) by name.
    std::map<std::string, int> acquireCalls;
    // Calls of Convert8 and Convert16 and the largest count one of them asked for.
    int convertCalls = 0;
    int largestConvert = 0;
    // False: Convert16 answers that it is not implemented (as a host of 8-bit images does).
    bool convert16 = true;

    // Rebuilds the document description from the document (before every selector); null when
    // the document has no size.
    ReadImageDocumentDesc* Describe();

    static HostSuites* current;

    // Internal to the procedures.
    SPErr Acquire(const char* name, int32_t version, const void** suite);
    SPErr Release(const char* name, int32_t version);
    OSErr ReadPort(PIChannelPort port, const VRect& source, const VRect& target, const PixelMemoryDesc* destination,
                   VRect* read);
    bool PortIsValid(PIChannelPort port) const;

private:
    struct Port {
        int layer; // index into document.layers, or -1 for the target (the document's pixels)
        int plane;
    };
    struct Description;

    Document* document_;
    ColorConverter converter_;
    HostActions actions_;
    SPBasicSuite basic_{};
    PSColorSpaceSuite1 colorSpace_{};
    PSChannelPortsSuite1 ports_{};
    ChannelPortProcs channelPorts_{};
    std::unique_ptr<Description> description_;
};

} // namespace host
