// The scripting descriptor of the current run: read at Start, written at Finish.
#include "engine/EffectFields.h"
#include "plugin/Globals.h"
#include "plugin/HostChecks.h"
#include "plugin/Scripting.h"

#include <iterator>

namespace {

const ReadDescriptorProcs* UsableReadProcs(const PIDescriptorParameters* descriptor) {
    const ReadDescriptorProcs* procs = descriptor->readDescriptorProcs;
    if (procs == nullptr || procs->readDescriptorProcsVersion < kCurrentReadDescriptorProcsVersion ||
        procs->numReadDescriptorProcs < kCurrentReadDescriptorProcsCount)
        return nullptr;
    if (procs->openReadDescriptorProc == nullptr || procs->closeReadDescriptorProc == nullptr ||
        procs->getKeyProc == nullptr || procs->getIntegerProc == nullptr || procs->getFloatProc == nullptr)
        return nullptr;
    return procs;
}

const WriteDescriptorProcs* UsableWriteProcs(const PIDescriptorParameters* descriptor) {
    const WriteDescriptorProcs* procs = descriptor->writeDescriptorProcs;
    if (procs == nullptr || procs->writeDescriptorProcsVersion < kCurrentWriteDescriptorProcsVersion ||
        procs->numWriteDescriptorProcs < kCurrentWriteDescriptorProcsCount)
        return nullptr;
    if (procs->openWriteDescriptorProc == nullptr || procs->closeWriteDescriptorProc == nullptr ||
        procs->putIntegerProc == nullptr || procs->putFloatProc == nullptr)
        return nullptr;
    return procs;
}

void DisposeHostHandle(Handle handle) {
    const HandleProcs* procs = UsableHandleProcs(kHandleDisposeMember);
    if (handle != nullptr && procs != nullptr && procs->disposeProc != nullptr)
        procs->disposeProc(handle);
}

} // namespace

OSErr ReadScriptParameters(bool* showDialog) {
    if (showDialog == nullptr)
        return errMissingParameter;
    *showDialog = gPluginData != nullptr && gPluginData->queryForParameters;
    if (gFilterRecord == nullptr || gParams == nullptr)
        return noErr;
    PIDescriptorParameters* descriptor = gFilterRecord->descriptorParameters;
    if (descriptor == nullptr || descriptor->descriptor == nullptr)
        return noErr;
    const ReadDescriptorProcs* procs = UsableReadProcs(descriptor);
    if (procs == nullptr)
        return noErr;

    DescriptorKeyID wanted[1 + std::size(kEffectFields) + 1] = {keyMethod};
    for (size_t i = 0; i < std::size(kEffectFields); ++i)
        wanted[1 + i] = kEffectFields[i].key;
    if (PIReadDescriptor token = procs->openReadDescriptorProc(descriptor->descriptor, wanted)) {
        DescriptorKeyID key = 0;
        DescType type = 0;
        int32_t flags = 0;
        while (procs->getKeyProc(token, &key, &type, &flags)) {
            if (key == keyMethod) {
                int32_t method = 0;
                if (procs->getIntegerProc(token, &method) != noErr)
                    break;
                gParams->method = static_cast<uint8_t>(method & 0xFF);
            } else if (float* field = EffectFieldOf(*gParams, key)) {
                double number = 0.0;
                if (procs->getFloatProc(token, &number) != noErr)
                    break;
                *field = static_cast<float>(number);
            }
        }
        procs->closeReadDescriptorProc(token);
        DisposeHostHandle(descriptor->descriptor);
        descriptor->descriptor = nullptr;
    }
    *showDialog = descriptor->playInfo == plugInDialogDisplay;
    return noErr;
}

OSErr WriteScriptParameters() {
    if (gFilterRecord == nullptr || gParams == nullptr)
        return noErr;
    PIDescriptorParameters* descriptor = gFilterRecord->descriptorParameters;
    if (descriptor == nullptr)
        return noErr;
    const WriteDescriptorProcs* procs = UsableWriteProcs(descriptor);
    if (procs == nullptr)
        return noErr;
    PIWriteDescriptor token = procs->openWriteDescriptorProc();
    if (token == nullptr)
        return errMissingParameter;
    procs->putIntegerProc(token, keyMethod, gParams->method);
    for (const EffectField& entry : kEffectFields) {
        const double number = gParams->*entry.field;
        procs->putFloatProc(token, entry.key, &number);
    }
    DisposeHostHandle(descriptor->descriptor);
    descriptor->descriptor = nullptr;
    PIDescriptorHandle written = nullptr;
    procs->closeWriteDescriptorProc(token, &written);
    descriptor->descriptor = written;
    descriptor->recordInfo = plugInDialogOptional;
    return noErr;
}
