// Surface access: bitmap reads, display writes, the cross-fade and bitmap handles.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>
#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

#include "CanvasFrame.h"
#include "app/AppWindow.h"
#include "app/ErrorMsg.h"
#include "scripted/FrameDigest.h"
#include "support/TestSurfaces.h"
#include "surface/BmpHeader.h"
#include "surface/PixelAccess.h"
#include "surface/SurfaceHandle.h"

using namespace testsupport;

namespace {

std::vector<uint8_t> allBytes(const SDL_Surface* s) {
    const auto* p = static_cast<const uint8_t*>(s->pixels);
    return std::vector<uint8_t>(p, p + static_cast<size_t>(s->pitch) * s->h);
}

// A window drawing into an offscreen display of the layout, prefilled with a
// byte that no test writes, so stray writes show.
struct Display {
    SurfacePtr surface;
    AppWindow window;

    explicit Display(Layout layout, int w = 7, int h = 5)
        : surface(prefilled(layout, w, h)), window(surface.get()) {}

    static SurfacePtr prefilled(Layout layout, int w, int h) {
        SurfacePtr s = makeSurface(layout, w, h);
        fillBytes(s.get(), 0x5A);
        return s;
    }
};

// A sample's channels and raw value.
void expectSample(const PixelSample& got, int r, int g, int b, uint32_t pixel) {
    EXPECT_EQ(got.r, r);
    EXPECT_EQ(got.g, g);
    EXPECT_EQ(got.b, b);
    EXPECT_EQ(got.pixel, pixel);
}

struct LayoutName {
    std::string operator()(const testing::TestParamInfo<Layout>& info) const {
        return layoutName(info.param);
    }
};

}  // namespace

// ---- getPixel ---------------------------------------------------------------

class GetPixelEachLayout : public testing::TestWithParam<Layout> {};

// Odd widths give rows with padding, so a wrong pitch or stride shows.
TEST_P(GetPixelEachLayout, ReadsEveryPixelByItsByteRule) {
    const Layout layout = GetParam();
    SurfacePtr s = makeSurface(layout, 5, 3);
    fillPattern(s.get(), 7);
    SDL_Surface* raw = s.get();
    auto handle = handleFor(std::move(s));
    Display display(Layout::xrgb8888);

    for (int y = 0; y < raw->h; ++y) {
        for (int x = 0; x < raw->w; ++x) {
            SCOPED_TRACE(testing::Message() << "x=" << x << " y=" << y);
            const PixelSample p = display.window.getPixel(handle.get(), x, y);
            const uint32_t value = rawValue(raw, x, y);
            if (bytesPerPixel(layout) == 3) {
                EXPECT_EQ(p.r, (value >> raw->format->Rshift) & 0xFF);
                EXPECT_EQ(p.g, (value >> raw->format->Gshift) & 0xFF);
                EXPECT_EQ(p.b, (value >> raw->format->Bshift) & 0xFF);
                EXPECT_EQ(p.pixel, SDL_MapRGB(raw->format, p.r, p.g, p.b));
            } else {
                EXPECT_EQ(p.pixel, value);
                EXPECT_EQ(p.r, value & 0xFF);
                EXPECT_EQ(p.g, (value >> 8) & 0xFF);
                EXPECT_EQ(p.b, (value >> 16) & 0xFF);
            }
        }
    }
}

