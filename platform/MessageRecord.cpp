// The record of shown messages, common to both platforms.
#include "platform/PlatformInternal.h"

#include <mutex>

namespace platform {
namespace {
std::mutex gMessageLock;
std::vector<RecordedMessage> gMessages;
} // namespace

void RecordMessage(const std::string& caption, const std::string& text) {
    std::lock_guard<std::mutex> lock(gMessageLock);
    gMessages.push_back({caption, text});
}

std::vector<RecordedMessage> RecordedMessages() {
    std::lock_guard<std::mutex> lock(gMessageLock);
    return gMessages;
}

void ClearRecordedMessages() {
    std::lock_guard<std::mutex> lock(gMessageLock);
    gMessages.clear();
}

} // namespace platform
