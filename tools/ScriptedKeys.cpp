#include "ScriptedKeys.h"

#include <utility>

ScriptedKeys::ScriptedKeys(std::vector<FrameKey> frameKeys) : keys(std::move(frameKeys)) {}

bool ScriptedKeys::next(SDL_Event& event) {
    if (nextKey == keys.size() || keys[nextKey].frame != current) return false;
    event = SDL_Event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = keys[nextKey++].key;
    return true;
}
