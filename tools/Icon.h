// The program's icon: a disc cut from one of its own frames, scaled to each
// size a desktop uses. IconFiles.h writes it as PNG and .ico files,
// make_window_icon.cpp as the source of the window's own icon.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <string>
#include <vector>

#include "scripted/DisplayFormat.h"

struct RgbaImage {
    int size = 0;               // width and height
    std::vector<uint8_t> rgba;  // rows top down, 4 bytes a pixel
};

// The square of `side` pixels at (left, top) of `frame`, scaled to `size`
// by averaging the area each icon pixel covers, inside a disc touching its
// edges (smoothed over one pixel); transparent outside.
RgbaImage iconFromFrame(const SDL_Surface* frame, int left, int top, int side, int size);

// The frame the icon is cut from, rendered offscreen from the default
// bitmaps in `bitmapDir`; throws ErrorMsg if SDL can't make it.
SurfacePtr iconFrame(const std::string& bitmapDir);

// The icon at `size` pixels, from that frame.
RgbaImage programIcon(const SDL_Surface* frame, int size);
