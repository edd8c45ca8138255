// The record of shown messages and the test programs' stand-ins for the desktop, common to both
// platforms.
#include "platform/PlatformInternal.h"

#include <mutex>

namespace platform {
namespace {
std::mutex gMessageLock;
std::vector<RecordedMessage> gMessages;
std::atomic<bool> gMessageBoxesShown{true};
std::atomic<ShellRequestHandler> gShellRequestHandler{nullptr};
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

void SetMessageBoxesShown(bool shown) {
    gMessageBoxesShown = shown;
}
bool MessageBoxesShown() {
    return gMessageBoxesShown;
}

void SetShellRequestHandler(ShellRequestHandler handler) {
    gShellRequestHandler = handler;
}
ShellRequestHandler CurrentShellRequestHandler() {
    return gShellRequestHandler;
}

} // namespace platform
