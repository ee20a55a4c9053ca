// Feeding SDL's event queue from tests. Needs SDL video started (the dummy
// driver will do).
#pragma once

#include <SDL.h>

#include <stdexcept>

namespace testsupport {

inline void push(SDL_Event event) {
    if (SDL_PushEvent(&event) != 0) throw std::runtime_error("SDL event queue full");
}

inline void pushKey(Uint8 type, SDLKey key) {
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    push(e);
}

inline void pushMotion(Uint16 x, Uint16 y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    push(e);
}

inline void pushButton(Uint8 type, Uint16 x, Uint16 y, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    push(e);
}

inline void pushType(Uint8 type) {
    SDL_Event e{};
    e.type = type;
    push(e);
}

inline void pushQuit() { pushType(SDL_QUIT); }

// Throws away whatever SDL queued by itself, so a test sees only its own events.
inline void drainEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
}

}  // namespace testsupport
