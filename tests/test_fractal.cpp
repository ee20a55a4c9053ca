// The fractal subsystem: complex arithmetic, the scene's bitmaps, keys and
// weight, and the reference Julia renderer checked pixel for pixel against a
// model of the picture written here from its definition.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "app/ErrorMsg.h"
#include "fractal/FractalScene.h"
#include "fractal/LiteralRenderer.h"
#include "julia/Complex.h"
#include "scripted/DisplayFormat.h"
#include "support/TestSurfaces.h"
#include "surface/SurfaceHandle.h"

using namespace testsupport;

namespace {


// ---------------------------------------------------------------------------
// Helpers: bitmaps, the display, and the model of the picture.

using Sample = std::array<uint8_t, 3>;

// A bitmap pixel as the renderer must see it: bytes 0-7, 8-15, 16-23 of the
// raw value, except 3-byte pixels whose bytes the shifts name; black outside.
Sample sampleAt(SDL_Surface* s, int x, int y) {
    if (s == nullptr || x < 0 || y < 0 || x >= s->w || y >= s->h) return {0, 0, 0};
    if (s->format->BytesPerPixel == 3) {
        const uint8_t* p = pixelAddress(s, x, y);
        return {p[s->format->Rshift / 8], p[s->format->Gshift / 8], p[s->format->Bshift / 8]};
    }
    const uint32_t raw = rawValue(s, x, y);
    return {uint8_t(raw), uint8_t(raw >> 8), uint8_t(raw >> 16)};
}

SurfacePtr uniformSurface(Layout layout, uint32_t raw, int w = kAreaWidth, int h = kAreaHeight) {
    SurfacePtr s = makeSurface(layout, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) setRawValue(s.get(), x, y, raw);
    return s;
}

std::unique_ptr<SurfaceHandle> uniformHandle(uint32_t raw) {
    return handleFor(uniformSurface(Layout::xrgb8888, raw));
}

// Every display pixel's raw value, row by row.
std::vector<uint32_t> displayPixels(SDL_Surface* display) {
    std::vector<uint32_t> out;
    for (int y = 0; y < kAreaHeight; ++y)
        for (int x = 0; x < kAreaWidth; ++x) out.push_back(rawValue(display, x, y));
    return out;
}

// "" when the frames agree, else where and how they first differ.
std::string firstDifference(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want) {
    for (size_t i = 0; i < want.size(); ++i)
        if (got.at(i) != want[i])
            return "at (" + std::to_string(i % kAreaWidth) + "," + std::to_string(i / kAreaWidth) +
                   ") got " + std::to_string(got[i]) + " want " + std::to_string(want[i]);
    return "";
}

// Truncation toward zero, then the low 8 bits; fmod keeps this exact and
// free of integer overflow for any finite v.
uint8_t lowByte(double v) {
    double r = std::fmod(std::trunc(v), 256.0);
    if (r < 0) r += 256.0;
    return static_cast<uint8_t>(r);
}

// The picture from its definition: plain doubles, no code of the renderer.
struct Model {
    float radius = 0.0f;
    double juliaA = 0.519, juliaB = 0.688;
    double redCoefficient = 3.3, greenCoefficient = 3.3;

    static int escapeCount(double re0, double im0, double cr, double ci) {
        double re = re0, im = im0;
        for (int n = 1;; ++n) {
            const double rr = re * re, ii = im * im, ri = re * im;
            re = (rr - ii) + cr;
            im = (ri + ri) + ci;
            const double dr = re - re0, di = im - im0;
            if (std::sqrt(dr * dr + di * di) > 4.0 || n == 100) return n;
        }
    }

    // The constant of this frame, stepping juliaA (and juliaB when A wraps).
    std::array<double, 2> stepConstant() {
        const std::array<double, 2> c{-juliaA, juliaB};
        juliaA += static_cast<double>(0.1f);
        if (juliaA > 10.0) {
            juliaA = 0.0;
            juliaB += static_cast<double>(0.1f);
            if (juliaB > 5.0) juliaB = 0.0;
        }
        return c;
    }

    void stepRadius() {
        radius = static_cast<float>(radius + 0.5);
        if (radius > 4.0f) radius = 0.0f;
    }

