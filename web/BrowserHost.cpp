#include "BrowserHost.h"

#include <emscripten.h>

#include <utility>

#include "CanvasFrame.h"

// The page puts the bytes on its canvas (web/page.js).
EM_JS(void, showOnCanvas, (const uint8_t* rgba, int width, int height), {
    Module["showFrame"](HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});

BrowserHost::BrowserHost(int32_t width, int32_t height)
    : rgba(static_cast<size_t>(width) * height * 4) {}

void BrowserHost::useScript(std::optional<ScriptedKeys> keys) { script = std::move(keys); }

bool BrowserHost::nextEvent(SDL_Event& event) {
    if (script) return script->next(event);
    return SDL_PollEvent(&event) != 0;
}

void BrowserHost::present(SDL_Surface* display, int32_t width, int32_t height) {
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    if (rgba.size() < bytes) rgba.resize(bytes);  // only if the display outgrew the first size
    toCanvasRgba(display, width, height, rgba.data());
    showOnCanvas(rgba.data(), width, height);
    if (script) script->endFrame();
}
