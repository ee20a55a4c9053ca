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
        // Shifts beyond the three bytes can't name one of them; read those as 0.
        auto byteAt = [p](uint8_t shift) { return shift < 24 ? p[shift / 8] : uint8_t{0}; };
        sample.r = byteAt(s->format->Rshift);
        sample.g = byteAt(s->format->Gshift);
        sample.b = byteAt(s->format->Bshift);
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
    switch (bytes) {
    case 1:
        *p = static_cast<uint8_t>(pixel);
        break;
    case 2: {
        const uint16_t word = static_cast<uint16_t>(pixel);
        std::memcpy(p, &word, sizeof word);
        break;
    }
    case 3:  // lowest byte first, whatever the machine's byte order
        p[0] = static_cast<uint8_t>(pixel);
        p[1] = static_cast<uint8_t>(pixel >> 8);
        p[2] = static_cast<uint8_t>(pixel >> 16);
        break;
    case 4:
        std::memcpy(p, &pixel, sizeof pixel);
        break;
    }

    if (lock) SDL_UnlockSurface(s);
}
