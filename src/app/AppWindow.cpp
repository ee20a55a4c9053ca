#include "app/AppWindow.h"

#include <cstdlib>

#include "app/ErrorMsg.h"

namespace {

// The desktop: SDL's own event queue, and SDL_UpdateRect to show the frame.
class WindowHost final : public FrameHost {
public:
    bool nextEvent(SDL_Event& event) override { return SDL_PollEvent(&event) != 0; }
    void present(SDL_Surface* display, int32_t width, int32_t height) override {
        SDL_UpdateRect(display, 0, 0, width, height);
    }
};

}  // namespace

AppWindow::AppWindow(const std::string& title, int32_t w, int32_t h, int32_t bitsPerPixel,
                     bool fullScreen, const WindowIcon* icon)
    : icon(icon) {
    init(title, w, h, bitsPerPixel, fullScreen);
}

AppWindow::AppWindow(SDL_Surface* display)
    : width(display->w), height(display->h), screen(display) {}

// The scene goes first (it may still refer to the display); the display
// surface itself belongs to SDL, which frees it at shutdown.
AppWindow::~AppWindow() { scene.reset(); }

void AppWindow::init(const std::string& title, int32_t w, int32_t h, int32_t bitsPerPixel,
                     bool fullScreen) {
    // SDL shuts down at process exit, after every window is gone; once is enough.
    static const bool quitRegistered = (std::atexit(SDL_Quit), true);
    (void)quitRegistered;

    if (SDL_Init(SDL_INIT_VIDEO) < 0) throw ErrorMsg("Error Couldnt Initalize SDL!\n");
    // SDL 1.2 gives a window the icon it holds when the video mode opens it.
    if (icon != nullptr) setWindowIcon(*icon);

    const Uint32 flags = fullScreen ? SDL_FULLSCREEN : 0;  // 0: a software surface
    screen = SDL_SetVideoMode(w, h, bitsPerPixel, flags);
    if (screen == nullptr) throw ErrorMsg("Couldnt Set Display Mode!\n");

    SDL_WM_SetCaption(title.c_str(), title.c_str());
    width = w;
    height = h;
}

void AppWindow::run() {
    WindowHost host;
    begin();
    while (running) pass(host);
}

void AppWindow::begin() {
    running = true;
    scene->owner = this;
}

void AppWindow::pass(FrameHost& host) {
    if (!clearRectSet) {
        clearRect.x = 0;
        clearRect.y = 0;
        clearRect.w = static_cast<Uint16>(width);
        clearRect.h = static_cast<Uint16>(height);
        clearRectSet = true;
    }

    SDL_FillRect(screen, &clearRect, 0);
    scene->update();

    SDL_Event event;
    while (host.nextEvent(event)) dispatch(event);

    host.present(screen, width, height);
}

void AppWindow::dispatch(SDL_Event& event) {
    scene->onEvent(&event);
    switch (event.type) {
    case SDL_KEYDOWN:
        scene->onKeyDown(event.key.keysym.sym);
        break;
    case SDL_KEYUP:
        scene->onKeyUp(event.key.keysym.sym);
        break;
    case SDL_MOUSEMOTION:
        mouseX = event.motion.x;
        mouseY = event.motion.y;
        scene->onMouseMove(mouseX, mouseY);
        break;
    case SDL_MOUSEBUTTONDOWN:
        mouseX = event.button.x;
        mouseY = event.button.y;
        mouseButton = event.button.button;
        scene->onMouseButton(mouseX, mouseY, mouseButton);
        break;
    case SDL_QUIT:
        running = false;  // the pass still finishes: rest of the queue, then present
        break;
    default:
        break;
    }
}

void AppWindow::drawHook(const SurfaceHandle*, const SurfaceHandle*, int32_t, int32_t, int32_t,
                         int32_t, float) {}