    void skipFrame() {
        stepConstant();
        stepRadius();
    }

    std::vector<uint32_t> frame(SDL_PixelFormat* format, SDL_Surface* a, SDL_Surface* b,
                                float weight) {
        const float left = static_cast<float>(0.5 - radius),
                    right = static_cast<float>(0.5 + radius);
        const float top = left, bottom = right;
        const std::array<double, 2> c = stepConstant();
        const float spanX = static_cast<float>(double(right) - left);
        const float spanY = static_cast<float>(double(bottom) - top);
        const float complement = static_cast<float>(1.0 - weight);
        const double columnScale = 1.0f / 320, rowScale = 1.0f / 240;

        std::vector<uint32_t> out(kAreaWidth * kAreaHeight);
        for (int x = 0; x < kAreaWidth; ++x) {
            const float re0 = static_cast<float>(double(x) * spanX * columnScale + left);
            for (int y = 0; y < kAreaHeight; ++y) {
                const double im0 = double(y) * spanY * rowScale + top;
                const int n = escapeCount(re0, im0, c[0], c[1]);
                const int red = -int(std::trunc(std::sin(double(n) * redCoefficient * 0.01)));
                const int green =
                    int(std::trunc(std::sin(double(n) * greenCoefficient * 0.01))) * 200;
                const double m =
                    SDL_MapRGB(format, uint8_t(red), uint8_t(green), uint8_t(255 - 2 * n));

                const Sample sa = sampleAt(a, x, y), sb = sampleAt(b, x, y);
                float v[3];
                for (int k = 0; k < 3; ++k) {
                    v[k] = static_cast<float>(
                        (sa[k] * double(weight) + sb[k] * double(complement)) * m);
                    if (v[k] > 255.0f) v[k] = 255.0f;
                }
                redCoefficient = v[0];
                greenCoefficient = v[1];
                out[y * kAreaWidth + x] =
                    SDL_MapRGB(format, lowByte(v[0]), lowByte(v[1]), lowByte(v[2]));
            }
        }
        stepRadius();
        return out;
    }
};

// An offscreen display wrapped in a window, as the renderer draws on it.
struct Display {
    explicit Display(DisplayFormat f = DisplayFormat::xrgb8888, int w = kAreaWidth,
                     int h = kAreaHeight)
        : surface(createDisplaySurface(f, w, h)), window(surface.get()) {}
    SDL_PixelFormat* format() const { return surface->format; }
    std::vector<uint32_t> pixels() const { return displayPixels(surface.get()); }

