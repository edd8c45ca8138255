#include "plugin/Progress.h"

#include "plugin/Globals.h"
#include "plugin/UserInterface.h"

#include <cstdint>

namespace {
// Truncated toward zero and kept inside what the host's 32-bit arguments hold; negative and
// undefined values report 0.
int32_t ProgressValue(float value) {
    if (!(value > 0.0f))
        return 0;
    if (value >= 2147483520.0f) // the largest float below 2^31
        return INT32_MAX;
    return static_cast<int32_t>(value);
}
} // namespace

void ReportProgress(float done, float total) {
    if (dialogActive) {
        ShowDialogProgress(done, total);
        return;
    }
    if (gFilterRecord == nullptr || gFilterRecord->progressProc == nullptr)
        return;
    gFilterRecord->progressProc(ProgressValue(done), ProgressValue(total));
}
