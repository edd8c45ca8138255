#include "engine/DocumentFormat.h"

#include "plugin/HostAbi.h"

DocumentFormat DocumentFormatOf(int16_t mode, int32_t depth, int16_t planes) {
    DocumentFormat format;
    format.planes = planes > 0 ? planes : 0;
    switch (mode) {
    case plugInModeGrayScale:
    case plugInModeGray16:
        format.colors = 1;
        break;
    case plugInModeCMYKColor:
    case plugInModeCMYK64:
        format.colors = 4;
        break;
    default:
        format.colors = 3;
        break;
    }
    format.sampleBytes = depth > 8 ? 2 : 1;
    return format;
}
