// ScriptedKeys: key presses from a script instead of a keyboard, for
// fractals-render and the browser's scripted runs. Frames count from 0; each
// key is handed out, as the SDL_KEYDOWN record SDL would queue, while its
// frame takes its events.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <vector>

#include "scripted/RenderOptions.h"

// A key's press or release as SDL queues it, so the scene sees the record a
// keyboard would give.
SDL_Event keyRecord(Uint8 type, SDLKey key);

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
