#pragma once
// The engine's own single-precision sine, cosine and arc tangent. They return the same bits on
// every build (the C libraries' versions differ between Linux and Windows) and on every code path
// of the engine (the fast path computes them lane by lane with the same kernel). Within about one
// unit in the last place for arguments up to 2^20 in magnitude; beyond that sine and cosine are
// those of 0. NaN and infinite arguments give NaN (arc tangent: the usual atan2 answers for
// infinities).

// Sine and cosine of the same angle, sharing the reduction.
void SineCosine(float x, float* sine, float* cosine);
float Sine(float x);
float Cosine(float x);

// The angle of the point (x, y) from the positive x axis, -pi..pi (atan2 of the C library).
float ArcTangent2(float y, float x);
