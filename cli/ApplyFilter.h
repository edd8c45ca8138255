#pragma once
// Applying the filter to image files through the plug-in library and the substitute host, as a
// host plays a recorded action.

#include "cli/CommandLine.h"
#include "cli/Image.h"
#include "host/SubstituteHost.h"

#include <string>

namespace cli {

// Exit codes of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // reading, writing or filtering failed
constexpr int kExitUsage = 2;   // bad command line or unsupported input

// The folder of the user's settings ($XDG_CONFIG_HOME/vortiflux, else ~/.config/vortiflux),
// where the host's registry keeps the last used values.
std::string ConfigFolder();

// The document the host shows the plug-in for an image, which hands over its pixels (CMYK
// samples inverted: 255, or 32768 at 16 bits, is no ink; 16-bit samples in the host's 0 to 32768,
// with what is needed to give unchanged samples back exactly kept in the image).
host::Document DocumentFromImage(Image* image);
// The document's pixels back into the image they came from.
void ImageFromDocument(host::Document* document, Image* image);

// Runs Prepare, Start, Continue and Finish on `image` with the request's values handed in a
// silently played descriptor. On failure returns kExitUsage (a selection outside the image) or
// kExitFailure (the plug-in failed) with a message; kExitUsage too when the plug-in does not take
// the image's mode.
int FilterImage(host::SubstituteHost* host, const ApplyRequest& request, Image* image, std::string* error);

// The whole `apply` command: every output checked against every input before anything is
// written, then every input read, filtered and written (to a temporary file beside its output,
// renamed when complete). Messages go to standard error.
int RunApply(const ApplyRequest& request);

// The `info` command.
int RunInfo(const std::vector<std::string>& inputs);

} // namespace cli
