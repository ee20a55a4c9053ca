// AppWindow: starts SDL's video, opens the display, owns the scene and runs
// the frame loop. The single-pixel operations (getPixel, putPixel, crossFade)
// are defined with the rest of surface access, in src/surface.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <memory>
#include <string>

#include "app/FrameHost.h"
#include "app/PixelSample.h"
#include "app/Scene.h"
#include "app/WindowIcon.h"

class SurfaceHandle;

class AppWindow final {
public:
    bool running = false;
    int32_t width = 0;
    int32_t height = 0;
    SDL_Surface* screen = nullptr;  // belongs to SDL (or to whoever lent it); never freed here
    std::unique_ptr<Scene> scene;
    int32_t mouseX = 0, mouseY = 0;
    int32_t mouseButton = 0;

    // Starts SDL video and sets the video mode, the window carrying the icon
    // if one is given; throws ErrorMsg on failure.
    AppWindow(const std::string& title, int32_t width, int32_t height,
              int32_t bitsPerPixel, bool fullScreen, const WindowIcon* icon = nullptr);

    // A window around a display surface the caller owns, with no SDL video:
    // for offscreen rendering and tests. Passes run on it; run() does not.
    explicit AppWindow(SDL_Surface* display);

    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;
    ~AppWindow();

    virtual void init(const std::string& title, int32_t width, int32_t height,
                      int32_t bitsPerPixel, bool fullScreen);
    // The desktop's blocking frame loop: begin, then passes on SDL's queue
    // until SDL_QUIT.
    virtual void run();
    // Offered to scenes with the parameters of crossFade; does nothing.
    virtual void drawHook(const SurfaceHandle* slotA, const SurfaceHandle* slotB,
                          int32_t x0, int32_t y0, int32_t x1, int32_t y1, float weight);
    virtual void crossFade(const SurfaceHandle* slotA, const SurfaceHandle* slotB,
                           int32_t x0, int32_t y0, int32_t x1, int32_t y1, float weight);

    PixelSample getPixel(const SurfaceHandle* slot, int32_t x, int32_t y) const;
    void putPixel(int32_t x, int32_t y, uint32_t pixel);

    // What run does before its first pass: the loop is running and the
    // scene's owner is this window. Hosts that drive passes themselves call it.
    void begin();
    // One frame: clear the display, the scene's update, every event the host
    // has for this frame, present.
    void pass(FrameHost& host);

    // Hands one event to the scene exactly as the frame loop does.
    void dispatch(SDL_Event& event);

private:
    const WindowIcon* icon = nullptr;  // handed to SDL by init, before the video mode
    SDL_Rect clearRect{};  // fixed on the loop's first pass
    bool clearRectSet = false;
};
