// The icon's parts: its PNG file read back through zlib, and the disc cut
// from a frame and scaled by area. That real decoders read the files is
// checked on the built icons: libpng through icotool on the package's PNG
// files (tests/package), windres and wrestool on the .ico (tests/windows).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <map>

#include "IconFiles.h"
#include "scripted/DisplayFormat.h"
#include "surface/PixelAccess.h"

namespace {

const uint8_t* pixelAt(const RgbaImage& image, int x, int y) {
    return &image.rgba[(static_cast<size_t>(y) * image.size + x) * 4];
}

uint32_t big32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// Each chunk's data by its type, once its CRC has been checked.
std::map<std::string, std::string> pngChunks(const std::string& png) {
    std::map<std::string, std::string> chunks;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = big32(png, at);
        const std::string typed = png.substr(at + 4, 4 + length);
        EXPECT_EQ(big32(png, at + 8 + length),
                  crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
        chunks[typed.substr(0, 4)] = typed.substr(4);
        at += 12 + length;
    }
    return chunks;
}

TEST(IconFiles, PngHoldsTheRowsCompressed) {
    RgbaImage image;
    image.size = 64;
    for (int i = 0; i < 64 * 64; ++i)
        image.rgba.insert(image.rgba.end(), {static_cast<uint8_t>(i % 64), 200, 0, 255});
    const std::string png = pngBytes(image);
    ASSERT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    std::map<std::string, std::string> chunks = pngChunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks["IHDR"], std::string("\0\0\0\x40\0\0\0\x40\x08\x06\0\0\0", 13));
    EXPECT_TRUE(chunks["IEND"].empty());

    std::string rows(64 * (1 + 64 * 4), '\x7f');
    uLongf size = static_cast<uLongf>(rows.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&rows[0]), &size,
                         reinterpret_cast<const Bytef*>(chunks["IDAT"].data()),
                         static_cast<uLong>(chunks["IDAT"].size())), Z_OK);
    ASSERT_EQ(size, rows.size());
    for (int y = 0; y < 64; ++y) {
        const size_t row = static_cast<size_t>(y) * (1 + 64 * 4);
        EXPECT_EQ(rows[row], '\0');  // no filter
        EXPECT_EQ(std::memcmp(&rows[row + 1], pixelAt(image, 0, y), 64 * 4), 0);
    }
    EXPECT_LT(chunks["IDAT"].size(), rows.size() / 10);  // deflated, not stored
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
