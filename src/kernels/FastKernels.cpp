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

// Where a blend is one instruction (AVX2, AVX-512), each lane's count and
// fractal pixel are picked as it escapes. Where it takes three, the loop only
// counts the iterations a lane runs (an and and an add: the escaping one
// counts, and a lane that never escapes runs all 100) and the fractal pixels
// are looked up once the group is done.
constexpr bool kPickAsTheyEscape = kOneInstructionSelect;

struct Orbits {
    Doubles startRe, zRe, zIm;
    Doubles count, fractalPixel;  // frozen once a lane escapes
    Masks running;
};

// The first squaring, in which every lane runs, from z = the start: it sets
// each lane's count (1 if it escapes, else as far as it may run) rather than
// picking it.
[[gnu::always_inline]] inline void firstStep(Orbits& o, const double* re0, const Doubles& cRe,
                                             const Doubles& cIm, const Doubles& startIm,
                                             const FractalPixelByCount& table) {
    o.startRe = load<Doubles>(re0);
    const Doubles product = o.startRe * startIm;
    o.zRe = o.startRe * o.startRe - startIm * startIm + cRe;
    o.zIm = product + product + cIm;
    const Doubles dRe = o.zRe - o.startRe, dIm = o.zIm - startIm;
    const Masks escapes = (dRe * dRe + dIm * dIm) > kEscapeSquareBound;
    if (kPickAsTheyEscape) {
        o.count = select(escapes, broadcast(1.0), broadcast(double{kMaxIterations}));
        o.fractalPixel = select(escapes, load<Doubles>(table.lanes[1]),
                                load<Doubles>(table.lanes[kMaxIterations]));
    } else {
        o.count = broadcast(1.0);
    }
    o.running = ~escapes;
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
    const Masks escapes = (dRe * dRe + dIm * dIm) > kEscapeSquareBound;
    if (kPickAsTheyEscape) {
        const Masks escapesNow = escapes & o.running;
        o.count = select(escapesNow, n, o.count);
        o.fractalPixel = select(escapesNow, load<Doubles>(table.lanes[iteration]), o.fractalPixel);
        o.running ^= escapesNow;
    } else {
        o.count += as<Doubles>(o.running & as<Masks>(broadcast(1.0)));
        o.running &= ~escapes;
    }
}

void escapeCounts(const double* re0, double im0, Complex c, const FractalPixelByCount& table,
                  double* counts, double* fractalPixels) {
    const Doubles startIm = broadcast(im0), cRe = broadcast(c.re), cIm = broadcast(c.im);
    for (int32_t x = 0; x < kAreaWidth; x += kGroups * kLanes) {
        Orbits o[kGroups];
        Masks running = Masks{};
#pragma GCC unroll 4
        for (int g = 0; g < kGroups; ++g) {
            firstStep(o[g], re0 + x + g * kLanes, cRe, cIm, startIm, table);
            running |= o[g].running;
        }
        Doubles n = broadcast(1.0);
        for (int iteration = 2; iteration <= kMaxIterations && anyLane(running); ++iteration) {
            n += 1.0;
            running = Masks{};
#pragma GCC unroll 4
            for (int g = 0; g < kGroups; ++g) {
                stepOrbits(o[g], iteration, n, cRe, cIm, startIm, table);
                running |= o[g].running;
            }
        }
#pragma GCC unroll 4
        for (int g = 0; g < kGroups; ++g) {
            store(counts + x + g * kLanes, o[g].count);
            if (kPickAsTheyEscape) store(fractalPixels + x + g * kLanes, o[g].fractalPixel);
        }
        if (!kPickAsTheyEscape) {
            for (int32_t i = x; i < x + kGroups * kLanes; ++i)
                fractalPixels[i] = table.lanes[static_cast<int>(counts[i])][0];
        }
    }
}

// ---------------------------------------------------------------------------
// Shading, a register of floats (two of doubles) at a time

// mixChannel: the mix of two channel bytes scaled by the fractal colour,
// rounded to float, capped at 255 from above only (NaN stays NaN).
struct MixInDoubles {
    Doubles weight, complement;
    Doubles fractalPixel[2];

    explicit MixInDoubles(const ShadeRow& row)
        : weight(broadcast(row.weight)), complement(broadcast(row.complement)) {}
    [[gnu::always_inline]] void pixelsAt(const double* fractalPixels) {
        fractalPixel[0] = load<Doubles>(fractalPixels);
        fractalPixel[1] = load<Doubles>(fractalPixels + kLanes);
    }
    [[gnu::always_inline]] Floats operator()(const uint8_t* a, const uint8_t* b) const {
        const DoublePair first = widenBytes(a), second = widenBytes(b);
        const Doubles low = (first.low * weight + second.low * complement) * fractalPixel[0];
        const Doubles high = (first.high * weight + second.high * complement) * fractalPixel[1];
        return lesser(static_cast<float>(kCeiling) - Floats{}, narrow(low, high));
    }
};

// The same in floats, exact where mixExactInFloats holds (ExactShortcuts.h);
// the fractal pixels, integers up to 2^24, narrow to floats exactly.
struct MixInFloats {
    Floats weight, complement;
    Floats fractalPixel;

