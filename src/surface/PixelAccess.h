// Single-pixel reads and writes on SDL surfaces of 1 to 4 bytes per pixel.
// Both are bounds-checked: outside the surface a read is black and a write
// does nothing, so no file can make them touch memory they don't own.
#pragma once

#include <SDL.h>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "app/PixelSample.h"

// The channel bytes follow the raw value's bit positions, not the format's
// masks (a 3-byte pixel is the exception: its bytes are found by the shifts).
// Values lie in memory as SDL lays them on this machine (valueByteOffset).
PixelSample readPixel(const SDL_Surface* surface, int32_t x, int32_t y);

// Writes one raw pixel value; throws ErrorMsg "Unknown BitDepth" for a
// surface that is not 1 to 4 bytes per pixel. Locks only when SDL says the
// surface needs it.
void writePixel(SDL_Surface* surface, int32_t x, int32_t y, uint32_t pixel);

// Where byte k (bits 8k to 8k+7) of a `bytes`-byte pixel's value lies within
// the pixel: the machine's byte order, which SDL also gives 3-byte pixels
// (its blitters, fills and BMP loader store them highest byte first on a
// big-endian machine).
constexpr int valueByteOffset(int bytes, int k) {
    return SDL_BYTEORDER == SDL_LIL_ENDIAN ? k : bytes - 1 - k;
}

// Raw pixel values stored side by side, `bytes` (1 to 4) bytes each: the one
// place that writes a value to memory.
inline void storePixels(uint8_t* out, int bytes, const uint32_t* pixels, int32_t count) {
    switch (bytes) {
    case 1:
        for (int32_t x = 0; x < count; ++x) out[x] = static_cast<uint8_t>(pixels[x]);
        break;
    case 2:
        for (int32_t x = 0; x < count; ++x) {
            const uint16_t word = static_cast<uint16_t>(pixels[x]);
            std::memcpy(out + 2 * x, &word, sizeof word);
        }
        break;
    case 3:
        for (int32_t x = 0; x < count; ++x) {
            out[3 * x + valueByteOffset(3, 0)] = static_cast<uint8_t>(pixels[x]);
            out[3 * x + valueByteOffset(3, 1)] = static_cast<uint8_t>(pixels[x] >> 8);
            out[3 * x + valueByteOffset(3, 2)] = static_cast<uint8_t>(pixels[x] >> 16);
        }
        break;
    case 4:
        std::memcpy(out, pixels, sizeof(uint32_t) * static_cast<size_t>(count));
        break;
    }
}

// The byte of a 3-byte pixel that a channel's shift names. A shift beyond
// the three bytes can't name one of them; such a channel reads as 0. Always
// inlined: the kernels of every instruction set use it (RowAccess.h), and an
// out-of-line copy built for one of them must not serve the others.
[[gnu::always_inline]] inline uint8_t tripleByte(const uint8_t* pixel, uint8_t shift) {
    return shift < 24 ? pixel[valueByteOffset(3, shift / 8)] : uint8_t{0};
}

// True when SDL requires the surface to be locked before touching its pixels.
inline bool needsLock(const SDL_Surface* surface) {
    return surface->offset != 0 ||
           (surface->flags & (SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RLEACCEL)) != 0;
}

// A channel value truncated toward zero and wrapped modulo 256. Values too
// large for a 64-bit integer (and NaN) give 0 instead of undefined behaviour;
// for a float of magnitude 2^31 or more that is what the wrap gives anyway.
inline uint8_t wrapToByte(double v) {
    if (!(std::fabs(v) < 9.2e18)) return 0;
    return static_cast<uint8_t>(static_cast<uint64_t>(static_cast<int64_t>(v)));
}
