#include "plugin/Progress.h"

#include "plugin/Globals.h"
#include "plugin/UserInterface.h"

void ReportProgress(float done, float total) {
    if (dialogActive) {
        ShowDialogProgress(done, total);
        return;
    }
    if (gFilterRecord == nullptr || gFilterRecord->progressProc == nullptr)
        return;
    int32_t reported = done > 0.0f ? static_cast<int32_t>(done) : 0;
    gFilterRecord->progressProc(reported, static_cast<int32_t>(total));
}
