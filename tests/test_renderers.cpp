// The fast renderer against the reference: every shortcut it takes checked
// where it could go wrong, then both renderers run side by side on every
// display format, frame after frame, comparing every pixel and the state.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/AppWindow.h"
#include "app/ErrorMsg.h"
#include "fractal/FastRenderer.h"
#include "fractal/LiteralRenderer.h"
#include "julia/ExactShortcuts.h"
#include "julia/JuliaMaths.h"
#include "kernels/KernelVersions.h"
#include "scripted/DisplayFormat.h"
#include "support/RandomCases.h"
#include "support/TestSurfaces.h"
#include "support/VersionsUnderTest.h"
#include "surface/ColourMap.h"
#include "surface/PixelAccess.h"

using namespace testsupport;

namespace {


float floatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// ---------------------------------------------------------------------------
// The escape test without a square root

TEST(EscapeBound, AgreesWithTheSquareRootAroundSixteenAndEverywhereElse) {
    auto agrees = [](double d) { return (std::sqrt(d) > 4.0) == (d > julia::kEscapeSquareBound); };
    double d = 16.0;
    for (int i = 0; i < (1 << 20); ++i) d = std::nextafter(d, 0.0);
    for (int i = 0; i < (1 << 21); ++i, d = std::nextafter(d, 100.0)) ASSERT_TRUE(agrees(d)) << d;

    EXPECT_FALSE(std::sqrt(julia::kEscapeSquareBound) > 4.0);
    EXPECT_TRUE(std::sqrt(std::nextafter(julia::kEscapeSquareBound, 100.0)) > 4.0);
    for (double special : {0.0, -0.0, 1e-310, 1e300, std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()})
        EXPECT_TRUE(agrees(special)) << special;
    uint64_t bits = 0x9E3779B97F4A7C15u;  // a spread of positive doubles
    for (int i = 0; i < 1000000; ++i) {
        bits = bits * 6364136223846793005u + 1442695040888963407u;
        const uint64_t positive = bits >> 1;
        double v;
        std::memcpy(&v, &positive, sizeof v);
        ASSERT_TRUE(agrees(v)) << v;
    }
}

// ---------------------------------------------------------------------------
// The sine test: never clears a pixel whose sine is +-1

// The peak pi/2 + k pi in long double (64-bit mantissa), good enough to
// centre a scan of doubles on it.
long double peak(long double k) {
    const long double pi = 3.14159265358979323846264338327950288L;
    return (k + 0.5L) * pi;
}

constexpr int kCounts[] = {1, 2, 3, 37, 99, 100};

TEST(SineTest, EveryPixelWhoseSineIsOneIsLeftToSin) {
    int unitSines = 0;
    for (int n : kCounts)
        for (long double k = 0; k < 4e12L; k = std::floor(k * 1.37L) + 1) {
            for (long double sign : {1.0L, -1.0L}) {
                // The coefficients around the one whose argument is the peak,
                // wide enough to pass the window on each side at every magnitude.
                double coefficient = static_cast<double>(sign * peak(k) / (n * 0.01L));
                for (int i = 0; i < 64; ++i) coefficient = std::nextafter(coefficient, -1e300);
                for (int i = 0; i < 128 + (k < 1e6L ? 4096 : 0);
                     ++i, coefficient = std::nextafter(coefficient, 1e300)) {
                    const double x = n * coefficient * julia::kSineScale;
                    if (std::fabs(std::sin(x)) != 1.0) continue;
                    ++unitSines;
                    ASSERT_FALSE(julia::sineClearOfPeaks(n, coefficient))
                        << "n = " << n << ", coefficient = " << coefficient;
                    // The premise of the window: sin is +-1 only this close to a peak.
                    if (k < 1e6L) {
                        EXPECT_LT(std::fabs(static_cast<long double>(x) - sign * peak(k)), 1.5e-8L);
                    }
                }
            }
        }
    EXPECT_GT(unitSines, 1000) << "the scan must meet many sines of exactly +-1";
}

// Same frames on every platform: the sin each build links (glibc's; the
// UCRT's in the Windows programs) gives +-1 exactly where a correctly
// rounded sin does, every double around both edges of that band probed.
// mingw-w64's own x87 sin, rounding twice, gives +-1 a little further out.
TEST(SineTest, GivesPlusMinusOneExactlyWhereACorrectlyRoundedSineDoes) {
    // sqrt(2^-53): cos(d) rounds to 1 exactly for |d| below it. Spelled out,
    // since folding sqrtl of a constant crashes clang 19 for WebAssembly.
    const long double edge = 0x1.6a09e667f3bcc908b2fb1366ea957d3e3adep-27L;
    for (long double k : {0.0L, 1.0L, 3.0L, 10.0L, 100.0L, 1000.0L})
        for (long double sign : {1.0L, -1.0L})
            for (long double side : {-1.0L, 1.0L}) {
                const long double p = sign * peak(k);
                double x = static_cast<double>(p + side * edge);
                for (int i = 0; i < 2000; ++i) x = std::nextafter(x, -1e300);
                for (int i = 0; i < 4000; ++i, x = std::nextafter(x, 1e300))
                    ASSERT_EQ(std::fabs(std::sin(x)) == 1.0, std::fabs(x - p) < edge)
                        << "k = " << k << ", x = " << x;
            }
}

TEST(SineTest, ClearsWhatLiesBeyondTheWindowAndGivesUpWhereItCantTell) {
    for (int n : kCounts)
        for (long double k = 0; k < 1e6L; k = std::floor(k * 1.5L) + 1) {
            const long double p = peak(k), window = julia::kSinePeakWindow, scale = n * 0.01L;
            EXPECT_TRUE(julia::sineClearOfPeaks(n, static_cast<double>((p + 2.5L * window) / scale)));
            EXPECT_TRUE(julia::sineClearOfPeaks(n, static_cast<double>((p - 2.5L * window) / scale)));
            EXPECT_FALSE(julia::sineClearOfPeaks(n, static_cast<double>((p + 0.5L * window) / scale)));
        }
    EXPECT_TRUE(julia::sineClearOfPeaks(1, 0.0));
    EXPECT_TRUE(julia::sineClearOfPeaks(100, -0.0));
    EXPECT_FALSE(julia::sineClearOfPeaks(1, 1e18));
    EXPECT_FALSE(julia::sineClearOfPeaks(100, -std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(julia::sineClearOfPeaks(7, std::numeric_limits<double>::quiet_NaN()));
}

// ---------------------------------------------------------------------------
// Channel bytes through a 32-bit conversion

TEST(ChannelByte, MatchesWrapToByteForEveryFloatAroundTwoToThe31AndASpreadOfOthers) {
    auto check = [](uint32_t bits) {
        const float v = floatFromBits(bits);
        return julia::channelByte(v) == wrapToByte(v);
    };
    // Every float of magnitude 2^29 to 2^34, both signs.
    for (uint32_t sign : {0u, 0x80000000u})
        for (uint32_t bits = (127u + 29) << 23; bits < (127u + 35) << 23; ++bits)
            ASSERT_TRUE(check(sign | bits)) << floatFromBits(sign | bits);
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 997) ASSERT_TRUE(check(uint32_t(bits)));
    for (uint32_t bits : {0x7F800000u, 0xFF800000u, 0x7FC00000u, 0x00000001u, 0x80000000u})
        EXPECT_TRUE(check(bits)) << std::hex << bits;
}

// ---------------------------------------------------------------------------
// ColourMap against SDL_MapRGB

struct MaskSet {
    const char* name;
    int depth;
    Uint32 r, g, b, a;
};

// Only the usual 32-bit layout stores a colour 0xRRGGBB as it is; with an
// alpha mask SDL_MapRGB sets its bits too.
TEST(ColourMap, TrueColourEqualsSdlMapRGBForEveryColour) {
    const MaskSet formats[] = {
        {"xrgb8888", 32, 0xFF0000, 0xFF00, 0xFF, 0},
        {"argb8888", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
        {"rgba8888", 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF},
        {"rgb565", 16, 0xF800, 0x07E0, 0x001F, 0},
        {"xrgb1555", 16, 0x7C00, 0x03E0, 0x001F, 0},
        {"argb4444", 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
        {"rgb888", 24, 0xFF0000, 0xFF00, 0xFF, 0},
        {"bgr888", 24, 0xFF, 0xFF00, 0xFF0000, 0},
    };
    for (const MaskSet& m : formats) {
        SCOPED_TRACE(m.name);
        SurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, m.depth, m.r, m.g, m.b, m.a));
        ASSERT_TRUE(s);
        ColourMap colours;
        colours.prepare(s->format);
        ASSERT_TRUE(colours.trueColour());
        const bool direct = coloursArePixels(s->format);
        EXPECT_EQ(direct, std::string(m.name) == "xrgb8888");
        for (uint32_t c = 0; c < (1u << 24); ++c) {
            const uint8_t r = c >> 16, g = c >> 8, b = c;
            ASSERT_EQ(colours.map(r, g, b), SDL_MapRGB(s->format, r, g, b)) << std::hex << c;
            if (direct) {
                ASSERT_EQ(SDL_MapRGB(s->format, r, g, b), c) << std::hex << c;
            }
        }
    }
}

TEST(ColourMap, PalettedEqualsSdlMapRGBAndForgetsAChangedPalette) {
    SurfacePtr s = createDisplaySurface(DisplayFormat::index8, 1, 1);
    ASSERT_TRUE(s && s->format->palette);
    ColourMap colours;
    auto compareSpread = [&] {
        uint32_t h = 12345;
        for (int i = 0; i < 200000; ++i) {
            h = h * 1664525u + 1013904223u;
            // Repeats (the low bits cycle) exercise hits as well as misses.
            const uint8_t r = h >> 24, g = (h >> 16) & 0xF0, b = (i % 7) * 40;
            ASSERT_EQ(colours.map(r, g, b), SDL_MapRGB(s->format, r, g, b)) << int(r) << "," << int(g) << "," << int(b);
        }
    };
    colours.prepare(s->format);
    ASSERT_FALSE(colours.trueColour());
    compareSpread();

    // The same colours now sit at reversed indices: a stale cache would answer wrongly.
    std::vector<SDL_Color> reversed(s->format->palette->colors, s->format->palette->colors + 256);
    std::reverse(reversed.begin(), reversed.end());
    SDL_SetColors(s.get(), reversed.data(), 0, 256);
    colours.prepare(s->format);
    compareSpread();

    // No colours at all, on a fresh map whose cache was never filled.
    SDL_Palette none{0, nullptr};
    SDL_PixelFormat noColours = *s->format;
    noColours.palette = &none;
    ColourMap fresh;
    fresh.prepare(&noColours);
    EXPECT_EQ(fresh.map(10, 20, 30), SDL_MapRGB(&noColours, 10, 20, 30));
}

// ---------------------------------------------------------------------------
// Both renderers side by side

int framesFromEnvironment(int fallback) {
    const char* v = std::getenv("FRACTALS_EQUIV_FRAMES");
    return v != nullptr && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}

std::string describe(const JuliaState& s) {
    std::ostringstream out;
    out.precision(17);
    out << "radius " << s.viewRadius << " A " << s.juliaA << " B " << s.juliaB << " red "
        << s.redCoefficient << " green " << s.greenCoefficient;
    return out.str();
}

// The literal renderer and the fast one with each version of its kernels
// under test, each on its own display of one kind. Before each frame the
// displays are filled with different bytes, so a pixel a renderer leaves
// unwritten shows up as a difference.
class SideBySide {
public:
    template <typename Renderer>
    struct Run {
        SurfacePtr surface;
        std::unique_ptr<AppWindow> window;
        std::unique_ptr<Renderer> renderer;
        uint8_t fill;
        std::string name;
    };

    explicit SideBySide(const std::function<SurfacePtr()>& makeDisplay) {
        literal = run(makeDisplay(), std::make_unique<LiteralRenderer>(), 0x5A, "literal");
        uint8_t fill = 0xA5;
        for (KernelVersion set : versionsUnderTest())
            fast.push_back(run(makeDisplay(), std::make_unique<FastRenderer>(set), fill++,
                               std::string("fast (") + versionName(set) + ")"));
    }
    explicit SideBySide(DisplayFormat format)
        : SideBySide([format] { return createDisplaySurface(format, kAreaWidth, kAreaHeight); }) {}

    ::testing::AssertionResult frame(const SurfaceHandle* a, const SurfaceHandle* b, float weight) {
        scribble(literal);
        literal.renderer->render(*literal.window, a, b, weight);
        for (auto& f : fast) {
            scribble(f);
            f.renderer->render(*f.window, a, b, weight);
        }
        ++frames;
        return same(weight);
    }

    ::testing::AssertionResult same(float weight) {
        SDL_Surface* l = literal.surface.get();
        const int rowBytes = l->w * l->format->BytesPerPixel;
        for (auto& run : fast) {
            SDL_Surface* f = run.surface.get();
            for (int y = 0; y < l->h; ++y) {
                const uint8_t* pf = static_cast<uint8_t*>(f->pixels) + y * f->pitch;
                const uint8_t* pl = static_cast<uint8_t*>(l->pixels) + y * l->pitch;
                if (std::memcmp(pf, pl, rowBytes) != 0) {
                    int x = 0;
                    while (x + 1 < rowBytes && pf[x] == pl[x]) ++x;
                    return ::testing::AssertionFailure()
                           << run.name << ", frame " << frames << " (weight " << weight
                           << "): pixel (" << x / l->format->BytesPerPixel << ", " << y
                           << ") differs";
                }
            }
            if (!sameBits(run.renderer->state, literal.renderer->state))
                return ::testing::AssertionFailure()
                       << run.name << ", frame " << frames << ": state differs\n fast    "
                       << describe(run.renderer->state) << "\n literal "
                       << describe(literal.renderer->state);
        }
        return ::testing::AssertionSuccess();
    }

    // Every display, the literal renderer's first.
    std::vector<SDL_Surface*> displays() {
        std::vector<SDL_Surface*> all = {literal.surface.get()};
        for (auto& f : fast) all.push_back(f.surface.get());
        return all;
    }
    void setState(const JuliaState& state) {
        literal.renderer->state = state;
        for (auto& f : fast) f.renderer->state = state;
    }
    // Fill every display alike before each frame: for pixels rightly never written.
    void fillAlike() {
        literal.fill = 0;
        for (auto& f : fast) f.fill = 0;
    }

    Run<LiteralRenderer> literal;
    std::vector<Run<FastRenderer>> fast;
    int frames = 0;

private:
    template <typename Renderer>
    static Run<Renderer> run(SurfacePtr surface, std::unique_ptr<Renderer> renderer, uint8_t fill,
                             std::string name) {
        auto window = std::make_unique<AppWindow>(surface.get());
        return {std::move(surface), std::move(window), std::move(renderer), fill, std::move(name)};
    }
    template <typename Renderer>
    static void scribble(const Run<Renderer>& run) {
        SDL_Surface* s = run.surface.get();
        const int rowBytes = s->w * s->format->BytesPerPixel;
        for (int y = 0; y < s->h; ++y)
            std::memset(static_cast<uint8_t*>(s->pixels) + y * s->pitch, run.fill, rowBytes);
    }
};

std::unique_ptr<SurfaceHandle> variedBitmap(Layout layout, uint32_t seed, int w = kAreaWidth,
                                            int h = kAreaHeight) {
    SurfacePtr s = makeSurface(layout, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t r = variedByte(patternValue(x, y, seed));
            const uint8_t g = variedByte(patternValue(x, y, seed + 101));
            const uint8_t b = variedByte(patternValue(x, y, seed + 202));
            setRawValue(s.get(), x, y, SDL_MapRGB(s->format, r, g, b));
        }
    return handleFor(std::move(s));
}

// The scene's use of the renderer: a bitmap from each pair, the weight
// growing by halves, Up and Down toggling the pairs now and then.
struct SceneDriver {
    std::unique_ptr<SurfaceHandle> imagesA[2], imagesB[2];
    int selectA = 0, selectB = 0;
    float blendWeight = 0.0f;

    // Frames first .. first + count - 1. The frames before are skipped, not
    // drawn: keys, weight, view and constant are stepped as drawing would,
    // the coefficients stay as they are (the same for both renderers).
    ::testing::AssertionResult run(SideBySide& pair, int first, int count) {
        for (int i = 0; i < first + count; ++i) {
            if (patternValue(i, 0, 99) % 23 == 0) selectA ^= 1;  // Up
            if (patternValue(i, 1, 99) % 29 == 0) selectB ^= 1;  // Down
            if (i < first) {
                JuliaState state = pair.literal.renderer->state;
                state.beginFrame(blendWeight);
                state.endFrame();
                pair.setState(state);
            } else {
                auto result = pair.frame(imagesA[selectA].get(), imagesB[selectB].get(), blendWeight);
                if (!result) return result << " (scene frame " << i << ")";
            }
            blendWeight += 0.5f;
        }
        return ::testing::AssertionSuccess();
    }
};

SceneDriver programLikeScene(float startWeight) {
    SceneDriver scene;
    scene.imagesA[0] = variedBitmap(Layout::rgb888, 1);  // a 24-bit bitmap
    scene.imagesA[1] = variedBitmap(Layout::index8, 2);
    scene.imagesB[0] = variedBitmap(Layout::xrgb8888, 3);
    scene.imagesB[1] = variedBitmap(Layout::rgb565, 4);
    scene.blendWeight = startWeight;
    return scene;
}

// Frames 0-999 in four quarters, each its own test, so that CTest can run
// them side by side (the reference is slow on a paletted display).
constexpr int kQuarters = 4;
class QuarterOnEachDisplay : public ::testing::TestWithParam<std::tuple<DisplayFormat, int>> {};

TEST_P(QuarterOnEachDisplay, FramesWithKeysAreIdentical) {
    const auto [format, quarter] = GetParam();
    const int frames = framesFromEnvironment(1000);
    const int first = frames * quarter / kQuarters, end = frames * (quarter + 1) / kQuarters;
    SideBySide pair(format);
    SceneDriver scene = programLikeScene(0.0f);
    EXPECT_TRUE(scene.run(pair, first, end - first));
}

INSTANTIATE_TEST_SUITE_P(Formats, QuarterOnEachDisplay,
                         ::testing::Combine(::testing::ValuesIn(kAllDisplayFormats),
                                            ::testing::Range(0, kQuarters)),
                         [](const auto& info) {
                             return std::string(formatName(std::get<0>(info.param))) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

class OnEachDisplay : public ::testing::TestWithParam<DisplayFormat> {};

// At these weights v reaches about -1e9, so the sine arguments run far from
// zero, where the test's allowance grows with the argument.
TEST_P(OnEachDisplay, HugeWeightsWithKeysAreIdentical) {
    SideBySide pair(GetParam());
    SceneDriver scene = programLikeScene(40000.0f);
    EXPECT_TRUE(scene.run(pair, 0, std::max(1, framesFromEnvironment(1000) / 10)));
}

// A float weight at which, on the first frame (every pixel n = 4), a pixel
// whose only sample is 1 against a black first bitmap feeds the next a sine
// of +1: red 255 and green 200, which every display shows (a red 1 may not).
float weightMakingAUnitSine(SDL_PixelFormat* format) {
    const double m = SDL_MapRGB(format, 0, 0, 247);
    for (long double k = 3; k < 1000; ++k) {
        // Aim at a peak on the negative side (a positive v would be capped),
        // then try the floats around the aim.
        float w = static_cast<float>(1.0L + peak(k) / (4 * 0.01L * m));
        for (int i = 0; i < 2000; ++i) w = std::nextafter(w, -1e9f);
        for (int i = 0; i < 4000; ++i, w = std::nextafter(w, 1e9f)) {
            const float complement = static_cast<float>(1.0 - w);
            const float v = julia::mixChannel(0, 1, w, complement, m);  // fed to the next pixel
            if (std::sin(4.0 * static_cast<double>(v) * 0.01) == 1.0) return w;
        }
    }
    return 0.0f;
}

// Suspects at every edge of the first frame (every pixel n = 4). A feeder,
// a pixel whose only red or green sample is 1 (over blue 1, against a black
// first bitmap), feeds the next pixel in the reference's order a sine of +1
// unless its own colour changed, so in a run of feeders every other one
// changes: the fast renderer must find each suspect and redo pixels on from
// it, down the column, into the next column and into the state the frame
// leaves, until one comes out as the bulk pass assumed. Last, the first
// pixel, fed by the state.
TEST_P(OnEachDisplay, SuspectsAtEveryEdgeOfTheFrameAreRedoneExactly) {
    SideBySide pair(GetParam());
    const float weight = weightMakingAUnitSine(pair.literal.surface->format);
    ASSERT_NE(weight, 0.0f);
    auto black = handleFor(makeSurface(Layout::xrgb8888, kAreaWidth, kAreaHeight));
    auto blueWithFeeders = [](const std::vector<std::pair<int, int>>& feeders) {
        SurfacePtr s = makeSurface(Layout::xrgb8888, kAreaWidth, kAreaHeight);
        for (int y = 0; y < kAreaHeight; ++y)
            for (int x = 0; x < kAreaWidth; ++x) setRawValue(s.get(), x, y, 0x010000);
        for (auto [x, y] : feeders) setRawValue(s.get(), x, y, (x + y) % 2 ? 0x010001 : 0x010100);
        return handleFor(std::move(s));
    };
    constexpr int right = kAreaWidth - 1, foot = kAreaHeight - 1;
    std::vector<std::pair<int, int>> scattered;
    for (int i = 0; i < kAreaWidth * kAreaHeight; i += 97)
        scattered.emplace_back(i / kAreaHeight, i % kAreaHeight);
    const std::pair<const char*, std::vector<std::pair<int, int>>> placements[] = {
        {"first column", {{0, 0}, {0, 1}, {0, 120}, {0, foot - 1}}},
        {"last column", {{right, 0}, {right, 1}, {right, 120}, {right, foot - 2}}},
        {"first row", {{0, foot}, {41, foot}, {right - 1, foot}}},
        {"last row", {{0, foot - 1}, {200, foot - 1}}},
        {"a run across columns", {{99, foot - 1}, {99, foot}, {100, 0}, {100, 1}}},
        {"a run into the last pixel", {{right, foot - 2}, {right, foot - 1}, {right, foot}}},
        {"the last pixel changed, into the state", {{right, foot - 1}, {right, foot}}},
        {"scattered", scattered},
    };
    for (const auto& [edge, feeders] : placements) {
        pair.setState(JuliaState{});
        auto second = blueWithFeeders(feeders);
        ASSERT_TRUE(pair.frame(black.get(), second.get(), weight)) << edge;
        const size_t inFrame = feeders.size() - (feeders.back() == std::pair(right, foot));
        for (auto& f : pair.fast)
            EXPECT_GE(f.renderer->lastSuspectCount(), inFrame) << f.name << ", " << edge;
    }
    JuliaState start;
    start.redCoefficient = 39.269908169872416;
    ASSERT_EQ(std::sin(4.0 * start.redCoefficient * 0.01), 1.0);
    pair.setState(start);
    EXPECT_TRUE(pair.frame(black.get(), blueWithFeeders({}).get(), weight)) << "first pixel";
    for (auto& f : pair.fast) EXPECT_EQ(f.renderer->lastSuspectCount(), 1u) << f.name;
}

// Random cases of the shared driver, each a display, a state and three
// frames whose weight and bitmaps put many pixels' sine arguments near a
// peak, many exactly at +-1: suspects anywhere, alone and in runs, on
// random views, constants and bitmaps. tests/random-check.sh runs it longer.
TEST(RandomFrames, SteeredToTheSinePeaksAreIdentical) {
    const RandomRun run = randomRunFromEnvironment();
    const auto started = std::chrono::steady_clock::now();
    int frames = 0, aimed = 0, aimedAtUnitSines = 0;
    size_t suspects = 0;
    for (uint64_t seed = run.seed; frames < run.frames; ++seed) {
        SCOPED_TRACE(replay(seed));
        RandomCases random(seed);
        SideBySide pair(random.pick(kAllDisplayFormats));
        pair.setState(random.state());
        for (int i = 0; i < 3 && frames < run.frames; ++i, ++frames) {
            JuliaState state = pair.literal.renderer->state;
            const SteeredFrame steered = random.steeredFrame(state, pair.literal.surface->format);
            pair.setState(state);
            ASSERT_TRUE(pair.frame(steered.a.get(), steered.b.get(), steered.weight));
            aimed += steered.aimed;
            aimedAtUnitSines += steered.unitSines ? steered.aimed : 0;
            if (!pair.fast.empty()) suspects += pair.fast[0].renderer->lastSuspectCount();
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("seed %llu, %d frames in %.2f s: %llu suspects, %d pixels aimed near a peak, "
                "%d of them at exactly +-1 (%.0f suspects/s)\n",
                static_cast<unsigned long long>(run.seed), frames, seconds,
                static_cast<unsigned long long>(suspects), aimed, aimedAtUnitSines,
                suspects / seconds);
    // The driver at work; a run as short as the sanitizers' may miss by chance.
    if (run.frames >= 24) {
        EXPECT_GT(aimedAtUnitSines, 0) << replay(run.seed);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, OnEachDisplay, ::testing::ValuesIn(kAllDisplayFormats),
                         [](const auto& info) { return std::string(formatName(info.param)); });

// Bitmaps of every byte size and layout, smaller ones, unusual pitches and
// byte sizes, and none at all, on every display.
TEST(UnusualBitmaps, ReadTheSameInBothRenderers) {
    // 256 pixels of 5 bytes fill the 320-pixel rows: white inside, black beyond.
    SurfacePtr fiveBytes = makeSurface(Layout::xrgb8888, kAreaWidth, 100);
    fillPattern(fiveBytes.get(), 9);
    fiveBytes->w = 256;
    fiveBytes->format->BytesPerPixel = 5;  // SDL's own functions aren't called on it while so
    auto unusual = std::make_unique<SurfaceHandle>();
    ASSERT_TRUE(unusual->adopt(fiveBytes.release()));

    static std::vector<uint8_t> oddPitchBytes(1283 * kAreaHeight);
    SurfacePtr odd(SDL_CreateRGBSurfaceFrom(oddPitchBytes.data(), kAreaWidth, kAreaHeight, 32, 1283,
                                            0xFF0000, 0xFF00, 0xFF, 0));
    fillPattern(odd.get(), 10);
    auto oddPitch = handleFor(std::move(odd));

    std::vector<std::unique_ptr<SurfaceHandle>> bitmaps;
    uint32_t seed = 20;
    for (Layout layout : kAllLayouts) bitmaps.push_back(variedBitmap(layout, seed++));
    bitmaps.push_back(variedBitmap(Layout::rgb888, seed++, 100, 50));
    bitmaps.push_back(variedBitmap(Layout::xrgb8888, seed++, 400, 30));

    for (DisplayFormat format : kAllDisplayFormats) {
        SCOPED_TRACE(formatName(format));
        SideBySide pair(format);
        float weight = 0.0f;
        std::vector<const SurfaceHandle*> all = {nullptr, unusual.get(), oddPitch.get()};
        for (auto& b : bitmaps) all.push_back(b.get());
        for (size_t i = 0; i < all.size(); ++i)
            for (size_t j = 0; j < all.size(); j += 3) {
                ASSERT_TRUE(pair.frame(all[i], all[(i + j) % all.size()], weight));
                weight += 0.75f;
            }
    }
    // Restore the real size before SDL frees it.
    const_cast<SDL_Surface*>(unusual->surface())->format->BytesPerPixel = 4;
    const_cast<SDL_Surface*>(unusual->surface())->w = kAreaWidth;
}

// Displays the fast renderer hands to the reference: one that needs a lock,
// one smaller than the area, and one of no supported byte size. Both
// displays start alike: some of their pixels are rightly never written.
TEST(UnusualDisplays, GiveTheSameFramesAndStateAsTheReference) {
    auto a = variedBitmap(Layout::rgb888, 61);
    auto b = variedBitmap(Layout::xrgb8888, 62);

    {   // SDL moves the pixels by the offset while locked: one row further down.
        SideBySide pair([] {
            return createDisplaySurface(DisplayFormat::xrgb8888, kAreaWidth, kAreaHeight + 1);
        });
        pair.fillAlike();
        for (SDL_Surface* s : pair.displays()) s->offset = s->pitch;
        for (int i = 0; i < 5; ++i) EXPECT_TRUE(pair.frame(a.get(), b.get(), 0.5f * i));
        for (SDL_Surface* s : pair.displays()) s->offset = 0;
        EXPECT_TRUE(pair.same(0));
    }
    {
        SideBySide pair([] { return createDisplaySurface(DisplayFormat::rgb565, 200, 100); });
        pair.fillAlike();
        for (int i = 0; i < 5; ++i) EXPECT_TRUE(pair.frame(a.get(), b.get(), 1.5f * i));
    }
    {
        SideBySide pair(DisplayFormat::xrgb8888);
        for (SDL_Surface* s : pair.displays()) s->format->BytesPerPixel = 5;
        auto messageOf = [&](JuliaRenderer& renderer, AppWindow& window) {
            try {
                renderer.render(window, a.get(), b.get(), 3.0f);
            } catch (const ErrorMsg& e) {
                return e.message;
            }
            return std::string("no failure");
        };
        EXPECT_EQ(messageOf(*pair.literal.renderer, *pair.literal.window), "Unknown BitDepth");
        for (auto& f : pair.fast) {
            EXPECT_EQ(messageOf(*f.renderer, *f.window), "Unknown BitDepth") << f.name;
            EXPECT_TRUE(sameBits(f.renderer->state, pair.literal.renderer->state))
                << f.name << ": " << describe(f.renderer->state) << " vs "
                << describe(pair.literal.renderer->state);
        }
        for (SDL_Surface* s : pair.displays()) s->format->BytesPerPixel = 4;
    }
}

}  // namespace
