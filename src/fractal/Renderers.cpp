// Picks the renderer; the rest of the program never knows which one it has.
#include "fractal/JuliaRenderer.h"
#include "fractal/LiteralRenderer.h"

std::unique_ptr<JuliaRenderer> makeRenderer(RendererKind kind) {
    switch (kind) {
    case RendererKind::literal:
    case RendererKind::fast:  // the fast renderer arrives later; until then, the reference
        return std::make_unique<LiteralRenderer>();
    }
    return std::make_unique<LiteralRenderer>();
}
