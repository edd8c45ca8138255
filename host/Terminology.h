#pragma once
// Reading a plug-in's scripting terminology resource ("AETE") the way public hosts read it on
// Windows: a leading word, then every field back to back, integers and four-character codes
// little-endian, names as length-prefixed strings; exactly one suite with exactly one event,
// empty reply and direct-parameter descriptions, and at least one parameter.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct TerminologyParameter {
    std::string name;
    uint32_t key = 0;
    uint32_t type = 0;
    uint16_t flags = 0;
};

struct Terminology {
    std::string suiteName;
    uint32_t suiteId = 0;
    std::string eventName;
    uint32_t eventClass = 0;
    uint32_t eventId = 0;
    uint32_t replyType = 0;
    uint32_t directType = 0;
    uint16_t directFlags = 0;
    std::vector<TerminologyParameter> parameters;
    size_t length = 0; // bytes the walk read, up to the last of the three trailing counts
};

// Nothing when the bytes break the layout or the hosts' rules.
std::optional<Terminology> ParseTerminology(const std::vector<uint8_t>& bytes);

} // namespace host
