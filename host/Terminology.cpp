#include "host/Terminology.h"

namespace host {

namespace {

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    bool U8(uint8_t* value) {
        if (offset_ + 1 > bytes_.size())
            return false;
        *value = bytes_[offset_++];
        return true;
    }
    bool U16(uint16_t* value) {
        uint8_t low = 0, high = 0;
        if (!U8(&low) || !U8(&high))
            return false;
        *value = uint16_t(low | (high << 8));
        return true;
    }
    bool U32(uint32_t* value) {
        uint16_t low = 0, high = 0;
        if (!U16(&low) || !U16(&high))
            return false;
        *value = uint32_t(low) | (uint32_t(high) << 16);
        return true;
    }
    bool Text(std::string* text) {
        uint8_t length = 0;
        if (!U8(&length) || offset_ + length > bytes_.size())
            return false;
        text->assign(bytes_.begin() + long(offset_), bytes_.begin() + long(offset_ + length));
        offset_ += length;
        return true;
    }
    bool EmptyText() {
        std::string text;
        return Text(&text) && text.empty();
    }
    size_t offset() const { return offset_; }

private:
    const std::vector<uint8_t>& bytes_;
    size_t offset_ = 0;
};

} // namespace

std::optional<Terminology> ParseTerminology(const std::vector<uint8_t>& bytes) {
    Reader in(bytes);
    Terminology t;
    uint16_t reserved = 0, language = 0, script = 0, suites = 0, level = 0, version = 0, events = 0;
    uint8_t major = 0, minor = 0;
    if (!in.U16(&reserved) || !in.U8(&major) || !in.U8(&minor) || major != 1 || minor != 0)
        return std::nullopt;
    if (!in.U16(&language) || !in.U16(&script) || !in.U16(&suites) || suites != 1)
        return std::nullopt;
    std::string description;
    if (!in.Text(&t.suiteName) || !in.Text(&description) || !in.U32(&t.suiteId))
        return std::nullopt;
    if (!in.U16(&level) || !in.U16(&version) || level != 1 || version != 1 || !in.U16(&events) || events != 1)
        return std::nullopt;
    uint16_t replyFlags = 0, count = 0;
    if (!in.Text(&t.eventName) || !in.Text(&description) || !in.U32(&t.eventClass) || !in.U32(&t.eventId))
        return std::nullopt;
    if (!in.U32(&t.replyType) || !in.EmptyText() || !in.U16(&replyFlags))
        return std::nullopt;
    if (!in.U32(&t.directType) || !in.EmptyText() || !in.U16(&t.directFlags) || !in.U16(&count) || count < 1)
        return std::nullopt;
    for (uint16_t i = 0; i < count; ++i) {
        TerminologyParameter parameter;
        if (!in.Text(&parameter.name) || !in.U32(&parameter.key) || !in.U32(&parameter.type) ||
            !in.Text(&description) || !in.U16(&parameter.flags))
            return std::nullopt;
        t.parameters.push_back(parameter);
    }
    uint16_t classes = 0, comparisons = 0, enumerations = 0;
    if (!in.U16(&classes) || !in.U16(&comparisons) || !in.U16(&enumerations))
        return std::nullopt;
    t.length = in.offset();
    return t;
}

} // namespace host
