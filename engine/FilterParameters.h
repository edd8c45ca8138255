#pragma once
// The one record of everything the user chooses for the effect, plus the dialog's placement.
// The host keeps it in the parameters handle between runs.

#include <cstddef>
#include <cstdint>

enum DistortionMethod : uint8_t {
    Turbulence = 0,
    Turbulence2 = 1,
    Smooth = 2,
    Radial = 3,
    RadialSmooth = 4,
    Swirl = 5,
};
constexpr int kDistortionMethodCount = 6;

struct FilterParameters {
    // Placement of the main dialog (persisted in the UI settings file only).
    int32_t windowLeft;
    int32_t windowTop;
    int32_t windowWidth;
    int32_t windowHeight;
    int32_t curveEditorLeft;        // kept and persisted, not used otherwise
    int32_t curveEditorTop;         // kept and persisted, not used otherwise
    int32_t curveEditorInteractive; // kept and persisted, not used otherwise
    // The effect.
    uint8_t method;   // DistortionMethod; other values are stored as they come
    float value;      // strength of the displacement
    float size;       // scale of the pattern: noise frequency is 0.5 / size
    float aberration; // how differently the colour planes are displaced
    float randomSeed; // continuous offset of the noise domain
    float proportion; // stretch of the pattern along one axis
    float centerX;    // emitter centre, percent of half the width from the centre
    float centerY;    // emitter centre, percent of half the height, positive upwards
};

// The host handle that stores the record is this long; the bytes after the record are unused.
constexpr int32_t kFilterParametersHandleSize = 68;

static_assert(sizeof(FilterParameters) <= kFilterParametersHandleSize, "record must fit its handle");
static_assert(offsetof(FilterParameters, method) == 28, "placement fields come first");
static_assert(offsetof(FilterParameters, value) == 32, "effect floats follow the method byte");
static_assert(offsetof(FilterParameters, centerY) == 56, "field order");

// Every field at its default: the effect's neutral start and the dialog's first placement.
FilterParameters DefaultParameters();
// `parameters` with the effect fields at their defaults; the placement stays.
FilterParameters WithDefaultEffect(FilterParameters parameters);

// Four-character keys under which the fields persist (first character most significant).
constexpr uint32_t MakeKey(char a, char b, char c, char d) {
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) | (uint32_t(uint8_t(c)) << 8) |
           uint32_t(uint8_t(d));
}
constexpr uint32_t keyMethod = MakeKey('M', 't', 'h', 'd');
constexpr uint32_t keyValue = MakeKey('V', 'a', 'l', 'e');
constexpr uint32_t keySize = MakeKey('S', 'i', 'z', 'e');
constexpr uint32_t keyAberration = MakeKey('A', 'b', 'r', 'r');
constexpr uint32_t keyRandomSeed = MakeKey('R', 'n', 'd', 'S');
constexpr uint32_t keyProportion = MakeKey('P', 'r', 'p', 't');
constexpr uint32_t keyCenterX = MakeKey('C', 'n', 't', 'X');
constexpr uint32_t keyCenterY = MakeKey('C', 'n', 't', 'Y');
constexpr uint32_t keyWindowLeft = MakeKey('L', 'e', 'f', 't');
constexpr uint32_t keyWindowTop = MakeKey('T', 'o', 'p', ' ');
constexpr uint32_t keyWindowWidth = MakeKey('W', 'd', 't', 'h');
constexpr uint32_t keyWindowHeight = MakeKey('H', 'g', 'h', 't');
constexpr uint32_t keyCurveEditorLeft = MakeKey('C', 'v', 'L', 'f');
constexpr uint32_t keyCurveEditorTop = MakeKey('C', 'v', 'T', 'p');
constexpr uint32_t keyCurveEditorInteractive = MakeKey('C', 'v', 'I', 'n');
