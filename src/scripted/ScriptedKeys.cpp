#include "scripted/ScriptedKeys.h"

#include <utility>

ScriptedKeys::ScriptedKeys(std::vector<FrameKey> frameKeys) : keys(std::move(frameKeys)) {}

SDL_Event keyRecord(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    return event;
}

bool ScriptedKeys::next(SDL_Event& event) {
    if (nextKey == keys.size() || keys[nextKey].frame != current) return false;
    event = keyRecord(SDL_KEYDOWN, keys[nextKey++].key);
    return true;
}
