// make_bitmaps: draws the demo's four default bitmaps (320 x 240, 24 bits per
// pixel) into the directory named by its one argument.
//
// The renderer scales the bitmaps' mix by the fractal's raw pixel value, so
// any nonzero channel saturates almost at once. What shows is therefore where
// a channel is zero, and, once the weight passes 1, where the second bitmap
// outweighs the first (there the fractal's bands appear). So the pictures are
// bold shapes in full-strength colours on black, each leaving different
// channels dark in different places, so that switching any one of them
// visibly reshapes the animation.
#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Demo.h"
#include "scripted/DisplayFormat.h"
#include "surface/PixelAccess.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kCyan{0, 255, 255};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kMagenta{255, 0, 255};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kOrange{255, 128, 0};
constexpr Rgb kHues[] = {kRed, kYellow, kGreen, kCyan, kBlue, kMagenta};
// Part-strength channels: where the first bitmap is darker, each level
// bands the fractal differently, so these colour its detail.
constexpr Rgb kAmber{255, 160, 48};
constexpr Rgb kSky{48, 200, 255};
constexpr Rgb kViolet{160, 64, 255};
constexpr Rgb kLime{160, 255, 64};

class Canvas {
public:
    Canvas() : pixels(kAreaWidth * kAreaHeight) {}

    void set(int x, int y, Rgb colour) {
        if (x >= 0 && y >= 0 && x < kAreaWidth && y < kAreaHeight)
            pixels[y * kAreaWidth + x] = colour;
    }
    Rgb at(int x, int y) const { return pixels[y * kAreaWidth + x]; }

    void fillRect(int x0, int y0, int w, int h, Rgb colour) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) set(x, y, colour);
    }

    // Paints every pixel with the colour the function gives for it.
    template <typename Paint>
    void paint(Paint colourAt) {
        for (int y = 0; y < kAreaHeight; ++y)
            for (int x = 0; x < kAreaWidth; ++x) set(x, y, colourAt(x, y));
    }

    // SDL writes the BMP; a 32-bit surface is stored as 24 bits per pixel.
    bool save(const std::string& path) const {
        const SurfacePtr s = createDisplaySurface(DisplayFormat::xrgb8888, kAreaWidth, kAreaHeight);
        if (!s) return false;
        for (int y = 0; y < kAreaHeight; ++y)
            for (int x = 0; x < kAreaWidth; ++x) {
                const Rgb c = at(x, y);
                writePixel(s.get(), x, y, SDL_MapRGB(s->format, c.r, c.g, c.b));
            }
        return SDL_SaveBMP(s.get(), path.c_str()) == 0;
    }

private:
    std::vector<Rgb> pixels;
};

// A 5 x 7 font with just the letters the pictures spell; rows top down, bit 4 leftmost.
struct Glyph {
    char letter;
    uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
};

// Block letters `scale` pixels to a font dot, one letter width apart, centred on x.
void drawText(Canvas& canvas, const std::string& text, int centreX, int top, int scale,
              const Rgb* colours, int colourCount) {
    const int advance = 6 * scale;
    const int left = centreX - (static_cast<int>(text.size()) * advance - scale) / 2;
    for (size_t i = 0; i < text.size(); ++i) {
        for (const Glyph& glyph : kFont) {
            if (glyph.letter != text[i]) continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (glyph.rows[row] & (0x10 >> col))
                        canvas.fillRect(left + static_cast<int>(i) * advance + col * scale,
                                        top + row * scale, scale, scale,
                                        colours[i % colourCount]);
        }
    }
}

// lsd.bmp: off-centre rings cycling through six hues, every other ring black.
Canvas rings() {
    Canvas c;
    c.paint([](int x, int y) {
        const int ring = static_cast<int>(std::hypot(x - 110.0, y - 100.0) / 11.0);
        return ring % 2 ? kBlack : kHues[(ring / 2) % 6];
    });
    return c;
}

// logo.bmp: the name in yellow and white block letters between two bars, over
// rows of "text" blocks; the rest black.
Canvas logo() {
    Canvas c;
    c.fillRect(0, 30, kAreaWidth, 18, kMagenta);
    c.fillRect(0, 140, kAreaWidth, 8, kCyan);
    const Rgb letters[] = {kYellow, kWhite};
    drawText(c, "FRACTALS", kAreaWidth / 2, 64, 6, letters, 2);
    // Ragged lines of words, like a paragraph under a heading.
    unsigned seed = 7;
    for (int line = 0; line < 5; ++line) {
        int x = 24;
        while (x < kAreaWidth - 40) {
            seed = seed * 1103515245u + 12345u;
            const int word = 10 + static_cast<int>((seed >> 16) % 34);
            c.fillRect(x, 162 + line * 14, word, 8, line % 2 ? kGreen : kRed);
            x += word + 8;
        }
    }
    return c;
}

// lsd2.bmp: wide diagonal stripes, two colours then black.
Canvas stripes() {
    Canvas c;
    const Rgb bands[] = {kAmber, kSky, kBlack, kViolet, kLime, kBlack};
    c.paint([&bands](int x, int y) { return bands[((x + 2 * y) / 20) % 6]; });
    return c;
}

// logo2.bmp: a sunburst of orange, sky and violet wedges around a black disc
// that carries a second name in white and lime.
Canvas sunburst() {
    Canvas c;
    const Rgb wedges[] = {kOrange, kBlack, kSky, kBlack, kViolet, kBlack};
    c.paint([&wedges](int x, int y) {
        const double dx = x - 200.0, dy = y - 130.0;
        if (std::hypot(dx, dy) < 70.0) return kBlack;
        const double turn = (std::atan2(dy, dx) + kPi) / (2 * kPi);  // 0 to 1
        return wedges[static_cast<int>(turn * 18) % 6];
    });
    const Rgb letters[] = {kWhite, kLime};
    drawText(c, "JULIA", 200, 116, 4, letters, 2);
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_bitmaps DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const struct {
        const char* name;
        Canvas picture;
    } files[] = {{kBitmapNamesA[0], rings()}, {kBitmapNamesA[1], logo()},
                 {kBitmapNamesB[0], stripes()}, {kBitmapNamesB[1], sunburst()}};
    for (const auto& file : files) {
        const std::string path = dir + "/" + file.name;
        if (!file.picture.save(path)) {
            std::fprintf(stderr, "make_bitmaps: couldn't write %s: %s\n", path.c_str(),
                         SDL_GetError());
            return 1;
        }
    }
    return 0;
}
