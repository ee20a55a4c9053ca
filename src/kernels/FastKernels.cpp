// The fast renderer's kernels for one instruction set. The CMakeLists.txt beside it
// compiles this file once per set, naming it in FRACTALS_KERNEL_VERSION and
// giving that set's flags; the flags pick the register width (SimdLanes.h),
// so every version works in whole registers of its own set. Everything here
// but the table at the end has internal linkage, and what it uses from
// shared headers is always inlined: no code built for one set can serve
// another. Every lane does the reference's double operations in the
// reference's order (FMA never used), so the widths change nothing.
#include "kernels/FastKernels.h"

#include "julia/ExactShortcuts.h"
#include "kernels/SimdLanes.h"

#ifndef FRACTALS_KERNEL_VERSION
#error "compiled once per instruction set, with FRACTALS_KERNEL_VERSION naming it"
#endif

namespace fastkernels {
namespace FRACTALS_KERNEL_VERSION {
namespace {

using namespace julia;
using namespace simdlanes;

static_assert(kLanes <= kWidestLanes, "the count table holds the widest vector");
static_assert(kAreaWidth % kFloatLanes == 0, "rows split into whole registers");

// ---------------------------------------------------------------------------
// Escape counts

// Groups of kLanes pixels iterated side by side: each squaring waits on the
// one before, so independent groups keep the arithmetic units busy.
constexpr int kGroups = 2;
static_assert(kAreaWidth % (kGroups * kLanes) == 0, "rows split into whole groups");

struct Orbits {
    Doubles startRe, zRe, zIm;
    Doubles count, fractalPixel;  // frozen once a lane escapes
    Masks running;
};

[[gnu::always_inline]] inline void startOrbits(Orbits& o, const double* re0, const Doubles& startIm,
                                               const FractalPixelByCount& table) {
    o.startRe = o.zRe = load<Doubles>(re0);
    o.zIm = startIm;
    o.count = broadcast(double{kMaxIterations});
    o.fractalPixel = load<Doubles>(table.lanes[kMaxIterations]);
    o.running = Masks{} - 1;
}

// One squaring, in the reference's order. The reference's imaginary part
// adds re * im and im * re: the same double (a product doesn't depend on the
// order of its factors, NaN or not), so one product added to itself. Lanes
// that have escaped keep iterating (harmlessly, even to infinity) until the
// group is done.
[[gnu::always_inline]] inline void stepOrbits(Orbits& o, int iteration, const Doubles& n,
                                              const Doubles& cRe, const Doubles& cIm,
                                              const Doubles& startIm,
                                              const FractalPixelByCount& table) {
    const Doubles product = o.zRe * o.zIm;
    const Doubles re = o.zRe * o.zRe - o.zIm * o.zIm + cRe;
    const Doubles im = product + product + cIm;
    o.zRe = re;
    o.zIm = im;
    const Doubles dRe = re - o.startRe, dIm = im - startIm;
    const Masks escapesNow = ((dRe * dRe + dIm * dIm) > kEscapeSquareBound) & o.running;
    o.count = select(escapesNow, n, o.count);
    o.fractalPixel = select(escapesNow, load<Doubles>(table.lanes[iteration]), o.fractalPixel);
    o.running ^= escapesNow;
}

void escapeCounts(const double* re0, double im0, Complex c, const FractalPixelByCount& table,
                  double* counts, double* fractalPixels) {
    const Doubles startIm = broadcast(im0), cRe = broadcast(c.re), cIm = broadcast(c.im);
    for (int32_t x = 0; x < kAreaWidth; x += kGroups * kLanes) {
        Orbits o[kGroups];
#pragma GCC unroll 4
        for (int g = 0; g < kGroups; ++g) startOrbits(o[g], re0 + x + g * kLanes, startIm, table);
        Doubles n = Doubles{};
        for (int iteration = 1; iteration <= kMaxIterations; ++iteration) {
            n += 1.0;
            Masks running = Masks{};
#pragma GCC unroll 4
            for (int g = 0; g < kGroups; ++g) {
                stepOrbits(o[g], iteration, n, cRe, cIm, startIm, table);
                running |= o[g].running;
            }
            if (!anyLane(running)) break;
        }
#pragma GCC unroll 4
        for (int g = 0; g < kGroups; ++g) {
            store(counts + x + g * kLanes, o[g].count);
            store(fractalPixels + x + g * kLanes, o[g].fractalPixel);
        }
    }
}

// ---------------------------------------------------------------------------
// Shading, a register of floats (two of doubles) at a time

// mixChannel: the mix of two channel bytes scaled by the fractal colour,
// rounded to float, capped at 255 from above only (NaN stays NaN).
[[gnu::always_inline]] inline Floats mixChannels(const uint8_t* a, const uint8_t* b,
                                                 const Doubles& weight, const Doubles& complement,
                                                 const Doubles* fractalPixel) {
    const DoublePair first = widenBytes(a), second = widenBytes(b);
    const Doubles low = (first.low * weight + second.low * complement) * fractalPixel[0];
    const Doubles high = (first.high * weight + second.high * complement) * fractalPixel[1];
    return lesser(static_cast<float>(kCeiling) - Floats{}, narrow(low, high));
}

// The sine test's least margin for the pixels from x on, one register of doubles.
[[gnu::always_inline]] inline Doubles leastMargin(const double* counts, const float* fedRed,
                                                  const float* fedGreen) {
    const Doubles n = load<Doubles>(counts);
    const Doubles red = sinePeakMargin(n * widenFloats(fedRed) * kSineScale, MinInstruction{});
    const Doubles green = sinePeakMargin(n * widenFloats(fedGreen) * kSineScale, MinInstruction{});
    return lesser(red, green);
}

template <bool kTest>
[[gnu::always_inline]] inline bool shadeRowOf(const ShadeRow& row) {
    // Locals: stores through the output pointers could otherwise alias `row`.
    const double* counts = row.counts;
    const double* fractalPixels = row.fractalPixels;
    const uint8_t *aR = row.aR, *aG = row.aG, *aB = row.aB, *bR = row.bR, *bG = row.bG,
                  *bB = row.bB;
    const float* fedRed = row.coefficientRed;
    const float* fedGreen = row.coefficientGreen;
    float* red = row.red;
    float* green = row.green;
    uint32_t* colours = row.colours;
    const Doubles weight = broadcast(row.weight), complement = broadcast(row.complement);

    Doubles least = broadcast(1.0);  // margins are never NaN
    for (int32_t x = 0; x < kAreaWidth; x += kFloatLanes) {
        const Doubles fractalPixel[2] = {load<Doubles>(fractalPixels + x),
                                         load<Doubles>(fractalPixels + x + kLanes)};
        const Floats r = mixChannels(aR + x, bR + x, weight, complement, fractalPixel);
        const Floats g = mixChannels(aG + x, bG + x, weight, complement, fractalPixel);
        const Floats b = mixChannels(aB + x, bB + x, weight, complement, fractalPixel);
        store(red + x, r);
        store(green + x, g);
        store(colours + x, channelBytes(r) << 16 | channelBytes(g) << 8 | channelBytes(b));
        if (kTest) {
            least = lesser(least, leastMargin(counts + x, fedRed + x, fedGreen + x));
            least = lesser(least, leastMargin(counts + x + kLanes, fedRed + x + kLanes,
                                              fedGreen + x + kLanes));
        }
    }
    return !anyLane(least <= 0.0);
}

bool shadeRow(const ShadeRow& row) {
    return row.coefficientRed != nullptr ? shadeRowOf<true>(row) : shadeRowOf<false>(row);
}

// A plain loop: the compiler vectorises it well at each width.
void packTrueColour(const TrueColourLayout& layout, const uint32_t* colours, uint32_t* pixels) {
    const TrueColourLayout t = layout;  // a local copy: stores to pixels can't alias it
    for (int32_t x = 0; x < kAreaWidth; ++x) {
        const uint32_t c = colours[x];
        pixels[x] = mapTrueColour(t, static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                  static_cast<uint8_t>(c));
    }
}

void readRow(const SDL_Surface* bitmap, int32_t y, ChannelRow out) {
    readChannelRow(bitmap, y, kAreaWidth, out);
}

}  // namespace

const KernelTable kernels = {readRow, escapeCounts, shadeRow, packTrueColour};

}  // namespace FRACTALS_KERNEL_VERSION
}  // namespace fastkernels
