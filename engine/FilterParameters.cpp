#include "engine/FilterParameters.h"

#include "plugin/Globals.h"

void InitParameters() {
    if (gParams == nullptr)
        return;
    gParams->windowLeft = 100;
    gParams->windowTop = 100;
    gParams->windowWidth = 828;
    gParams->windowHeight = 602;
    gParams->curveEditorLeft = 400;
    gParams->curveEditorTop = 300;
    gParams->curveEditorInteractive = 0;
    ResetEffectParameters();
}

void ResetEffectParameters() {
    if (gPluginData != nullptr)
        gPluginData->queryForParameters = true;
    if (gParams == nullptr)
        return;
    gParams->method = Turbulence;
    gParams->value = 25.0f;
    gParams->size = 25.0f;
    gParams->aberration = 0.0f;
    gParams->randomSeed = 0.0f;
    gParams->proportion = 0.0f;
    gParams->centerX = 0.0f;
    gParams->centerY = 0.0f;
}
