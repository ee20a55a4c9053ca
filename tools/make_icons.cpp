// make_icons: draws the program's icon from one of its own frames, rendered
// offscreen from the default bitmaps, as fractals-SIZE.png for each size
// given and fractals.ico (all of them) for Windows.
//
//   make_icons BITMAP_DIR OUT_DIR SIZE...
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Icon.h"
#include "app/AppWindow.h"
#include "app/ErrorMsg.h"
#include "fractal/FractalScene.h"
#include "scripted/DisplayFormat.h"
#include "scripted/ScriptedKeys.h"

namespace {

// Frame 150 with Down pressed first: rings over the sunburst, the fractal's
// bands at their edges. The square is centred on the rings.
constexpr int kFrame = 150;
constexpr int kLeft = 30, kTop = 20, kSide = 160;

class SilentHost final : public FrameHost {
public:
    bool nextEvent(SDL_Event&) override { return false; }
    void present(SDL_Surface*, int32_t, int32_t) override {}
};

SurfacePtr renderFrame(const std::string& bitmaps) {
    SurfacePtr display = createDisplaySurface(DisplayFormat::xrgb8888, kAreaWidth, kAreaHeight);
    if (!display) throw ErrorMsg(std::string("couldn't create the display: ") + SDL_GetError());
    AppWindow window(display.get());
    window.scene = std::make_unique<FractalScene>(
        makeRenderer(RendererKind::fast, KernelVersion::baseline), bitmaps);
    window.begin();
    SDL_Event down = keyRecord(SDL_KEYDOWN, SDLK_DOWN);
    window.dispatch(down);
    SilentHost host;
    for (int frame = 0; frame <= kFrame; ++frame) window.pass(host);
    return display;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush())
        throw ErrorMsg("couldn't write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 3; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty() ||
        std::any_of(sizes.begin(), sizes.end(), [](int s) { return s < 1 || s > 256; })) {
        std::fprintf(stderr, "usage: make_icons BITMAP_DIR OUT_DIR SIZE... (1 to 256)\n");
        return 2;
    }
    try {
        const SurfacePtr frame = renderFrame(argv[1]);
        std::vector<RgbaImage> icons;
        for (const int size : sizes) {
            icons.push_back(iconFromFrame(frame.get(), kLeft, kTop, kSide, size));
            writeFile(std::string(argv[2]) + "/fractals-" + std::to_string(size) + ".png",
                      pngBytes(icons.back()));
        }
        writeFile(std::string(argv[2]) + "/fractals.ico", icoBytes(icons));
    } catch (const ErrorMsg& error) {
        std::fprintf(stderr, "make_icons: %s\n", error.message.c_str());
        return 1;
    }
    return 0;
}
