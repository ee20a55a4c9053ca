// Three cheaper computations that give exactly the answers of the reference
// maths, for the fast renderer: the escape test without a square root, the
// sine test that clears a pixel without calling sin, and the channel byte
// through a 32-bit conversion. Each carries the argument that makes it
// exact; tests/test_renderers.cpp checks each where it matters.
#pragma once

#include <cmath>
#include <cstdint>

namespace julia {

// Escape: sqrt(d) > 4.0 exactly when d > 16 + 2^-48, the double just above 16.
// sqrt is correctly rounded. For d = 16 + 2^-48 the root is 4 + 2^-51 less a
// hair, just under halfway to the next double above 4 (4 + 2^-50), so it
// rounds down to 4.0; for d = 16 + 2^-47 the root lies past halfway and rounds
// up. sqrt is monotonic, so every larger d escapes and every smaller one
// doesn't. NaN fails both comparisons, infinity passes both.
constexpr double kEscapeSquareBound = 16.0 + 0x1p-48;

// Sine: the fractal colour's red and green are 0 unless sin(x) returns
// exactly +1 or -1. That happens only within 1.5e-8 of a peak pi/2 + k*pi:
// there sin(x) = +-cos(delta), and for |delta| >= 1.5e-8 the true value is
// below 1 - 2^-53 (the largest double under 1), so a sin that errs by less
// than one unit in the last place can't return 1. The test clears x (its
// sine is certainly not +-1) only at more than kSinePeakWindow from every
// peak, twelve times that distance; a pixel with a sine it can't clear is
// a suspect, and the fast renderer redoes it with sin itself. glibc's sin
// and the UCRT's, which the Windows programs link, are that accurate there;
// tests/test_renderers.cpp checks the sin of each build.
//
// The distance is measured in turns of pi: t = |x| * (1/pi). With the
// constant 1/pi and the product each rounded once, t is within t * 2^-51 of
// |x| / pi, so the distance from t to the nearest half-integer is within
// t * 2^-51 of the true one; the test allows twice that. From t = 2^50 on
// that allowance passes the largest possible distance, 0.5, so nothing is
// cleared; t is held there, which also catches infinity and NaN.
constexpr double kInversePi = 0.31830988618379067154;
constexpr double kSinePeakWindowTurns = 0x1p-24;  // in turns of pi: about 1.87e-7 in x
constexpr double kSinePeakWindow = kSinePeakWindowTurns * 3.14159265358979323846;

// |x|: fabs for a double; for a vector, its sign bits cleared, one
// instruction where a comparison and a blend would take three.
[[gnu::always_inline]] inline double magnitude(double x) { return __builtin_fabs(x); }
template <typename Vector>
[[gnu::always_inline]] inline Vector magnitude(const Vector& x) {
    using Bits = decltype(x < x);  // the integer vector of the same shape
    static_assert(sizeof(x[0]) == sizeof(int64_t), "vectors of doubles");
    return reinterpret_cast<Vector>(reinterpret_cast<Bits>(x) & (Bits{} + INT64_MAX));
}

// a < b ? a : b. A SIMD kernel passes its min instruction instead
// (simdlanes::MinInstruction), which computes the same, NaN included: GCC
// doesn't find it against a constant.
struct Lesser {
    template <typename Real>
    [[gnu::always_inline]] Real operator()(const Real& a, const Real& b) const {
        return a < b ? a : b;
    }
};

// How far x lies beyond the window around its nearest peak, in turns of pi:
// positive clears it (sin(x) certainly isn't +1 or -1), otherwise sin must
// decide. Plain arithmetic, written once for a double and for GCC vectors of
// them, so the SIMD kernels compute exactly what is proven here. Always
// inlined, so no copy built for one instruction set serves another.
template <typename Real, typename Min = Lesser>
[[gnu::always_inline]] inline Real sinePeakMargin(const Real& x, Min lesser = {}) {
    const Real limit = Real{} + 0x1p50;
    const Real turns = magnitude(x) * kInversePi;
    const Real t = lesser(turns, limit);  // NaN compares false: held too
    // Adding and removing 2^52 rounds t to the nearest integer; the
    // differences that follow are exact (Sterbenz).
    const Real nearestInteger = (t + 0x1p52) - 0x1p52;
    const Real fromInteger = t - nearestInteger;
    const Real turnsFromPeak = 0.5 - magnitude(fromInteger);
    // a - b > 0 exactly when a > b: rounding never turns a nonzero difference into 0.
    return turnsFromPeak - (kSinePeakWindowTurns + t * 0x1p-50);
}

[[gnu::always_inline]] inline bool sineClearOfPeaks(double x) { return sinePeakMargin(x) > 0; }

// Channel byte: truncation toward zero, low 8 bits, as wrapToByte gives
// through a 64-bit integer. A float of magnitude 2^31 or more is a multiple
// of 256 (its unit in the last place is at least 2^8), so its byte is 0, and
// below that a 32-bit conversion, which vectorises, gives the same integer.
[[gnu::always_inline]] inline uint8_t channelByte(float v) {
    const float inRange = __builtin_fabsf(v) < 0x1p31f ? v : 0.0f;
    return static_cast<uint8_t>(static_cast<int32_t>(inRange));
}

}  // namespace julia
