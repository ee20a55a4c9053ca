// The per-pixel maths of the Julia renderer, one operation at a time in
// double precision, exactly as the picture is defined.
#pragma once

#include <SDL.h>

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "app/PixelSample.h"
#include "julia/Complex.h"
#include "julia/JuliaState.h"
#include "surface/PixelAccess.h"

// The picture depends on every operation rounding to its own type; x87-style
// excess precision would keep intermediates wider and change it.
static_assert(FLT_EVAL_METHOD == 0, "each floating-point operation must round to its own type");

namespace julia {

// Iterations until z strays more than the escape distance from its own
// starting point (not from the origin); 1 to kMaxIterations.
inline int escapeCount(Complex z0, Complex c) {
    Complex z = z0;
    int n = 0;
    do {
        z = z * z + c;
        ++n;
    } while (!((z - z0).modulus() > kEscapeDistance) && n < kMaxIterations);
    return n;
}

// trunc(sin(n * coefficient * 0.01)): -1, 0 or 1. NaN can't arise from the
// finite coefficients, but would give 0 rather than undefined behaviour.
inline int truncatedSine(int n, double coefficient) {
    const double s = std::sin(static_cast<double>(n) * coefficient * kSineScale);
    return s >= 1.0 ? 1 : (s <= -1.0 ? -1 : 0);
}

// The fractal colour's bytes; each wraps modulo 256 (green 200 or 56, blue 253 down to 55).
inline uint8_t fractalRed(int n, double redCoefficient) {
    return static_cast<uint8_t>(-truncatedSine(n, redCoefficient));
}
inline uint8_t fractalGreen(int n, double greenCoefficient) {
    return static_cast<uint8_t>(truncatedSine(n, greenCoefficient) * 200);
}
inline uint8_t fractalBlue(int n) { return static_cast<uint8_t>(255 - 2 * n); }

// One output channel before it becomes a byte: the bitmaps' weighted mix
// scaled by the fractal colour's pixel value, kept as a float and capped at
// 255 from above only, so a negative mix stays negative.
inline float mixChannel(uint8_t a, uint8_t b, float weight, float complement, double fractalPixel) {
    float v = static_cast<float>(
        (static_cast<double>(a) * weight + static_cast<double>(b) * complement) * fractalPixel);
    if (v > kCeiling) v = static_cast<float>(kCeiling);
    return v;
}

// One pixel shaded: its display value, and its red and green v, which
// become the coefficients fed to the next pixel.
struct ShadedPixel {
    uint32_t pixel;
    float red, green;
};

// Given the pixel's escape count, the coefficients it is fed and its two
// bitmap samples: the fractal colour as a display pixel value, then each
// channel's mix scaled by it, then the channel bytes mapped to the display.
inline ShadedPixel shadePixel(SDL_PixelFormat* format, int n, double redCoefficient,
                              double greenCoefficient, const PixelSample& a, const PixelSample& b,
                              float weight, float complement) {
    const Uint32 fractalPixel = SDL_MapRGB(format, fractalRed(n, redCoefficient),
                                           fractalGreen(n, greenCoefficient), fractalBlue(n));
    const float red = mixChannel(a.r, b.r, weight, complement, fractalPixel);
    const float green = mixChannel(a.g, b.g, weight, complement, fractalPixel);
    const float blue = mixChannel(a.b, b.b, weight, complement, fractalPixel);
    return {SDL_MapRGB(format, wrapToByte(red), wrapToByte(green), wrapToByte(blue)), red, green};
}

}  // namespace julia