    SurfacePtr surface;
    AppWindow window;
};

// Writes the scene's four files into a fresh directory.
struct SceneFiles {
    TempDir dir;
    void write(const char* name, SDL_Surface* s) { writeBmp(s, dir.file(name)); }
    void writePattern(const char* name, uint32_t seed, int width = kAreaWidth) {
        writePatternBmp(dir, name, width, kAreaHeight, seed);
    }
    void writeAll(uint32_t seedA = 1, uint32_t seedB = 2) {
        writePattern("lsd.bmp", seedA);
        writePattern("logo.bmp", seedA + 100);
        writePattern("lsd2.bmp", seedB);
        writePattern("logo2.bmp", seedB + 100);
    }
    std::string path() const { return dir.path().string(); }
};

// ---------------------------------------------------------------------------
// Complex

TEST(Complex, ArithmeticIdentities) {
    EXPECT_EQ(Complex(3, 4).modulus(), 5.0);

    const Complex square = Complex(0, 1) * Complex(0, 1);
    EXPECT_EQ(square.re, -1.0);
    EXPECT_EQ(square.im, 0.0);

    const Complex zero = Complex(1, 2) - Complex(1, 2);
    EXPECT_EQ(zero.re, 0.0);
    EXPECT_EQ(zero.im, 0.0);
    EXPECT_EQ(zero.modulus(), 0.0);

    const Complex sum = Complex(1.5, -2) + Complex(0.25, 7);
    EXPECT_EQ(sum.re, 1.75);
    EXPECT_EQ(sum.im, 5.0);
    EXPECT_EQ(Complex().re, 0.0);
    EXPECT_EQ(Complex().im, 0.0);
}

TEST(Complex, ProductsAreRoundedBeforeTheyAreSummed) {
    // x*x = 1 + 2^-29 + 2^-60 exactly; rounded first it loses the 2^-60.
    const double x = 1.0 + std::ldexp(1.0, -30);
    const double roundedFirst = std::ldexp(1.0, -29);
    ASSERT_NE(std::fma(x, x, -1.0), roundedFirst) << "the case must be one that fusing changes";

    const Complex p = Complex(x, 1.0) * Complex(x, 1.0);
    EXPECT_EQ(p.re, roundedFirst);
    EXPECT_EQ(p.im, 2.0 * x);
}

// ---------------------------------------------------------------------------
// Fractal scene: loading

TEST(FractalSceneLoading, TheFirstMissingBitmapNamesItsPair) {
    struct Case {
        std::vector<const char*> present;
        const char* message;  // empty: construction succeeds
    };
    const Case cases[] = {
        {{}, "Couldnt load Bitmap"},
        {{"lsd.bmp", "lsd2.bmp", "logo2.bmp"}, "Couldnt load Bitmap"},
        {{"logo.bmp", "lsd2.bmp", "logo2.bmp"}, "Couldnt load Bitmap"},
        {{"logo.bmp", "lsd.bmp"}, "Couldnt Load Bitmap"},
        {{"logo.bmp", "lsd.bmp", "lsd2.bmp"}, "Couldnt Load Bitmap"},
        {{"logo.bmp", "lsd.bmp", "logo2.bmp"}, "Couldnt Load Bitmap"},
        {{"logo.bmp", "lsd.bmp", "logo2.bmp", "lsd2.bmp"}, ""},
    };
    for (const Case& c : cases) {
        SceneFiles files;
        std::string names;
        for (const char* name : c.present) {
            files.writePattern(name, 7);
            names += std::string(name) + " ";
        }
        SCOPED_TRACE("present: " + names);
        try {
            FractalScene scene(std::make_unique<LiteralRenderer>(), files.path());
            EXPECT_STREQ(c.message, "") << "construction should have failed";
        } catch (const ErrorMsg& e) {
            EXPECT_EQ(e.message, c.message);
        }
    }
}

TEST(FractalSceneLoading, EachFileGoesToItsOwnSlot) {
    SceneFiles files;
    files.writePattern("lsd.bmp", 1, 320);
    files.writePattern("logo.bmp", 1, 321);
    files.writePattern("lsd2.bmp", 1, 322);
    files.writePattern("logo2.bmp", 1, 323);
    FractalScene scene(std::make_unique<LiteralRenderer>(), files.path());
    EXPECT_EQ(scene.imagesA[0].surface()->w, 320);
    EXPECT_EQ(scene.imagesA[1].surface()->w, 321);
    EXPECT_EQ(scene.imagesB[0].surface()->w, 322);
    EXPECT_EQ(scene.imagesB[1].surface()->w, 323);
    EXPECT_EQ(scene.selectA, 0);
    EXPECT_EQ(scene.selectB, 0);
}

// ---------------------------------------------------------------------------
// Fractal scene: keys and weight, seen through a renderer that records its calls

struct DrawCall {
    AppWindow* window;
    const SurfaceHandle* slotA;
    const SurfaceHandle* slotB;
    float weight;
};

class RecordingRenderer final : public JuliaRenderer {
public:
    explicit RecordingRenderer(std::vector<DrawCall>* calls) : calls(calls) {}
    void render(AppWindow& window, const SurfaceHandle* slotA, const SurfaceHandle* slotB,
                float weight) override {
        calls->push_back({&window, slotA, slotB, weight});
    }

private:
    std::vector<DrawCall>* calls;
};

class FractalSceneInput : public ::testing::Test {
protected:
    void SetUp() override {
        files.writeAll();
        auto owned = std::make_unique<FractalScene>(std::make_unique<RecordingRenderer>(&calls),
                                                    files.path());
        scene = owned.get();
        display.window.scene = std::move(owned);
        scene->owner = &display.window;
    }

    const DrawCall& nextFrame() {
        display.window.scene->update();
        return calls.back();
    }

    void key(Uint8 type, SDLKey sym) {
        SDL_Event e{};
        e.type = type;
        e.key.type = type;
        e.key.keysym.sym = sym;
        display.window.dispatch(e);
    }

