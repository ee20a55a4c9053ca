// Whole-row reads of a bitmap's channel bytes, the same bytes readPixel gives
// pixel by pixel (black outside the surface or without one, white for byte
// sizes other than 1 to 4), with the byte-size decision made once per row.
#pragma once

#include <SDL.h>
#include <cstdint>

struct ChannelRow {
    uint8_t* r;
    uint8_t* g;
    uint8_t* b;
};

// Fills columns 0 .. count-1 of row y.
void readChannelRow(const SDL_Surface* surface, int32_t y, int32_t count, ChannelRow out);
