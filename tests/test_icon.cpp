// The icon's parts: the checksums PNG carries, the disc cut from a frame and
// scaled by area, and the layout of the .ico that Windows reads. That real
// decoders accept the files is checked on the built icons (tests/package).
#include <gtest/gtest.h>

#include <cstring>

#include "../tools/Icon.h"
#include "surface/DisplayFormat.h"
#include "surface/PixelAccess.h"

namespace {

uint32_t little(const std::string& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

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

TEST(IconFiles, PngHeaderAndIcoDirectory) {
    RgbaImage small, large;
    small.size = 16, large.size = 256;
    small.rgba.assign(16 * 16 * 4, 7), large.rgba.assign(256 * 256 * 4, 9);

    const std::string png = pngBytes(small);
    EXPECT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x10\0\0\0\x10", 8));
    EXPECT_EQ(png.substr(png.size() - 12), std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12));

    const std::string ico = icoBytes({small, large});
    EXPECT_EQ(little(ico, 0, 4), 0x10000u);  // reserved, then type 1: an icon
    EXPECT_EQ(little(ico, 4, 2), 2u);
    EXPECT_EQ(little(ico, 6, 2), 0x1010u);   // 16 x 16
    EXPECT_EQ(little(ico, 22, 2), 0u);       // 256 x 256 is written as 0 x 0
    EXPECT_EQ(ico.substr(little(ico, 18, 4), png.size()), png);
    EXPECT_EQ(little(ico, 34, 4) + little(ico, 30, 4), ico.size());
    EXPECT_EQ(ico.substr(little(ico, 34, 4), 8), png.substr(0, 8));
}

}  // namespace
