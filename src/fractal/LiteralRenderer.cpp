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
        const float re0 =
            static_cast<float>(static_cast<double>(x) * f.spanX * kColumnScale + f.left);
        for (int32_t y = 0; y < kAreaHeight; ++y) {
            const double im0 = static_cast<double>(y) * f.spanY * kRowScale + f.top;
            const Complex z0(re0, im0);
            const int n = escapeCount(z0, f.c);

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
