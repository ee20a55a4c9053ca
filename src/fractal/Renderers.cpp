// Picks the renderer; the rest of the program never knows which one it has.
#include "fractal/FastRenderer.h"
#include "fractal/JuliaRenderer.h"
#include "fractal/LiteralRenderer.h"

std::unique_ptr<JuliaRenderer> makeRenderer(RendererKind kind, KernelVersion kernelVersion) {
    if (kind == RendererKind::literal) return std::make_unique<LiteralRenderer>();
    return std::make_unique<FastRenderer>(kernelVersion);
}
