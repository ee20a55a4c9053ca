// The demo in a web page: the browser's entry points. The page writes the
// four bitmaps into the in-memory file system and calls fractals_start; the
// browser's main loop then runs one frame pass per turn, unthrottled, as the
// desktop loop runs. The page's arrow keys reach SDL's event queue.
//
// A page address with frames=N (and keys=F:up,...) renders exactly N frames
// with those keys, then logs "digest: HEX" as fractals-render --digest does.
#include <SDL.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BrowserHost.h"
#include "app/AppWindow.h"
#include "app/Demo.h"
#include "app/ErrorBox.h"
#include "app/ErrorMsg.h"
#include "fractal/FractalScene.h"
#include "kernels/KernelVersions.h"
#include "scripted/FrameDigest.h"
#include "scripted/RenderOptions.h"
#include "scripted/ScriptedKeys.h"

namespace {

// The page shows the result and keeps it for scripts (web/page.js).
EM_JS(void, reportDigest, (int frames, const char* hex), {
    Module["showDigest"](frames, UTF8ToString(hex));
});

class WebDemo {
public:
    // (Re)starts the scene on the bitmaps in `directory`; `frames` and `keys`
    // as the page address gave them (empty when absent).
    void start(const std::string& directory, const std::string& frames, const std::string& keys) {
        stop();
        try {
            const std::optional<RenderOptions> script = scriptFrom(frames, keys);
            if (!window) {
                // The browser has no SDL display of its own: the dummy driver
                // keeps the display in memory and the host shows it. 32 bits,
                // as the desktop has on a true-colour display.
                setenv("SDL_VIDEODRIVER", "dummy", 1);
                window =
                    std::make_unique<AppWindow>("Fractals", kAreaWidth, kAreaHeight, 32, false);
            }
            window->scene.reset();  // the old scene's bitmaps go before the new ones load
            // WebAssembly has one version of the kernels: nothing to choose.
            window->scene = std::make_unique<FractalScene>(
                makeRenderer(RendererKind::fast, KernelVersion::baseline), directory);
            window->begin();

            SDL_Event stale;
            while (SDL_PollEvent(&stale)) {
            }
            framesWanted = script ? script->frames : 0;
            framesDone = 0;
            digest = FrameDigest();
            passMs = 0;
            host.useScript(script ? std::optional<ScriptedKeys>(script->keys) : std::nullopt);
        } catch (const ErrorMsg& error) {
            return showError(error.message);
        } catch (const std::exception& error) {  // a bad address, or out of memory
            return showError(error.what());
        }
        emscripten_set_main_loop_arg(&WebDemo::turn, this, 0, 0);
        emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
        looping = true;
    }

    void keyEvent(Uint8 type, SDLKey key) {
        if (!looping || host.scripted()) return;
        SDL_Event event = keyRecord(type, key);
        SDL_PushEvent(&event);
    }

private:
    static std::optional<RenderOptions> scriptFrom(const std::string& frames, const std::string& keys) {
        if (frames.empty() && keys.empty()) return std::nullopt;
        std::vector<std::string> args = {"--digest"};
        if (!frames.empty()) args.insert(args.end(), {"--frames", frames});
        if (!keys.empty()) args.insert(args.end(), {"--keys", keys});
        return parseRenderOptions(args);
    }

    // One turn of the browser's main loop: one frame pass, and in a scripted
    // run its share of the digest.
    static void turn(void* self) { static_cast<WebDemo*>(self)->takeTurn(); }

    void takeTurn() {
        try {
            const double begin = emscripten_get_now();
            if (framesDone == 0) runStartMs = begin;
            window->pass(host);
            passMs += emscripten_get_now() - begin;
            if (framesWanted > 0) {
                digest.add(window->screen);
                if (++framesDone == framesWanted) finish();
            }
            if (!window->running) stop();
        } catch (const ErrorMsg& error) {
            stop();
            showError(error.message);
        } catch (const std::exception& error) {
            stop();
            showError(error.what());
        }
    }

    void finish() {
        stop();
        const std::string hex = digest.hex();
        std::printf("digest: %s\n", hex.c_str());
        // As fractals-render counts: the passes alone. The whole run adds the
        // digest and the browser's own turns between passes.
        const double runMs = emscripten_get_now() - runStartMs;
        std::printf("%d frames in %.3f s: %.1f frames/s (%.1f frames/s over the whole run)\n",
                    framesDone, passMs / 1000, passMs > 0 ? framesDone * 1000 / passMs : 0.0,
                    runMs > 0 ? framesDone * 1000 / runMs : 0.0);
        reportDigest(framesDone, hex.c_str());
    }

    void stop() {
        if (looping) emscripten_cancel_main_loop();
        looping = false;
    }

    std::unique_ptr<AppWindow> window;  // SDL starts once, with the first scene
    BrowserHost host{kAreaWidth, kAreaHeight};
    bool looping = false;
    int framesWanted = 0;  // 0: until the page goes away
    int framesDone = 0;
    FrameDigest digest;
    double passMs = 0;      // time spent in passes, in milliseconds
    double runStartMs = 0;  // when the first pass began
};

WebDemo& demo() {
    static WebDemo instance;
    return instance;
}

EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
    SDLKey key;
    switch (event->keyCode) {
    case 38: key = SDLK_UP; break;
    case 40: key = SDLK_DOWN; break;
    default: return EM_FALSE;  // not the demo's: the page keeps it
    }
    // SDL 1.2 starts without key repeat: a held key is one press.
    if (!event->repeat)
        demo().keyEvent(eventType == EMSCRIPTEN_EVENT_KEYDOWN ? SDL_KEYDOWN : SDL_KEYUP, key);
    return EM_TRUE;  // the arrows don't scroll the page
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void fractals_start(const char* directory, const char* frames, const char* keys) {
    static const bool listening =
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, false, onKey) ==
            EMSCRIPTEN_RESULT_SUCCESS &&
        emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, false, onKey) ==
            EMSCRIPTEN_RESULT_SUCCESS;
    (void)listening;
    demo().start(directory, frames, keys);
}

}
