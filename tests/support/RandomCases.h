// Seeded random cases for the fast renderer's checks, shared by the kernel
// checker and the renderer comparison and steered to its rare paths: sine
// arguments at and near the peaks, where the sine test gives up and sin
// decides; weights past 1 and huge; bitmaps of every layout and odd sizes.
// Its own generator, so a seed makes the same cases on every platform.
#pragma once

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "julia/ExactShortcuts.h"
#include "julia/JuliaMaths.h"
#include "julia/JuliaState.h"
#include "support/TestSurfaces.h"

namespace testsupport {

// Channel bytes mostly 0, some 1 to 3, some anything, so the mix is zero,
// small or saturated, and past weight 1 negative where the second bitmap wins.
inline uint8_t variedByte(uint32_t h) {
    switch (h & 3) {
    case 0:
    case 1: return 0;
    case 2: return static_cast<uint8_t>(1 + (h >> 2) % 3);
    default: return static_cast<uint8_t>(h >> 8);
    }
}

// The seed FRACTALS_RANDOM_SEED names, or a new one; FRACTALS_RANDOM_FRAMES
// frames, or `frames` scaled as FRACTALS_EQUIV_FRAMES scales the renderer
// equivalence run (1000 in full). Case i is made from seed + i alone, so the
// seed a failing case prints replays it first.
struct RandomRun {
    uint64_t seed;
    int frames;
};

inline RandomRun randomRunFromEnvironment(int frames = 24) {
    auto number = [](const char* name, unsigned long long fallback) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0' ? std::strtoull(v, nullptr, 10) : fallback;
    };
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    const auto scaled = number("FRACTALS_EQUIV_FRAMES", 1000) * frames / 1000;
    return {number("FRACTALS_RANDOM_SEED", static_cast<uint32_t>(now)),
            static_cast<int>(std::max(1ull, number("FRACTALS_RANDOM_FRAMES", scaled)))};
}

inline std::string replay(uint64_t seed) {
    return "seed " + std::to_string(seed) + " (replay: bash tests/random-check.sh --seed " +
           std::to_string(seed) + ")";
}

// The float `steps` floats above f (below it if negative).
inline float stepped(float f, int steps) {
    for (; steps != 0; steps += steps < 0 ? 1 : -1)
        f = std::nextafter(f, steps < 0 ? -1e30f : 1e30f);
    return f;
}

// A steered frame: its bitmaps and weight, and how many pixels were aimed
// near a sine peak (fed by a pixel the fast renderer assumes has red and
// green 0), exactly at +-1 or not.
struct SteeredFrame {
    std::unique_ptr<SurfaceHandle> a, b;
    float weight = 0;
    int aimed = 0;
    bool unitSines = false;
};

class RandomCases {
public:
    explicit RandomCases(uint64_t seed) : bits(seed) {}

