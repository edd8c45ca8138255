// The last used values, kept in the host's descriptor registry under the key the property list
// names as the terminology scope, so they survive a restart of the host.
#include "engine/EffectFields.h"
#include "plugin/Globals.h"
#include "plugin/Scripting.h"
#include "plugin/Suites.h"

#include <optional>

namespace {

// A descriptor made or handed out by the host, freed on every path.
struct DescriptorOwner {
    const PSActionDescriptorProcs* suite;
    PIActionDescriptor descriptor = nullptr;
    ~DescriptorOwner() {
        if (descriptor != nullptr && suite != nullptr && suite->Free != nullptr)
            suite->Free(descriptor);
    }
};

// The action descriptor suite at version 3, or at version 2 where a host offers only that (the
// Paint.NET host does): make, free, put and get integer and float are in both tables, at the
// same places.
class DescriptorSuite {
public:
    DescriptorSuite() {
        if (!version3_)
            version2_.emplace(kPSActionDescriptorSuite, kPSActionDescriptorSuiteVersion2);
    }
    const PSActionDescriptorProcs* get() const {
        return version3_ ? version3_.get() : version2_ ? version2_->get() : nullptr;
    }
    const PSActionDescriptorProcs* operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }

private:
    AcquiredSuite<PSActionDescriptorProcs> version3_{kPSActionDescriptorSuite, kPSActionDescriptorSuiteVersion3};
    std::optional<AcquiredSuite<PSActionDescriptorProcs>> version2_;
};

bool UsableForReading(const PSDescriptorRegistryProcs* registry, const PSActionDescriptorProcs* descriptors) {
    return registry->Get != nullptr && descriptors->Free != nullptr && descriptors->GetInteger != nullptr &&
           descriptors->GetFloat != nullptr;
}

bool UsableForWriting(const PSDescriptorRegistryProcs* registry, const PSActionDescriptorProcs* descriptors) {
    return registry->Register != nullptr && descriptors->Make != nullptr && descriptors->Free != nullptr &&
           descriptors->PutInteger != nullptr && descriptors->PutFloat != nullptr;
}

} // namespace

OSErr ReadLastUsedParameters() {
    if (sSPBasic == nullptr)
        return errPlugInHostInsufficient;
    AcquiredSuite<PSDescriptorRegistryProcs> registry(kPSDescriptorRegistrySuite, kPSDescriptorRegistrySuiteVersion1);
    if (!registry)
        return errPlugInHostInsufficient;
    DescriptorSuite descriptors;
    if (!descriptors || !UsableForReading(registry.get(), descriptors.get()) || gParams == nullptr)
        return errPlugInHostInsufficient;

    DescriptorOwner stored{descriptors.get()};
    const SPErr status = registry->Get(kLastUsedRegistryKey, &stored.descriptor);
    if (status != kSPNoError || stored.descriptor == nullptr)
        return OSErr(status); // the first run ever: nothing stored yet

    // A key that is missing or of another type leaves its field as it is.
    int32_t method = 0;
    SPErr last = descriptors->GetInteger(stored.descriptor, keyMethod, &method);
    if (last == kSPNoError)
        gParams->method = static_cast<uint8_t>(method & 0xFF);
    for (const EffectField& entry : kEffectFields) {
        double number = 0.0;
        last = descriptors->GetFloat(stored.descriptor, entry.key, &number);
        if (last == kSPNoError)
            gParams->*entry.field = static_cast<float>(number);
    }
    return OSErr(last);
}

OSErr WriteLastUsedParameters() {
    if (sSPBasic == nullptr)
        return errPlugInHostInsufficient;
    AcquiredSuite<PSDescriptorRegistryProcs> registry(kPSDescriptorRegistrySuite, kPSDescriptorRegistrySuiteVersion1);
    if (!registry)
        return errPlugInHostInsufficient;
    DescriptorSuite descriptors;
    if (!descriptors || !UsableForWriting(registry.get(), descriptors.get()) || gParams == nullptr)
        return errPlugInHostInsufficient;

    DescriptorOwner values{descriptors.get()};
    const SPErr made = descriptors->Make(&values.descriptor);
    if (made != kSPNoError || values.descriptor == nullptr)
        return made != kSPNoError ? OSErr(made) : OSErr(memFullErr);
    descriptors->PutInteger(values.descriptor, keyMethod, gParams->method);
    for (const EffectField& entry : kEffectFields)
        descriptors->PutFloat(values.descriptor, entry.key, double(gParams->*entry.field));
    return OSErr(registry->Register(kLastUsedRegistryKey, values.descriptor, true));
}
