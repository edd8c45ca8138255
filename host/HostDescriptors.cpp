#include "host/HostDescriptors.h"

#include <cstring>

namespace host {

HostDescriptors* HostDescriptors::current = nullptr;

namespace {

struct WriteToken {
    std::vector<DescriptorItem> items;
};

struct ReadToken {
    std::vector<DescriptorItem> items;
    size_t next = 0;                      // index of the next item getKey hands out
    const DescriptorItem* item = nullptr; // the item the last getKey handed out
};

// A serialised item: key, type, integer, then the double.
constexpr size_t kItemBytes = 4 + 4 + 4 + 8;

PIWriteDescriptor OpenWrite() {
    if (HostDescriptors::current == nullptr || HostDescriptors::current->failOpenWrite)
        return nullptr;
    ++HostDescriptors::current->openTokens;
    return reinterpret_cast<PIWriteDescriptor>(new WriteToken);
}

OSErr CloseWrite(PIWriteDescriptor token, PIDescriptorHandle* out) {
    auto* write = reinterpret_cast<WriteToken*>(token);
    if (write == nullptr)
        return paramErr;
    --HostDescriptors::current->openTokens;
    Handle handle = HostDescriptors::current->MakeDescriptor(write->items);
    delete write;
    if (out != nullptr)
        *out = handle;
    return handle != nullptr ? OSErr(noErr) : OSErr(memFullErr);
}

OSErr PutInteger(PIWriteDescriptor token, DescriptorKeyID key, int32_t value) {
    auto* write = reinterpret_cast<WriteToken*>(token);
    if (write == nullptr)
        return paramErr;
    DescriptorItem item;
    item.key = key;
    item.type = typeInteger;
    item.integer = value;
    write->items.push_back(item);
    return noErr;
}

OSErr PutFloat(PIWriteDescriptor token, DescriptorKeyID key, const double* value) {
    auto* write = reinterpret_cast<WriteToken*>(token);
    if (write == nullptr || value == nullptr)
        return paramErr;
    DescriptorItem item;
    item.key = key;
    item.type = typeFloat;
    item.number = *value;
    write->items.push_back(item);
    return noErr;
}

PIReadDescriptor OpenRead(PIDescriptorHandle descriptor, DescriptorKeyID*) {
    if (HostDescriptors::current == nullptr || descriptor == nullptr)
        return nullptr;
    ++HostDescriptors::current->openTokens;
    auto* read = new ReadToken;
    read->items = HostDescriptors::current->Items(descriptor);
    return reinterpret_cast<PIReadDescriptor>(read);
}

OSErr CloseRead(PIReadDescriptor token) {
    auto* read = reinterpret_cast<ReadToken*>(token);
    if (read == nullptr)
        return paramErr;
    --HostDescriptors::current->openTokens;
    delete read;
    return noErr;
}

Boolean GetKey(PIReadDescriptor token, DescriptorKeyID* key, DescType* type, int32_t* flags) {
    auto* read = reinterpret_cast<ReadToken*>(token);
    if (read == nullptr || read->next >= read->items.size())
        return false;
    read->item = &read->items[read->next++];
    if (key != nullptr)
        *key = read->item->key;
    if (type != nullptr)
        *type = read->item->type;
    if (flags != nullptr)
        *flags = 0;
    return true;
}

OSErr GetInteger(PIReadDescriptor token, int32_t* value) {
    auto* read = reinterpret_cast<ReadToken*>(token);
    if (read == nullptr || read->item == nullptr || value == nullptr)
        return paramErr;
    if (read->item->type == typeInteger)
        *value = read->item->integer;
    else if (read->item->type == typeFloat)
        *value = static_cast<int32_t>(read->item->number); // coerced, as hosts do
    else
        return paramErr;
    return noErr;
}

OSErr GetFloat(PIReadDescriptor token, double* value) {
    auto* read = reinterpret_cast<ReadToken*>(token);
    if (read == nullptr || read->item == nullptr || value == nullptr)
        return paramErr;
    if (read->item->type == typeFloat)
        *value = read->item->number;
    else if (read->item->type == typeInteger)
        *value = read->item->integer;
    else
        return paramErr;
    return noErr;
}

} // namespace

HostDescriptors::HostDescriptors(HostHandles* handles) : handles_(handles) {
    read_.readDescriptorProcsVersion = 0;
    read_.numReadDescriptorProcs = 18;
    read_.openReadDescriptorProc = &OpenRead;
    read_.closeReadDescriptorProc = &CloseRead;
    read_.getKeyProc = &GetKey;
    read_.getIntegerProc = &GetInteger;
    read_.getFloatProc = &GetFloat;
    write_.writeDescriptorProcsVersion = 0;
    write_.numWriteDescriptorProcs = 16;
    write_.openWriteDescriptorProc = &OpenWrite;
    write_.closeWriteDescriptorProc = &CloseWrite;
    write_.putIntegerProc = &PutInteger;
    write_.putFloatProc = &PutFloat;
    current = this;
}

HostDescriptors::~HostDescriptors() {
    if (current == this)
        current = nullptr;
}

Handle HostDescriptors::MakeDescriptor(const std::vector<DescriptorItem>& items) {
    Handle handle = handles_->New(static_cast<int32_t>(items.size() * kItemBytes));
    if (handle == nullptr)
        return nullptr;
    char* out = *handle;
    for (const DescriptorItem& item : items) {
        std::memcpy(out, &item.key, 4);
        std::memcpy(out + 4, &item.type, 4);
        std::memcpy(out + 8, &item.integer, 4);
        std::memcpy(out + 12, &item.number, 8);
        out += kItemBytes;
    }
    return handle;
}

std::vector<DescriptorItem> HostDescriptors::Items(Handle descriptor) const {
    std::vector<DescriptorItem> items;
    if (descriptor == nullptr || !handles_->IsValid(descriptor))
        return items;
    const size_t count = size_t(handles_->Size(descriptor)) / kItemBytes;
    const char* in = *descriptor;
    for (size_t i = 0; i < count; ++i, in += kItemBytes) {
        DescriptorItem item;
        std::memcpy(&item.key, in, 4);
        std::memcpy(&item.type, in + 4, 4);
        std::memcpy(&item.integer, in + 8, 4);
        std::memcpy(&item.number, in + 12, 8);
        items.push_back(item);
    }
    return items;
}

} // namespace host