    std::vector<DrawCall> calls;
    SceneFiles files;
    Display display{DisplayFormat::xrgb8888, 8, 8};
    FractalScene* scene = nullptr;  // owned by the window
};

TEST_F(FractalSceneInput, DrawsTheFirstOfEachPairWithAWeightGrowingByHalves) {
    const float expected[] = {0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.5f};
    for (float weight : expected) {
        const DrawCall& call = nextFrame();
        EXPECT_EQ(call.weight, weight);
        EXPECT_EQ(call.window, &display.window);
        EXPECT_EQ(call.slotA, &scene->imagesA[0]);
        EXPECT_EQ(call.slotB, &scene->imagesB[0]);
    }
    EXPECT_EQ(calls.size(), 6u);
}

TEST_F(FractalSceneInput, UpAndDownEachToggleTheirOwnPair) {
    key(SDL_KEYDOWN, SDLK_UP);
    EXPECT_EQ(nextFrame().slotA, &scene->imagesA[1]);
    EXPECT_EQ(calls.back().slotB, &scene->imagesB[0]);

    key(SDL_KEYDOWN, SDLK_UP);
    EXPECT_EQ(scene->selectA, 0);
    EXPECT_EQ(nextFrame().slotA, &scene->imagesA[0]);

    key(SDL_KEYDOWN, SDLK_DOWN);
    const DrawCall& call = nextFrame();
    EXPECT_EQ(call.slotA, &scene->imagesA[0]);
    EXPECT_EQ(call.slotB, &scene->imagesB[1]);
    EXPECT_EQ(call.weight, 1.0f) << "switching doesn't touch the weight";
}

TEST_F(FractalSceneInput, OtherInputChangesNothing) {
    nextFrame();
    for (SDLKey sym : {SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_RETURN, SDLK_a})
        key(SDL_KEYDOWN, sym);
    key(SDL_KEYUP, SDLK_UP);
    key(SDL_KEYUP, SDLK_DOWN);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 5;
    e.motion.y = 6;
    display.window.dispatch(e);
    for (Uint8 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        e = SDL_Event{};
        e.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        display.window.dispatch(e);
    }

    EXPECT_EQ(scene->selectA, 0);
    EXPECT_EQ(scene->selectB, 0);
    EXPECT_EQ(scene->blendWeight, 0.5f);
    const DrawCall& call = nextFrame();
    EXPECT_EQ(call.slotA, &scene->imagesA[0]);
    EXPECT_EQ(call.slotB, &scene->imagesB[0]);
    EXPECT_EQ(calls.size(), 2u) << "input never draws";
}

// ---------------------------------------------------------------------------
// Julia renderer through the scene, on every display format

class JuliaOnEachDisplay : public ::testing::TestWithParam<DisplayFormat> {
protected:
    Display display{GetParam()};

