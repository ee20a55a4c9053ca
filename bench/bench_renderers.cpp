// bench_renderers: frames 0-999 of the scene's use of the renderer (the
// first bitmap of each pair, the weight growing by halves) rendered by the
// literal renderer and by the fast one with each version of its kernels, on
// every display format, taking turns frame by frame so all meet the same
// machine conditions. Prints, per format and version, frames per second of
// the fast and the literal renderer, their ratio, and the fast renderer's
// milliseconds per frame; checks every frame of each is identical to the
// literal one on the way. The versions are those this processor can run, or
// the one FRACTALS_CPU names.
//
// Usage: bench_renderers [bitmap directory] [frames]
// The directory holds lsd.bmp and lsd2.bmp (the demo's defaults are drawn
// into the build's demo folder); without one, generated bitmaps are used.
#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "app/ErrorMsg.h"
#include "fractal/FastRenderer.h"
#include "fractal/LiteralRenderer.h"
#include "kernels/KernelVersions.h"
#include "scripted/DisplayFormat.h"
#include "surface/SurfaceHandle.h"

namespace {

using Clock = std::chrono::steady_clock;

// Bold areas of full and zero channels with some part-strength ones, like
// the demo's bitmaps, in the 24-bit layout a BMP loads as.
bool generatedBitmap(SurfaceHandle& handle, uint32_t seed) {
    SurfacePtr s = createDisplaySurface(DisplayFormat::rgb888, kAreaWidth, kAreaHeight);
    if (!s) return false;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            uint32_t h = seed ^ (static_cast<uint32_t>(x / 16) * 0x9E3779B1u) ^
                         (static_cast<uint32_t>(y / 12) * 0x85EBCA77u);
            h ^= h >> 15;
            h *= 0x2C1B3C6Du;
            h ^= h >> 12;
            uint8_t* p = static_cast<uint8_t*>(s->pixels) + y * s->pitch + 3 * x;
            for (int c = 0; c < 3; ++c)
                p[c] = (h >> (8 * c)) & 1 ? 255 : ((h >> (8 * c + 1)) & 3) * 20;
        }
    return handle.adopt(s.release());
}

bool sameFrame(const SDL_Surface* a, const SDL_Surface* b) {
    for (int y = 0; y < a->h; ++y)
        if (std::memcmp(static_cast<const uint8_t*>(a->pixels) + y * a->pitch,
                        static_cast<const uint8_t*>(b->pixels) + y * b->pitch,
                        a->w * a->format->BytesPerPixel) != 0)
            return false;
    return true;
}

// One fast renderer with its own display, and what it measured.
struct FastRun {
    KernelVersion kernelVersion;
    SurfacePtr display;
    std::unique_ptr<AppWindow> window;
    std::unique_ptr<FastRenderer> renderer;
    Clock::duration time{};
    size_t suspects = 0;
    bool identical = true;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? argv[1] : "";
    const int frames = argc > 2 ? std::atoi(argv[2]) : 1000;
    std::vector<KernelVersion> versions;
    try {
        versions = versionsFromEnvironment();
    } catch (const ErrorMsg& e) {
        std::fprintf(stderr, "%s\n", e.message.c_str());
        return 2;
    }

    SurfaceHandle imageA, imageB;
    if (directory.empty()) {
        if (!generatedBitmap(imageA, 1) || !generatedBitmap(imageB, 2)) return 1;
    } else if (!imageA.load(directory + "/lsd.bmp") || !imageB.load(directory + "/lsd2.bmp")) {
        std::fprintf(stderr, "cannot load lsd.bmp and lsd2.bmp from %s\n", directory.c_str());
        return 1;
    }

    std::printf("frames 0-%d, 320 x 240, bitmaps: %s\n", frames - 1,
                directory.empty() ? "generated" : directory.c_str());
    std::printf("%-9s %-9s %10s %12s %8s %14s %9s %10s\n", "format", "version", "fast fps",
                "literal fps", "ratio", "fast ms/frame", "suspects", "identical");
    bool allIdentical = true;
    for (DisplayFormat format : kAllDisplayFormats) {
        SurfacePtr literalDisplay = createDisplaySurface(format, kAreaWidth, kAreaHeight);
        if (!literalDisplay) return 1;
        AppWindow literalWindow(literalDisplay.get());
        LiteralRenderer literal;
        std::vector<FastRun> runs;
        for (KernelVersion set : versions) {
            FastRun run;
            run.kernelVersion = set;
            run.display = createDisplaySurface(format, kAreaWidth, kAreaHeight);
            if (!run.display) return 1;
            run.window = std::make_unique<AppWindow>(run.display.get());
            run.renderer = std::make_unique<FastRenderer>(set);
            runs.push_back(std::move(run));
        }

        Clock::duration literalTime{};
        float weight = 0.0f;
        for (int i = 0; i < frames; ++i, weight += 0.5f) {
            const Clock::time_point start = Clock::now();
            literal.render(literalWindow, &imageA, &imageB, weight);
            literalTime += Clock::now() - start;
            for (FastRun& run : runs) {
                const Clock::time_point t0 = Clock::now();
                run.renderer->render(*run.window, &imageA, &imageB, weight);
                run.time += Clock::now() - t0;
                run.suspects += run.renderer->lastSuspectCount();
                run.identical = run.identical &&
                                sameFrame(run.display.get(), literalDisplay.get()) &&
                                sameBits(run.renderer->state, literal.state);
            }
        }
        const double literalSeconds = std::chrono::duration<double>(literalTime).count();
        for (const FastRun& run : runs) {
            const double fastSeconds = std::chrono::duration<double>(run.time).count();
            std::printf("%-9s %-9s %10.1f %12.1f %8.1f %14.3f %9zu %10s\n", formatName(format),
                        versionName(run.kernelVersion), frames / fastSeconds,
                        frames / literalSeconds, literalSeconds / fastSeconds,
                        1000.0 * fastSeconds / frames, run.suspects, run.identical ? "yes" : "NO");
            allIdentical = allIdentical && run.identical;
        }
        std::fflush(stdout);
    }
    return allIdentical ? 0 : 1;
}
