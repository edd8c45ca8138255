#include "host/HostProfiles.h"

namespace host {

namespace {

struct Entry {
    HostProfile profile;
    const char* name;
};
constexpr Entry kProfiles[] = {
    {HostProfile::Full, "full"},
    {HostProfile::PaintNet, "paintnet"},
    {HostProfile::Gimp, "gimp"},
    {HostProfile::Bare, "bare"},
};

// What every profile starts from: the full host.
void ApplyFull(SubstituteHost* host) {
    HostOptions& o = host->options;
    o.bigDocument = true;
    o.descriptors = true;
    o.basicSuite = true;
    o.colorServices = true;
    o.colorServicesFail = false;
    o.channelPorts = true;
    o.documentInfo = true;
    o.progressProc = true;
    o.abortProc = true;
    o.samplingSupport = true;
    o.refillOnlyOnNewRect = false;
    o.checkPropertyList = false;
    o.evaluateEnable = false;
    o.masking = SelectionMasking::FilterCases;
    o.sendsFinish = true;
    o.processPerRun = false;
    o.dataSlotBits = 64;
    host->suites().withheld.clear();
    host->suites().convert16 = true;
    host->suites().withheldVersions.clear();
}

} // namespace

const std::vector<HostProfile>& AllHostProfiles() {
    static const std::vector<HostProfile> all = {HostProfile::Full, HostProfile::PaintNet, HostProfile::Gimp,
                                                 HostProfile::Bare};
    return all;
}

const char* HostProfileName(HostProfile profile) {
    for (const Entry& entry : kProfiles)
        if (entry.profile == profile)
            return entry.name;
    return "?";
}

bool HostProfileFromName(const std::string& name, HostProfile* profile) {
    for (const Entry& entry : kProfiles) {
        if (name == entry.name) {
            *profile = entry.profile;
            return true;
        }
    }
    return false;
}

void ApplyHostProfile(HostProfile profile, SubstituteHost* host) {
    ApplyFull(host);
    HostOptions& o = host->options;
    switch (profile) {
    case HostProfile::Full:
        break;
    case HostProfile::PaintNet:
        o.checkPropertyList = true;
        o.evaluateEnable = true;
        o.bigDocument = false;
        o.channelPorts = false;
        o.refillOnlyOnNewRect = true;
        host->suites().withheld = {kPSChannelPortsSuite, kPSBasicActionControlSuite};
        host->suites().withheldVersions[kPSActionDescriptorSuite] = {kPSActionDescriptorSuiteVersion3};
        host->suites().convert16 = false;
        break;
    case HostProfile::Gimp:
        o.basicSuite = false;
        o.descriptors = false;
        o.channelPorts = false;
        o.documentInfo = false;
        o.bigDocument = false;
        o.colorServicesFail = true;
        o.samplingSupport = false;
        o.sendsFinish = false;
        o.processPerRun = true;
        o.dataSlotBits = 32;
        o.masking = SelectionMasking::Always;
        break;
    case HostProfile::Bare:
        o.basicSuite = false;
        o.descriptors = false;
        o.channelPorts = false;
        o.documentInfo = false;
        o.bigDocument = false;
        o.colorServices = false;
        o.samplingSupport = false;
        o.progressProc = false;
        o.abortProc = false;
        break;
    }
}

} // namespace host
