// The icon's parts: the checksums PNG carries and the disc cut from a frame
// and scaled by area. That real decoders read the files is checked on the
// built icons: libpng through icotool on the package's PNG files
// (tests/package), windres and wrestool on the .ico (tests/windows).
#include <gtest/gtest.h>

#include <cstring>

#include "Icon.h"
#include "scripted/DisplayFormat.h"
#include "surface/PixelAccess.h"

namespace {

const uint8_t* pixelAt(const RgbaImage& image, int x, int y) {
    return &image.rgba[(static_cast<size_t>(y) * image.size + x) * 4];
}

TEST(IconChecksums, PublishedValues) {
    EXPECT_EQ(crc32("IEND"), 0xAE426082u);       // the end of every PNG file
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);  // CRC-32's check value
    EXPECT_EQ(adler32(""), 1u);
    EXPECT_EQ(adler32("Wikipedia"), 0x11E60398u);
}

TEST(IconImage, AveragesTheCoveredAreaInsideADisc) {
    // Red 200 left of x = 6, blue 100 from there; the icon takes the 4 x 4 square at (4, 2).
    const SurfacePtr frame = createDisplaySurface(DisplayFormat::xrgb8888, 10, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            writePixel(frame.get(), x, y, SDL_MapRGB(frame->format, x < 6 ? 200 : 0, 0, x < 6 ? 0 : 100));

    const RgbaImage halves = iconFromFrame(frame.get(), 4, 2, 4, 2);
    EXPECT_EQ(std::memcmp(pixelAt(halves, 0, 1), "\xc8\x00\x00", 3), 0);
    EXPECT_EQ(std::memcmp(pixelAt(halves, 1, 0), "\x00\x00\x64", 3), 0);

    // Three pixels over four: the middle one covers as much of each colour.
    const RgbaImage thirds = iconFromFrame(frame.get(), 4, 2, 4, 3);
    EXPECT_EQ(std::memcmp(pixelAt(thirds, 1, 1), "\x64\x00\x32", 3), 0);

    const RgbaImage disc = iconFromFrame(frame.get(), 4, 2, 4, 16);
    EXPECT_EQ(pixelAt(disc, 0, 0)[3], 0);     // a corner, outside
    EXPECT_EQ(pixelAt(disc, 8, 8)[3], 255);   // the centre
    EXPECT_GT(pixelAt(disc, 0, 7)[3], 0);     // on the edge, partly covered
    EXPECT_LT(pixelAt(disc, 0, 7)[3], 255);
}

}  // namespace
