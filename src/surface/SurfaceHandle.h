// The owners of SDL surfaces: SurfacePtr for any surface, and SurfaceHandle
// for one loaded from a BMP file, in the file's own pixel format, which names
// a bitmap for the pixel operations.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

class SurfaceHandle {
public:
    SurfaceHandle() = default;
    SurfaceHandle(const SurfaceHandle&) = delete;
    SurfaceHandle& operator=(const SurfaceHandle&) = delete;

    // Loads the BMP, freeing any surface held before. False when the file
    // can't be read, its header claims pixels the file can't hold or a
    // surface over kMaxDecodedBytes (checked before SDL reads it), or SDL
    // hands back a surface whose geometry can't be trusted; the handle then
    // holds nothing.
    bool load(const std::string& fileName);

    // Takes ownership of a surface made elsewhere (tests, tools), with the
    // same checks as load.
    bool adopt(SDL_Surface* surface);

    const SDL_Surface* surface() const { return held.get(); }

private:
    SurfacePtr held;
};

// Whether every row of the surface lies inside its pixel buffer as its
// width, height, pitch and bytes per pixel describe it.
bool hasSaneGeometry(const SDL_Surface* surface);
