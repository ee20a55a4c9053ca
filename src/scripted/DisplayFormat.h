// The display pixel formats the program is exercised on, as offscreen
// surfaces laid out the way SDL lays out a display of that depth.
#pragma once

#include <optional>
#include <string>

#include "surface/SurfaceHandle.h"

enum class DisplayFormat {
    xrgb8888,  // 32 bits, red in bits 16-23
    rgb565,    // 16 bits
    rgb888,    // 24 bits, red in bits 16-23 (the third byte in memory on a little-endian machine)
    index8,    // 8 bits with the 3-3-2 palette SDL gives an 8-bit display
};

// A zero-filled software surface of the format; null only if SDL is out of memory.
SurfacePtr createDisplaySurface(DisplayFormat format, int width, int height);

const char* formatName(DisplayFormat format);
std::optional<DisplayFormat> parseFormat(const std::string& name);

constexpr DisplayFormat kAllDisplayFormats[] = {DisplayFormat::xrgb8888, DisplayFormat::rgb565,
                                                DisplayFormat::rgb888, DisplayFormat::index8};
