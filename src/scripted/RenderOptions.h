// The command line of fractals-render, parsed apart from the rendering so
// that every rejection can be tested without running a frame.
#pragma once

#include <SDL.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "fractal/JuliaRenderer.h"
#include "scripted/DisplayFormat.h"

// A key pressed while frame `frame` handles its events; it shows from the next frame.
struct FrameKey {
    int frame = 0;
    SDLKey key = SDLK_UNKNOWN;
};

struct RenderOptions {
    std::string bitmapDir;  // --images: where the four bitmaps are; empty: the current directory
    int frames = 100;
    DisplayFormat format = DisplayFormat::xrgb8888;
    RendererKind renderer = RendererKind::fast;
    std::vector<FrameKey> keys;   // in frame order; same-frame keys keep their order
    std::vector<int> saveFrames;  // ascending, no repeats
    std::string outDir;
    bool digest = false;  // print one hash of every frame's pixels
    bool help = false;
    bool version = false;
};

// A command line that can't be run as written; what() says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program name. Throws UsageError.
RenderOptions parseRenderOptions(const std::vector<std::string>& args);

const char* renderUsage();

// "frame-00042.bmp"
std::string savedFrameName(int frame);
