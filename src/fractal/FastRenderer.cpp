#include "fractal/FastRenderer.h"

#include <algorithm>

#include "app/AppWindow.h"
#include "julia/ExactShortcuts.h"
#include "julia/JuliaMaths.h"
#include "kernels/FastKernels.h"
#include "surface/PixelAccess.h"
#include "surface/SurfaceHandle.h"

using namespace julia;

namespace {

constexpr int32_t kPixels = kAreaWidth * kAreaHeight;
// Which of the two row buffers ends with row 239.
constexpr int kLastRowBuffer = (kAreaHeight - 1) % 2;

const SDL_Surface* surfaceOf(const SurfaceHandle* slot) {
    return slot != nullptr ? slot->surface() : nullptr;
}

// Whether the sine test clears a pixel fed these coefficients.
bool fedSinesClear(double n, double red, double green) {
    return sineClearOfPeaks(n, red) && sineClearOfPeaks(n, green);
}

}  // namespace

FastRenderer::FastRenderer(KernelVersion kernelVersion) : kernels(kernelsFor(kernelVersion)) {
    suspects.reserve(kPixels);
}

bool FastRenderer::fastPathFits(const SDL_Surface* s) {
    if (s == nullptr || s->format == nullptr || s->pixels == nullptr || needsLock(s)) return false;
    const int bytes = s->format->BytesPerPixel;
    return bytes >= 1 && bytes <= 4 && s->w >= kAreaWidth && s->h >= kAreaHeight &&
           s->pitch >= kAreaWidth * bytes;
}

// The reference writes such a display pixel by pixel, locking, clipping or
// throwing "Unknown BitDepth" as it must; it runs on this renderer's state,
// which is handed back even when it throws midway.
void FastRenderer::renderByReference(AppWindow& window, const SurfaceHandle* slotA,
                                     const SurfaceHandle* slotB, float w) {
    reference.state = state;
    try {
        reference.render(window, slotA, slotB, w);
    } catch (...) {
        state = reference.state;
        throw;
    }
    state = reference.state;
}

void FastRenderer::render(AppWindow& window, const SurfaceHandle* slotA,
                          const SurfaceHandle* slotB, float w) {
    if (!fastPathFits(window.screen)) return renderByReference(window, slotA, slotB, w);

    display = window.screen;
    bitmapA = surfaceOf(slotA);
    bitmapB = surfaceOf(slotB);
    const Coefficients start{state.redCoefficient, state.greenCoefficient};
    frame = state.beginFrame(w);
    prepareFrame(w);

    shadeInBulk();
    // The bulk pass left the last pixel's v in its row buffer: the state
    // after the frame, unless the last pixel is a suspect or follows one.
    state.redCoefficient = row.red[kLastRowBuffer][kAreaWidth - 1];
    state.greenCoefficient = row.green[kLastRowBuffer][kAreaWidth - 1];
    testFirstRow(start);
    redoSuspects(start);

    state.endFrame();
}

void FastRenderer::prepareFrame(float w) {
    weight = w;
    colours.prepare(display->format);
    for (int32_t x = 0; x < kAreaWidth; ++x) re0[x] = frame.startRe(x);
    for (int32_t y = 0; y < kAreaHeight; ++y) im0[y] = frame.startIm(y);
    double largestFractalPixel = 0;
    for (int n = 1; n <= kMaxIterations; ++n) {
        const double fractalPixel = colours.map(0, 0, fractalBlue(n));
        std::fill(std::begin(fractalPixelByCount.lanes[n]), std::end(fractalPixelByCount.lanes[n]),
                  fractalPixel);
        largestFractalPixel = std::max(largestFractalPixel, fractalPixel);
    }
    shade = mixExactInFloats(weight, frame.complement, largestFractalPixel)
                ? kernels.shadeRowInFloats
                : kernels.shadeRow;
    words = mixInWords(weight, frame.complement, largestFractalPixel);
    suspects.clear();
}

