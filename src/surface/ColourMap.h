// ColourMap: SDL_MapRGB for one display format without a library call per
// pixel. A true-colour format is a formula of its shifts and losses; a
// paletted one searches its palette, so its answers are cached, and the
// cache is emptied whenever the palette changes.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

// Where SDL_MapRGB puts each channel of a format without a palette: the
// channel's top (8 - loss) bits at its shift, with the alpha mask all ones.
struct TrueColourLayout {
    uint8_t rLoss = 0, gLoss = 0, bLoss = 0;
    uint8_t rShift = 0, gShift = 0, bShift = 0;
    uint32_t aMask = 0;
};

// Always inlined, as the kernels of every instruction set use it.
[[gnu::always_inline]] inline uint32_t mapTrueColour(const TrueColourLayout& t, uint8_t r, uint8_t g,
                                                     uint8_t b) {
    return (static_cast<uint32_t>(r >> t.rLoss) << t.rShift) |
           (static_cast<uint32_t>(g >> t.gLoss) << t.gShift) |
           (static_cast<uint32_t>(b >> t.bLoss) << t.bShift) | t.aMask;
}

// The usual 32-bit display: each pixel value is its colour 0xRRGGBB itself
// (whole bytes, red at 16, green at 8, blue at 0, and no alpha bits, which
// SDL_MapRGB would add), so a colour can be stored as it is.
bool coloursArePixels(const SDL_PixelFormat* f);

class ColourMap {
public:
    // Call before each frame with the display's format; the format must
    // outlive the frame. Empties the cache only if the palette changed.
    void prepare(const SDL_PixelFormat* format);

    bool trueColour() const { return format->palette == nullptr; }
    const TrueColourLayout& layout() const { return trueLayout; }

    uint32_t map(uint8_t r, uint8_t g, uint8_t b) {
        if (trueColour()) return mapTrueColour(trueLayout, r, g, b);
        return mapPaletted(r, g, b);
    }

private:
    uint32_t mapPaletted(uint8_t r, uint8_t g, uint8_t b);

    const SDL_PixelFormat* format = nullptr;
    TrueColourLayout trueLayout;

    // The palette the cache was filled from, and the cache itself: keys are
    // 0x01rrggbb (0 = empty), direct-mapped by a hash of the colour.
    std::vector<SDL_Color> cachedPalette;
    bool cacheUsable = false;
    std::vector<uint32_t> keys;
    std::vector<uint8_t> indices;
};
