// Every version of the fast renderer's kernels against its plain twin,
// kernel by kernel and bit for bit, on the inputs where a vector version
// could go wrong; and the one choice of version the programs make.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "app/ErrorMsg.h"
#include "julia/ExactShortcuts.h"
#include "julia/JuliaState.h"
#include "kernels/FastKernels.h"
#include "kernels/KernelVersions.h"
#include "support/RandomCases.h"
#include "support/TestSurfaces.h"
#include "support/VersionsUnderTest.h"

using namespace testsupport;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kInfF = std::numeric_limits<float>::infinity();
constexpr float kNaNF = std::numeric_limits<float>::quiet_NaN();

// ---------------------------------------------------------------------------
// Choosing the version

const std::vector<KernelVersion> kBaselineOnly = {KernelVersion::baseline};
const std::vector<KernelVersion> kAll = {KernelVersion::baseline, KernelVersion::avx2,
                                          KernelVersion::avx512};

std::string refusal(const char* requested, const std::vector<KernelVersion>& runnable) {
    try {
        chooseVersion(requested, runnable);
    } catch (const ErrorMsg& e) {
        return e.message;
    }
    return "accepted";
}

TEST(VersionChoice, UnsetOrEmptyGivesTheBestAndEachNameItsVersion) {
    EXPECT_EQ(chooseVersion(nullptr, kAll), KernelVersion::avx512);
    EXPECT_EQ(chooseVersion("", kBaselineOnly), KernelVersion::baseline);
    for (KernelVersion set : kAll)
        EXPECT_EQ(chooseVersion(versionName(set), kAll), set);
}

TEST(VersionChoice, UnknownOrUnrunnableNamesAreRefusedNamingWhatRuns) {
    EXPECT_EQ(refusal("avx512", kBaselineOnly),
              "FRACTALS_CPU=\"avx512\" names a version this processor can't run; "
              "this processor can run baseline");
    EXPECT_EQ(
        refusal("AVX2", kAll),
        "FRACTALS_CPU=\"AVX2\" names no version; this processor can run baseline, avx2, avx512");
    for (KernelVersion set : kAll) {
        if (!canRun(set)) {
            EXPECT_THROW(kernelsFor(set), ErrorMsg) << versionName(set);
        }
    }
}

// ---------------------------------------------------------------------------
// The checker: each version built into the program, on each kernel

// One row of starting points for the escape counts.
struct EscapeRow {
    std::vector<double> re0;
    double im0;
    Complex c;
};

EscapeRow rowOf(const FrameSetup& f, int y) {
    EscapeRow row{std::vector<double>(kAreaWidth), f.startIm(y), f.c};
    for (int x = 0; x < kAreaWidth; ++x) row.re0[x] = f.startRe(x);
    return row;
}

class EachVersion : public ::testing::TestWithParam<KernelVersion> {
protected:
    void SetUp() override {
        const KernelVersion set = GetParam();
        if (!canRun(set))
            GTEST_SKIP() << versionName(set) << ": this processor can't run it";
        const std::vector<KernelVersion> chosen = versionsUnderTest();
        ASSERT_FALSE(chosen.empty()) << "FRACTALS_CPU refused";
        if (std::find(chosen.begin(), chosen.end(), set) == chosen.end())
            GTEST_SKIP() << versionName(set) << ": FRACTALS_CPU picks another version";
        kernels = &kernelsFor(set);
    }

    // Every row of the surface, and one beyond each end, read alike.
    void expectSameRows(const SDL_Surface* s, const std::string& what);
    // The same escape counts and fractal colours for one row; the twin's stay in want*.
    void expectSameEscapes(const EscapeRow& row, const fastkernels::FractalPixelByCount& table,
                           const std::string& what);

    const fastkernels::KernelTable* kernels = nullptr;
    const fastkernels::KernelTable& plain = fastkernels::plainKernels;
    double counts[kAreaWidth], pixels[kAreaWidth], wantCounts[kAreaWidth], wantPixels[kAreaWidth];
};

// The first column where two rows differ bit for bit, or -1. Two NaNs
// agree: no pixel depends on a NaN's sign or payload, and WebAssembly lets
// the engine choose them (clang 19 builds the twin's ceiling as a select
// that keeps the NaN, the kernel's min gives the engine's own).
template <typename T>
int firstDifference(const T* a, const T* b) {
    for (int x = 0; x < kAreaWidth; ++x) {
        if constexpr (std::is_floating_point_v<T>)
            if (std::isnan(a[x]) && std::isnan(b[x])) continue;
        if (std::memcmp(&a[x], &b[x], sizeof(T)) != 0) return x;
    }
    return -1;
}

