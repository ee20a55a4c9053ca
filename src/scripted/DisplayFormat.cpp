#include "scripted/DisplayFormat.h"

namespace {

// Each 3- or 2-bit field stretched over 0-255 by repeating its bits, so that
// 0 is black and 255 white.
void setPalette332(SDL_Surface* surface) {
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i) {
        int r = i & 0xE0;
        r |= r >> 3 | r >> 6;
        int g = (i << 3) & 0xE0;
        g |= g >> 3 | g >> 6;
        int b = i & 0x3;
        b |= b << 2;
        b |= b << 4;
        colours[i].r = static_cast<Uint8>(r);
        colours[i].g = static_cast<Uint8>(g);
        colours[i].b = static_cast<Uint8>(b);
        colours[i].unused = 0;
    }
    SDL_SetColors(surface, colours, 0, 256);
}

}  // namespace

SurfacePtr createDisplaySurface(DisplayFormat format, int width, int height) {
    SDL_Surface* s = nullptr;
    switch (format) {
    case DisplayFormat::xrgb8888:
        s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        break;
    case DisplayFormat::rgb565:
        s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 16, 0xF800, 0x07E0, 0x001F, 0);
        break;
    case DisplayFormat::rgb888:
        s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xFF0000, 0xFF00, 0xFF, 0);
        break;
    case DisplayFormat::index8:
        s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
        if (s != nullptr) setPalette332(s);
        break;
    }
    return SurfacePtr(s);
}

const char* formatName(DisplayFormat format) {
    switch (format) {
    case DisplayFormat::xrgb8888: return "xrgb8888";
    case DisplayFormat::rgb565: return "rgb565";
    case DisplayFormat::rgb888: return "rgb888";
    case DisplayFormat::index8: return "index8";
    }
    return "?";
}

std::optional<DisplayFormat> parseFormat(const std::string& name) {
    for (DisplayFormat f : kAllDisplayFormats)
        if (name == formatName(f)) return f;
    return std::nullopt;
}
