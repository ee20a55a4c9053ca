#include "fractal/LiteralRenderer.h"

#include "app/AppWindow.h"
#include "fractal/JuliaMaths.h"
#include "surface/PixelAccess.h"

using namespace julia;

void LiteralRenderer::render(AppWindow& window, const SurfaceHandle* slotA,
                             const SurfaceHandle* slotB, float weight) {
    const FrameSetup f = state.beginFrame(weight);
    SDL_PixelFormat* format = window.screen->format;

    // Columns outer, rows inner: the coefficients feed from pixel to pixel in this order.
    for (int32_t x = 0; x < kColumns; ++x) {
        const float re0 = static_cast<float>(static_cast<double>(x) * f.spanX * kColumnScale + f.left);
        for (int32_t y = 0; y < kRows; ++y) {
            const double im0 = static_cast<double>(y) * f.spanY * kRowScale + f.top;
            const Complex z0(re0, im0);
            const int n = escapeCount(z0, f.c);

            const Uint32 fractalPixel =
                SDL_MapRGB(format, fractalRed(n, state.redCoefficient),
                           fractalGreen(n, state.greenCoefficient), fractalBlue(n));

            const PixelSample a = window.getPixel(slotA, x, y);
            const PixelSample b = window.getPixel(slotB, x, y);
            const double m = fractalPixel;
            const float red = mixChannel(a.r, b.r, weight, f.complement, m);
            const float green = mixChannel(a.g, b.g, weight, f.complement, m);
            const float blue = mixChannel(a.b, b.b, weight, f.complement, m);

            state.redCoefficient = red;
            state.greenCoefficient = green;

            window.putPixel(x, y, SDL_MapRGB(format, wrapToByte(red), wrapToByte(green),
                                             wrapToByte(blue)));
        }
    }
    state.endFrame();
}