void EachVersion::expectSameRows(const SDL_Surface* s, const std::string& what) {
    uint8_t got[3][kAreaWidth], want[3][kAreaWidth];
    for (int y = -1; y <= (s ? s->h : 1); ++y) {
        kernels->readRow(s, y, {got[0], got[1], got[2]});
        plain.readRow(s, y, {want[0], want[1], want[2]});
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(firstDifference(got[c], want[c]), -1)
                << what << ", row " << y << ", channel " << c;
    }
}

void EachVersion::expectSameEscapes(const EscapeRow& r,
                                    const fastkernels::FractalPixelByCount& table,
                                    const std::string& what) {
    kernels->escapeCounts(r.re0.data(), r.im0, r.c, table, counts, pixels);
    plain.escapeCounts(r.re0.data(), r.im0, r.c, table, wantCounts, wantPixels);
    const int x = firstDifference(counts, wantCounts);
    EXPECT_EQ(x, -1) << what << ": column " << x << " escapes after " << counts[std::max(x, 0)]
                     << ", not " << wantCounts[std::max(x, 0)];
    EXPECT_EQ(firstDifference(pixels, wantPixels), -1) << what;
}

TEST_P(EachVersion, ReadsRowsOfEveryLayoutSizeAndPitch) {
    std::vector<SurfacePtr> surfaces;
    for (Layout layout : kAllLayouts) {
        surfaces.push_back(makeSurface(layout, kAreaWidth, 240));
        surfaces.push_back(makeSurface(layout, 77, 13));
    }
    // Pitches that aren't a multiple of the pixel size, over a buffer we own.
    static std::vector<uint8_t> oddPitchBytes(641 * 12 + 16);
    surfaces.emplace_back(
        SDL_CreateRGBSurfaceFrom(oddPitchBytes.data(), 320, 12, 16, 641, 0xF800, 0x07E0, 0x1F, 0));
    surfaces.emplace_back(SDL_CreateRGBSurfaceFrom(oddPitchBytes.data(), 160, 12, 32, 641, 0xFF0000,
                                                   0xFF00, 0xFF, 0));
    SurfacePtr fiveBytes = makeSurface(Layout::xrgb8888, 40, 4);
    SurfacePtr shuffled(
        SDL_CreateRGBSurface(SDL_SWSURFACE, kAreaWidth, 3, 24, 0xFF00, 0xFF, 0xFF0000, 0));
    surfaces.push_back(std::move(shuffled));  // a three-byte layout other than the usual two
    for (auto& s : surfaces) fillPattern(s.get(), 7);

    for (auto& s : surfaces) expectSameRows(s.get(), "surface");
    expectSameRows(nullptr, "no surface");
    fiveBytes->format->BytesPerPixel = 5;  // read as white inside, black outside
    expectSameRows(fiveBytes.get(), "5 bytes a pixel");
    fiveBytes->format->BytesPerPixel = 4;
}

// The animation's own rows of starting points, as FastRenderer lays them
// out, over frames that span the radius cycle and the constant's wraps.
std::vector<EscapeRow> animationRows() {
    std::vector<EscapeRow> rows;
    JuliaState state;
    for (int frame = 0; frame < 1000; ++frame) {
        const FrameSetup f = state.beginFrame(0.0f);
        if (frame % 37 == 0 || frame == 95 || frame == 96) {
            for (int y = 0; y < 240; y += 17) rows.push_back(rowOf(f, y));
        }
        state.endFrame();
    }
    return rows;
}

// Rows whose lanes part ways at the edges: escape on the first squaring
// and never, side by side; -0.0; orbits that turn NaN (never escaping) or
// infinite (escaping at once); distances right at the escape bound.
std::vector<EscapeRow> edgeRows() {
    std::vector<EscapeRow> rows;
    auto row = [&rows](double im0, Complex c, auto reAt) {
        EscapeRow r{std::vector<double>(kAreaWidth), im0, c};
        for (int x = 0; x < kAreaWidth; ++x) r.re0[x] = reAt(x);
        rows.push_back(r);
    };
    row(0.0, Complex(0.0, 0.0), [](int x) { return x % 2 ? 10.0 + x : 0.0; });  // 1 and 100
    row(0.0, Complex(0.0, 0.0),
        [](int x) { return x % 7 < 3 ? 0.0 : 100.0; });        // groups split unevenly
    row(-0.0, Complex(-0.0, -0.0), [](int) { return -0.0; });  // stays at -0.0
    row(0.25, Complex(-0.519, 0.688), [](int x) { return x % 3 ? -0.0 : 0.0; });
    row(0.0, Complex(0.0, 0.0), [](int x) { return x % 5 ? 1e200 : 0.5; });    // inf - inf: NaN
    row(0.0, Complex(0.0, 0.0), [](int x) { return x % 4 ? 1e155 : -kInf; });  // overflows at once
    row(kNaN, Complex(0.3, 0.1), [](int x) { return x * 0.01; });
    row(0.1, Complex(kNaN, 0.0), [](int x) { return x * 0.01; });
    row(1e200, Complex(0.0, 0.0), [](int x) { return x % 2 ? 1e200 : kInf; });
    // From z0 = 0, z1 - z0 = c: squared distance 16 + 2^-48 exactly, whose
    // square root rounds to 4 (no escape), and the next double that gets past.
    row(0.0, Complex(4.0, 0x1p-24), [](int x) { return x % 3 ? 0.0 : -0.0; });
    row(-0.0, Complex(-4.0, 0x1p-23), [](int) { return 0.0; });
    return rows;
}

