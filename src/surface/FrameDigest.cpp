#include "surface/FrameDigest.h"

#include <cstdio>

void FrameDigest::add(const SDL_Surface* frame) {
    const auto* pixels = static_cast<const uint8_t*>(frame->pixels);
    const size_t rowBytes = static_cast<size_t>(frame->w) * frame->format->BytesPerPixel;
    for (int y = 0; y < frame->h; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * frame->pitch;
        for (size_t i = 0; i < rowBytes; ++i) {
            hash ^= row[i];
            hash *= 0x100000001b3ull;
        }
    }
}

std::string FrameDigest::hex() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