// Row by row, so the bitmaps and the display are walked in memory order.
// Pixel (x, y) is fed the coefficients of (x, y - 1), the row above; row 0
// is fed from the previous column's last row and is tested at the end.
void FastRenderer::shadeInBulk() {
    fastkernels::ShadeRow job;
    job.counts = row.counts.data();
    job.fractalPixels = row.fractalPixels.data();
    job.aR = row.aR.data(), job.aG = row.aG.data(), job.aB = row.aB.data();
    job.bR = row.bR.data(), job.bG = row.bG.data(), job.bB = row.bB.data();
    job.weight = weight;
    job.complement = frame.complement;
    job.words = words;
    // The usual 32-bit layout takes the colours as they are, and a 2-byte
    // true-colour display its pixel values from the kernel: both written in
    // place. Others take a pass of their own (writeRow).
    const bool direct = coloursArePixels(display->format);
    const bool direct16 = display->format->BytesPerPixel == 2 && colours.trueColour();
    job.layout16 = colours.layout();

    for (int32_t y = 0; y < kAreaHeight; ++y) {
        job.colours = direct ? reinterpret_cast<uint32_t*>(displayRow(y)) : row.colours.data();
        job.pixels16 = direct16 ? reinterpret_cast<uint16_t*>(displayRow(y)) : nullptr;
        kernels.readRow(bitmapA, y, {row.aR.data(), row.aG.data(), row.aB.data()});
        kernels.readRow(bitmapB, y, {row.bR.data(), row.bG.data(), row.bB.data()});
        kernels.escapeCounts(re0.data(), im0[y], frame.c, fractalPixelByCount, row.counts.data(),
                             row.fractalPixels.data());

        const float* aboveRed = row.red[(y + 1) % 2].data();
        const float* aboveGreen = row.green[(y + 1) % 2].data();
        job.red = row.red[y % 2].data();
        job.green = row.green[y % 2].data();
        job.coefficientRed = y > 0 ? aboveRed : nullptr;
        job.coefficientGreen = y > 0 ? aboveGreen : nullptr;
        if (!shade(job)) {
            for (int32_t x = 0; x < kAreaWidth; ++x) {
                if (!fedSinesClear(row.counts[x], aboveRed[x], aboveGreen[x]))
                    suspects.push_back(x * kAreaHeight + y);
            }
        }
        if (y == 0) row.firstRowCounts = row.counts;
        if (!direct && !direct16) writeRow(y);
    }
}

uint8_t* FastRenderer::displayRow(int32_t y) const {
    return static_cast<uint8_t*>(display->pixels) + static_cast<size_t>(y) * display->pitch;
}

void FastRenderer::writeRow(int32_t y) {
    if (colours.trueColour()) {
        kernels.packTrueColour(colours.layout(), row.colours.data(), row.pixels.data());
    } else {
        for (int32_t x = 0; x < kAreaWidth; ++x) {
            const uint32_t c = row.colours[x];
            row.pixels[x] = colours.map(static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                        static_cast<uint8_t>(c));
        }
    }

    storePixels(displayRow(y), display->format->BytesPerPixel, row.pixels.data(), kAreaWidth);
}

// Row 0 of column x is fed by row 239 of column x - 1 (whose v the row
// buffers still hold), and pixel (0, 0) by the state the frame began with.
void FastRenderer::testFirstRow(Coefficients start) {
    for (int32_t x = 0; x < kAreaWidth; ++x) {
        const double red = x == 0 ? start.red : row.red[kLastRowBuffer][x - 1];
        const double green = x == 0 ? start.green : row.green[kLastRowBuffer][x - 1];
        if (!fedSinesClear(row.firstRowCounts[x], red, green)) suspects.push_back(x * kAreaHeight);
    }
}

// In the reference's order: from each suspect, redo pixels exactly until
// one comes out as the bulk pass assumed; from there on the bulk results
// (and the tests made with them) hold until the next suspect.
void FastRenderer::redoSuspects(Coefficients start) {
    std::sort(suspects.begin(), suspects.end());
    size_t next = 0;
    while (next < suspects.size()) {
        int32_t index = suspects[next];
        Coefficients carried = index == 0 ? start : assumedCoefficients(inputsAt(index - 1));
        while (!redoExactly(index, carried) && index + 1 < kPixels) ++index;
        if (index == kPixels - 1) {
            state.redCoefficient = carried.red;
            state.greenCoefficient = carried.green;
        }
        while (next < suspects.size() && suspects[next] <= index) ++next;
    }
}

// What shading a pixel takes besides the coefficients it is fed.
FastRenderer::PixelInputs FastRenderer::inputsAt(int32_t index) const {
    PixelInputs in;
    in.x = index / kAreaHeight;
    in.y = index % kAreaHeight;
    in.n = escapeCount(Complex(re0[in.x], im0[in.y]), frame.c);
    in.a = readPixel(bitmapA, in.x, in.y);
    in.b = readPixel(bitmapB, in.x, in.y);
    return in;
}

// The red and green v the bulk pass gives a pixel: red = green = 0 assumed.
FastRenderer::Coefficients FastRenderer::assumedCoefficients(const PixelInputs& in) const {
    const double fractalPixel = fractalPixelByCount.lanes[in.n][0];
    return {mixChannel(in.a.r, in.b.r, weight, frame.complement, fractalPixel),
            mixChannel(in.a.g, in.b.g, weight, frame.complement, fractalPixel)};
}

// The reference's steps for one pixel, fed `carried`, which becomes the
// pixel's own red and green v. True when they equal the bulk pass's.
bool FastRenderer::redoExactly(int32_t index, Coefficients& carried) {
    const PixelInputs in = inputsAt(index);
    const ShadedPixel shaded = shadePixel(display->format, in.n, carried.red, carried.green, in.a,
                                          in.b, weight, frame.complement);
    writePixel(display, in.x, in.y, shaded.pixel);

    carried = {shaded.red, shaded.green};
    const Coefficients assumed = assumedCoefficients(in);
    return sameBits(carried.red, assumed.red) && sameBits(carried.green, assumed.green);
}
