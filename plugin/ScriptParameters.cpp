// The scripting descriptor of the current run: read at Start, written at Finish.
#include "plugin/Globals.h"
#include "plugin/HostChecks.h"
#include "plugin/Scripting.h"

namespace {

// The eight keys in the order they are written.
constexpr DescriptorKeyID kFloatKeys[] = {keyValue,      keySize,    keyAberration, keyRandomSeed,
                                          keyProportion, keyCenterX, keyCenterY};

float* FloatField(DescriptorKeyID key) {
    switch (key) {
    case keyValue:
        return &gParams->value;
    case keySize:
        return &gParams->size;
    case keyAberration:
        return &gParams->aberration;
    case keyRandomSeed:
        return &gParams->randomSeed;
    case keyProportion:
        return &gParams->proportion;
    case keyCenterX:
        return &gParams->centerX;
    case keyCenterY:
        return &gParams->centerY;
    default:
        return nullptr;
    }
}

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

    DescriptorKeyID wanted[] = {keyMethod,  keyValue,   keySize, keyAberration, keyRandomSeed, keyProportion,
                                keyCenterX, keyCenterY, 0};
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
            } else if (float* field = FloatField(key)) {
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
    for (DescriptorKeyID key : kFloatKeys) {
        const double number = *FloatField(key);
        procs->putFloatProc(token, key, &number);
    }
    DisposeHostHandle(descriptor->descriptor);
    descriptor->descriptor = nullptr;
    PIDescriptorHandle written = nullptr;
    procs->closeWriteDescriptorProc(token, &written);
    descriptor->descriptor = written;
    descriptor->recordInfo = plugInDialogOptional;
    return noErr;
}
