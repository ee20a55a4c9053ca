// LiteralRenderer: the reference. One pixel at a time through the window's
// getPixel and putPixel, in the order that defines the picture.
#pragma once

#include "fractal/JuliaRenderer.h"

class LiteralRenderer final : public JuliaRenderer {
public:
    void render(AppWindow& window, const SurfaceHandle* slotA, const SurfaceHandle* slotB,
                float weight) override;
};