TEST_P(EachVersion, CountsEscapesOfTheAnimationAndAtTheEdges) {
    fastkernels::FractalPixelByCount table;
    for (int n = 0; n <= julia::kMaxIterations; ++n)
        for (double& v : table.lanes[n])
            v = 4278190080.0 + 3 * n;  // distinct, as large as with alpha
    int firstSquaring = 0, never = 0;
    for (const std::vector<EscapeRow>& rows : {animationRows(), edgeRows()}) {
        for (size_t i = 0; i < rows.size(); ++i) {
            expectSameEscapes(rows[i], table, "row " + std::to_string(i));
            if (HasFailure()) return;
            for (double n : wantCounts)
                firstSquaring += n == 1, never += n == julia::kMaxIterations;
        }
    }
    EXPECT_GT(firstSquaring, 1000);
    EXPECT_GT(never, 1000);
}

// The inputs of one row of shading, and both versions' outputs.
struct ShadeCase {
    double counts[kAreaWidth], fractalPixels[kAreaWidth];
    uint8_t bytes[6][kAreaWidth];
    float fedRed[kAreaWidth], fedGreen[kAreaWidth];
    float weight = 0;
    bool fed = true;  // feed coefficients, or let the caller test the row
    const TrueColourLayout* to16 = nullptr;  // pixel values of a 2-byte display instead of colours
    float red[2][kAreaWidth], green[2][kAreaWidth];
    uint32_t colours[2][kAreaWidth];
    uint16_t pixels16[2][kAreaWidth];

    fastkernels::ShadeRow job(int which) {
        fastkernels::ShadeRow row;
        row.counts = counts;
        row.fractalPixels = fractalPixels;
        row.aR = bytes[0], row.aG = bytes[1], row.aB = bytes[2];
        row.bR = bytes[3], row.bG = bytes[4], row.bB = bytes[5];
        row.weight = weight;
        row.complement = static_cast<float>(1.0 - weight);
        row.words = julia::mixInWords(weight, row.complement,
                                      *std::max_element(fractalPixels, fractalPixels + kAreaWidth));
        row.coefficientRed = fed ? fedRed : nullptr;
        row.coefficientGreen = fed ? fedGreen : nullptr;
        row.red = red[which], row.green = green[which], row.colours = colours[which];
        if (to16 != nullptr) row.pixels16 = pixels16[which], row.layout16 = *to16;
        return row;
    }

    // Both versions on this row: their verdicts and outputs agree. Returns the twin's verdict.
    bool agree(const fastkernels::KernelTable& kernels, const std::string& what,
               decltype(&fastkernels::KernelTable::shadeRow) kernel =
                   &fastkernels::KernelTable::shadeRow) {
        const bool verdict = (kernels.*kernel)(job(0));
        const bool want = fastkernels::plainKernels.shadeRow(job(1));
        EXPECT_EQ(verdict, want) << what;
        EXPECT_EQ(firstDifference(red[0], red[1]), -1) << what << ": red v";
        EXPECT_EQ(firstDifference(green[0], green[1]), -1) << what << ": green v";
        if (to16 != nullptr)
            EXPECT_EQ(firstDifference(pixels16[0], pixels16[1]), -1) << what << ": pixels16";
        else
            EXPECT_EQ(firstDifference(colours[0], colours[1]), -1) << what << ": colours";
        return want;
    }
};

// 2-byte displays' layouts: the usual 5-6-5, and one with losses, shifts and
// stray alpha bits no SDL format has, some past 16 bits.
const TrueColourLayout kLayouts16[] = {{3, 2, 3, 11, 5, 0, 0}, {7, 0, 4, 9, 14, 1, 0x80010001}};

