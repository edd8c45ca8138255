#include "plugin/Suites.h"

namespace {

struct KeptSuite {
    const char* name;
    int32_t version;
    SPBasicSuite* basic = nullptr; // the basic suite that granted it
    const void* table = nullptr;
};

KeptSuite gReferenceSuite{kPSActionReferenceSuite, kPSActionReferenceSuiteVersion2};
KeptSuite gActionControlSuite{kPSBasicActionControlSuite, kPSBasicActionControlSuiteVersion1};

const void* Keep(KeptSuite& kept) {
    // A host keeps its basic suite while the library is loaded; should another basic suite
    // appear, the old one may be gone and must not be called.
    if (kept.table != nullptr && kept.basic == sSPBasic)
        return kept.table;
    kept.table = nullptr;
    kept.basic = nullptr;
    if (sSPBasic == nullptr || sSPBasic->AcquireSuite == nullptr)
        return nullptr;
    const void* table = nullptr;
    if (sSPBasic->AcquireSuite(kept.name, kept.version, &table) != kSPNoError)
        return nullptr;
    if (table == nullptr) {
        if (sSPBasic->ReleaseSuite != nullptr)
            sSPBasic->ReleaseSuite(kept.name, kept.version);
        return nullptr;
    }
    kept.basic = sSPBasic;
    kept.table = table;
    return table;
}

void Release(KeptSuite& kept) {
    if (kept.table != nullptr && kept.basic != nullptr && kept.basic->ReleaseSuite != nullptr)
        kept.basic->ReleaseSuite(kept.name, kept.version);
    kept.table = nullptr;
    kept.basic = nullptr;
}

// Gives the kept suites back when the library is unloaded.
struct KeptSuitesReleaser {
    ~KeptSuitesReleaser() { ReleaseKeptSuites(); }
} gKeptSuitesReleaser;

} // namespace

const PSActionReferenceProcs* KeptReferenceSuite() {
    return static_cast<const PSActionReferenceProcs*>(Keep(gReferenceSuite));
}

const PSBasicActionControlProcs* KeptActionControlSuite() {
    return static_cast<const PSBasicActionControlProcs*>(Keep(gActionControlSuite));
}

void ReleaseKeptSuites() {
    Release(gReferenceSuite);
    Release(gActionControlSuite);
}
