#pragma once
// Checks of what the dialog's preview shows under a given host, for any host configuration (a
// host without sampling, one that refills its buffers only for a new rectangle, one without
// channel ports, ...). Each check drives the preview as the dialog does, with the plug-in's code
// linked into the test program and a substitute host of its own, and reports failures through
// GoogleTest.

#include "host/HostProfiles.h"
#include "host/SubstituteHost.h"

#include <cstdint>
#include <vector>

namespace preview_checks {

// One view change: the zoom the user picks and the scroll position the view has before the zoom
// is settled (as a drag or the navigator leaves it).
struct ViewStep {
    int zoom; // 1: 100 %; 0: fit; else that whole zoom, which must lie between
    int32_t scrollX;
    int32_t scrollY;
};

// What the user sees of one view.
struct Shown {
    int16_t result = 0; // the host's answer to the view's request
    float zoom = 0.0f;
    int32_t scrollX = 0;
    int32_t scrollY = 0;
    int64_t width = 0; // the preview's output
    int64_t height = 0;
    std::vector<uint8_t> samples; // what the processing wrote: the first min(planes, 4) samples of each pixel
};

struct Session {
    host::Document document;
    int32_t viewWidth = 40;
    int32_t viewHeight = 30;
    std::vector<ViewStep> steps;
    bool plain = false; // value and aberration 0: the preview shows its source as it is
};

// Opens a preview on `session.document` under a host with `options` (reading the layers and the
// navigator's source as the dialog does), shows every step and closes it again.
std::vector<Shown> ShowSession(const host::HostOptions& options, const Session& session);

// The host a preview must match: `options` with sampling, buffers filled afresh for every
// request and memory enough.
host::HostOptions FullHostLike(const host::HostOptions& options);

// Views at 100 %, between and at fit, scrolled and not, with a selection away from the top left
// and without one, of RGB, RGB with transparency and CMYK with and without transparency: each
// shows exactly what the full host shows.
void ExpectSameViewsAsFullHost(const host::HostOptions& options);
// The same for a host profile (its options and the suites it refuses), reading the layers as the
// dialog does where the host lets it: what the profile's host shows is what it would show with
// sampling and fresh buffers.
void ExpectSameViewsAsFullHost(host::HostProfile profile);

// With value and aberration 0 and the host's own pixels as the source (no channel ports), every
// view shows the document's pixels where a sampling host reads them for the selection's view.
void ExpectPlainViewsShowTheDocument(const host::HostOptions& options);

} // namespace preview_checks
