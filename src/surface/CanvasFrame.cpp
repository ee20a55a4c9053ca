#include "surface/CanvasFrame.h"

#include <cstring>

#include "surface/PixelAccess.h"

namespace {

void store(uint8_t* out, uint8_t r, uint8_t g, uint8_t b) {
    out[0] = r;
    out[1] = g;
    out[2] = b;
    out[3] = 255;
}

}  // namespace

void toCanvasRgba(const SDL_Surface* display, int32_t width, int32_t height, uint8_t* rgba) {
    const SDL_PixelFormat* f = display->format;
    // The browser's own display (xrgb8888) has every channel in a whole byte
    // of a 32-bit word; any other layout goes through SDL, pixel by pixel.
    const bool wholeBytes = f->BytesPerPixel == 4 && f->palette == nullptr && f->Rloss == 0 &&
                            f->Gloss == 0 && f->Bloss == 0;
    for (int32_t y = 0; y < height; ++y) {
        const auto* row = static_cast<const uint8_t*>(display->pixels) + static_cast<size_t>(y) * display->pitch;
        uint8_t* out = rgba + static_cast<size_t>(y) * width * 4;
        for (int32_t x = 0; x < width; ++x, out += 4) {
            if (wholeBytes) {
                uint32_t pixel;
                std::memcpy(&pixel, row + static_cast<size_t>(x) * 4, sizeof pixel);
                store(out, static_cast<uint8_t>(pixel >> f->Rshift), static_cast<uint8_t>(pixel >> f->Gshift),
                      static_cast<uint8_t>(pixel >> f->Bshift));
            } else {
                Uint8 r, g, b;
                SDL_GetRGB(readPixel(display, x, y).pixel, const_cast<SDL_PixelFormat*>(f), &r, &g, &b);
                store(out, r, g, b);
            }
        }
    }
}
