#pragma once
// The effect's seven number fields, each listed once: the key under which scripting and the
// last-used values keep it, its name in preset files, the tool's option and the range the
// parameter panel offers. Everything that reads or writes the fields one by one walks this
// table, in this order (the order in which they are written everywhere).

#include "engine/FilterParameters.h"

#include <cstdint>

struct EffectField {
    uint32_t key;
    float FilterParameters::*field;
    const char* presetName; // the comment that follows its line in a preset file
    const char* optionName; // the tool's option, or null where the tool sets it another way
    float low, high;        // the panel's range
};

inline constexpr EffectField kEffectFields[] = {
    {keyValue, &FilterParameters::value, "Value", "--value", -1000.0f, 1000.0f},
    {keySize, &FilterParameters::size, "Size", "--size", 1.0f, 300.0f},
    {keyAberration, &FilterParameters::aberration, "Aberration", "--aberration", -200.0f, 200.0f},
    {keyRandomSeed, &FilterParameters::randomSeed, "RandomSeed", "--seed", 0.0f, 1000.0f},
    {keyProportion, &FilterParameters::proportion, "Proportion", "--proportion", -1000.0f, 1000.0f},
    {keyCenterX, &FilterParameters::centerX, "Center X", nullptr, -100.0f, 100.0f},
    {keyCenterY, &FilterParameters::centerY, "Center Y", nullptr, -100.0f, 100.0f},
};

// The entry of `key`, or null when no number field has that key.
inline const EffectField* FindEffectField(uint32_t key) {
    for (const EffectField& entry : kEffectFields)
        if (entry.key == key)
            return &entry;
    return nullptr;
}

// The field of `key` in `parameters`, or null when no number field has that key.
inline float* EffectFieldOf(FilterParameters& parameters, uint32_t key) {
    const EffectField* entry = FindEffectField(key);
    return entry != nullptr ? &(parameters.*(entry->field)) : nullptr;
}
