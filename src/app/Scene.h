// Scene: the contract between the frame loop and the content it shows.
// Every operation defaults to doing nothing, so a scene overrides only what it uses.
#pragma once

#include <SDL.h>
#include <cstdint>

class AppWindow;
class SurfaceHandle;

class Scene {
public:
    AppWindow* owner = nullptr;  // set by the frame loop when it starts; not owning

    // The loop reads the event's type after onEvent returns, so rewriting the
    // record here changes which operation follows.
    virtual void onEvent(SDL_Event* /*event*/) {}
    virtual void onKeyDown(SDLKey /*key*/) {}
    virtual void onKeyUp(SDLKey /*key*/) {}
    virtual void update() {}
    virtual void onMouseMove(int32_t /*x*/, int32_t /*y*/) {}
    virtual void onMouseButton(int32_t /*x*/, int32_t /*y*/, int32_t /*button*/) {}
    // Called by the scene itself, never by the frame loop.
    virtual void draw(const SurfaceHandle* /*slotA*/, const SurfaceHandle* /*slotB*/,
                      int32_t /*x0*/, int32_t /*y0*/, int32_t /*x1*/, int32_t /*y1*/,
                      float /*weight*/) {}

    virtual ~Scene() = default;
};
