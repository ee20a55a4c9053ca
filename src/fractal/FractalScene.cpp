#include "fractal/FractalScene.h"

#include "app/AppWindow.h"
#include "app/Demo.h"
#include "app/ErrorMsg.h"

#include <utility>

FractalScene::FractalScene(std::unique_ptr<JuliaRenderer> renderer, const std::string& directory)
    : julia(std::move(renderer)) {
    auto path = [&directory](const char* name) {
        return directory.empty() ? std::string(name) : directory + "/" + name;
    };
    // The two pairs report with differently capitalised messages, so a user
    // can tell which pair failed.
    if (!imagesA[1].load(path(kBitmapNamesA[1]))) throw ErrorMsg("Couldnt load Bitmap");
    if (!imagesA[0].load(path(kBitmapNamesA[0]))) throw ErrorMsg("Couldnt load Bitmap");
    if (!imagesB[1].load(path(kBitmapNamesB[1]))) throw ErrorMsg("Couldnt Load Bitmap");
    if (!imagesB[0].load(path(kBitmapNamesB[0]))) throw ErrorMsg("Couldnt Load Bitmap");
}

void FractalScene::onKeyDown(SDLKey key) {
    if (key == SDLK_DOWN) selectB = (selectB + 1) % 2;
    if (key == SDLK_UP) selectA = (selectA + 1) % 2;
}

void FractalScene::update() {
    draw(&imagesA[selectA], &imagesB[selectB], 0, 0, 640, 480, blendWeight);
    blendWeight += 0.5f;
}

// The area arguments are part of the interface but the renderer always
// covers the whole 320 x 240 display.
void FractalScene::draw(const SurfaceHandle* slotA, const SurfaceHandle* slotB, int32_t, int32_t,
                        int32_t, int32_t, float weight) {
    julia->render(*owner, slotA, slotB, weight);
}
