// FastRenderer: the same frames as LiteralRenderer, bit for bit, and the same
// state after each, many times faster. Why it is exact:
//
// - The colour coefficients chain every pixel to the one before it (columns
//   outer, rows inner), but only through sin(n * coefficient * 0.01), and
//   that matters only when the sine is exactly +-1 (otherwise red and green
//   of the fractal colour are 0). So the frame is first shaded in bulk, row
//   by row and in SIMD, assuming red = green = 0 everywhere, which makes the
//   pixels independent. Then the sine test (ExactShortcuts.h) checks every
//   pixel's assumption against the coefficients it would really be fed,
//   without calling sin. A pixel it can't clear is a suspect: suspects are
//   redone with the reference maths, in the reference order, carrying on
//   pixel by pixel until one comes out as assumed (its red and green v equal
//   the bulk ones), after which the bulk results hold again.
// - The escape test compares the squared distance with the double just
//   above 16 instead of taking a square root (ExactShortcuts.h); SIMD lanes
//   run the reference's double operations in its order, FMA never used.
// - The bitmaps' mix runs in floats, twice the lanes, in frames where
//   mixExactInFloats (ExactShortcuts.h) shows each step exact or rounded as
//   the reference rounds it; in doubles otherwise. SSE2 and WebAssembly form
//   it from integers where mixInWords gives 16-bit weights.
// - Channel bytes use a 32-bit conversion, which agrees with wrapToByte for
//   every float; colours are mapped by ColourMap, equal to SDL_MapRGB.
// - Displays it can't write directly (needing a lock, smaller than 320 x 240,
//   not 1 to 4 bytes per pixel) go through the reference renderer itself;
//   bitmaps of any kind are read row-wise with readPixel's results.
//
// How the reference's column order meets the bulk pass's row order. Each
// cell names the pixel whose red and green v feed pixel (x, y):
//
//             x = 0     x = 1      x = 2
//   y = 0     start     (0, 239)   (1, 239)  ...   <- tested last
//   y = 1     (0, 0)    (1, 0)     (2, 0)    ...
//   y = 2     (0, 1)    (1, 1)     (2, 1)    ...
//   ...
//   y = 239   (0, 238)  (1, 238)   (2, 238)  ...
//
// The bulk pass shades rows top to bottom, so from row 1 on a pixel's feeder
// is the pixel above, shaded one row earlier, and each row is tested as it
// is shaded. Row 0's feeders are the feet of the columns, shaded last, so
// testFirstRow tests it at the end; "start" is the state the frame began
// with. Suspects are then redone in the reference's order, so each redone
// pixel feeds the next one exactly.
//
// Still one thread; its buffers are sized once, so no frame allocates.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <vector>

#include "app/PixelSample.h"
#include "fractal/JuliaRenderer.h"
#include "fractal/LiteralRenderer.h"
#include "julia/JuliaState.h"
#include "kernels/FastKernels.h"
#include "kernels/KernelVersions.h"
#include "surface/ColourMap.h"

class FastRenderer final : public JuliaRenderer {
public:
    // Throws ErrorMsg if this processor can't run that version of the kernels.
    explicit FastRenderer(KernelVersion kernelVersion);

    void render(AppWindow& window, const SurfaceHandle* slotA, const SurfaceHandle* slotB,
                float weight) override;

    // Suspects of the last frame (for the benchmark and tests).
    size_t lastSuspectCount() const { return suspects.size(); }

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
    uint8_t* displayRow(int32_t y) const;
    void testFirstRow(Coefficients start);
    void redoSuspects(Coefficients start);
    struct PixelInputs {
        int32_t x, y;
        int n;  // escape count
        PixelSample a, b;
    };
    PixelInputs inputsAt(int32_t index) const;
    Coefficients assumedCoefficients(const PixelInputs& in) const;
    bool redoExactly(int32_t index, Coefficients& carried);

    const fastkernels::KernelTable& kernels;

    // This frame's fixed values.
    FrameSetup frame;
    float weight = 0;
    const SDL_Surface* bitmapA = nullptr;
    const SDL_Surface* bitmapB = nullptr;
    SDL_Surface* display = nullptr;
    ColourMap colours;
    std::array<double, kAreaWidth> re0{};  // each column's start, a float widened
    std::array<double, kAreaHeight> im0{};
    fastkernels::FractalPixelByCount fractalPixelByCount{};  // red = green = 0
    bool (*shade)(const fastkernels::ShadeRow&) = nullptr;  // in floats where that is exact
    julia::WordWeights words;  // and from integers where they fit

    // One row in flight; red and green v of the row above are kept as the
    // coefficients fed to this one.
    struct RowBuffers {
        std::array<uint8_t, kAreaWidth> aR, aG, aB, bR, bG, bB;
        std::array<double, kAreaWidth> counts, fractalPixels;
        // Two rows of red and green v, used in turn: the one being shaded and the one above.
        std::array<float, kAreaWidth> red[2], green[2];
        std::array<uint32_t, kAreaWidth> colours;  // channel bytes as 0xRRGGBB
        std::array<uint32_t, kAreaWidth> pixels;
        std::array<double, kAreaWidth> firstRowCounts;
    } row{};

    // Suspects, by column-major index x * rows + y.
    std::vector<int32_t> suspects;

    LiteralRenderer reference;
};