TEST_P(GetPixelEachLayout, OutsideTheBitmapIsBlack) {
    auto handle = handleFor(GetParam(), 4, 3, 99);
    Display display(Layout::xrgb8888);
    const int32_t outside[][2] = {{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {4, 3},
                                  {INT_MAX, 0}, {0, INT_MAX}, {INT_MIN, INT_MIN}};
    for (const auto& at : outside) {
        const PixelSample p = display.window.getPixel(handle.get(), at[0], at[1]);
        EXPECT_EQ(p.r, 0);
        EXPECT_EQ(p.g, 0);
        EXPECT_EQ(p.b, 0);
        EXPECT_EQ(p.pixel, 0u) << at[0] << "," << at[1];
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, GetPixelEachLayout, testing::ValuesIn(kAllLayouts),
                         LayoutName());

// A colour SDL itself stores (its fill puts a 3-byte pixel's bytes where its
// own reading expects them, on either kind of machine) reads back by the shifts.
TEST(GetPixel, ThreeBytePixelFindsItsBytesByTheShifts) {
    Display display(Layout::xrgb8888);
    for (Layout layout : {Layout::rgb888, Layout::bgr888}) {
        SurfacePtr s = makeSurface(layout, 2, 1);
        const uint32_t colour = SDL_MapRGB(s->format, 0x33, 0x22, 0x11);
        SDL_Rect at{1, 0, 1, 1};
        ASSERT_EQ(SDL_FillRect(s.get(), &at, colour), 0);
        auto handle = handleFor(std::move(s));
        SCOPED_TRACE(layoutName(layout));
        expectSample(display.window.getPixel(handle.get(), 1, 0), 0x33, 0x22, 0x11, colour);
    }
}

TEST(GetPixel, FourByteChannelsComeFromBitPositionsWhateverTheMasks) {
    Display display(Layout::xrgb8888);
    for (Layout layout : {Layout::xrgb8888, Layout::rgba8888}) {
        SurfacePtr s = makeSurface(layout, 3, 2);
        setRawValue(s.get(), 2, 1, 0xAA112233u);
        auto handle = handleFor(std::move(s));
        SCOPED_TRACE(layoutName(layout));
        expectSample(display.window.getPixel(handle.get(), 2, 1), 0x33, 0x22, 0x11, 0xAA112233u);
    }
}

TEST(GetPixel, UnsupportedByteSizeReadsWhite) {
    Display display(Layout::xrgb8888);
    SurfacePtr s = makeSurface(Layout::xrgb8888, 2, 2);
    SDL_Surface* raw = s.get();
    auto handle = handleFor(std::move(s));
    for (Uint8 size : {Uint8{0}, Uint8{5}, Uint8{8}}) {
        raw->format->BytesPerPixel = size;
        const PixelSample got = display.window.getPixel(handle.get(), 1, 1);
        raw->format->BytesPerPixel = 4;
        SCOPED_TRACE(int(size));
        expectSample(got, 255, 255, 255, 0xFFFFFFFFu);
    }
}

TEST(GetPixel, EmptyOrMissingHandleReadsBlack) {
    Display display(Layout::xrgb8888);
    SurfaceHandle empty;
    for (const SurfaceHandle* slot : {static_cast<const SurfaceHandle*>(&empty),
                                      static_cast<const SurfaceHandle*>(nullptr)}) {
        const PixelSample got = display.window.getPixel(slot, 0, 0);
        EXPECT_EQ(got.pixel, 0u);
        EXPECT_EQ(got.r + got.g + got.b, 0);
    }
}

// ---- putPixel ---------------------------------------------------------------

class PutPixelEachLayout : public testing::TestWithParam<Layout> {};

// SDL's own fill of one pixel, on a twin of the display, stores the value's
// low bytes in SDL's byte order for that surface on this machine.
TEST_P(PutPixelEachLayout, StoresWhatSdlFillsAPixelWithAndNothingElse) {
    Display display(GetParam()), twin(GetParam());
    const struct { int x, y; uint32_t value; } writes[] = {
        {0, 0, 0xABCDEF01u}, {6, 0, 0x12345678u}, {3, 2, 0xFFFFFFFFu}, {0, 4, 0x00000000u},
        {6, 4, 0x89ABCDEFu}};
    for (const auto& w : writes) {
        display.window.putPixel(w.x, w.y, w.value);
        SDL_Rect at{static_cast<Sint16>(w.x), static_cast<Sint16>(w.y), 1, 1};
        ASSERT_EQ(SDL_FillRect(twin.surface.get(), &at, w.value), 0);
    }
    EXPECT_EQ(allBytes(display.surface.get()), allBytes(twin.surface.get()));
    EXPECT_EQ(display.surface->locked, 0);
}

TEST_P(PutPixelEachLayout, OutsideTheDisplayWritesNothing) {
    Display display(GetParam());
    const std::vector<uint8_t> before = allBytes(display.surface.get());
    const int32_t outside[][2] = {{-1, 0}, {0, -1}, {7, 0}, {0, 5}, {7, 5},
                                  {INT_MAX, INT_MAX}, {INT_MIN, 0}};
    for (const auto& at : outside) display.window.putPixel(at[0], at[1], 0x01020304u);
    EXPECT_EQ(allBytes(display.surface.get()), before);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PutPixelEachLayout, testing::ValuesIn(kAllLayouts),
                         LayoutName());

TEST(PutPixel, ThreeByteDisplayStoresLowestByteFirstOnlyOnALittleEndianMachine) {
    const std::vector<uint8_t> expected = SDL_BYTEORDER == SDL_LIL_ENDIAN
                                              ? std::vector<uint8_t>{0xEF, 0xCD, 0xAB}
                                              : std::vector<uint8_t>{0xAB, 0xCD, 0xEF};
    for (Layout layout : {Layout::rgb888, Layout::bgr888}) {
        Display display(layout);
        display.window.putPixel(2, 1, 0x00ABCDEFu);
        EXPECT_EQ(rawBytes(display.surface.get(), 2, 1), expected) << layoutName(layout);
    }
}

TEST(PutPixel, UnknownByteSizeThrowsWithoutWriting) {
    for (Uint8 size : {Uint8{0}, Uint8{5}, Uint8{8}}) {
        Display display(Layout::xrgb8888);
        SDL_Surface* s = display.surface.get();
        const std::vector<uint8_t> before = allBytes(s);
        s->format->BytesPerPixel = size;
        s->offset = s->pitch;  // needs locking: a throw must not leave it locked
        try {
            display.window.putPixel(1, 1, 0x11223344u);
            ADD_FAILURE() << "no ErrorMsg for " << int(size) << " bytes per pixel";
        } catch (const ErrorMsg& error) {
            EXPECT_EQ(error.message, "Unknown BitDepth");
        }
        const int lockedAfter = s->locked;
        s->offset = 0;
        s->format->BytesPerPixel = 4;
        EXPECT_EQ(allBytes(s), before);
        EXPECT_EQ(lockedAfter, 0);
    }
}

// SDL applies a surface's offset to its pixel pointer only while it is locked,
// so a write that lands one row further down proves the lock was taken.
TEST(PutPixel, LocksADisplayThatNeedsItAndBalancesTheLock) {
    // The compatibility layer over SDL2 (1.2.50 and later) ignores the offset,
    // which leaves this proof nothing to observe.
    if (SDL_Linked_Version()->patch >= 50) GTEST_SKIP() << "SDL 1.2 compatibility layer";
    Display display(Layout::xrgb8888, 4, 4);
    SDL_Surface* s = display.surface.get();
    void* const pixels = s->pixels;
    s->offset = s->pitch;
    ASSERT_TRUE(needsLock(s));
    display.window.putPixel(1, 1, 0xCAFEF00Du);
    display.window.putPixel(2, 0, 0x0BADBEEFu);
    const int lockedAfter = s->locked;
    s->offset = 0;

    EXPECT_EQ(lockedAfter, 0);
    EXPECT_EQ(s->pixels, pixels);
    EXPECT_EQ(rawValue(s, 1, 2), 0xCAFEF00Du);
    EXPECT_EQ(rawValue(s, 2, 1), 0x0BADBEEFu);
    EXPECT_EQ(rawValue(s, 1, 1), 0x5A5A5A5Au);
}

// ---- crossFade --------------------------------------------------------------

namespace {

// Two 1 x 1 bitmaps holding the given channel bytes (4-byte pixels, so the
// bytes go straight into bits 0-7, 8-15 and 16-23).
struct FadePair {
    std::unique_ptr<SurfaceHandle> a, b;
    FadePair(uint8_t ra, uint8_t ga, uint8_t ba, uint8_t rb, uint8_t gb, uint8_t bb) {
        a = handleWith(ra, ga, ba);
        b = handleWith(rb, gb, bb);
    }
    static std::unique_ptr<SurfaceHandle> handleWith(uint8_t r, uint8_t g, uint8_t b) {
        SurfacePtr s = makeSurface(Layout::rgba8888, 1, 1);
        setRawValue(s.get(), 0, 0, r | g << 8 | static_cast<uint32_t>(b) << 16);
        return handleFor(std::move(s));
    }
};

// The display pixel crossFade writes at (0, 0), read back as r, g, b bytes.
std::vector<int> fadedChannels(const FadePair& pair, float weight) {
    Display display(Layout::xrgb8888, 1, 1);
    display.window.crossFade(pair.a.get(), pair.b.get(), 0, 0, 1, 1, weight);
    const uint32_t v = rawValue(display.surface.get(), 0, 0);
    return {static_cast<int>(v >> 16 & 0xFF), static_cast<int>(v >> 8 & 0xFF),
            static_cast<int>(v & 0xFF)};
}

}  // namespace

TEST(CrossFade, EmptyAreaWritesNothing) {
    auto a = handleFor(Layout::rgb888, 7, 5, 1);
    auto b = handleFor(Layout::rgb888, 7, 5, 2);
    Display display(Layout::xrgb8888);
    const std::vector<uint8_t> before = allBytes(display.surface.get());
    display.window.crossFade(a.get(), b.get(), 3, 0, 3, 5, 0.5f);  // x0 = x1
    display.window.crossFade(a.get(), b.get(), 0, 2, 7, 2, 0.5f);  // y0 = y1
    display.window.crossFade(a.get(), b.get(), 5, 4, 2, 1, 0.5f);  // reversed
    EXPECT_EQ(allBytes(display.surface.get()), before);
}

TEST(CrossFade, FullWeightCopiesSlotAAndZeroCopiesSlotBInsideTheArea) {
    for (Layout displayLayout : kAllLayouts) {
        SCOPED_TRACE(layoutName(displayLayout));
        auto a = handleFor(Layout::rgb888, 7, 5, 11);
        auto b = handleFor(Layout::xrgb8888, 7, 5, 12);
        const uint32_t untouched = rawValue(Display::prefilled(displayLayout, 1, 1).get(), 0, 0);
        for (float weight : {1.0f, 0.0f}) {
            const SurfaceHandle* source = weight == 1.0f ? a.get() : b.get();
            Display display(displayLayout);
            SDL_Surface* s = display.surface.get();
            display.window.crossFade(a.get(), b.get(), 1, 1, 5, 4, weight);
            for (int y = 0; y < s->h; ++y) {
                for (int x = 0; x < s->w; ++x) {
                    const bool inside = x >= 1 && x < 5 && y >= 1 && y < 4;
                    const PixelSample p = display.window.getPixel(source, x, y);
                    const uint32_t expected =
                        inside ? SDL_MapRGB(s->format, p.r, p.g, p.b) : untouched;
                    EXPECT_EQ(rawValue(s, x, y), expected)
                        << "weight " << weight << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(CrossFade, MixesEachChannelTruncatingTowardZero) {
    // 255 * 0.5 + 0 * 0.5 = 127.5 -> 127; the channels stay apart.
    EXPECT_EQ(fadedChannels(FadePair(255, 0, 10, 0, 255, 20), 0.5f),
              (std::vector<int>{127, 127, 15}));
    EXPECT_EQ(fadedChannels(FadePair(200, 100, 50, 0, 0, 0), 0.25f),
              (std::vector<int>{50, 25, 12}));
}

TEST(CrossFade, ClampsAbove255Only) {
    // weight 2: 2 * 200 - 1 * 100 = 300 -> 255; 2 * 128 - 1 = 255 stays.
    EXPECT_EQ(fadedChannels(FadePair(200, 128, 127, 100, 1, 0), 2.0f),
              (std::vector<int>{255, 255, 254}));
}

TEST(CrossFade, NegativeMixWrapsModulo256) {
    // weight -1, complement 2: -100 + 20 = -80 -> 176.
    // weight 1.5, complement -0.5: 0 - 1.5 = -1.5 -> -1 (toward zero) -> 255.
    EXPECT_EQ(fadedChannels(FadePair(100, 0, 1, 10, 0, 0), -1.0f),
              (std::vector<int>{176, 0, 255}));
    EXPECT_EQ(fadedChannels(FadePair(0, 0, 0, 3, 0, 0), 1.5f), (std::vector<int>{255, 0, 0}));
}

TEST(CrossFade, MixIsDoublePrecisionWithASinglePrecisionComplement) {
    // 10 * 0.9f = 8.9999998 in double (8), though a float sum would round to 9.
    EXPECT_EQ(fadedChannels(FadePair(0, 0, 0, 10, 0, 0), 0.1f), (std::vector<int>{8, 0, 0}));
    // complement = (float)(1 - 0.016f) = 0.984000027: 125 * it = 123.0000034 (123);
    // left in double it would be 122.99999990 (122).
    EXPECT_EQ(fadedChannels(FadePair(0, 0, 0, 125, 0, 0), 0.016f),
              (std::vector<int>{123, 0, 0}));
}

// ---- SurfaceHandle ----------------------------------------------------------

static_assert(!std::is_copy_constructible_v<SurfaceHandle>);
static_assert(!std::is_copy_assignable_v<SurfaceHandle>);

namespace {

// A surface whose release by someone else shows in its reference count: the
// test holds one extra reference and frees it at the end.
struct Watched {
    SDL_Surface* surface;
    explicit Watched(SDL_Surface* s) : surface(s) { ++surface->refcount; }
    bool freedByOther() const { return surface->refcount == 1; }
    ~Watched() { SDL_FreeSurface(surface); }
};

}  // namespace

TEST(SurfaceHandle, NewOrFailedHandleHoldsNothing) {
    SurfaceHandle handle;
    EXPECT_EQ(handle.surface(), nullptr);
    TempDir dir;
    EXPECT_FALSE(handle.load(dir.file("missing.bmp")));
    EXPECT_EQ(handle.surface(), nullptr);

    const std::string notABitmap = dir.file("text.bmp");
    std::FILE* f = std::fopen(notABitmap.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("BM but not really a bitmap", f);
    std::fclose(f);
    EXPECT_FALSE(handle.load(notABitmap));
    EXPECT_EQ(handle.surface(), nullptr);
}

// Neither may hang or be mistaken for a file: a FIFO with no writer would
// block the open for ever.
TEST(SurfaceHandle, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    SurfaceHandle handle;
    const std::string folder = dir.file("folder.bmp");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    EXPECT_FALSE(handle.load(folder));
    const std::string fifo = dir.file("fifo.bmp");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(handle.load(fifo));
    EXPECT_EQ(handle.surface(), nullptr);
}

TEST(SurfaceHandle, Loads24BitBmpInItsOwnFormat) {
    TempDir dir;
    SurfacePtr original = makeSurface(Layout::rgb888, 5, 3);
    fillPattern(original.get(), 5);
    writeBmp(original.get(), dir.file("pattern.bmp"));

    SurfaceHandle handle;
    ASSERT_TRUE(handle.load(dir.file("pattern.bmp")));
    const SDL_Surface* loaded = handle.surface();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->w, 5);
    EXPECT_EQ(loaded->h, 3);
    EXPECT_EQ(loaded->format->BytesPerPixel, 3);
    // The red byte last in memory, as BMP stores it: bits 16-23 of the value
    // on a little-endian machine, bits 0-7 on a big-endian one.
    EXPECT_EQ(loaded->format->Rshift, SDL_BYTEORDER == SDL_LIL_ENDIAN ? 16 : 0);

    // Each pixel's colour as SDL reads the surface that was saved.
    Display display(Layout::xrgb8888);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(rawValue(original.get(), x, y), original->format, &r, &g, &b);
            const PixelSample got = display.window.getPixel(&handle, x, y);
            EXPECT_EQ(got.r, r);
            EXPECT_EQ(got.g, g);
            EXPECT_EQ(got.b, b);
            EXPECT_EQ(got.pixel, SDL_MapRGB(loaded->format, r, g, b));
        }
    }
}

TEST(SurfaceHandle, SecondLoadFreesTheFirstSurface) {
    TempDir dir;
    const std::string fileName = writePatternBmp(dir, "a.bmp", 3, 3);
    SurfaceHandle handle;
    ASSERT_TRUE(handle.load(fileName));
    Watched first(const_cast<SDL_Surface*>(handle.surface()));

    ASSERT_TRUE(handle.load(fileName));
    EXPECT_NE(handle.surface(), first.surface);
    EXPECT_TRUE(first.freedByOther());

    Watched second(const_cast<SDL_Surface*>(handle.surface()));
    EXPECT_FALSE(handle.load(dir.file("missing.bmp")));  // a failed load lets go too
    EXPECT_EQ(handle.surface(), nullptr);
    EXPECT_TRUE(second.freedByOther());
}

TEST(SurfaceHandle, DestructionFreesTheSurface) {
    SurfacePtr s = makeSurface(Layout::rgb565, 2, 2);
    std::unique_ptr<Watched> watched;
    {
        SurfaceHandle handle;
        ASSERT_TRUE(handle.adopt(s.get()));
        watched = std::make_unique<Watched>(s.release());
        EXPECT_FALSE(watched->freedByOther());
    }
    EXPECT_TRUE(watched->freedByOther());
}

TEST(SurfaceHandle, RefusesBrokenGeometryWithoutLeakingIt) {
    SurfaceHandle handle;
    EXPECT_FALSE(handle.adopt(nullptr));

    const std::function<void(SDL_Surface&)> breakages[] = {
        [](SDL_Surface& s) { s.w = s.pitch / 4 + 1; },  // a row longer than the pitch
        [](SDL_Surface& s) { s.pixels = nullptr; },
        [](SDL_Surface& s) { s.h = -1; },
    };
    for (const auto& breakage : breakages) {
        SurfacePtr s = makeSurface(Layout::xrgb8888, 4, 2);
        Watched watched(s.get());
        const SDL_Surface intact = *s;
        breakage(*s);
        EXPECT_FALSE(handle.adopt(s.release()));
        EXPECT_EQ(handle.surface(), nullptr);
        EXPECT_TRUE(watched.freedByOther());
        // Mended before the last reference goes, so SDL frees what it allocated.
        watched.surface->w = intact.w;
        watched.surface->h = intact.h;
        watched.surface->pixels = intact.pixels;
    }
}

// ---- BmpHeader ----------------------------------------------------------------

namespace {

// A file's first bytes: the file header, then the fields of an info header
// of the given size.
std::vector<uint8_t> bmpStart(uint32_t infoSize, int32_t width, int32_t height, uint16_t bits,
                              uint32_t compression = 0) {
    std::vector<uint8_t> out = {'B', 'M'};
    auto put = [&out](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> 8 * i));
    };
    put(0, 4);
    put(0, 4);
    put(14 + infoSize, 4);
    put(infoSize, 4);
    const int sizeBytes = infoSize == 12 ? 2 : 4;
    put(static_cast<uint32_t>(width), sizeBytes);
    put(static_cast<uint32_t>(height), sizeBytes);
    put(1, 2);
    put(bits, 2);
    if (infoSize != 12) put(compression, 4);
    return out;
}

}  // namespace

TEST(BmpHeader, ReadsTheFieldsSdlReadsFromAnyBytes) {
    const std::vector<uint8_t> v5 = bmpStart(124, 320, -240, 32, 3);
    std::optional<BmpHeader> h = readBmpHeader(v5.data(), v5.size());
    ASSERT_TRUE(h);
    EXPECT_EQ(h->dataOffset, 138u);
    EXPECT_EQ(h->width, 320);
    EXPECT_EQ(h->height, -240);
    EXPECT_EQ(h->bitCount, 32u);
    EXPECT_EQ(h->compression, 3u);

    const std::vector<uint8_t> core = bmpStart(12, 0xFFFF, 0xFFFF, 24);  // 16-bit sizes, unsigned
    h = readBmpHeader(core.data(), core.size());
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width, 65535);
    EXPECT_EQ(h->height, 65535);
    EXPECT_EQ(h->bitCount, 24u);

    EXPECT_EQ(h->infoSize, 12u);

    h = readBmpHeader(v5.data(), 22);  // cut before the height: the rest reads as zero
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width, 320);
    EXPECT_EQ(h->height, 0);
    EXPECT_EQ(h->bitCount, 0u);

    const uint8_t png[] = {0x89, 'P', 'N', 'G'};
    EXPECT_FALSE(readBmpHeader(png, sizeof png));
    EXPECT_FALSE(readBmpHeader(nullptr, 0));
}

TEST(BmpHeader, RowsMustFitTheFileAfterTheDataOffset) {
    // 3 x 2 at 24 bits: rows of 9 bytes padded to 12; the last needs no padding.
    for (int64_t height : {2, -2}) {
        const BmpHeader h{54, 3, height, 24};
        EXPECT_EQ(leastPixelBytes(h), 21u);
        EXPECT_TRUE(withinLimits(h, 54 + 21));
        EXPECT_FALSE(withinLimits(h, 54 + 20)) << height;
    }
    EXPECT_EQ(leastPixelBytes(BmpHeader{54, 9, 3, 1}), 4u + 4 + 2);  // 9 pixels of 1 bit: 2 bytes
    EXPECT_EQ(leastPixelBytes(BmpHeader{54, 320, 0, 24}), 0u);

    const BmpHeader pastEnd{0xFFFFFFFFu, 1, 1, 8};
    EXPECT_FALSE(withinLimits(pastEnd, 1000));

    // Run-length data of any length may hold any picture.
    EXPECT_EQ(leastPixelBytes(BmpHeader{54, 320, 240, 8, 1}), 0u);
    EXPECT_TRUE(withinLimits(BmpHeader{54, 320, 240, 4, 2}, 54));

    // Sizes past 64 bits saturate instead of wrapping to something small.
    const BmpHeader absurd{54, INT32_MIN, INT32_MIN, 65535};
    EXPECT_EQ(leastPixelBytes(absurd), UINT64_MAX);
    EXPECT_EQ(decodedBytes(absurd), UINT64_MAX);
}

TEST(BmpHeader, FileMustHoldEveryFieldSdlReads) {
    // SDL 1.2 reads a field past the end as stale stack bytes, not zero.
    const BmpHeader core{26, 1, 1, 8, 0, 12};
    EXPECT_EQ(fieldBytes(core), 26u);
    EXPECT_FALSE(withinLimits(core, 25));
    EXPECT_TRUE(withinLimits(core, 27));
    EXPECT_EQ(fieldBytes(BmpHeader{54, 1, 1, 24, 0, 40}), 54u);
    EXPECT_EQ(fieldBytes(BmpHeader{138, 1, 1, 24, 0, 124}), 54u);  // the rest is skipped
    // Masks follow for 15, 16 and 32 bits, unless the pixels follow instead.
    EXPECT_EQ(fieldBytes(BmpHeader{54, 1, 1, 32, 0, 40}), 54u);
    EXPECT_EQ(fieldBytes(BmpHeader{66, 1, 1, 16, 0, 40}), 66u);
    EXPECT_EQ(fieldBytes(BmpHeader{138, 1, 1, 32, 3, 124}), 66u);
    EXPECT_EQ(fieldBytes(BmpHeader{38, 1, 1, 15, 0, 12}), 38u);
    EXPECT_EQ(fieldBytes(BmpHeader{66, 1, 1, 24, 3, 40}), 54u);
    EXPECT_EQ(fieldBytes(BmpHeader{66, 1, 1, 32, 1, 40}), 54u);  // refused before the masks
    // A bit count whose default masks SDL computes with an undefined shift.
    for (uint16_t bits : {9, 22, 24, 25, 64})
        EXPECT_TRUE(withinLimits(BmpHeader{54, 1, 1, bits}, 70)) << bits;
    EXPECT_FALSE(withinLimits(BmpHeader{54, 1, 1, 23}, 70));
}

TEST(BmpHeader, SurfaceMayDecodeToAtMost256MiB) {
    const uint64_t roomyFile = uint64_t{1} << 40;
    EXPECT_EQ(decodedBytes(BmpHeader{54, 8192, 8192, 32}), kMaxDecodedBytes);
    EXPECT_TRUE(withinLimits(BmpHeader{54, 8192, 8192, 32}, roomyFile));
    EXPECT_FALSE(withinLimits(BmpHeader{54, 8192, 8193, 32}, roomyFile));
    // One pixel of 1 bit widens to a byte in a row of 4: 2^26 rows are the
    // limit, one more row is 4 bytes over.
    EXPECT_TRUE(withinLimits(BmpHeader{54, 1, -(1 << 26), 1}, roomyFile));
    EXPECT_FALSE(withinLimits(BmpHeader{54, 1, -(1 << 26) - 1, 1}, roomyFile));
    EXPECT_EQ(decodedBytes(BmpHeader{54, 5, 2, 24}), 32u);  // 15 bytes a row, padded to 16
    // A run-length file needs no room, so only the limit holds it.
    EXPECT_TRUE(withinLimits(BmpHeader{54, 16384, 16384, 8, 1}, 60));
    EXPECT_FALSE(withinLimits(BmpHeader{54, 16384, 16385, 8, 1}, 60));
}

// ---- FrameDigest ---------------------------------------------------------------

TEST(FrameDigest, HashesPixelBytesInFrameOrderIgnoringRowPadding) {
    // The published FNV-1a test vector: the single byte 'a'.
    SurfacePtr one = makeSurface(Layout::index8, 1, 1);
    static_cast<uint8_t*>(one->pixels)[0] = 'a';
    FrameDigest vector;
    EXPECT_EQ(vector.hex(), "cbf29ce484222325");
    vector.add(one.get());
    EXPECT_EQ(vector.hex(), "af63dc4c8601ec8c");

    // Rows of 15 bytes, padded to 16 in one surface and to 20 in the other.
    SurfacePtr padded = makeSurface(Layout::rgb888, 5, 3);
    fillPattern(padded.get(), 3);
    std::vector<uint8_t> wide(20 * 3, 0xEE);
    for (int y = 0; y < 3; ++y)
        std::memcpy(wide.data() + 20 * y, static_cast<uint8_t*>(padded->pixels) + y * padded->pitch, 15);
    SurfacePtr widePitch(SDL_CreateRGBSurfaceFrom(wide.data(), 5, 3, 24, 20, padded->format->Rmask,
                                                  padded->format->Gmask, padded->format->Bmask, 0));
    auto digestOf = [](std::initializer_list<const SDL_Surface*> frames) {
        FrameDigest d;
        for (const SDL_Surface* f : frames) d.add(f);
        return d.hex();
    };
    EXPECT_EQ(digestOf({padded.get()}), digestOf({widePitch.get()}));

    wide[20 * 2 + 14] ^= 1;  // the last byte of the last pixel
    EXPECT_NE(digestOf({padded.get()}), digestOf({widePitch.get()}));
    EXPECT_NE(digestOf({padded.get(), widePitch.get()}), digestOf({widePitch.get(), padded.get()}));

    // Each pixel's value, lowest byte first, whatever the machine's byte
    // order: a value's bytes hash as that many 1-byte pixels do.
    for (Layout layout : {Layout::rgb565, Layout::rgb888, Layout::xrgb8888}) {
        SurfacePtr pixel = makeSurface(layout, 1, 1);
        setRawValue(pixel.get(), 0, 0, 0x64636261u);  // "abcd"
        SurfacePtr bytes = makeSurface(Layout::index8, bytesPerPixel(layout), 1);
        std::memcpy(bytes->pixels, "abcd", bytesPerPixel(layout));
        EXPECT_EQ(digestOf({pixel.get()}), digestOf({bytes.get()})) << layoutName(layout);
    }
}

// ---- CanvasFrame ---------------------------------------------------------------

// Every layout, the corner of a larger surface: each canvas pixel is SDL's
// reading of the raw value as red, green, blue, then an opaque alpha.
TEST(CanvasFrame, GivesEachPixelsColourAsSdlReadsItWithOpaqueAlpha) {
    for (Layout layout : kAllLayouts) {
        SCOPED_TRACE(layoutName(layout));
        SurfacePtr s = makeSurface(layout, 7, 5);
        fillPattern(s.get(), 4);
        std::vector<uint8_t> rgba(6 * 4 * 4, 0xEE);
        toCanvasRgba(s.get(), 6, 4, rgba.data());
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                Uint8 r, g, b;
                SDL_GetRGB(rawValue(s.get(), x, y), s->format, &r, &g, &b);
                const uint8_t* p = &rgba[(y * 6 + x) * 4];
                EXPECT_EQ(std::vector<uint8_t>(p, p + 4), (std::vector<uint8_t>{r, g, b, 255}))
                    << x << "," << y;
            }
    }
}
