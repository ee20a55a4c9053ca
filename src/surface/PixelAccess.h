// Single-pixel reads and writes on SDL surfaces of 1 to 4 bytes per pixel.
// Both are bounds-checked: outside the surface a read is black and a write
// does nothing, so no file can make them touch memory they don't own.
#pragma once

#include <SDL.h>
#include <cmath>
#include <cstdint>

#include "surface/PixelSample.h"

// The channel bytes follow the raw value's bit positions, not the format's
// masks (a 3-byte pixel is the exception: its bytes are found by the shifts).
PixelSample readPixel(const SDL_Surface* surface, int32_t x, int32_t y);

// Writes one raw pixel value; throws ErrorMsg "Unknown BitDepth" for a
// surface that is not 1 to 4 bytes per pixel. Locks only when SDL says the
// surface needs it.
void writePixel(SDL_Surface* surface, int32_t x, int32_t y, uint32_t pixel);

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
