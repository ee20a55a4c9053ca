#include "CanvasFrame.h"

#include <cstring>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "surface/ColourMap.h"
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

void putCanvasWord(uint8_t* out, int32_t x, uint32_t word) {
    std::memcpy(out + static_cast<size_t>(x) * 4, &word, sizeof word);
}

// One row of the usual 32-bit layout. In WebAssembly (little-endian) four
// pixels at a time: each value's bytes, blue, green, red and the unused one,
// reordered to red, green, blue, and the last set to opaque alpha.
void usualRow(const uint8_t* row, int32_t width, uint8_t* out) {
    int32_t x = 0;
#if defined(__wasm_simd128__)
    const v128_t alpha = wasm_i32x4_splat(static_cast<int32_t>(0xFF000000u));
    for (; x + 4 <= width; x += 4) {
        const v128_t v = wasm_v128_load(row + static_cast<size_t>(x) * 4);
        const v128_t rgb =
            wasm_i8x16_shuffle(v, v, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
        wasm_v128_store(out + static_cast<size_t>(x) * 4, wasm_v128_or(rgb, alpha));
    }
#endif
    for (; x < width; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, row + static_cast<size_t>(x) * 4, sizeof pixel);
        putCanvasWord(out, x, canvasWord(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF));
    }
}

}  // namespace

void toCanvasRgba(const SDL_Surface* display, int32_t width, int32_t height, uint8_t* rgba) {
    const SDL_PixelFormat* f = display->format;
    // The browser's own display, the desktop's usual 32-bit layout: fixed
    // byte positions, a row at a time. Any other layout goes through SDL,
    // pixel by pixel.
    const bool usual = coloursArePixels(f);
    for (int32_t y = 0; y < height; ++y) {
        const auto* row = static_cast<const uint8_t*>(display->pixels) + static_cast<size_t>(y) * display->pitch;
        uint8_t* out = rgba + static_cast<size_t>(y) * width * 4;
        if (usual) {
            usualRow(row, width, out);
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(readPixel(display, x, y).pixel, const_cast<SDL_PixelFormat*>(f), &r, &g, &b);
            putCanvasWord(out, x, canvasWord(r, g, b));
        }
    }
}