// Weights far past the program's (huge, negative, infinite, NaN), channel
// bytes from 0 to 255, and fractal colours from an 8-bit index to one with
// all alpha bits: mixes that saturate, go hugely negative, or overflow. Where
// the mix in floats is exact, up to the largest weights and fractal colours
// that allows (mixes of 2^24 scaled by 2^24), the floats' kernel too.
TEST_P(EachVersion, ShadesHugeNegativeAndOverflowingMixesAlike) {
    ShadeCase row;
    const float weights[] = {0.0f,  0.5f,  1.0f,   1.5f,   7.25f, 40000.5f, 16448.5f, 32897.0f,
                             -3.0f, 3e38f, -3e38f, kInfF, kNaNF};
    const double pixelScales[] = {0.0,      1.0,          31.0,        253.0,
                                  65535.0, 16777216.0, 4278190080.0, 4294967295.0};
    const float fed[] = {0.0f, -0.0f, 255.0f, -1.5e9f, 3e38f, kInfF, -kInfF, kNaNF};
    int seed = 0, inFloats = 0;
    for (float weight : weights)
        for (double scale : pixelScales) {
            row.weight = weight;
            for (int x = 0; x < kAreaWidth; ++x) {
                const uint32_t h = patternValue(x, seed, 5);
                row.counts[x] = 1 + h % julia::kMaxIterations;
                row.fractalPixels[x] =
                    x == 0 ? scale : std::floor(scale * ((h >> 8) % 256) / 255.0);
                for (int c = 0; c < 6; ++c) {
                    const uint32_t b = patternValue(x, seed, 11 + c);
                    row.bytes[c][x] =
                        b % 3 == 0 ? 0 : (b % 3 == 1 ? 255 : static_cast<uint8_t>(b >> 8));
                }
                row.fedRed[x] = fed[h % 8];
                row.fedGreen[x] = fed[(h >> 3) % 8];
            }
            ++seed;
            const std::string what =
                "weight " + std::to_string(weight) + ", scale " + std::to_string(scale);
            const bool exactInFloats =
                julia::mixExactInFloats(weight, static_cast<float>(1.0 - weight), scale);
            for (const TrueColourLayout* to16 : {static_cast<const TrueColourLayout*>(nullptr),
                                                 &kLayouts16[seed % 2]}) {
                row.to16 = to16;
                row.fed = true;
                EXPECT_FALSE(row.agree(*kernels, what))
                    << "infinite and NaN coefficients are never cleared";
                row.fed = false;
                EXPECT_TRUE(row.agree(*kernels, what + ", untested"));
                for (bool fed : {true, false}) {
                    row.fed = fed;
                    if (exactInFloats)
                        row.agree(*kernels, what + ", in floats",
                                  &fastkernels::KernelTable::shadeRowInFloats);
                }
            }
            inFloats += exactInFloats;
        }
    EXPECT_EQ(inFloats, 8 * 6) << "rows whose mix in floats is exact";
}

// Sine arguments n * coefficient * 0.01 at and near the peaks (k + 1/2) pi:
// one such pixel in a row of cleared ones, at every column, for red and for
// green. The verdict must be the twin's, suspect or cleared.
TEST_P(EachVersion, ClearsOrSuspectsSinesNearThePeaksAsTheTwinDoes) {
    ShadeCase row;
    row.weight = 0.5f;
    for (int x = 0; x < kAreaWidth; ++x) {
        row.counts[x] = 1 + x % julia::kMaxIterations;
        row.fractalPixels[x] = 247.0;
        for (auto& channel : row.bytes) channel[x] = static_cast<uint8_t>(x);
        row.fedRed[x] = row.fedGreen[x] = 0.0f;
    }
    int suspects = 0, cleared = 0, unitSines = 0, column = 0;
    for (int n = 1; n <= julia::kMaxIterations; ++n)
        for (double k : {0.0, -1.0, 1.0, 40.0}) {
            const long double aim =
                (k + 0.5L) * 3.14159265358979323846264338327950288L / (n * 0.01L);
            float fed = static_cast<float>(aim);
            for (int i = 0; i < 3; ++i) fed = std::nextafter(fed, -1e30f);
            for (int i = 0; i < 7;
                 ++i, fed = std::nextafter(fed, 1e30f), column = (column + 7) % kAreaWidth) {
                unitSines += std::fabs(std::sin(static_cast<double>(n) * fed * 0.01)) == 1.0;
                for (float* channel : {row.fedRed, row.fedGreen}) {
                    const double savedCount = row.counts[column];
                    row.counts[column] = n;
                    channel[column] = fed;
                    const bool verdict = row.agree(
                        *kernels, "n " + std::to_string(n) + ", coefficient " +
                                      std::to_string(fed) + ", column " + std::to_string(column));
                    (verdict ? cleared : suspects) += 1;
                    channel[column] = 0.0f;
                    row.counts[column] = savedCount;
                }
            }
        }
    EXPECT_GE(unitSines, 5) << "the scan must meet sines of exactly +-1";
    EXPECT_GT(suspects, 100);
    EXPECT_GT(cleared, 100);
}

