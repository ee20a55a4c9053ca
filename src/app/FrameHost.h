// FrameHost: what differs between the places that run the frame pass. The
// pass itself (AppWindow::pass) is the same for the window, the offscreen
// renderer and the browser; its host says where a frame's events come from
// and what presenting the finished frame means there.
#pragma once

#include <SDL.h>
#include <cstdint>

class FrameHost {
public:
    virtual ~FrameHost() = default;

    // The frame's next event; false once it has none left.
    virtual bool nextEvent(SDL_Event& event) = 0;
    // Shows the finished display (width x height from its top-left corner).
    virtual void present(SDL_Surface* display, int32_t width, int32_t height) = 0;
};
