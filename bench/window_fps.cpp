// window_fps: the program's own window and frame loop (AppWindow::run with
// the fractal scene, presenting every frame) for a few seconds, counting
// frames. The scene is wrapped, not changed: the wrapper forwards to it,
// counts its updates and queues a quit when the time is up. The fast
// renderer runs the version of its kernels that FRACTALS_CPU names (the
// best this processor runs when unset), as the program does.
//
// Usage: window_fps <bitmap directory> [seconds] [fast|literal]
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/AppWindow.h"
#include "app/Demo.h"
#include "app/ErrorMsg.h"
#include "fractal/FractalScene.h"
#include "kernels/KernelVersions.h"

namespace {

using Clock = std::chrono::steady_clock;

class CountingScene final : public Scene {
public:
    CountingScene(std::unique_ptr<FractalScene> scene, double seconds)
        : inner(std::move(scene)), limit(seconds) {}

    void onKeyDown(SDLKey key) override { inner->onKeyDown(key); }
    void update() override {
        if (frames == 0) start = Clock::now();
        inner->owner = owner;
        inner->update();
        ++frames;
        if (!quitQueued && elapsed() >= limit) {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
            quitQueued = true;
        }
    }
    double elapsed() const { return std::chrono::duration<double>(Clock::now() - start).count(); }

    long frames = 0;

private:
    std::unique_ptr<FractalScene> inner;
    double limit;
    bool quitQueued = false;
    Clock::time_point start;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_fps <bitmap directory> [seconds] [fast|literal]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;
    const bool literal = argc > 3 && std::string(argv[3]) == "literal";
    try {
        const KernelVersion kernelVersion = versionFromEnvironment();
        AppWindow window("Fractals", kAreaWidth, kAreaHeight, 0, false);
        auto scene = std::make_unique<FractalScene>(
            makeRenderer(literal ? RendererKind::literal : RendererKind::fast, kernelVersion),
            argv[1]);
        auto counting = std::make_unique<CountingScene>(std::move(scene), seconds);
        CountingScene& counter = *counting;
        window.scene = std::move(counting);
        window.run();
        const double took = counter.elapsed();
        const std::string renderer =
            literal ? "literal" : std::string("fast (") + versionName(kernelVersion) + ")";
        std::printf(
            "%s renderer in a window (%d bits a pixel): %ld frames in %.2f s, %.0f frames/s\n",
            renderer.c_str(), window.screen->format->BitsPerPixel, counter.frames, took,
            counter.frames / took);
    } catch (const ErrorMsg& e) {
        std::fprintf(stderr, "%s\n", e.message.c_str());
        return 1;
    }
    return 0;
}