    std::unique_ptr<FractalScene> sceneFrom(const SceneFiles& files) {
        auto scene = std::make_unique<FractalScene>(std::make_unique<LiteralRenderer>(), files.path());
        scene->owner = &display.window;
        return scene;
    }
};

TEST(JuliaFirstFrame, TheCommonStartLeavesOnTheFourthSquaring) {
    // Radius 0: every pixel starts at (0.5, 0.5); c = (-0.519, 0.688).
    double re = 0.5, im = 0.5;
    const double want[] = {1.2295, 2.4005, 2.4652, 10.4945};
    for (double distance : want) {
        const double nextRe = re * re - im * im - 0.519;
        im = 2 * re * im + 0.688;
        re = nextRe;
        EXPECT_NEAR(std::hypot(re - 0.5, im - 0.5), distance, 5e-5);
    }
    EXPECT_EQ(Model::escapeCount(0.5, 0.5, -0.519, 0.688), 4);
}

TEST_P(JuliaOnEachDisplay, FirstFrameIsTheSecondBitmapScaledByBlue247) {
    SceneFiles files;
    files.writeAll();
    files.write("lsd2.bmp", uniformSurface(Layout::rgb888, 0x010101).get());
    auto scene = sceneFrom(files);
    scene->update();

    // n = 4 everywhere: fractal colour (0, 0, 247); the weight is 0, so each
    // channel is 1 * m.
    const uint32_t m = SDL_MapRGB(display.format(), 0, 0, 247);
    ASSERT_LE(m, 255u);
    const uint32_t want = SDL_MapRGB(display.format(), uint8_t(m), uint8_t(m), uint8_t(m));
    EXPECT_EQ(
        firstDifference(display.pixels(), std::vector<uint32_t>(kAreaWidth * kAreaHeight, want)),
        "");
}

TEST_P(JuliaOnEachDisplay, WeightZeroShowsOnlyTheSecondBitmapAndOneOnlyTheFirst) {
    // Two scenes share lsd2.bmp but not lsd.bmp, two share lsd.bmp but not lsd2.bmp.
    SceneFiles shareB1, shareB2, shareA;
    shareB1.writeAll(1, 2);
    shareB2.writeAll(3, 2);
    shareA.writeAll(1, 4);
    auto b1 = sceneFrom(shareB1), b2 = sceneFrom(shareB2), a = sceneFrom(shareA);

    auto frame = [this](FractalScene& s) {
        s.update();
        return display.pixels();
    };
    const std::vector<uint32_t> b1Frame1 = frame(*b1), b2Frame1 = frame(*b2), aFrame1 = frame(*a);
    EXPECT_EQ(firstDifference(b1Frame1, b2Frame1), "") << "weight 0 ignores the first bitmap";
    EXPECT_NE(firstDifference(b1Frame1, aFrame1), "") << "but not the second";

    frame(*b1);
    frame(*a);
    // The coefficients carried in differ with the bitmaps; start frame 3 level.
    for (FractalScene* s : {b1.get(), a.get()}) {
        s->renderer().state.redCoefficient = 3.3;
        s->renderer().state.greenCoefficient = 3.3;
    }
    EXPECT_EQ(firstDifference(frame(*b1), frame(*a)), "") << "weight 1 ignores the second bitmap";
}

TEST_P(JuliaOnEachDisplay, FirstTenFramesMatchTheModel) {
    SceneFiles files;
    files.writeAll(11, 12);
    auto scene = sceneFrom(files);
    SurfacePtr a(SDL_LoadBMP(files.dir.file("lsd.bmp").c_str()));
    SurfacePtr b(SDL_LoadBMP(files.dir.file("lsd2.bmp").c_str()));
    ASSERT_TRUE(a && b);

    Model model;
    for (int frame = 1; frame <= 10; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const float weight = scene->blendWeight;
        scene->update();
        ASSERT_EQ(firstDifference(display.pixels(),
                                  model.frame(display.format(), a.get(), b.get(), weight)),
                  "");
    }
}

TEST_P(JuliaOnEachDisplay, FrameAfterTheFirstWrapMatchesTheModel) {
    // Frame 96 (c = (-0, 0.788...), radius 2.5) is one where rounding re0 or
    // im0 differently moves pixels across the escape boundary.
    auto a = handleFor(Layout::xrgb8888, kAreaWidth, kAreaHeight, 21);
    auto b = handleFor(Layout::rgb888, kAreaWidth, kAreaHeight, 22);
    LiteralRenderer renderer;
    Model model;
    for (int frame = 1; frame <= 95; ++frame) {
        renderer.state.beginFrame(0.0f);
        renderer.state.endFrame();
        model.skipFrame();
    }
    const float weight = 47.5f;
    renderer.render(display.window, a.get(), b.get(), weight);
    auto* sa = const_cast<SDL_Surface*>(a->surface());
    auto* sb = const_cast<SDL_Surface*>(b->surface());
    EXPECT_EQ(firstDifference(display.pixels(), model.frame(display.format(), sa, sb, weight)), "");
}

INSTANTIATE_TEST_SUITE_P(Formats, JuliaOnEachDisplay, ::testing::ValuesIn(kAllDisplayFormats),
                         [](const auto& info) { return std::string(formatName(info.param)); });

// ---------------------------------------------------------------------------
// Julia renderer: escape counts and the mix, on a 32-bit display where a
// first frame's fractal pixel value m is exactly 247 everywhere

class JuliaPixel : public ::testing::Test {
protected:
    // Renders one frame of two uniform bitmaps and returns the display.
    std::vector<uint32_t> firstFrame(uint32_t rawA, uint32_t rawB, float weight) {
        auto a = uniformHandle(rawA), b = uniformHandle(rawB);
        renderer.render(display.window, a.get(), b.get(), weight);
        return display.pixels();
    }
    static uint32_t rgb(uint8_t r, uint8_t g, uint8_t b) { return r << 16 | g << 8 | b; }

