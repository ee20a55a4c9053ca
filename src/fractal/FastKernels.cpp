#include "fractal/FastKernels.h"

// The vector helpers are all inlined, so no vector crosses a call and the
// ABI note GCC gives for 32-byte vectors in the baseline build doesn't apply.
#pragma GCC diagnostic ignored "-Wpsabi"

#include <cmath>
#include <cstring>

#include "fractal/ExactShortcuts.h"
#include "fractal/JuliaMaths.h"
#include "surface/CpuClones.h"


using namespace julia;

namespace fastkernels {
namespace {

// Eight doubles: one AVX-512 register, two AVX2 ones, four SSE2 ones.
constexpr int kLanes = kVectorLanes;
typedef double Doubles __attribute__((vector_size(kLanes * sizeof(double))));
typedef float Floats __attribute__((vector_size(kLanes * sizeof(float))));
typedef int64_t Masks __attribute__((vector_size(kLanes * sizeof(int64_t))));  // comparison results
static_assert(kColumns % kLanes == 0, "rows split into whole vectors");

#define FRACTALS_INLINE inline __attribute__((always_inline))

// Every lane set to v. Subtracting a zero vector is exact for every double,
// -0.0 included (adding one would turn -0.0 into +0.0), and compiles to a
// plain broadcast.
FRACTALS_INLINE Doubles broadcast(double v) { return v - Doubles{}; }
FRACTALS_INLINE Floats broadcast(float v) { return v - Floats{}; }

// Whether every lane is 0, folding halves together rather than lane by lane.
FRACTALS_INLINE bool noneSet(const Masks& m) {
    static_assert(kLanes == 8, "the fold below is written for eight lanes");
    const auto four = __builtin_shufflevector(m, m, 0, 1, 2, 3) | __builtin_shufflevector(m, m, 4, 5, 6, 7);
    const auto two = __builtin_shufflevector(four, four, 0, 1) | __builtin_shufflevector(four, four, 2, 3);
    return (two[0] | two[1]) == 0;
}

template <typename Vector, typename T>
FRACTALS_INLINE Vector load(const T* p) {
    Vector v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

FRACTALS_CPU_CLONES
void escapeCounts(const double* re0, double im0, Complex c, const RawByCount& table,
                  double* counts, double* raw) {
    const Doubles cRe = broadcast(c.re), cIm = broadcast(c.im);
    const Doubles bound = broadcast(kEscapeSquareBound);
    const Doubles startIm = broadcast(im0);
    const Doubles one = broadcast(1.0), cap = broadcast(double{kMaxIterations});
    for (int32_t x = 0; x < kColumns; x += kLanes) {
        const Doubles startRe = load<Doubles>(re0 + x);
        Doubles zRe = startRe, zIm = startIm;
        Doubles n = Doubles{}, count = cap;
        Doubles rawValue = load<Doubles>(table.lanes[kMaxIterations]);
        Masks running = Masks{} - 1;
        // Lanes that have escaped keep iterating (harmlessly, even to
        // infinity) until the last one escapes; their count is frozen.
        for (int iteration = 1; iteration <= kMaxIterations; ++iteration) {
            const Doubles re = zRe * zRe - zIm * zIm + cRe;
            const Doubles im = zRe * zIm + zIm * zRe + cIm;
            zRe = re;
            zIm = im;
            n += one;
            const Doubles dRe = zRe - startRe, dIm = zIm - startIm;
            const Masks escaped = (dRe * dRe + dIm * dIm) > bound;
            const Masks escapesNow = escaped & running;
            count = escapesNow ? n : count;
            rawValue = escapesNow ? load<Doubles>(table.lanes[iteration]) : rawValue;
            running &= ~escaped;
            if (noneSet(running)) break;
        }
        std::memcpy(counts + x, &count, sizeof count);
        std::memcpy(raw + x, &rawValue, sizeof rawValue);
    }
}

// Plain loops here: the compiler vectorises them well (widening bytes
// included, which hand-written vector conversions do lane by lane).
FRACTALS_INLINE void mixRow(const uint8_t* __restrict a, const uint8_t* __restrict b, float weight,
                            float complement, const double* __restrict raw, float* __restrict v) {
    for (int32_t x = 0; x < kColumns; ++x) v[x] = mixChannel(a[x], b[x], weight, complement, raw[x]);
}

FRACTALS_CPU_CLONES
bool shadeRow(const ShadeRow& row) {
    const double* raw = row.raw;
    float blue[kColumns];
    mixRow(row.aR, row.bR, row.weight, row.complement, raw, row.red);
    mixRow(row.aG, row.bG, row.weight, row.complement, raw, row.green);
    mixRow(row.aB, row.bB, row.weight, row.complement, raw, blue);
    {
        const float* __restrict red = row.red;
        const float* __restrict green = row.green;
        uint32_t* __restrict colours = row.colours;
        for (int32_t x = 0; x < kColumns; ++x)
            colours[x] = uint32_t{channelByte(red[x])} << 16 | uint32_t{channelByte(green[x])} << 8 |
                         channelByte(blue[x]);
    }
    if (row.coefficientRed == nullptr) return true;

    // The least margin of the row: positive when every pixel is cleared.
    Doubles least = broadcast(1.0);
    for (int32_t x = 0; x < kColumns; x += kLanes) {
        const Doubles n = load<Doubles>(row.counts + x);
        const Doubles fedRed = __builtin_convertvector(load<Floats>(row.coefficientRed + x), Doubles);
        const Doubles fedGreen = __builtin_convertvector(load<Floats>(row.coefficientGreen + x), Doubles);
        const Doubles red = sinePeakMargin(n * fedRed * kSineScale);
        const Doubles green = sinePeakMargin(n * fedGreen * kSineScale);
        least = red < least ? red : least;
        least = green < least ? green : least;
    }
    bool allCleared = true;
    for (int lane = 0; lane < kLanes; ++lane) allCleared &= least[lane] > 0;
    return allCleared;
}

FRACTALS_CPU_CLONES
void packTrueColour(const TrueColourLayout& layout, const uint32_t* colours, uint32_t* pixels) {
    const TrueColourLayout t = layout;  // a local copy: stores to pixels can't alias it
    for (int32_t x = 0; x < kColumns; ++x) {
        const uint32_t c = colours[x];
        pixels[x] = mapTrueColour(t, static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                  static_cast<uint8_t>(c));
    }
}

}  // namespace fastkernels
