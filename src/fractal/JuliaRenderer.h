// JuliaRenderer: draws one frame of the animated Julia set over the mix of
// two bitmaps onto the window's display, and owns the animation state.
#pragma once

#include <memory>

#include "julia/JuliaState.h"
#include "kernels/KernelVersions.h"

class AppWindow;
class SurfaceHandle;

enum class RendererKind {
    literal,  // the plain one-pixel-at-a-time statement of the maths
    fast,     // the optimised renderer, bit-identical to the literal one
};

class JuliaRenderer {
public:
    virtual ~JuliaRenderer() = default;

    // Covers the whole 320 x 240 area; `weight` scales slotA, 1 - weight slotB.
    virtual void render(AppWindow& window, const SurfaceHandle* slotA,
                        const SurfaceHandle* slotB, float weight) = 0;

    JuliaState state;
};

// The fast renderer runs the kernels of `kernelVersion`; the literal one has none.
std::unique_ptr<JuliaRenderer> makeRenderer(RendererKind kind, KernelVersion kernelVersion);
