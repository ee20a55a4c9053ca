// Two cheaper tests that give exactly the answers of the reference maths,
// for the fast renderer. Each carries the argument that makes it exact;
// tests/test_renderers.cpp checks both exhaustively where it matters.
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
// than one unit in the last place can't return 1. The test below rules a
// peak out only at more than kSinePeakWindow from it, twelve times that.
// glibc's sin and the UCRT's, which the Windows programs link, are that
// accurate there; tests/test_renderers.cpp checks the sin of each build.
//
// The distance is measured in turns of pi: t = |x| * (1/pi). With the
// constant 1/pi and the product each rounded once, t is within t * 2^-51 of
// |x| / pi, so the distance from t to the nearest half-integer is within
// t * 2^-51 of the true one; the test allows twice that. From t = 2^50 on
// that allowance passes the largest possible distance, 0.5, so the test
// gives up; t is held there, which also catches infinity and NaN.
constexpr double kInversePi = 0.31830988618379067154;
constexpr double kSinePeakWindowTurns = 0x1p-24;  // in turns of pi: about 1.87e-7 in x
constexpr double kSinePeakWindow = kSinePeakWindowTurns * 3.14159265358979323846;

// |x|: fabs for a double; for a vector, its sign bits cleared, one
// instruction where a comparison and a blend would take three.
inline double magnitude(double x) { return std::fabs(x); }
template <typename Vector>
inline __attribute__((always_inline)) Vector magnitude(const Vector& x) {
    using Bits = decltype(x < x);  // the integer vector of the same shape
    static_assert(sizeof(x[0]) == sizeof(int64_t), "vectors of doubles");
    return reinterpret_cast<Vector>(reinterpret_cast<Bits>(x) & (Bits{} + INT64_MAX));
}

// How far x lies beyond the window around its nearest peak, in turns of pi:
// positive means sin(x) certainly isn't +1 or -1, otherwise sin must decide.
// Plain arithmetic, written once for a double and for GCC vectors of them,
// so the SIMD kernels compute exactly what is proven here (and can take the
// least margin of many pixels). Always inlined, so a vector never crosses a
// call between code built for different instruction sets.
template <typename Real>
inline __attribute__((always_inline)) Real sinePeakMargin(const Real& x) {
    const Real limit = Real{} + 0x1p50;
    const Real turns = magnitude(x) * kInversePi;
    const Real t = turns < limit ? turns : limit;  // NaN compares false: held too
    // Adding and removing 2^52 rounds t to the nearest integer; the
    // differences that follow are exact (Sterbenz).
    const Real nearestInteger = (t + 0x1p52) - 0x1p52;
    const Real fromInteger = t - nearestInteger;
    const Real turnsFromPeak = 0.5 - magnitude(fromInteger);
    // a - b > 0 exactly when a > b: rounding never turns a nonzero difference into 0.
    return turnsFromPeak - (kSinePeakWindowTurns + t * 0x1p-50);
}

inline bool sineRuledOutOfPeaks(double x) { return sinePeakMargin(x) > 0; }

// Channel byte: truncation toward zero, low 8 bits, as wrapToByte gives
// through a 64-bit integer. A float of magnitude 2^31 or more is a multiple
// of 256 (its unit in the last place is at least 2^8), so its byte is 0, and
// below that a 32-bit conversion, which vectorises, gives the same integer.
inline uint8_t channelByte(float v) {
    const float inRange = std::fabs(v) < 0x1p31f ? v : 0.0f;
    return static_cast<uint8_t>(static_cast<int32_t>(inRange));
}

}  // namespace julia
