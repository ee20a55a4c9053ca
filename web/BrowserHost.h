// BrowserHost: the frame pass's host in a web page. A visitor's keys arrive
// through SDL's event queue (WebMain pushes the page's key events there); a
// scripted run takes its keys from the script instead. Presenting converts
// the display to the canvas's RGBA bytes and hands them to the page.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "app/FrameHost.h"
#include "scripted/ScriptedKeys.h"

class BrowserHost final : public FrameHost {
public:
    BrowserHost(int32_t width, int32_t height);

    // From now on the keys come from `keys`, from frame 0; none: the visitor's.
    void useScript(std::optional<ScriptedKeys> keys);
    bool scripted() const { return script.has_value(); }

    bool nextEvent(SDL_Event& event) override;
    void present(SDL_Surface* display, int32_t width, int32_t height) override;

private:
    std::vector<uint8_t> rgba;  // sized once: no frame allocates
    std::optional<ScriptedKeys> script;
};
