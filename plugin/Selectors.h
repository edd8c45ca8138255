#pragma once
// One handler per selector of the host's filter protocol.

void DoAbout();
void DoParameters();
void DoPrepare();
void DoStart();
void DoContinue();
void DoFinish();
