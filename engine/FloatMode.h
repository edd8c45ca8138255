#pragma once
// The floating-point mode the engine's results are defined in: round to nearest, subnormal
// numbers kept (no flush to zero), exceptions masked. A host may run its thread in another mode
// (flushing subnormals is common in image editors), and threads the engine starts begin in the
// system's default; the render sets the one mode on every thread it uses, so a picture does not
// depend on the host or on which thread computed which row.

#include <cstdint>

// Sets the engine's mode on the calling thread; returns the previous mode.
uint32_t UseEngineFloatMode();

// Puts back a mode UseEngineFloatMode returned.
void RestoreFloatMode(uint32_t previous);
