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
// exactly +1 or -1, x = n * coefficient * 0.01 (the escape count, the
// coefficient fed, kSineScale; multiplied left to right). That happens only
// within 1.5e-8 of a peak pi/2 + k*pi: there sin(x) = +-cos(delta), and for
// |delta| >= 1.5e-8 the true value is below 1 - 2^-53 (the largest double
// under 1), so a sin that errs by less than one unit in the last place can't
// return 1. The test clears a pixel (its sine is certainly not +-1) only when
// x lies more than kSinePeakWindow from every peak, twelve times that
// distance; a pixel with a sine it can't clear is a suspect, and the fast
// renderer redoes it with sin itself. glibc's sin and the UCRT's, which the
// Windows programs link, are that accurate there; tests/test_renderers.cpp
// checks the sin of each build.
//
// The distance is measured in turns of pi, without forming x: t = |coefficient
// * (n * kTurnsPerUnit)|, the factor n * kTurnsPerUnit shared by a pixel's red
// and green. kTurnsPerUnit is kSineScale / pi rounded once (within 0.27 *
// 2^-53 of it); x carries two roundings and t two more, each within 2^-53, so
// t lies within 4.3 * 2^-53 * t of |x| / pi (none of them is subnormal: a
// nonzero float coefficient is at least 2^-149). The distance from t to the
// nearest half-integer is then within that of the true one; the test allows
// t * 2^-50, nearly twice as much. From t = 2^50 on that allowance passes the
// largest possible distance, 0.5, so nothing is cleared; t is held there,
// which also catches infinity and NaN.
constexpr double kTurnsPerUnit = 0x1.a1371305e714bp-9;  // kSineScale / pi, correctly rounded
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

// t less the integer nearest it, exactly, for 0 <= t <= 2^50: adding and
// removing 2^52 rounds t to an integer, and the difference that follows is
// exact (Sterbenz). A SIMD kernel with a rounding instruction passes it
// instead (simdlanes::OffsetInstruction); at a tie either neighbour gives the
// same magnitude, 0.5.
struct OffsetFromInteger {
    template <typename Real>
    [[gnu::always_inline]] Real operator()(const Real& t) const {
        return t - ((t + 0x1p52) - 0x1p52);
    }
};

// How near a pixel's sine argument lies to its nearest peak, in turns of pi:
// its distance from the nearest integer turn (0.5 at a peak) plus the
// allowance for rounding. `factor` is the pixel's n * kTurnsPerUnit. Below
// kSineClearBelow clears the pixel (its sine certainly isn't +1 or -1),
// otherwise sin must decide. Plain arithmetic, written once for a double and
// for GCC vectors of them, so the SIMD kernels compute exactly what is proven
// here. Always inlined, so no copy built for one instruction set serves
// another.
template <typename Real, typename Min = Lesser, typename Offset = OffsetFromInteger>
[[gnu::always_inline]] inline Real sinePeakNearness(const Real& factor, const Real& coefficient,
                                                    Min lesser = {}, Offset offset = {}) {
    const Real limit = Real{} + 0x1p50;
    const Real t = lesser(magnitude(coefficient * factor), limit);  // NaN compares false: held too
    // Never NaN, at most 1.5. The sum, under 1 where it clears, rounds by at
    // most 2^-54, far inside the window's margin over 1.5e-8.
    return magnitude(offset(t)) + t * 0x1p-50;
}
constexpr double kSineClearBelow = 0.5 - kSinePeakWindowTurns;

// Whether the sine test clears a pixel of escape count n fed this coefficient.
[[gnu::always_inline]] inline bool sineClearOfPeaks(double n, double coefficient) {
    return sinePeakNearness(n * kTurnsPerUnit, coefficient) < kSineClearBelow;
}

// The mix in single precision: (a * weight + b * complement) * fractalPixel,
// each step a float operation, gives the reference's float v whenever
// weight = K * 2^-e and complement = L * 2^-e for integers K, L and an e of 0
// to 24 with 255 * (|K| + |L|) <= 2^24, and every fractal pixel is at most
// 2^24. Then a * K, b * L and a * K + b * L are integers of magnitude at most
// 2^24, so every product and the sum, times 2^-e, are exact in float as in
// double, and nowhere near the float's overflow or subnormals. The fractal
// pixel, an integer up to 2^24, is a float too, and the mix times it, an
// integer of at most 2^48 times 2^-e, is exact in double: the reference rounds
// that exact value to float once, as the float product does. The program's
// weights, halves, satisfy it up to 16,448; other frames mix in doubles.
struct ScaledWeights {
    double k = 0, l = 0;
    int e = -1;  // -1: no e of 0 to 24 makes both integers
};
// K, L and the least such e for finite weights.
inline ScaledWeights scaledWeights(float weight, float complement) {
    for (int e = 0; e <= 24; ++e) {
        const double k = std::ldexp(static_cast<double>(weight), e);
        const double l = std::ldexp(static_cast<double>(complement), e);
        if (k == std::trunc(k) && l == std::trunc(l)) return {k, l, e};
    }
    return {};
}
inline bool mixExactInFloats(float weight, float complement, double largestFractalPixel) {
    if (!(largestFractalPixel <= 0x1p24) || !std::isfinite(weight) || !std::isfinite(complement))
        return false;
    const ScaledWeights s = scaledWeights(weight, complement);
    return s.e >= 0 && 255.0 * (std::fabs(s.k) + std::fabs(s.l)) <= 0x1p24;
}

// The same mix from integers, where x86's multiply-add of 16-bit pairs
// (WebAssembly's dot product) gives a * K + b * L in one instruction: K and L
// as above, each of 16 bits, and scale = 2^-e. Where mixExactInFloats holds,
// that sum is the integer it names, exact in a 32-bit lane and in a float;
// times fractalPixel * 2^-e (exact: an integer up to 2^24 scaled by a power
// of two) it is the float mix's last product, the same value rounded once.
// One difference is excluded: a * weight + b * complement is -0 when both
// products are -0, which takes two negative factors (the program's never
// are), and the integer sum is +0.
struct WordWeights {
    int16_t weight = 0, complement = 0;
    float scale = 0;  // 0: the weights don't fit
};
inline WordWeights mixInWords(float weight, float complement, double largestFractalPixel) {
    if (!mixExactInFloats(weight, complement, largestFractalPixel) ||
        (std::signbit(weight) && std::signbit(complement)))
        return {};
    const ScaledWeights s = scaledWeights(weight, complement);
    if (std::fabs(s.k) > INT16_MAX || std::fabs(s.l) > INT16_MAX) return {};
    return {static_cast<int16_t>(s.k), static_cast<int16_t>(s.l), std::ldexp(1.0f, -s.e)};
}

// Channel byte: truncation toward zero, low 8 bits, as wrapToByte gives
// through a 64-bit integer. A float of magnitude 2^31 or more is a multiple
// of 256 (its unit in the last place is at least 2^8), so its byte is 0, and
// below that a 32-bit conversion, which vectorises, gives the same integer.
[[gnu::always_inline]] inline uint8_t channelByte(float v) {
    const float inRange = __builtin_fabsf(v) < 0x1p31f ? v : 0.0f;
    return static_cast<uint8_t>(static_cast<int32_t>(inRange));
}

}  // namespace julia
