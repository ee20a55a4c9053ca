#include "Icon.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/AppWindow.h"
#include "app/Demo.h"
#include "app/ErrorMsg.h"
#include "fractal/FractalScene.h"
#include "scripted/ScriptedKeys.h"
#include "surface/PixelAccess.h"

namespace {

// Frame 150 with Down pressed first: rings over the sunburst, the fractal's
// bands at their edges. The square is centred on the rings.
constexpr int kFrame = 150;
constexpr int kLeft = 30, kTop = 20, kSide = 160;

class SilentHost final : public FrameHost {
public:
    bool nextEvent(SDL_Event&) override { return false; }
    void present(SDL_Surface*, int32_t, int32_t) override {}
};

}  // namespace

RgbaImage iconFromFrame(const SDL_Surface* frame, int left, int top, int side, int size) {
    RgbaImage icon;
    icon.size = size;
    icon.rgba.reserve(static_cast<size_t>(size) * size * 4);
    const double scale = static_cast<double>(side) / size;  // frame pixels per icon pixel
    const double radius = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double sum[3] = {0, 0, 0};
            const double x0 = x * scale, x1 = (x + 1) * scale;
            const double y0 = y * scale, y1 = (y + 1) * scale;
            for (int sy = static_cast<int>(y0); sy < y1; ++sy)
                for (int sx = static_cast<int>(x0); sx < x1; ++sx) {
                    const double cover = (std::min<double>(x1, sx + 1) - std::max<double>(x0, sx)) *
                                         (std::min<double>(y1, sy + 1) - std::max<double>(y0, sy));
                    // The sample's bytes follow bit positions; the format says which is red.
                    Uint8 r, g, b;
                    SDL_GetRGB(readPixel(frame, left + sx, top + sy).pixel, frame->format, &r, &g, &b);
                    sum[0] += cover * r;
                    sum[1] += cover * g;
                    sum[2] += cover * b;
                }
            for (const double channel : sum)
                icon.rgba.push_back(static_cast<uint8_t>(std::lround(channel / (scale * scale))));
            const double edge = radius - std::hypot(x + 0.5 - radius, y + 0.5 - radius);
            icon.rgba.push_back(static_cast<uint8_t>(std::lround(255 * std::clamp(edge + 0.5, 0.0, 1.0))));
        }
    return icon;
}

SurfacePtr iconFrame(const std::string& bitmapDir) {
    SurfacePtr display = createDisplaySurface(DisplayFormat::xrgb8888, kAreaWidth, kAreaHeight);
    if (!display) throw ErrorMsg(std::string("couldn't create the display: ") + SDL_GetError());
    AppWindow window(display.get());
    window.scene = std::make_unique<FractalScene>(
        makeRenderer(RendererKind::fast, KernelVersion::baseline), bitmapDir);
    window.begin();
    SDL_Event down = keyRecord(SDL_KEYDOWN, SDLK_DOWN);
    window.dispatch(down);
    SilentHost host;
    for (int frame = 0; frame <= kFrame; ++frame) window.pass(host);
    return display;
}

RgbaImage programIcon(const SDL_Surface* frame, int size) {
    return iconFromFrame(frame, kLeft, kTop, kSide, size);
}