    Display display;
    LiteralRenderer renderer;
};

TEST_F(JuliaPixel, EscapeCountRunsFromOneToOneHundred) {
    // From (0.5, 0.5) with radius 0. c = 0: the orbit shrinks toward 0 and
    // never leaves; c = (4.5, 0): after one squaring the distance is exactly
    // 4, which is not enough, and the second leaves; c = (10, 0) leaves at once.
    struct Case {
        double juliaA, juliaB;
        int n;
    };
    for (const Case& c :
         {Case{0.0, 0.0, 100}, Case{-4.5, 0.0, 2}, Case{-10.0, 0.0, 1}, Case{0.519, 0.688, 4}}) {
        SCOPED_TRACE("n " + std::to_string(c.n));
        ASSERT_EQ(Model::escapeCount(0.5, 0.5, -c.juliaA, c.juliaB), c.n);
        renderer.state = JuliaState{};
        renderer.state.juliaA = c.juliaA;
        renderer.state.juliaB = c.juliaB;
        const uint8_t blue = uint8_t(255 - 2 * c.n);
        const std::vector<uint32_t> frame = firstFrame(0, 0x010101, 0.0f);
        EXPECT_EQ(
            firstDifference(frame, std::vector<uint32_t>(frame.size(), rgb(blue, blue, blue))), "");
    }
}

TEST_F(JuliaPixel, NegativeMixWrapsModulo256) {
    // 0 * 1.5 + 10 * (1 - 1.5) = -5; times 247 is -1235, whose low byte is 45.
    const std::vector<uint32_t> frame = firstFrame(0x000000, 0x0A0A0A, 1.5f);
    EXPECT_EQ(firstDifference(frame, std::vector<uint32_t>(frame.size(), rgb(45, 45, 45))), "");
}

TEST_F(JuliaPixel, ZeroStaysZeroAndLargeValuesStopAt255) {
    // Sample bytes (r, g, b) = (0, 1, 2) at weight 0: 0, 247 and 494 -> 255.
    const std::vector<uint32_t> frame = firstFrame(0xFFFFFF, 0x020100, 0.0f);
    EXPECT_EQ(firstDifference(frame, std::vector<uint32_t>(frame.size(), rgb(0, 247, 255))), "");
}

TEST_F(JuliaPixel, VIsAFloatAndHugeValuesGiveByteZero) {
    // b = 255, weight 1 + k: v = -k * 255 * 247. Below 2^31 the float rounding
    // decides the byte (kept as a double, -2141490000 would give 176).
    const uint8_t below = uint8_t(int64_t(static_cast<float>(-34000.0 * 255 * 247)));
    ASSERT_NE(below, lowByte(-34000.0 * 255 * 247));
    std::vector<uint32_t> frame = firstFrame(0, 0xFFFFFF, 34001.0f);
    EXPECT_EQ(frame[0], rgb(below, below, below));

    // From 2^31 on a float is a multiple of 256: byte 0, whatever the magnitude.
    for (float weight : {40001.0f, 8388608.0f}) {
        frame = firstFrame(0, 0xFFFFFF, weight);
        EXPECT_EQ(firstDifference(frame, std::vector<uint32_t>(frame.size(), 0)), "") << weight;
    }
}

// ---------------------------------------------------------------------------
// Julia renderer: the colour coefficients feed from pixel to pixel

// At these weights a sample byte of 1 against a black first bitmap gives
// v = float(1 - w) * 247, for which sin(4 * v * 0.01) is exactly -1 or +1:
// the next pixel's fractal red and green become 1 and 56, or 255 and 200,
// so its m is no longer 247.
struct Feedback {
    float weight;
    uint8_t red, green;  // the fed pixel's fractal colour
};
constexpr Feedback kSineMinusOne{0x1.41fe4p+3f, 1, 56};  // v = -2238.384765625
constexpr Feedback kSinePlusOne{0x1.c2fd6p+4f, 255, 200};

class JuliaFeedback : public ::testing::TestWithParam<Feedback> {
protected:
    void SetUp() override {
        const Feedback f = GetParam();
        const float complement = static_cast<float>(1.0 - f.weight);
        const float v = static_cast<float>(complement * 247.0);
        ASSERT_EQ(std::sin(4.0 * v * 0.01), f.red == 1 ? -1.0 : 1.0);
        plainBlue = lowByte(v);
        fedBlue = lowByte(static_cast<float>(
            complement * double(SDL_MapRGB(display.format(), f.red, f.green, 247))));
        ASSERT_NE(plainBlue, fedBlue);
    }

