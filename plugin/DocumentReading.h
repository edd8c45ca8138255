#pragma once
// Reading the document beyond the filter's own data: channels through the host's channel
// ports, layer names and visibility through the action suites, and the preview's copies of the
// target layer and of the visible layers below it.

#include "plugin/PixelBuffer.h"

#include <string>

// The target layer's pixels and the composite of the visible layers below it (over black),
// made by ReadPreviewDocument for the dialog's preview; null until then and after
// ReleasePreviewDocument.
extern PixelBuffer* previewSource;
extern PixelBuffer* previewBackdrop;

// Reads each channel of the list into the next plane of `buffer`, over the filter rectangle
// moved by the floating selection's origin. False when the buffer has no memory (-108) or a
// channel cannot be read (-30900); an error of a read call itself is left in the result code.
bool ReadChannels(const ReadChannelDesc* channels, PixelBuffer& buffer);
// The target layer's name; false when the host cannot tell.
bool GetTargetLayerName(std::string* name);
// The layer's visibility flag; false when it cannot be asked.
bool IsLayerVisible(const std::string& name);
// The channel list whose count gives the preview buffers' planes: the document's target
// composite channels, else its alpha channels; null without a document description.
const ReadChannelDesc* PreviewDocumentChannels();
// Fills previewSource and previewBackdrop from the document; `channels` is the list whose
// count gives the planes (null: the filter record's planes).
bool ReadPreviewDocument(const ReadChannelDesc* channels);
// Releases and forgets both preview buffers (the dialog's teardown).
void ReleasePreviewDocument();
