// The window's pixel operations: bitmap reads, display writes and the cross-fade.
#include "app/AppWindow.h"
#include "surface/PixelAccess.h"
#include "surface/SurfaceHandle.h"

PixelSample AppWindow::getPixel(const SurfaceHandle* slot, int32_t x, int32_t y) const {
    return readPixel(slot ? slot->surface() : nullptr, x, y);
}

void AppWindow::putPixel(int32_t x, int32_t y, uint32_t pixel) { writePixel(screen, x, y, pixel); }

void AppWindow::crossFade(const SurfaceHandle* slotA, const SurfaceHandle* slotB, int32_t x0,
                          int32_t y0, int32_t x1, int32_t y1, float weight) {
    const float complement = static_cast<float>(1.0 - weight);
    auto mix = [&](uint8_t a, uint8_t b) {
        double v = static_cast<double>(a) * weight + static_cast<double>(b) * complement;
        if (v > 255.0) v = 255.0;
        return wrapToByte(v);  // no lower bound: a negative mix wraps
    };

    for (int32_t x = x0; x < x1; ++x) {
        for (int32_t y = y0; y < y1; ++y) {
            const PixelSample a = getPixel(slotA, x, y);
            const PixelSample b = getPixel(slotB, x, y);
            putPixel(x, y, SDL_MapRGB(screen->format, mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)));
        }
    }
}