    // Blue 1 everywhere; red and green 1 only at (x, y).
    std::unique_ptr<SurfaceHandle> fedFrom(int x, int y) {
        SurfacePtr s = uniformSurface(Layout::xrgb8888, 0x010000);
        setRawValue(s.get(), x, y, 0x010101);
        return handleFor(std::move(s));
    }

    void render(const SurfaceHandle& b) {
        renderer.render(display.window, black.get(), &b, GetParam().weight);
    }

    // Pixels whose blue shows a fed-back coefficient; every one must show the expected one.
    std::vector<std::pair<int, int>> fedPixels() {
        std::vector<std::pair<int, int>> out;
        for (int y = 0; y < kAreaHeight; ++y)
            for (int x = 0; x < kAreaWidth; ++x) {
                const uint32_t blue = rawValue(display.surface.get(), x, y) & 0xFF;
                if (blue == plainBlue) continue;
                EXPECT_EQ(blue, fedBlue) << x << "," << y;
                out.emplace_back(x, y);
            }
        return out;
    }

    Display display;
    LiteralRenderer renderer;
    std::unique_ptr<SurfaceHandle> black = uniformHandle(0);
    uint8_t plainBlue = 0, fedBlue = 0;
};

TEST_P(JuliaFeedback, FlowsDownEachColumn) {
    render(*fedFrom(0, 0));
    const std::vector<std::pair<int, int>> want = {{0, 1}};
    EXPECT_EQ(fedPixels(), want);
}

TEST_P(JuliaFeedback, LastPixelOfAColumnFeedsTheTopOfTheNext) {
    render(*fedFrom(4, kAreaHeight - 1));
    const std::vector<std::pair<int, int>> want = {{5, 0}};
    EXPECT_EQ(fedPixels(), want);
}

TEST_P(JuliaFeedback, CarriesIntoTheNextFrame) {
    render(*fedFrom(kAreaWidth - 1, kAreaHeight - 1));
    EXPECT_TRUE(fedPixels().empty());

    // Back to the first frame's view and constant, so n is 4 again; only the
    // coefficients are left from the frame before.
    renderer.state.viewRadius = 0.0f;
    renderer.state.juliaA = 0.519;
    render(*uniformHandle(0x010000));
    const std::vector<std::pair<int, int>> want = {{0, 0}};
    EXPECT_EQ(fedPixels(), want);
}

INSTANTIATE_TEST_SUITE_P(Sines, JuliaFeedback, ::testing::Values(kSineMinusOne, kSinePlusOne),
                         [](const auto& info) {
                             return info.param.red == 1 ? "minusOne" : "plusOne";
                         });

// ---------------------------------------------------------------------------
// Julia renderer: bitmaps of every byte size, and smaller than the display

// First frame at weight 2: each channel is (2a - b) * 247, capped at 255,
// modulo 256. Against a black first bitmap that is -247 b, one-to-one on
// bytes, so the output shows every sample byte of the second bitmap.
std::vector<uint32_t> revealingFrame(SDL_PixelFormat* format, SDL_Surface* a, SDL_Surface* b) {
    std::vector<uint32_t> out;
    for (int y = 0; y < kAreaHeight; ++y)
        for (int x = 0; x < kAreaWidth; ++x) {
            const Sample sa = sampleAt(a, x, y), sb = sampleAt(b, x, y);
            uint8_t bytes[3];
            for (int k = 0; k < 3; ++k)
                bytes[k] = lowByte(std::min((2.0 * sa[k] - sb[k]) * 247, 255.0));
            out.push_back(SDL_MapRGB(format, bytes[0], bytes[1], bytes[2]));
        }
    return out;
}

class JuliaBitmaps : public ::testing::Test {
protected:
    void SetUp() override {
        // The fed-back coefficients are then 255 or 247 k; none makes the sine
        // exactly +-1, so the fractal colour stays (0, 0, 247).
        for (int k = -255; k <= 1; ++k)
            ASSERT_LT(std::fabs(std::sin(4.0 * (247.0 * k) * 0.01)), 1.0) << k;
        ASSERT_LT(std::fabs(std::sin(4.0 * 255.0 * 0.01)), 1.0);
    }

