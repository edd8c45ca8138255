#include "plugin/Globals.h"

FilterRecord* gFilterRecord = nullptr;
AboutRecord* gAboutRecord = nullptr;
int16_t* gResult = nullptr;
intptr_t* gDataSlot = nullptr;
SPBasicSuite* sSPBasic = nullptr;
FilterParameters* gParams = nullptr;
PluginData* gPluginData = nullptr;
bool dialogActive = false;

std::string ModulePath;
std::string LibraryFolder;
std::string PresetsFolder;
std::string HelpFolder;

void InitParameters() {
    if (gParams == nullptr)
        return;
    *gParams = DefaultParameters();
    if (gPluginData != nullptr)
        gPluginData->queryForParameters = true;
}

void ResetEffectParameters() {
    if (gPluginData != nullptr)
        gPluginData->queryForParameters = true;
    if (gParams != nullptr)
        *gParams = WithDefaultEffect(*gParams);
}
