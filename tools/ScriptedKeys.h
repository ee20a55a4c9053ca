// ScriptedKeys: key presses from a script instead of a keyboard, for
// fractals-render and the browser's scripted runs. Frames count from 0; each
// key is handed out, as the SDL_KEYDOWN record SDL would queue, while its
// frame takes its events.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <vector>

#include "RenderOptions.h"

class ScriptedKeys {
public:
    ScriptedKeys() = default;
    explicit ScriptedKeys(std::vector<FrameKey> keys);  // in frame order

    // The current frame's next key; false once it has none left.
    bool next(SDL_Event& event);
    // On to the next frame.
    void endFrame() { ++current; }
    int frame() const { return current; }

private:
    std::vector<FrameKey> keys;
    size_t nextKey = 0;
    int current = 0;
};
