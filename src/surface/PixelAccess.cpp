#include "surface/PixelAccess.h"

#include <cstring>

#include "app/ErrorMsg.h"

namespace {

bool inside(const SDL_Surface* s, int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < s->w && y < s->h;
}

PixelSample fromRaw(uint32_t raw) {
    PixelSample p;
    p.r = static_cast<uint8_t>(raw);
    p.g = static_cast<uint8_t>(raw >> 8);
    p.b = static_cast<uint8_t>(raw >> 16);
    p.pixel = raw;
    return p;
}

}  // namespace

PixelSample readPixel(const SDL_Surface* s, int32_t x, int32_t y) {
    if (s == nullptr || s->pixels == nullptr || !inside(s, x, y)) return PixelSample{};

    const auto* base = static_cast<const uint8_t*>(s->pixels);
    const size_t row = static_cast<size_t>(y) * s->pitch;
    switch (s->format->BytesPerPixel) {
    case 1:
        return fromRaw(base[row + x]);
    case 2: {
        uint16_t word;
        std::memcpy(&word, base + (row / 2 + x) * 2, sizeof word);
        return fromRaw(word);
    }
    case 3: {
        const uint8_t* p = base + row + 3 * static_cast<size_t>(x);
        PixelSample sample;
        sample.r = tripleByte(p, s->format->Rshift);
        sample.g = tripleByte(p, s->format->Gshift);
        sample.b = tripleByte(p, s->format->Bshift);
        sample.pixel = SDL_MapRGB(s->format, sample.r, sample.g, sample.b);
        return sample;
    }
    case 4: {
        uint32_t word;
        std::memcpy(&word, base + (row / 4 + x) * 4, sizeof word);
        return fromRaw(word);
    }
    default: {
        PixelSample white;
        white.r = white.g = white.b = 255;
        white.pixel = 0xFFFFFFFFu;
        return white;
    }
    }
}

void writePixel(SDL_Surface* s, int32_t x, int32_t y, uint32_t pixel) {
    const uint8_t bytes = s->format->BytesPerPixel;
    if (bytes < 1 || bytes > 4) throw ErrorMsg("Unknown BitDepth");
    if (!inside(s, x, y)) return;

    const bool lock = needsLock(s);
    if (lock && SDL_LockSurface(s) < 0) return;
    if (s->pixels == nullptr) {  // a hardware surface may have none even when locked
        if (lock) SDL_UnlockSurface(s);
        return;
    }

    uint8_t* p = static_cast<uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch +
                 static_cast<size_t>(x) * bytes;
    storePixels(p, bytes, &pixel, 1);

    if (lock) SDL_UnlockSurface(s);
}
