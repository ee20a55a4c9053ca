// CanvasFrame: a display surface as a browser canvas takes its pixels, four
// bytes each in the order red, green, blue, alpha, alpha opaque.
#pragma once

#include <SDL.h>
#include <cstdint>

// Writes width x height pixels from the display's top-left corner to `rgba`
// (4 * width * height bytes); the caller keeps within the display.
void toCanvasRgba(const SDL_Surface* display, int32_t width, int32_t height, uint8_t* rgba);
