#include "fractal/FastKernels.h"

// The vector helpers are all inlined, so no vector crosses a call and the
// ABI note GCC gives for wide vectors in the baseline build doesn't apply.
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

// Eight pixels' orbits in flight.
struct Orbits {
    Doubles startRe, zRe, zIm;
    Doubles count, raw;  // frozen once a lane escapes
    Masks running;
};

FRACTALS_INLINE Orbits startOrbits(const double* re0, const Doubles& startIm, const RawByCount& table) {
    Orbits o;
    o.startRe = o.zRe = load<Doubles>(re0);
    o.zIm = startIm;
    o.count = broadcast(double{kMaxIterations});
    o.raw = load<Doubles>(table.lanes[kMaxIterations]);
    o.running = Masks{} - 1;
    return o;
}

// One squaring, in the reference's order. Lanes that have escaped keep
// iterating (harmlessly, even to infinity) until the group is done.
FRACTALS_INLINE void stepOrbits(Orbits& o, int iteration, const Doubles& n, Complex c, const Doubles& startIm,
                                const RawByCount& table) {
    const Doubles re = o.zRe * o.zRe - o.zIm * o.zIm + c.re;
    const Doubles im = o.zRe * o.zIm + o.zIm * o.zRe + c.im;
    o.zRe = re;
    o.zIm = im;
    const Doubles dRe = o.zRe - o.startRe, dIm = o.zIm - startIm;
    const Masks escaped = (dRe * dRe + dIm * dIm) > kEscapeSquareBound;
    const Masks escapesNow = escaped & o.running;
    o.count = escapesNow ? n : o.count;
    o.raw = escapesNow ? load<Doubles>(table.lanes[iteration]) : o.raw;
    o.running &= ~escaped;
}

// Groups of orbits in flight at once. Each squaring waits on the one before,
// so on x86 a second independent group keeps the arithmetic units busy;
// WebAssembly's vectors are narrower, and there a second group only makes
// the engine spill registers.
#ifdef __wasm__
constexpr int kGroups = 1;
#else
constexpr int kGroups = 2;
#endif

FRACTALS_CPU_CLONES
void escapeCounts(const double* re0, double im0, Complex c, const RawByCount& table,
                  double* counts, double* raw) {
    static_assert(kColumns % (kGroups * kLanes) == 0, "rows split into whole groups");
    const Doubles startIm = broadcast(im0);
    for (int32_t x = 0; x < kColumns; x += kGroups * kLanes) {
        Orbits groups[kGroups];
        for (int g = 0; g < kGroups; ++g) groups[g] = startOrbits(re0 + x + g * kLanes, startIm, table);
        Doubles n = Doubles{};
        for (int iteration = 1; iteration <= kMaxIterations; ++iteration) {
            n += 1.0;
            Masks running = Masks{};
            for (Orbits& o : groups) {
                stepOrbits(o, iteration, n, c, startIm, table);
                running |= o.running;
            }
            if (noneSet(running)) break;
        }
        for (int g = 0; g < kGroups; ++g) {
            std::memcpy(counts + x + g * kLanes, &groups[g].count, sizeof groups[g].count);
            std::memcpy(raw + x + g * kLanes, &groups[g].raw, sizeof groups[g].raw);
        }
    }
}

#ifdef __wasm__
FRACTALS_INLINE void mixRow(const uint8_t* __restrict a, const uint8_t* __restrict b, const ShadeRow& row,
                            float* __restrict v) {
    const double* __restrict weighted = row.products->weighted;
    const double* __restrict complemented = row.products->complemented;
    const double* __restrict raw = row.raw;
#pragma clang loop vectorize(disable)  // lookups have no vector form there either
    for (int32_t x = 0; x < kColumns; ++x) {
        const float mixed = static_cast<float>((weighted[a[x]] + complemented[b[x]]) * raw[x]);
        v[x] = mixed > kCeiling ? static_cast<float>(kCeiling) : mixed;  // mixChannel, products looked up
    }
}
#else
// A plain loop: the compiler vectorises it well (widening bytes included,
// which hand-written vector conversions do lane by lane).
FRACTALS_INLINE void mixRow(const uint8_t* __restrict a, const uint8_t* __restrict b, const ShadeRow& row,
                            float* __restrict v) {
    const double* __restrict raw = row.raw;
    for (int32_t x = 0; x < kColumns; ++x) v[x] = mixChannel(a[x], b[x], row.weight, row.complement, raw[x]);
}
#endif

FRACTALS_CPU_CLONES
bool shadeRow(const ShadeRow& row) {
    float blue[kColumns];
    mixRow(row.aR, row.bR, row, row.red);
    mixRow(row.aG, row.bG, row, row.green);
    mixRow(row.aB, row.bB, row, blue);
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
    if (t.rShift == 16 && t.gShift == 8 && t.bShift == 0 && (t.rLoss | t.gLoss | t.bLoss) == 0 &&
        t.aMask == 0) {
        std::memcpy(pixels, colours, sizeof(uint32_t) * kColumns);  // 0xRRGGBB is the pixel itself
        return;
    }
    for (int32_t x = 0; x < kColumns; ++x) {
        const uint32_t c = colours[x];
        pixels[x] = mapTrueColour(t, static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                  static_cast<uint8_t>(c));
    }
}

}  // namespace fastkernels
