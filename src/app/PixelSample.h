// PixelSample: one bitmap pixel as read by getPixel.
#pragma once

#include <cstdint>

struct PixelSample {
    uint8_t r = 0;        // bits 0-7 of the raw value (or the red byte of a 3-byte pixel)
    uint8_t g = 0;        // bits 8-15
    uint8_t b = 0;        // bits 16-23
    uint32_t pixel = 0;   // the raw value in the surface's own format
};
