#include "cli/Limits.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace cli {

namespace {

// The memory limit of the cgroup this process runs in (v2 "memory.max", v1
// "memory.limit_in_bytes"); 0 when there is none or it cannot be read.
uint64_t CgroupLimit() {
    std::ifstream groups("/proc/self/cgroup");
    std::string line;
    uint64_t lowest = 0;
    while (std::getline(groups, line)) {
        const size_t colon = line.rfind(':');
        if (colon == std::string::npos)
            continue;
        const std::string path = line.substr(colon + 1);
        for (const char* file : {"/sys/fs/cgroup%s/memory.max", "/sys/fs/cgroup/memory%s/memory.limit_in_bytes"}) {
            char name[4096];
            std::snprintf(name, sizeof name, file, path == "/" ? "" : path.c_str());
            std::ifstream limit(name);
            unsigned long long value = 0;
            if (limit >> value && value > 0 && (lowest == 0 || value < lowest))
                lowest = value; // "max" does not read as a number
        }
    }
    return lowest;
}

uint64_t ResourceLimit(int resource) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return uint64_t(limit.rlim_cur);
}

} // namespace

uint64_t UsableMemoryBytes() {
    static const uint64_t usable = [] {
        const long pages = sysconf(_SC_PHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGE_SIZE);
        uint64_t bytes = pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : uint64_t(4) << 30;
        for (uint64_t limit : {CgroupLimit(), ResourceLimit(RLIMIT_AS), ResourceLimit(RLIMIT_DATA)})
            if (limit > 0)
                bytes = std::min(bytes, limit);
        return bytes;
    }();
    return usable;
}

ResourceLimits DefaultLimits() {
    ResourceLimits limits;
    limits.memoryBytes = UsableMemoryBytes() / 2;
    limits.maxPixels = std::max<uint64_t>(limits.memoryBytes / kPeakBytesPerPixel, 1);
    return limits;
}

ResourceLimits LimitsForPixels(uint64_t pixels) {
    ResourceLimits limits = DefaultLimits();
    limits.maxPixels = pixels;
    // A 16-bit image with five samples decodes at 10 bytes a pixel.
    const uint64_t needed = pixels > UINT64_MAX / 10 ? UINT64_MAX : pixels * 10;
    limits.memoryBytes = std::max(limits.memoryBytes, needed);
    return limits;
}

std::string PixelCountText(uint64_t pixels) {
    char text[64];
    if (pixels >= 1000000000)
        std::snprintf(text, sizeof text, "%.3g billion", double(pixels) / 1e9);
    else if (pixels >= 1000000)
        std::snprintf(text, sizeof text, "%.3g million", double(pixels) / 1e6);
    else
        std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(pixels));
    return text;
}

} // namespace cli
