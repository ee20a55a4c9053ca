// FractalScene: owns the four bitmaps, lets Up and Down pick one of each pair,
// and every frame renders the Julia set over their mix with a growing weight.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/Scene.h"
#include "fractal/JuliaRenderer.h"
#include "surface/SurfaceHandle.h"

class FractalScene final : public Scene {
public:
    int32_t selectB = 0;        // which of imagesB is in use
    int32_t selectA = 0;        // which of imagesA is in use
    SurfaceHandle imagesA[2];   // "lsd.bmp", "logo.bmp"
    SurfaceHandle imagesB[2];   // "lsd2.bmp", "logo2.bmp"
    float blendWeight = 0.0f;   // never wrapped: past 1 the second bitmap enters negatively

    // Draws with `renderer` (makeRenderer's, or e.g. one that records what it
    // is asked to draw). Loads the four bitmaps from `directory` (the current
    // one when empty); throws ErrorMsg at the first that can't be loaded.
    explicit FractalScene(std::unique_ptr<JuliaRenderer> renderer, const std::string& directory = "");

    void onKeyDown(SDLKey key) override;
    void update() override;
    void draw(const SurfaceHandle* slotA, const SurfaceHandle* slotB, int32_t x0, int32_t y0,
              int32_t x1, int32_t y1, float weight) override;

    JuliaRenderer& renderer() { return *julia; }

private:
    std::unique_ptr<JuliaRenderer> julia;
};
