// FastRenderer: the same frames as LiteralRenderer, bit for bit, and the same
// state after each, many times faster. Why it is exact:
//
// - The colour coefficients chain every pixel to the one before it (columns
//   outer, rows inner), but only through sin(n * coefficient * 0.01), and
//   that matters only when the sine is exactly +-1 (otherwise red and green
//   of the fractal colour are 0). So the frame is first shaded in bulk, row
//   by row and in SIMD, assuming red = green = 0 everywhere, which makes the
//   pixels independent. Each pixel's assumption is then checked against the
//   coefficients it would really be fed, by a test that rules out a sine of
//   +-1 without calling sin (ExactShortcuts.h). Pixels the test can't clear
//   are redone exactly with the reference maths, in the reference order,
//   carrying on pixel by pixel until one comes out as assumed (its red and
//   green v equal the bulk ones), after which the bulk results hold again.
// - The escape test compares the squared distance with the double just
//   above 16 instead of taking a square root (ExactShortcuts.h); SIMD lanes
//   run the reference's double operations in its order, FMA never used.
// - Channel bytes use a 32-bit conversion, which agrees with wrapToByte for
//   every float; colours are mapped by ColourMap, equal to SDL_MapRGB.
// - Displays it can't write directly (needing a lock, smaller than 320 x 240,
//   not 1 to 4 bytes per pixel) go through the reference renderer itself;
//   bitmaps of any kind are read row-wise with readPixel's results.
// Still one thread; its buffers are sized once, so no frame allocates.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <vector>

#include "fractal/FastKernels.h"
#include "fractal/JuliaRenderer.h"
#include "fractal/JuliaState.h"
#include "fractal/LiteralRenderer.h"
#include "surface/ColourMap.h"
#include "surface/PixelSample.h"

class FastRenderer final : public JuliaRenderer {
public:
    FastRenderer();

    void render(AppWindow& window, const SurfaceHandle* slotA, const SurfaceHandle* slotB,
                float weight) override;

    // Pixels of the last frame that the sine test couldn't clear (for the benchmark).
    size_t lastUnruledCount() const { return unruled.size(); }

private:
    struct Coefficients {
        double red, green;
    };

    static bool fastPathFits(const SDL_Surface* display);
    void renderByReference(AppWindow& window, const SurfaceHandle* slotA,
                           const SurfaceHandle* slotB, float weight);

    void prepareFrame(float weight);
    void shadeInBulk();
    void writeRow(int32_t y);
    void testFirstRow(Coefficients start);
    void settleUnruled(Coefficients start);
    struct PixelInputs {
        int32_t x, y;
        int n;  // escape count
        PixelSample a, b;
    };
    PixelInputs inputsAt(int32_t index) const;
    Coefficients assumedCoefficients(const PixelInputs& in) const;
    bool redoExactly(int32_t index, Coefficients& carried);

    // This frame's fixed values.
    FrameSetup frame;
    float weight = 0;
    const SDL_Surface* bitmapA = nullptr;
    const SDL_Surface* bitmapB = nullptr;
    SDL_Surface* display = nullptr;
    ColourMap colours;
    std::array<double, julia::kColumns> re0{};  // each column's start, a float widened
    std::array<double, julia::kRows> im0{};
    fastkernels::RawByCount rawTable{};  // fractal colour by escape count, red = green = 0
    fastkernels::ByteProducts products{};  // byte values times this frame's weight and complement

    // One row in flight; red and green v of the row above are kept as the
    // coefficients fed to this one.
    struct RowBuffers {
        std::array<uint8_t, julia::kColumns> aR, aG, aB, bR, bG, bB;
        std::array<double, julia::kColumns> counts, raw;
        // Two rows of red and green v, used in turn: the one being shaded and the one above.
        std::array<float, julia::kColumns> red[2], green[2];
        std::array<uint32_t, julia::kColumns> colours;  // channel bytes as 0xRRGGBB
        std::array<uint32_t, julia::kColumns> pixels;
        std::array<double, julia::kColumns> firstRowCounts;
    } row{};

    // Pixels (column-major index x * rows + y) whose assumption the test couldn't clear.
    std::vector<int32_t> unruled;

    LiteralRenderer reference;
};
