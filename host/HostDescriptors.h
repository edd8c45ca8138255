#pragma once
// The host's scripting descriptors as the filter record offers them: a descriptor is a list of
// typed key/value items kept in a host handle; the read and write descriptor procedures walk
// and build such lists. Tests record the items a run wrote and play them back in another run.

#include "host/HostHandles.h"
#include "plugin/HostAbi.h"

#include <vector>

namespace host {

struct DescriptorItem {
    DescriptorKeyID key = 0;
    DescType type = 0; // typeInteger or typeFloat (others are carried as raw 8-byte values)
    int32_t integer = 0;
    double number = 0.0;
};

// Items as a played action carries them.
inline DescriptorItem IntegerItem(DescriptorKeyID key, int32_t value) {
    DescriptorItem item;
    item.key = key;
    item.type = typeInteger;
    item.integer = value;
    return item;
}
inline DescriptorItem FloatItem(DescriptorKeyID key, double value) {
    DescriptorItem item;
    item.key = key;
    item.type = typeFloat;
    item.number = value;
    return item;
}

class HostDescriptors {
public:
    explicit HostDescriptors(HostHandles* handles);
    ~HostDescriptors();

    ReadDescriptorProcs* readProcs() { return &read_; }
    WriteDescriptorProcs* writeProcs() { return &write_; }

    // Builds a descriptor handle from items (for a played action).
    Handle MakeDescriptor(const std::vector<DescriptorItem>& items);
    // The items of a descriptor handle (what a run recorded).
    std::vector<DescriptorItem> Items(Handle descriptor) const;

    // Open read or write tokens not closed yet (should be 0 after every selector).
    int openTokens = 0;
    // Makes openWriteDescriptorProc answer null.
    bool failOpenWrite = false;

    static HostDescriptors* current;

private:
    HostHandles* handles_;
    ReadDescriptorProcs read_{};
    WriteDescriptorProcs write_{};
};

} // namespace host
