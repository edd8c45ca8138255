#pragma once
// Host suites reached through the basic suite by name and version. A suite is held for one
// operation and given back on every path by its owner; the action reference and basic action
// control suites are kept once acquired and given back when the library unloads.

#include "plugin/Globals.h"

// Holds one suite for the lifetime of the owner; empty when the host has no basic suite or
// refuses the suite (a missing suite is never an error by itself).
template <typename Suite> class AcquiredSuite {
public:
    AcquiredSuite(const char* name, int32_t version) : name_(name), version_(version) {
        if (sSPBasic == nullptr || sSPBasic->AcquireSuite == nullptr)
            return;
        const void* table = nullptr;
        if (sSPBasic->AcquireSuite(name, version, &table) != kSPNoError)
            return;
        basic_ = sSPBasic;
        suite_ = static_cast<const Suite*>(table);
        // A host that grants the suite but hands out nothing still counts it as acquired.
        if (suite_ == nullptr)
            Release();
    }
    ~AcquiredSuite() { Release(); }
    AcquiredSuite(const AcquiredSuite&) = delete;
    AcquiredSuite& operator=(const AcquiredSuite&) = delete;

    const Suite* get() const { return suite_; }
    const Suite* operator->() const { return suite_; }
    explicit operator bool() const { return suite_ != nullptr; }

private:
    void Release() {
        if (basic_ != nullptr && basic_->ReleaseSuite != nullptr)
            basic_->ReleaseSuite(name_, version_);
        basic_ = nullptr;
        suite_ = nullptr;
    }

    const char* name_;
    int32_t version_;
    SPBasicSuite* basic_ = nullptr;
    const Suite* suite_ = nullptr;
};

// The action reference suite (version 2) and the basic action control suite (version 1), kept
// once acquired; null when the host cannot give them.
const PSActionReferenceProcs* KeptReferenceSuite();
const PSBasicActionControlProcs* KeptActionControlSuite();
// Gives the kept suites back through the basic suite that granted them. Runs when the library
// unloads; a program that links the plug-in's code directly calls it before its host goes away.
void ReleaseKeptSuites();
