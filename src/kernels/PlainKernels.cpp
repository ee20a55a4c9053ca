// The plain twin of every fast kernel: one pixel at a time, with the
// reference's own functions (readPixel, escapeCount with its square root,
// mixChannel, wrapToByte, mapTrueColour). Every compiled version must give
// exactly these outputs; tests/test_renderers.cpp checks that kernel by kernel.
#include "julia/ExactShortcuts.h"
#include "julia/JuliaMaths.h"
#include "kernels/FastKernels.h"
#include "surface/PixelAccess.h"

namespace fastkernels {
namespace {

using namespace julia;

void readRow(const SDL_Surface* bitmap, int32_t y, ChannelRow out) {
    for (int32_t x = 0; x < kAreaWidth; ++x) {
        const PixelSample p = readPixel(bitmap, x, y);
        out.r[x] = p.r;
        out.g[x] = p.g;
        out.b[x] = p.b;
    }
}

void escapeCounts(const double* re0, double im0, Complex c, const FractalPixelByCount& table,
                  double* counts, double* fractalPixels) {
    for (int32_t x = 0; x < kAreaWidth; ++x) {
        const int n = escapeCount(Complex(re0[x], im0), c);
        counts[x] = n;
        fractalPixels[x] = table.lanes[n][0];
    }
}

bool shadeRow(const ShadeRow& row) {
    bool cleared = true;
    for (int32_t x = 0; x < kAreaWidth; ++x) {
        const double fractalPixel = row.fractalPixels[x];
        row.red[x] = mixChannel(row.aR[x], row.bR[x], row.weight, row.complement, fractalPixel);
        row.green[x] = mixChannel(row.aG[x], row.bG[x], row.weight, row.complement, fractalPixel);
        const float blue =
            mixChannel(row.aB[x], row.bB[x], row.weight, row.complement, fractalPixel);
        const uint8_t r = wrapToByte(row.red[x]), g = wrapToByte(row.green[x]),
                      b = wrapToByte(blue);
        if (row.pixels16 != nullptr)
            row.pixels16[x] = static_cast<uint16_t>(mapTrueColour(row.layout16, r, g, b));
        else
            row.colours[x] = uint32_t{r} << 16 | uint32_t{g} << 8 | b;
        if (row.coefficientRed != nullptr) {
            const double n = row.counts[x];
            cleared = cleared && sineClearOfPeaks(n, row.coefficientRed[x]) &&
                      sineClearOfPeaks(n, row.coefficientGreen[x]);
        }
    }
    return cleared;
}

void packTrueColour(const TrueColourLayout& layout, const uint32_t* colours, uint32_t* pixels) {
    for (int32_t x = 0; x < kAreaWidth; ++x) {
        const uint32_t c = colours[x];
        pixels[x] = mapTrueColour(layout, static_cast<uint8_t>(c >> 16),
                                  static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c));
    }
}

}  // namespace

// The floats' twin is shadeRow itself: where the float mix applies, it must
// give the reference's outputs.
const KernelTable plainKernels = {readRow, escapeCounts, shadeRow, shadeRow, packTrueColour};

}  // namespace fastkernels
