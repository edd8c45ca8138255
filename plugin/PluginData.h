#pragma once
// The plug-in's private record, kept by the host in the data slot between calls.

#include "plugin/HostAbi.h"

struct PluginData {
    Rect proxyRect;             // the preview area; maintained by the dialog and the preview
    Boolean queryForParameters; // when true, Start shows the dialog
};

// The handle that stores the record is created with this size.
constexpr int32_t kPluginDataHandleSize = 20;
static_assert(sizeof(PluginData) <= kPluginDataHandleSize, "record must fit its handle");