    explicit MixInFloats(const ShadeRow& row)
        : weight(row.weight - Floats{}), complement(row.complement - Floats{}) {}
    [[gnu::always_inline]] void pixelsAt(const double* fractalPixels) {
        fractalPixel = narrow(load<Doubles>(fractalPixels), load<Doubles>(fractalPixels + kLanes));
    }
    [[gnu::always_inline]] Floats operator()(const uint8_t* a, const uint8_t* b) const {
        const Floats mix = widenBytesToFloats(a) * weight + widenBytesToFloats(b) * complement;
        return lesser(static_cast<float>(kCeiling) - Floats{}, mix * fractalPixel);
    }
};

// The same from integers, exact where mixInWords gives weights
// (ExactShortcuts.h): the fractal pixels scaled by 2^-e.
struct MixInWords {
    Ints weights;
    Floats scale, fractalPixel;

    explicit MixInWords(const ShadeRow& row)
        : weights(Ints{} + (static_cast<uint16_t>(row.words.weight) |
                            static_cast<int32_t>(row.words.complement) * 65536)),
          scale(row.words.scale - Floats{}) {}
    [[gnu::always_inline]] void pixelsAt(const double* fractalPixels) {
        fractalPixel =
            narrow(load<Doubles>(fractalPixels), load<Doubles>(fractalPixels + kLanes)) * scale;
    }
    [[gnu::always_inline]] Floats operator()(const uint8_t* a, const uint8_t* b) const {
        const Floats mix = __builtin_convertvector(mixWords(a, b, weights), Floats);
        return lesser(static_cast<float>(kCeiling) - Floats{}, mix * fractalPixel);
    }
};

// The sine test's nearest approach to a peak for the pixels from x on, one
// register of doubles: the row is cleared while every one stays below
// kSineClearBelow.
[[gnu::always_inline]] inline Doubles nearestToPeak(const double* counts, const float* fedRed,
                                                    const float* fedGreen) {
    const Doubles factor = load<Doubles>(counts) * kTurnsPerUnit;
    const Doubles red =
        sinePeakNearness(factor, widenFloats(fedRed), MinInstruction{}, OffsetInstruction{});
    const Doubles green =
        sinePeakNearness(factor, widenFloats(fedGreen), MinInstruction{}, OffsetInstruction{});
    return greater(red, green);
}

// Where a row's channel bytes go: as colours 0xRRGGBB, or mapped to the
// pixel values of a 2-byte display and stored there.
struct ToColours {
    uint32_t* colours;

    explicit ToColours(const ShadeRow& row) : colours(row.colours) {}
    [[gnu::always_inline]] void operator()(int32_t x, const Ints& r, const Ints& g,
                                           const Ints& b) const {
        store(colours + x, r << 16 | g << 8 | b);
    }
};

struct ToPixels16 {
    uint16_t* pixels;
    TrueColourLayout t;

    explicit ToPixels16(const ShadeRow& row) : pixels(row.pixels16), t(row.layout16) {}
    [[gnu::always_inline]] void operator()(int32_t x, const Ints& r, const Ints& g,
                                           const Ints& b) const {
        const Ints mapped = (r >> t.rLoss) << t.rShift | (g >> t.gLoss) << t.gShift |
                            (b >> t.bLoss) << t.bShift | static_cast<int32_t>(t.aMask);
        storeLow16(pixels + x, mapped);
    }
};

template <bool kTest, typename Mix, typename Out>
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
    const Out out(row);
    Mix mix(row);

    Doubles nearest = broadcast(0.0);
    for (int32_t x = 0; x < kAreaWidth; x += kFloatLanes) {
        mix.pixelsAt(fractalPixels + x);
        const Floats r = mix(aR + x, bR + x);
        const Floats g = mix(aG + x, bG + x);
        const Floats b = mix(aB + x, bB + x);
        store(red + x, r);
        store(green + x, g);
        out(x, channelBytes(r), channelBytes(g), channelBytes(b));
        if (kTest) {
            nearest = greater(nearest, nearestToPeak(counts + x, fedRed + x, fedGreen + x));
            nearest = greater(nearest, nearestToPeak(counts + x + kLanes, fedRed + x + kLanes,
                                                     fedGreen + x + kLanes));
        }
    }
    return !anyLane(nearest >= kSineClearBelow);
}

template <typename Mix>
bool shadeRowWith(const ShadeRow& row) {
    const bool tested = row.coefficientRed != nullptr;
    if (row.pixels16 != nullptr)
        return tested ? shadeRowOf<true, Mix, ToPixels16>(row)
                      : shadeRowOf<false, Mix, ToPixels16>(row);
    return tested ? shadeRowOf<true, Mix, ToColours>(row) : shadeRowOf<false, Mix, ToColours>(row);
}

bool shadeRow(const ShadeRow& row) { return shadeRowWith<MixInDoubles>(row); }
bool shadeRowInFloats(const ShadeRow& row) {
    if (kMixInWords && row.words.scale != 0) return shadeRowWith<MixInWords>(row);
    return shadeRowWith<MixInFloats>(row);
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

const KernelTable kernels = {readRow, escapeCounts, shadeRow, shadeRowInFloats, packTrueColour};

}  // namespace FRACTALS_KERNEL_VERSION
}  // namespace fastkernels
