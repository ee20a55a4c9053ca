// Fractals: opens the window, runs the fractal scene, and reports any failure
// in one blocking box. Exit status 0 when the window is closed, 1 after a failure.
#include <SDL.h>  // first: where SDL has a start-up shim, it takes over main

#include <exception>
#include <memory>

#include "app/AppWindow.h"
#include "app/Demo.h"
#include "app/ErrorBox.h"
#include "app/ErrorMsg.h"
#include "app/WindowIcon.h"
#include "fractal/FractalScene.h"
#include "kernels/KernelVersions.h"

// On Windows SDL gives the window the executable's own icon (the resource
// SDL_app, every size of it); elsewhere the program hands over the one
// compiled in.
#ifdef _WIN32
const WindowIcon* const kIcon = nullptr;
#else
const WindowIcon* const kIcon = &kWindowIcon;
#endif

int main(int, char**) {
    try {
        const KernelVersion kernelVersion = versionFromEnvironment();
        AppWindow window("Fractals", kAreaWidth, kAreaHeight, 0, false, kIcon);
        window.scene =
            std::make_unique<FractalScene>(makeRenderer(RendererKind::fast, kernelVersion));
        window.run();
    } catch (const ErrorMsg& error) {
        showError(error.message);
        return 1;
    } catch (const std::exception& error) {  // out of memory, for one
        showError(error.what());
        return 1;
    }
    return 0;
}
