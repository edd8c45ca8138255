#include "plugin/ColorServices.h"

#include "plugin/Globals.h"

int16_t ColorSpaceOfMode(int16_t imageMode) {
    switch (imageMode) {
    case plugInModeGrayScale:
        return plugIncolorServicesGraySpace;
    case plugInModeCMYKColor:
        return plugIncolorServicesCMYKSpace;
    case plugInModeHSLColor:
        return plugIncolorServicesHSLSpace;
    case plugInModeHSBColor:
        return plugIncolorServicesHSBSpace;
    case plugInModeLabColor:
        return plugIncolorServicesLabSpace;
    default:
        return plugIncolorServicesRGBSpace;
    }
}

bool ConvertColor(int16_t components[4], int16_t fromMode, int16_t toMode) {
    if (gFilterRecord == nullptr || gFilterRecord->colorServices == nullptr || components == nullptr)
        return false;
    ColorServicesInfo info{};
    info.infoSize = sizeof(ColorServicesInfo);
    info.selector = plugIncolorServicesConvertColor;
    info.sourceSpace = ColorSpaceOfMode(fromMode);
    info.resultSpace = ColorSpaceOfMode(toMode);
    for (int i = 0; i < 4; ++i)
        info.colorComponents[i] = components[i];
    if (gFilterRecord->colorServices(&info) != noErr)
        return false;
    for (int i = 0; i < 4; ++i)
        components[i] = info.colorComponents[i];
    return true;
}
