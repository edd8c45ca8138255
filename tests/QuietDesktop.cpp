// Linked into the Windows test programs that run the plug-in's code in-process: nobody is there
// to answer a message box, so messages are only recorded (tests read them from the platform
// layer, and a test that answers a box itself turns them on around it).
#include "platform/Platform.h"

namespace {
const bool messageBoxesOff = [] {
    platform::SetMessageBoxesShown(false);
    return true;
}();
} // namespace
