#include "surface/ColourMap.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kSlotBits = 16;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr uint32_t kValid = 0x01000000;
// An index is one byte, so only palettes this size or smaller are cached.
constexpr int kLargestCachedPalette = 256;

bool samePalette(const std::vector<SDL_Color>& cached, const SDL_Palette* p) {
    return cached.size() == static_cast<size_t>(p->ncolors) &&
           std::memcmp(cached.data(), p->colors, sizeof(SDL_Color) * p->ncolors) == 0;
}

}  // namespace

bool coloursArePixels(const SDL_PixelFormat* f) {
    return f->BytesPerPixel == 4 && f->palette == nullptr && f->Rshift == 16 && f->Gshift == 8 &&
           f->Bshift == 0 && (f->Rloss | f->Gloss | f->Bloss) == 0 && f->Amask == 0;
}

void ColourMap::prepare(const SDL_PixelFormat* f) {
    format = f;
    const SDL_Palette* palette = f->palette;
    trueLayout.rLoss = f->Rloss;
    trueLayout.gLoss = f->Gloss;
    trueLayout.bLoss = f->Bloss;
    trueLayout.rShift = f->Rshift;
    trueLayout.gShift = f->Gshift;
    trueLayout.bShift = f->Bshift;
    trueLayout.aMask = f->Amask;
    if (palette == nullptr) return;

    // A palette of no colours would match the empty cache before its table
    // was ever sized; SDL maps every colour to 0 on it, uncached.
    cacheUsable = palette->ncolors >= 1 && palette->ncolors <= kLargestCachedPalette &&
                  palette->colors != nullptr;
    if (!cacheUsable || samePalette(cachedPalette, palette)) return;

    // Sized once: later palettes reuse the storage.
    if (keys.empty()) {
        keys.resize(size_t{1} << kSlotBits);
        indices.resize(size_t{1} << kSlotBits);
        cachedPalette.reserve(kLargestCachedPalette);
    }
    cachedPalette.assign(palette->colors, palette->colors + palette->ncolors);
    std::fill(keys.begin(), keys.end(), 0u);
}

uint32_t ColourMap::mapPaletted(uint8_t r, uint8_t g, uint8_t b) {
    // SDL_MapRGB takes a non-const format but only reads it.
    auto* sdlFormat = const_cast<SDL_PixelFormat*>(format);
    if (!cacheUsable) return SDL_MapRGB(sdlFormat, r, g, b);

    const uint32_t colour = static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
    const uint32_t slot = (colour * 0x9E3779B1u >> 8) & kSlotMask;
    if (keys[slot] != (colour | kValid)) {
        keys[slot] = colour | kValid;
        indices[slot] = static_cast<uint8_t>(SDL_MapRGB(sdlFormat, r, g, b));
    }
    return indices[slot];
}