    uint64_t next() {  // splitmix64
        uint64_t z = bits += 0x9E3779B97F4A7C15u;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * (next() >> 11) * 0x1p-53; }
    template <typename T, size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }
    uint8_t channelByte() { return variedByte(static_cast<uint32_t>(next())); }

    // In the program's range, past 1, or huge.
    float weight() {
        const double ranges[][2] = {{0, 1}, {1, 10}, {1e3, 1e9}};
        const auto& range = pick(ranges);
        return static_cast<float>(uniform(range[0], range[1]));
    }

    // A view of a point, of the animation's radii or of any size; any constant.
    JuliaState state() {
        JuliaState s;
        s.viewCentreX = static_cast<float>(uniform(-1, 1.5));
        s.viewCentreY = static_cast<float>(uniform(-1, 1.5));
        const float radii[] = {0.0f, 0.5f * below(9), static_cast<float>(uniform(0, 1e-4)),
                               static_cast<float>(uniform(0, 4))};
        s.viewRadius = pick(radii);
        s.juliaA = uniform(0, 10);
        s.juliaB = uniform(0, 5);
        s.redCoefficient = static_cast<float>(uniform(-1e4, 255));
        s.greenCoefficient = static_cast<float>(uniform(-1e4, 255));
        return s;
    }

    // Within 4 floats of the v that, fed to a pixel of count n, puts its
    // sine argument n * v * 0.01 at the peak (k + 1/2) pi of that sign.
    static float nearPeak(int n, double k, double sign, int steps) {
        return stepped(static_cast<float>(sign * (k + 0.5) * 3.14159265358979323846 / (n * 0.01)),
                       steps);
    }
    float nearPeakCoefficient(int n) {
        return nearPeak(n, below(2) ? below(4) : below(1000), below(2) ? 1 : -1, int(below(9)) - 4);
    }

    // Any layout, mostly the area's width, else an odd one narrower or wider.
    SurfacePtr bitmap(int height) {
        const int widths[] = {kAreaWidth, kAreaWidth, 1 + 2 * int(below(160)),
                              kAreaWidth + 1 + 2 * int(below(40))};
        SurfacePtr s = makeSurface(pick(kAllLayouts), pick(widths), height);
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x) {
                const uint64_t h = next();
                setRawValue(s.get(), x, y,
                            variedByte(h) | variedByte(h >> 16) << 8 | variedByte(h >> 32) << 16 |
                                static_cast<uint32_t>(h >> 40) << 24);
            }
        return s;
    }

    // Bitmaps and a weight for the next frame of `state` on `display` that
    // feed many pixels a sine argument near a peak: a pixel, anywhere or at
    // an edge of the frame, the one before it and a share of the pixels with its escape
    // count and the next one's (in the reference's order) get red or green
    // samples a and b, and the weight makes that mix such a feed; every
    // other frame, one of exactly +-1. The state's coefficients may be set
    // to feed the first pixel so.
    SteeredFrame steeredFrame(JuliaState& state, SDL_PixelFormat* display) {
        const int heights[] = {kAreaHeight, kAreaHeight, 1 + int(below(300))};
        SteeredFrame frame{handleFor(bitmap(pick(heights))), handleFor(bitmap(pick(heights))),
                           weight()};
        const std::vector<int> n = escapeCounts(state);
        if (below(4) == 0) state.redCoefficient = nearPeakCoefficient(n[0]);
        if (below(4) == 0) state.greenCoefficient = nearPeakCoefficient(n[0]);

        frame.unitSines = framesSteered++ % 2 == 0;
        const uint32_t shares[] = {2, 8, 64, 1024};  // one in so many of those pixels
        const uint32_t share = pick(shares);
        SDL_Surface* bitmaps[] = {const_cast<SDL_Surface*>(frame.a->surface()),
                                  const_cast<SDL_Surface*>(frame.b->surface())};
        const int channel = bitmaps[0]->format->BytesPerPixel > 1 &&
                            bitmaps[1]->format->BytesPerPixel > 1 && below(2);
        for (int attempt = 0; attempt < 64 && frame.aimed == 0; ++attempt) {
            const int32_t columns[] = {0, kAreaWidth - 2, kAreaWidth - 1,
                                       static_cast<int32_t>(below(kAreaWidth))};
            const int32_t rows[] = {0, kAreaHeight - 2, kAreaHeight - 1};
            const size_t i = std::min<size_t>(below(2) ? pick(columns) * kAreaHeight + pick(rows)
                                                       : below(static_cast<uint32_t>(n.size())),
                                              n.size() - 2);
            const double m = SDL_MapRGB(display, 0, 0, julia::fractalBlue(n[i]));
            const uint8_t s = static_cast<uint8_t>(below(4) ? 1 + below(3) : 1 + below(255));
            const uint8_t a = below(2) ? s : 0, b = s - a;  // v positive, or either sign
            if (!aimWeight(a, b, m, n[i + 1], frame.unitSines, frame.weight)) continue;
            for (size_t j = 0; j + 1 < n.size(); ++j) {
                const int x = static_cast<int>(j) / kAreaHeight,
                          y = static_cast<int>(j) % kAreaHeight;
                if (n[j] != n[i] || n[j + 1] != n[i + 1] ||
                    (j != i && j + 1 != i && below(share) != 0))
                    continue;
                if (std::min(bitmaps[0]->w, bitmaps[1]->w) <= x ||
                    std::min(bitmaps[0]->h, bitmaps[1]->h) <= y)
                    continue;
                setChannel(bitmaps[0], x, y, channel, a);
                setChannel(bitmaps[1], x, y, channel, b);
                ++frame.aimed;
            }
        }
        return frame;
    }

private:
    // Each pixel's escape count in the next frame of `state`, column-major.
    static std::vector<int> escapeCounts(JuliaState state) {
        const FrameSetup f = state.beginFrame(0);
        std::vector<int> n;
        for (int32_t x = 0; x < kAreaWidth; ++x)
            for (int32_t y = 0; y < kAreaHeight; ++y)
                n.push_back(julia::escapeCount(Complex(f.startRe(x), f.startIm(y)), f.c));
        return n;
    }

    // A weight at which samples a and b under fractal colour m make a v
    // that puts the sine argument of a pixel of count n in the sine test's
    // window, exactly +-1 if `unit`, else not: the floats v around the peaks
    // from a random one on, and for each the weights around its aim.
    bool aimWeight(uint8_t a, uint8_t b, double m, int n, bool unit, float& weight) {
        const double sign = a > 0 || below(2) ? 1 : -1;  // a positive v is capped at 255
        std::vector<float> hits;
        for (uint32_t k = below(8), tries = 0; m > 0 && tries < 64 && hits.empty(); ++k, ++tries) {
            for (int i = -4; i < 4 && nearPeak(n, k, sign, 0) <= julia::kCeiling; ++i) {
                const float v = nearPeak(n, k, sign, i);
                const double x = n * static_cast<double>(v) * julia::kSineScale;
                if (julia::sineClearOfPeaks(n, v) || (std::fabs(std::sin(x)) == 1.0) != unit)
                    continue;
                const float aim = static_cast<float>(a > 0 ? v / (a * m) : 1 - v / (b * m));
                for (int j = -16; j < 16; ++j) {
                    const float w = stepped(aim, j);
                    if (julia::mixChannel(a, b, w, static_cast<float>(1.0 - w), m) == v)
                        hits.push_back(w);
                }
            }
        }
        if (hits.empty()) return false;
        weight = hits[below(static_cast<uint32_t>(hits.size()))];
        return true;
    }

    // Sets the byte readPixel gives for red (0) or green (1).
    static void setChannel(SDL_Surface* s, int x, int y, int channel, uint8_t value) {
        if (s->format->BytesPerPixel == 3) {
            pixelAddress(s, x, y)[(channel ? s->format->Gshift : s->format->Rshift) / 8] = value;
            return;
        }
        const uint32_t shift = 8 * channel;
        setRawValue(s, x, y, (rawValue(s, x, y) & ~(0xFFu << shift)) | uint32_t{value} << shift);
    }

    uint64_t bits;
    int framesSteered = 0;
};

}  // namespace testsupport
