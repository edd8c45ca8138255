#pragma once
// The effect values travel through the host's scripting descriptor (recorded actions) and its
// descriptor registry (the last used values, kept across host restarts).

#include "plugin/HostAbi.h"

// Registry key of the last used values (also the scope of the terminology in the property list).
constexpr const char* kLastUsedRegistryKey = "d9543b0c-3c91-11d4-97bc-43c134052017";

// Reads the last used values into the parameters; -30900 without a basic suite.
OSErr ReadLastUsedParameters();
// Stores the parameters as the last used values; -30900 without a basic suite.
OSErr WriteLastUsedParameters();
// Reads a recorded descriptor's values and decides whether to show the dialog; -1715 only when
// showDialog is null.
OSErr ReadScriptParameters(bool* showDialog);
// Hands the run's values to the host for recording; -1715 when no write descriptor opens.
OSErr WriteScriptParameters();
