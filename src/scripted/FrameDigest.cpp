#include "scripted/FrameDigest.h"

#include <cstdio>

#include "surface/PixelAccess.h"

void FrameDigest::add(const SDL_Surface* frame) {
    const int bytes = frame->format->BytesPerPixel;
    const auto* pixels = static_cast<const uint8_t*>(frame->pixels);
    for (int y = 0; y < frame->h; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * frame->pitch;
        for (int x = 0; x < frame->w; ++x) {
            const uint8_t* pixel = row + static_cast<size_t>(x) * bytes;
            for (int k = 0; k < bytes; ++k) {
                hash ^= pixel[valueByteOffset(bytes, k)];
                hash *= 0x100000001b3ull;
            }
        }
    }
}

std::string FrameDigest::hex() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
