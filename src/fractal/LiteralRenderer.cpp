#include "fractal/LiteralRenderer.h"

#include "app/AppWindow.h"
#include "julia/JuliaMaths.h"

using namespace julia;

void LiteralRenderer::render(AppWindow& window, const SurfaceHandle* slotA,
                             const SurfaceHandle* slotB, float weight) {
    const FrameSetup f = state.beginFrame(weight);
    SDL_PixelFormat* format = window.screen->format;

    // Columns outer, rows inner: the coefficients feed from pixel to pixel in this order.
    for (int32_t x = 0; x < kAreaWidth; ++x) {
        const float re0 = f.startRe(x);
        for (int32_t y = 0; y < kAreaHeight; ++y) {
            const int n = escapeCount(Complex(re0, f.startIm(y)), f.c);

            const PixelSample a = window.getPixel(slotA, x, y);
            const PixelSample b = window.getPixel(slotB, x, y);
            const ShadedPixel shaded =
                shadePixel(format, n, state.redCoefficient, state.greenCoefficient, a, b, weight,
                           f.complement);

            state.redCoefficient = shaded.red;
            state.greenCoefficient = shaded.green;
            window.putPixel(x, y, shaded.pixel);
        }
    }
    state.endFrame();
}
