// FastKernels: the fast renderer's inner loops, one row of 320 pixels at a
// time. Each is compiled for baseline x86-64, AVX2 and AVX-512, and the
// loader picks one for the machine. Every lane does the reference's double
// operations in the reference's order, so the widths change nothing.
#pragma once

#include <cstdint>

#include "fractal/Complex.h"
#include "fractal/JuliaState.h"
#include "surface/ColourMap.h"

namespace fastkernels {

constexpr int kVectorLanes = 8;

// The fractal colour's raw value with red and green 0, by escape count, each
// repeated across a vector's lanes so the escape loop can load it whole.
struct RawByCount {
    alignas(64) double lanes[julia::kMaxIterations + 1][kVectorLanes];
};

// Escape counts of one row, column x starting at (re0[x], im0), and each
// pixel's raw value from `table`.
void escapeCounts(const double* re0, double im0, Complex c, const RawByCount& table,
                  double* counts, double* raw);

// Every byte value times the weight and times the complement, each product
// rounded once, as the mix rounds it. WebAssembly has no vector conversion
// from bytes to doubles (its lanes are filled one at a time), so there the
// mix looks its products up instead of converting.
struct ByteProducts {
    double weighted[256];
    double complemented[256];
};

// One row shaded on the assumption that every pixel's fractal colour has red
// and green 0, and the test of that assumption.
struct ShadeRow {
    const double* counts;  // escape counts
    const double* raw;     // the fractal colour's raw value with red and green 0
    const uint8_t *aR, *aG, *aB;  // slotA's channel bytes
    const uint8_t *bR, *bG, *bB;  // slotB's
    float weight = 0, complement = 0;
    const ByteProducts* products = nullptr;  // of this weight and complement
    // The coefficients each pixel is fed (the previous pixel's red and green
    // v); null when the caller tests the row itself.
    const float* coefficientRed = nullptr;
    const float* coefficientGreen = nullptr;

    float *red, *green;  // each pixel's v, before conversion to bytes
    uint32_t* colours;   // each pixel's channel bytes as 0xRRGGBB
};

// False when some pixel's coefficients could make a sine +-1: the caller
// finds which and works them out exactly.
bool shadeRow(const ShadeRow& row);

// SDL_MapRGB of each 0xRRGGBB colour, on a format without a palette.
void packTrueColour(const TrueColourLayout& layout, const uint32_t* colours, uint32_t* pixels);

}  // namespace fastkernels
