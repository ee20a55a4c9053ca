#include "surface/CanvasFrame.h"

#include <cstring>

#include "surface/PixelAccess.h"

namespace {

// One canvas pixel, its bytes red, green, blue, alpha in memory order, as a
// word that is stored whole.
uint32_t canvasWord(uint32_t r, uint32_t g, uint32_t b) {
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    return r | g << 8 | b << 16 | 0xFF000000u;
#else
    return r << 24 | g << 16 | b << 8 | 0xFFu;
#endif
}

// One row of whole-byte pixels. The desktop's layout (red 16, green 8, blue
// 0) gets shifts known to the compiler, which it vectorises; others pass
// theirs.
template <typename Shifts>
void wholeByteRow(const uint8_t* row, int32_t width, Shifts s, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, row + static_cast<size_t>(x) * 4, sizeof pixel);
        const uint32_t word = canvasWord(pixel >> s.r & 0xFF, pixel >> s.g & 0xFF, pixel >> s.b & 0xFF);
        std::memcpy(out + static_cast<size_t>(x) * 4, &word, sizeof word);
    }
}

struct UsualShifts {
    static constexpr uint32_t r = 16, g = 8, b = 0;
};
struct GivenShifts {
    uint32_t r, g, b;
};

}  // namespace

void toCanvasRgba(const SDL_Surface* display, int32_t width, int32_t height, uint8_t* rgba) {
    const SDL_PixelFormat* f = display->format;
    // The browser's own display (xrgb8888) has every channel in a whole byte
    // of a 32-bit word: a loop the compiler vectorises. Any other layout goes
    // through SDL, pixel by pixel.
    const bool wholeBytes = f->BytesPerPixel == 4 && f->palette == nullptr && f->Rloss == 0 &&
                            f->Gloss == 0 && f->Bloss == 0;
    const bool usual = f->Rshift == 16 && f->Gshift == 8 && f->Bshift == 0;
    const GivenShifts given{f->Rshift, f->Gshift, f->Bshift};
    for (int32_t y = 0; y < height; ++y) {
        const auto* row = static_cast<const uint8_t*>(display->pixels) + static_cast<size_t>(y) * display->pitch;
        uint8_t* out = rgba + static_cast<size_t>(y) * width * 4;
        if (wholeBytes && usual) {
            wholeByteRow(row, width, UsualShifts{}, out);
        } else if (wholeBytes) {
            wholeByteRow(row, width, given, out);
        } else {
            for (int32_t x = 0; x < width; ++x) {
                Uint8 r, g, b;
                SDL_GetRGB(readPixel(display, x, y).pixel, const_cast<SDL_PixelFormat*>(f), &r, &g, &b);
                const uint32_t word = canvasWord(r, g, b);
                std::memcpy(out + static_cast<size_t>(x) * 4, &word, sizeof word);
            }
        }
    }
}
