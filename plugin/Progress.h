#pragma once
// The one progress operation of the plug-in: the host's progress bar during a final render,
// the dialog's progress bar while the dialog is open.

void ReportProgress(float done, float total);
