#pragma once
// Host profiles: the habits of the hosts our users have, each a documented set of the substitute
// host's options, so every test can run as each of those hosts would run the filter.
//
//   full     everything the interface offers: 32-bit rectangles, sampling, descriptors and
//            played actions, the descriptor registry (kept in a file across restarts), every
//            suite at every version we know, channel ports and the document's layers; the
//            result masked by the selection as the property list's filter cases say.
//   paintnet like the Paint.NET host: skips a filter whose property list it dislikes ('vers'
//            newer than 4.0, no 'kind' 8BFM, no entry point, no RGB in 'mode', no name or
//            category) and asks 'enbl' before every run; 16-bit rectangles only; the action
//            descriptor suite at version 2 only; no channel ports and no action control suite;
//            inData (and outData, maskData) refilled only when the requested rectangle changes;
//            the colour space suite's Convert16 is not implemented;
//            masks by the selection as the filter cases say.
//   gimp     like the GIMP host: no basic suite (so no suites at all), no descriptors, no channel
//            ports, no document description, no 32-bit rectangles, colour services that fail,
//            no sampling, no Finish; ignores 'enbl'; every run in a new process that starts from
//            the parameter bytes saved right after Parameters and 4 bytes of the data slot;
//            merges the result through the selection itself.
//   bare     every optional service missing at once: no basic suite, descriptors, channel
//            ports, document description, 32-bit rectangles, colour services, sampling,
//            progress or abort callbacks.

#include "host/SubstituteHost.h"

#include <string>
#include <vector>

namespace host {

enum class HostProfile { Full, PaintNet, Gimp, Bare };

const std::vector<HostProfile>& AllHostProfiles();
const char* HostProfileName(HostProfile profile);
// The profile of a name (as HostProfileName gives it); false when there is none.
bool HostProfileFromName(const std::string& name, HostProfile* profile);

// Sets the host's options and suites to the profile's habits (call before Load: some profiles
// check the property list there). Options no profile speaks of keep their values.
void ApplyHostProfile(HostProfile profile, SubstituteHost* host);

} // namespace host