    std::vector<uint32_t> render(const SurfaceHandle& a, const SurfaceHandle& b) {
        renderer.render(display.window, &a, &b, 2.0f);
        return display.pixels();
    }
    static SDL_Surface* of(const std::unique_ptr<SurfaceHandle>& h) {
        return const_cast<SDL_Surface*>(h->surface());
    }

    Display display;
    LiteralRenderer renderer;
};

TEST_F(JuliaBitmaps, EachByteSizeIsReadByItsOwnRules) {
    auto black = uniformHandle(0);
    for (Layout layout : kAllLayouts) {
        SCOPED_TRACE(layoutName(layout));
        renderer.state = JuliaState{};
        auto b = handleFor(layout, kAreaWidth, kAreaHeight, 5);
        EXPECT_EQ(
            firstDifference(render(*black, *b), revealingFrame(display.format(), nullptr, of(b))),
            "");
    }
}

TEST_F(JuliaBitmaps, ASmallerBitmapReadsBlackOutside) {
    auto a = handleFor(Layout::xrgb8888, 50, 30, 8);
    auto b = handleFor(Layout::rgb888, 200, 100, 6);
    const std::vector<uint32_t> got = render(*a, *b);
    EXPECT_EQ(firstDifference(got, revealingFrame(display.format(), of(a), of(b))), "");
    EXPECT_EQ(got[kAreaHeight * kAreaWidth - 1], 0u) << "outside both, the mix is 0";
}

// ---------------------------------------------------------------------------
// Julia renderer: animation state

TEST(JuliaAnimation, RadiusCyclesEveryNineFrames) {
    // At radius 0 all pixels start alike, so only frames 1, 10 and 19 are uniform.
    Display display;
    LiteralRenderer renderer;
    Model model;
    auto black = uniformHandle(0), ones = uniformHandle(0x010101);
    auto* sb = const_cast<SDL_Surface*>(ones->surface());
    for (int frame = 1; frame <= 19; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        EXPECT_EQ(renderer.state.viewRadius, 0.5f * ((frame - 1) % 9));
        renderer.render(display.window, black.get(), ones.get(), 0.0f);
        const std::vector<uint32_t> got = display.pixels();
        const bool uniform = std::count(got.begin(), got.end(), got[0]) == long(got.size());
        EXPECT_EQ(uniform, frame % 9 == 1);
        EXPECT_EQ(firstDifference(got, model.frame(display.format(), nullptr, sb, 0.0f)), "");
    }
}

TEST(JuliaAnimation, ConstantWrapsEveryHundredFramesFrom95AndJuliaBOn4395) {
    JuliaState state;
    const double step = static_cast<double>(0.1f);
    for (int frame = 1; frame <= 4395; ++frame) {
        const double aBefore = state.juliaA, bBefore = state.juliaB;
        const FrameSetup f = state.beginFrame(0.0f);
        state.endFrame();
        ASSERT_EQ(f.c.re, -aBefore) << "frame " << frame << " uses the constant before the step";
        ASSERT_EQ(f.c.im, bBefore) << frame;
        const bool wraps = frame >= 95 && (frame - 95) % 100 == 0;
        ASSERT_EQ(state.juliaA == 0.0, wraps) << "frame " << frame;
        if (frame == 95) {
            EXPECT_NEAR(state.juliaB, 0.788000001490116, 1e-15);
            EXPECT_EQ(state.juliaB, 0.688 + step);
        }
    }
    EXPECT_EQ(state.juliaB, 0.0) << "juliaB passes 5.0 on the 44th wrap of juliaA";
}

}  // namespace
