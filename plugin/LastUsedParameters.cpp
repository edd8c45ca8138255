// The last used values, kept in the host's descriptor registry.
#include "plugin/Globals.h"
#include "plugin/Scripting.h"

OSErr ReadLastUsedParameters() {
    if (sSPBasic == nullptr)
        return errPlugInHostInsufficient;
    return noErr;
}

OSErr WriteLastUsedParameters() {
    if (sSPBasic == nullptr)
        return errPlugInHostInsufficient;
    return noErr;
}
