// FastKernels: the fast renderer's inner loops, one row of 320 pixels per
// call. FastKernels.cpp is compiled once per instruction set, each copy in
// its own namespace with its own flags and vectors of that set's natural
// width; PlainKernels.cpp states the same loops one pixel at a time, as the
// twin every version is checked against. A version is reached only through
// its KernelTable, picked at start-up (KernelVersions.h).
#pragma once

#include <SDL.h>

#include <cstdint>

#include "julia/Complex.h"
#include "julia/ExactShortcuts.h"
#include "julia/JuliaState.h"
#include "kernels/RowAccess.h"
#include "surface/ColourMap.h"

namespace fastkernels {

constexpr int kWidestLanes = 8;  // doubles in an AVX-512 register

// The fractal colour's pixel value with red and green 0, by escape count,
// repeated across the widest vector so every version can load it whole.
struct FractalPixelByCount {
    alignas(64) double lanes[julia::kMaxIterations + 1][kWidestLanes];
};

// One row shaded on the assumption that every pixel's fractal colour has red
// and green 0, and the sine test of that assumption.
struct ShadeRow {
    const double* counts;         // escape counts
    const double* fractalPixels;  // each pixel's fractal colour, red and green 0
    const uint8_t *aR, *aG, *aB;  // slotA's channel bytes
    const uint8_t *bR, *bG, *bB;  // slotB's
    float weight = 0, complement = 0;
    julia::WordWeights words;  // julia::mixInWords of them, for shadeRowInFloats
    // The coefficients each pixel is fed (the previous pixel's red and green
    // v); null when the caller tests the row itself.
    const float* coefficientRed = nullptr;
    const float* coefficientGreen = nullptr;

    float *red, *green;  // each pixel's v, before conversion to bytes
    uint32_t* colours;   // each pixel's channel bytes as 0xRRGGBB, or when
    // pixels16 is set, their pixel values on a 2-byte display of this layout
    // (mapTrueColour's low 16 bits) there instead: no pass of their own.
    uint16_t* pixels16 = nullptr;
    TrueColourLayout layout16;
};

// One version of every kernel.
struct KernelTable {
    // readChannelRow (RowAccess.h) for the 320 columns.
    void (*readRow)(const SDL_Surface* bitmap, int32_t y, ChannelRow out);
    // Escape counts of one row, column x starting at (re0[x], im0), and each
    // pixel's fractal colour from `table`.
    void (*escapeCounts)(const double* re0, double im0, Complex c, const FractalPixelByCount& table,
                         double* counts, double* fractalPixels);
    // False when the sine test can't clear some pixel: some coefficient it is
    // fed could make a sine +-1, and the caller finds which.
    bool (*shadeRow)(const ShadeRow& row);
    // shadeRow with the mix in floats, twice the lanes: for rows where
    // julia::mixExactInFloats holds, whose outputs are then shadeRow's.
    bool (*shadeRowInFloats)(const ShadeRow& row);
    // SDL_MapRGB of each 0xRRGGBB colour, on a format without a palette.
    void (*packTrueColour)(const TrueColourLayout& layout, const uint32_t* colours,
                           uint32_t* pixels);
};

// The twin: the plain statement of every kernel.
extern const KernelTable plainKernels;

// The compiled versions; which exist depends on the target (KernelVersions.cpp).
namespace baseline {
extern const KernelTable kernels;
}
namespace avx2 {
extern const KernelTable kernels;
}
namespace avx512 {
extern const KernelTable kernels;
}

}  // namespace fastkernels
