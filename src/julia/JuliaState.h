// The renderer's animation state and fixed values, and the per-frame steps
// that every renderer shares: the view and Julia constant before a frame,
// the radius after it.
#pragma once

#include <cstdint>
#include <cstring>

#include "app/Demo.h"
#include "julia/Complex.h"

namespace julia {

constexpr int kMaxIterations = 100;
constexpr double kEscapeDistance = 4.0;
constexpr float kJuliaStep = 0.1f;        // single precision: adds 0.100000001490116
constexpr double kJuliaALimit = 10.0;
constexpr double kJuliaBLimit = 5.0;
constexpr float kRadiusStep = 0.5f;
constexpr float kRadiusLimit = 4.0f;
constexpr float kColumnScale = 1.0f / kAreaWidth;  // single-precision constants, widened when used
constexpr float kRowScale = 1.0f / kAreaHeight;
constexpr double kSineScale = 0.01;
constexpr double kCeiling = 255.0;

}  // namespace julia

// What one frame needs, fixed before its first pixel.
struct FrameSetup {
    float left = 0, top = 0;
    float spanX = 0, spanY = 0;
    float complement = 0;  // 1 - weight: the second bitmap's factor
    Complex c;             // the Julia constant of this frame

    // Where pixel (x, y)'s orbit starts: the real part rounded to a float,
    // the imaginary part kept as a double.
    float startRe(int32_t x) const {
        return static_cast<float>(static_cast<double>(x) * spanX * julia::kColumnScale + left);
    }
    double startIm(int32_t y) const {
        return static_cast<double>(y) * spanY * julia::kRowScale + top;
    }
};

struct JuliaState {
    float viewCentreX = 0.5f;
    float viewCentreY = 0.5f;
    float viewRadius = 0.0f;
    double juliaA = 0.519;
    double juliaB = 0.688;
    // Fed back from each pixel's mixed red and green into the next pixel's colour.
    double redCoefficient = 3.3;
    double greenCoefficient = 3.3;

    // Fixes the view and constant for this frame and steps the constant.
    FrameSetup beginFrame(float weight);
    // Grows the view's radius, cycling through 0, 0.5, ..., 4.0.
    void endFrame();
};

// Bit for bit: a NaN equals its own bits, and -0.0 differs from 0.0.
inline bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
inline bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
// As two renderers must leave the state after every frame.
bool sameBits(const JuliaState& a, const JuliaState& b);
