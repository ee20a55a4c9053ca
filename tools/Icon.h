// The program's icon: a disc cut from one of its frames, scaled to each size
// desktops use, and written as PNG files and one Windows .ico, with no image
// library (stored deflate blocks need none).
#pragma once

#include <SDL.h>
#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
    int size = 0;               // width and height
    std::vector<uint8_t> rgba;  // rows top down, 4 bytes a pixel
};

// The square of `side` pixels at (left, top) of `frame`, scaled to `size`
// by averaging the area each icon pixel covers, inside a disc touching its
// edges (smoothed over one pixel); transparent outside.
RgbaImage iconFromFrame(const SDL_Surface* frame, int left, int top, int side, int size);

std::string pngBytes(const RgbaImage& image);

// One icon file holding these PNG images (sizes 1 to 256), as Windows reads it.
std::string icoBytes(const std::vector<RgbaImage>& images);

// The checksums PNG and its zlib stream carry.
uint32_t crc32(const std::string& bytes);
uint32_t adler32(const std::string& bytes);
