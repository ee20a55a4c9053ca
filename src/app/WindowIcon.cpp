#include "app/WindowIcon.h"

#include <SDL.h>

#include <memory>
#include <vector>

namespace {

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

}  // namespace

void setWindowIcon(const WindowIcon& icon) {
    // The masks that find red, green, blue and alpha at their bytes in memory.
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
    const Uint32 r = 0xFF000000u, g = 0x00FF0000u, b = 0x0000FF00u, a = 0x000000FFu;
#else
    const Uint32 r = 0x000000FFu, g = 0x0000FF00u, b = 0x00FF0000u, a = 0xFF000000u;
#endif
    // SDL only reads the pixels, though its signature asks for writable ones.
    const std::unique_ptr<SDL_Surface, SurfaceFree> surface(SDL_CreateRGBSurfaceFrom(
        const_cast<uint8_t*>(icon.rgba), icon.size, icon.size, 32, icon.size * 4, r, g, b, a));
    if (!surface) return;  // out of memory: the window keeps the desktop's default icon

    // One bit a pixel, rows padded to whole bytes, leftmost pixel in the top bit.
    const int rowBytes = (icon.size + 7) / 8;
    std::vector<Uint8> mask(static_cast<size_t>(rowBytes) * icon.size, 0);
    for (int y = 0; y < icon.size; ++y)
        for (int x = 0; x < icon.size; ++x)
            if (icon.rgba[(static_cast<size_t>(y) * icon.size + x) * 4 + 3] >= 128)
                mask[static_cast<size_t>(y) * rowBytes + x / 8] |= static_cast<Uint8>(0x80 >> (x % 8));
    SDL_WM_SetIcon(surface.get(), mask.data());
}