// Random rows from the driver the renderer comparison shares: a bitmap of
// any layout and width, the escapes of a row of a random view and constant
// on a random display's colours, and that row shaded with weights past 1 and
// huge, fed coefficients near the sine peaks at none, one or a quarter of
// its pixels. Sixteen rows for each frame of the renderer comparison.
TEST_P(EachVersion, RandomRowsAgreeWithTheTwin) {
    const RandomRun run = randomRunFromEnvironment();
    fastkernels::FractalPixelByCount table;
    ShadeCase row;
    int suspected = 0, cleared = 0;
    for (int i = 0; i < 16 * run.frames && !HasFailure(); ++i) {
        RandomCases random(run.seed + i);
        const std::string what = replay(run.seed + i);
        expectSameRows(random.bitmap(1 + random.below(3)).get(), what);

        SurfacePtr display = createDisplaySurface(random.pick(kAllDisplayFormats), 1, 1);
        ColourMap map;
        map.prepare(display->format);
        row.to16 = display->format->BytesPerPixel == 2 ? &map.layout() : nullptr;
        for (int n = 1; n <= julia::kMaxIterations; ++n)
            for (double& v : table.lanes[n])
                v = SDL_MapRGB(display->format, 0, 0, julia::fractalBlue(n));
        JuliaState state = random.state();
        expectSameEscapes(rowOf(state.beginFrame(0), random.below(240)), table, what);

        const uint32_t nearPeak = std::vector<uint32_t>{0, 1, kAreaWidth / 4}[i % 3];
        row.weight = random.weight();
        for (int x = 0; x < kAreaWidth; ++x) {
            row.counts[x] = wantCounts[x];
            row.fractalPixels[x] = wantPixels[x];
            for (auto& channel : row.bytes) channel[x] = random.channelByte();
            for (float* fed : {row.fedRed, row.fedGreen})
                fed[x] = random.below(kAreaWidth) < nearPeak
                             ? random.nearPeakCoefficient(static_cast<int>(wantCounts[x]))
                             : static_cast<float>(random.uniform(-1e4, 255));
        }
        (row.agree(*kernels, what) ? cleared : suspected) += 1;
    }
    EXPECT_GE(suspected, 16 * run.frames / 4) << "rows fed near the peaks";
    EXPECT_GE(cleared, 16 * run.frames / 4) << "rows fed elsewhere";
}

TEST_P(EachVersion, PacksColoursForEveryTrueColourLayout) {
    std::vector<TrueColourLayout> layouts;
    for (Layout layout :
         {Layout::xrgb8888, Layout::rgba8888, Layout::rgb565, Layout::rgb888, Layout::bgr888}) {
        SurfacePtr s = makeSurface(layout, 1, 1);
        ColourMap map;
        map.prepare(s->format);
        layouts.push_back(map.layout());
    }
    TrueColourLayout odd;  // losses and shifts no SDL format has, and stray alpha bits
    odd.rLoss = 7, odd.gLoss = 3, odd.bLoss = 1, odd.rShift = 24, odd.gShift = 3, odd.bShift = 13;
    odd.aMask = 0x80000001;
    layouts.push_back(odd);

    uint32_t colours[kAreaWidth], pixels[kAreaWidth], want[kAreaWidth];
    for (size_t l = 0; l < layouts.size(); ++l)
        for (int seed = 0; seed < 64; ++seed) {
            for (int x = 0; x < kAreaWidth; ++x)
                colours[x] = x < 2 ? (x ? 0xFFFFFF : 0) : patternValue(x, seed, 3) & 0xFFFFFF;
            kernels->packTrueColour(layouts[l], colours, pixels);
            plain.packTrueColour(layouts[l], colours, want);
            ASSERT_EQ(firstDifference(pixels, want), -1) << "layout " << l;
        }
}

INSTANTIATE_TEST_SUITE_P(Versions, EachVersion, ::testing::ValuesIn(builtVersions()),
                         [](const auto& info) {
                             return std::string(versionName(info.param));
                         });

}  // namespace
