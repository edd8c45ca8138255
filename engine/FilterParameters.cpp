#include "engine/FilterParameters.h"

FilterParameters DefaultParameters() {
    FilterParameters parameters{};
    parameters.windowLeft = 100;
    parameters.windowTop = 100;
    parameters.windowWidth = 828;
    parameters.windowHeight = 602;
    parameters.curveEditorLeft = 400;
    parameters.curveEditorTop = 300;
    parameters.curveEditorInteractive = 0;
    return WithDefaultEffect(parameters);
}

FilterParameters WithDefaultEffect(FilterParameters parameters) {
    parameters.method = Turbulence;
    parameters.value = 25.0f;
    parameters.size = 25.0f;
    parameters.aberration = 0.0f;
    parameters.randomSeed = 0.0f;
    parameters.proportion = 0.0f;
    parameters.centerX = 0.0f;
    parameters.centerY = 0.0f;
    return parameters;
}
