#pragma once
// The two host handles the plug-in keeps between calls: the parameters record (in the
// FilterRecord's `parameters`) and the private record (in the host's data slot).

// Creates the parameters handle if `parameters` is null (68 bytes); -108 when the host fails.
void CreateParametersRecord();
// Creates the private record's handle if the data slot holds none of ours (20 bytes); -108 on
// failure.
void CreatePluginDataRecord();
// Whether both records exist: the parameters handle and a private record we created.
bool HaveRecords();
// Locks both handles into gParams and gPluginData: -30100 if one is missing, -108 if the
// host cannot lock. Returns true when both records are usable.
bool LockHandles();
// Unlocks whichever handles exist; gParams and gPluginData become invalid.
void UnlockHandles();
