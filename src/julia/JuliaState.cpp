#include "julia/JuliaState.h"

FrameSetup JuliaState::beginFrame(float weight) {
    FrameSetup f;
    const double r = viewRadius;
    f.left = static_cast<float>(viewCentreX - r);
    const float right = static_cast<float>(viewCentreX + r);
    f.top = static_cast<float>(viewCentreY - r);
    const float bottom = static_cast<float>(viewCentreY + r);

    f.c = Complex(-juliaA, juliaB);  // this frame's constant is the one before the step
    juliaA += julia::kJuliaStep;
    if (juliaA > julia::kJuliaALimit) {
        juliaA = 0.0;
        juliaB += julia::kJuliaStep;
        if (juliaB > julia::kJuliaBLimit) juliaB = 0.0;
    }

    f.spanY = static_cast<float>(static_cast<double>(bottom) - f.top);
    f.spanX = static_cast<float>(static_cast<double>(right) - f.left);
    f.complement = static_cast<float>(1.0 - weight);
    return f;
}

void JuliaState::endFrame() {
    viewRadius = static_cast<float>(static_cast<double>(viewRadius) + julia::kRadiusStep);
    if (viewRadius > julia::kRadiusLimit) viewRadius = 0.0f;
}

bool sameBits(const JuliaState& a, const JuliaState& b) {
    return sameBits(a.viewCentreX, b.viewCentreX) && sameBits(a.viewCentreY, b.viewCentreY) &&
           sameBits(a.viewRadius, b.viewRadius) && sameBits(a.juliaA, b.juliaA) &&
           sameBits(a.juliaB, b.juliaB) && sameBits(a.redCoefficient, b.redCoefficient) &&
           sameBits(a.greenCoefficient, b.greenCoefficient);
}
