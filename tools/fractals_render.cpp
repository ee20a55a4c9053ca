// fractals-render: runs the real fractal scene and renderer on an offscreen
// display, frame by frame as the window's loop does, with scripted key
// presses; saves chosen frames as BMP files and reports the frame rate.
#include <SDL.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "app/AppWindow.h"
#include "app/Demo.h"
#include "app/ErrorMsg.h"
#include "fractal/FractalScene.h"
#include "kernels/KernelVersions.h"
#include "scripted/DisplayFormat.h"
#include "scripted/FrameDigest.h"
#include "scripted/RenderOptions.h"
#include "scripted/ScriptedKeys.h"

namespace {

// Offscreen: the frame's events are the scripted keys, and there is nothing
// to present. Each key is reported once the scene has handled it, that is at
// the next request for an event.
class RenderHost final : public FrameHost {
public:
    RenderHost(const RenderOptions& options, const FractalScene& scene)
        : keys(options.keys), scene(scene) {}

    bool nextEvent(SDL_Event& event) override {
        reportHandledKey();
        if (!keys.next(event)) return false;
        handled = event.key.keysym.sym;
        return true;
    }
    void present(SDL_Surface*, int32_t, int32_t) override { keys.endFrame(); }

private:
    void reportHandledKey() {
        if (handled == SDLK_UNKNOWN) return;
        std::printf("frame %d: %s, bitmaps from frame %d on: %s and %s\n", keys.frame(),
                    handled == SDLK_UP ? "Up" : "Down", keys.frame() + 1,
                    kBitmapNamesA[scene.selectA], kBitmapNamesB[scene.selectB]);
        handled = SDLK_UNKNOWN;
    }

    ScriptedKeys keys;
    const FractalScene& scene;
    SDLKey handled = SDLK_UNKNOWN;
};

std::string withoutTrailingNewlines(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

namespace fs = std::filesystem;

// A frame file exists whole or not at all: SDL writes it under a temporary
// name in the same folder, renamed once complete, removed on failure (a full
// disk would otherwise leave part of a frame under the frame's own name).
void saveFrame(SDL_Surface* display, const std::string& path) {
    const std::string partial = path + ".part";
    std::string failure;
    if (SDL_RWops* out = SDL_RWFromFile(partial.c_str(), "wb")) {
        if (SDL_SaveBMP_RW(display, out, 0) != 0) failure = SDL_GetError();
        const int end = SDL_RWtell(out);
        SDL_RWclose(out);
        // SDL's close doesn't report a last write that failed; the size on disk shows it.
        std::error_code error;
        if (failure.empty() && fs::file_size(partial, error) != static_cast<uintmax_t>(end))
            failure = "the file was cut short";
    } else {
        failure = SDL_GetError();
    }
    std::error_code error;
    if (failure.empty()) {
        fs::rename(partial, path, error);
        if (!error) return;
        failure = error.message();
    }
    fs::remove(partial, error);
    throw ErrorMsg("Couldnt save " + path + ": " + failure);
}

// Whatever the tool printed must have reached standard output: a write that
// failed, now or at an earlier flush, fails the run.
bool standardOutputWritten() {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    const int reason = errno;
    std::cerr << "fractals-render: couldn't write to standard output"
              << (reason != 0 ? std::string(": ") + std::strerror(reason) : std::string()) << "\n";
    return false;
}

int render(const RenderOptions& options, KernelVersion kernelVersion) {
    SurfacePtr display = createDisplaySurface(options.format, kAreaWidth, kAreaHeight);
    if (!display) throw ErrorMsg("Couldnt create the display surface: " + std::string(SDL_GetError()));
    AppWindow window(display.get());  // declared after the display, so destroyed before it

    auto owned = std::make_unique<FractalScene>(makeRenderer(options.renderer, kernelVersion),
                                                options.bitmapDir);
    RenderHost host(options, *owned);
    window.scene = std::move(owned);
    window.begin();

    if (!options.saveFrames.empty()) fs::create_directories(options.outDir);

    const std::string renderer =
        options.renderer == RendererKind::fast
            ? std::string("fast renderer (") + versionName(kernelVersion) + ")"
            : std::string("literal renderer");
    std::printf("%d frames of %d x %d, %s display, %s, bitmaps from %s\n", options.frames,
                kAreaWidth, kAreaHeight, formatName(options.format), renderer.c_str(),
                options.bitmapDir.empty() ? "the current directory" : options.bitmapDir.c_str());

    using Clock = std::chrono::steady_clock;
    Clock::duration rendering{};
    auto nextSave = options.saveFrames.begin();
    FrameDigest digest;

    for (int frame = 0; frame < options.frames; ++frame) {
        const Clock::time_point start = Clock::now();
        window.pass(host);
        rendering += Clock::now() - start;
        if (options.digest) digest.add(display.get());

        if (nextSave != options.saveFrames.end() && *nextSave == frame) {
            const std::string path = (fs::path(options.outDir) / savedFrameName(frame)).string();
            saveFrame(display.get(), path);
            std::printf("frame %d: saved %s\n", frame, path.c_str());
            ++nextSave;
        }
    }

    if (options.digest) std::printf("digest: %s\n", digest.hex().c_str());
    const double seconds = std::chrono::duration<double>(rendering).count();
    std::printf("%d frames in %.3f s: %.1f frames/s\n", options.frames, seconds,
                seconds > 0 ? options.frames / seconds : 0.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    KernelVersion kernelVersion = KernelVersion::baseline;
    try {
        options = parseRenderOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (!options.help && !options.version) kernelVersion = versionFromEnvironment();
    } catch (const UsageError& error) {
        std::cerr << "fractals-render: " << error.what() << "\n\n" << renderUsage();
        return 2;
    } catch (const ErrorMsg& error) {  // FRACTALS_CPU
        std::cerr << "fractals-render: " << error.message << "\n\n" << renderUsage();
        return 2;
    }
    if (options.help) {
        std::cout << renderUsage();
        return standardOutputWritten() ? 0 : 1;
    }
    if (options.version) {
        std::cout << "fractals-render " FRACTALS_VERSION "\n";
        return standardOutputWritten() ? 0 : 1;
    }

    int status = 1;
    try {
        status = render(options, kernelVersion);
    } catch (const ErrorMsg& error) {
        std::fflush(stdout);
        std::cerr << "fractals-render: " << withoutTrailingNewlines(error.message) << "\n";
    } catch (const std::exception& error) {  // out of memory, or the output directory
        std::fflush(stdout);
        std::cerr << "fractals-render: " << error.what() << "\n";
    }
    return standardOutputWritten() ? status : 1;
}
