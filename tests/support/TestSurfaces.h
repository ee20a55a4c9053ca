// Surfaces of every pixel layout the pixel operations meet, handles adopting
// them, BMP files written from them, and the raw byte access the tests use as
// their own yardstick (independent of readPixel/writePixel).
#pragma once

#include <SDL.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "scripted/DisplayFormat.h"
#include "surface/SurfaceHandle.h"

namespace testsupport {

enum class Layout {
    index8,    // 1 byte: a palette index (3-3-2 palette, as an 8-bit display has)
    rgb565,    // 2 bytes
    rgb888,    // 3 bytes, red in bits 16-23 (last in memory on a little-endian machine)
    bgr888,    // 3 bytes, red in bits 0-7
    xrgb8888,  // 4 bytes, red in bits 16-23: the usual 32-bit display
    rgba8888,  // 4 bytes, red in bits 24-31: masks that disagree with the byte order read
};

constexpr Layout kAllLayouts[] = {Layout::index8,  Layout::rgb565,   Layout::rgb888,
                                  Layout::bgr888,  Layout::xrgb8888, Layout::rgba8888};

inline const char* layoutName(Layout layout) {
    switch (layout) {
    case Layout::index8: return "index8";
    case Layout::rgb565: return "rgb565";
    case Layout::rgb888: return "rgb888";
    case Layout::bgr888: return "bgr888";
    case Layout::xrgb8888: return "xrgb8888";
    case Layout::rgba8888: return "rgba8888";
    }
    return "?";
}

inline int bytesPerPixel(Layout layout) {
    switch (layout) {
    case Layout::index8: return 1;
    case Layout::rgb565: return 2;
    case Layout::rgb888:
    case Layout::bgr888: return 3;
    case Layout::xrgb8888:
    case Layout::rgba8888: return 4;
    }
    return 0;
}

// A zero-filled software surface; throws if SDL can't make one.
inline SurfacePtr makeSurface(Layout layout, int width, int height) {
    SurfacePtr s;
    switch (layout) {
    case Layout::index8:
    case Layout::rgb565:
    case Layout::rgb888:
    case Layout::xrgb8888:  // a display's layouts, by the display formats' names
        s = createDisplaySurface(*parseFormat(layoutName(layout)), width, height);
        break;
    case Layout::bgr888:
        s.reset(SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0x0000FF, 0x00FF00,
                                     0xFF0000, 0));
        break;
    case Layout::rgba8888:
        s.reset(SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF000000, 0x00FF0000,
                                     0x0000FF00, 0x000000FF));
        break;
    }
    if (!s) throw std::runtime_error(std::string("cannot create surface: ") + SDL_GetError());
    if (s->format->BytesPerPixel != bytesPerPixel(layout))
        throw std::logic_error(std::string("SDL changed the layout ") + layoutName(layout));
    return s;
}

// Address of pixel (x, y) laid out as pitch and bytes per pixel say.
inline uint8_t* pixelAddress(SDL_Surface* s, int x, int y) {
    return static_cast<uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch +
           static_cast<size_t>(x) * s->format->BytesPerPixel;
}

// The pixel's bytes in memory order.
inline std::vector<uint8_t> rawBytes(SDL_Surface* s, int x, int y) {
    const uint8_t* p = pixelAddress(s, x, y);
    return std::vector<uint8_t>(p, p + s->format->BytesPerPixel);
}

// Where SDL keeps byte k (bits 8k to 8k+7) of a 3-byte pixel's value, as
// its SDL_FillRect and blitters store it: lowest first on a little-endian
// machine, highest first on a big-endian one.
inline int tripleByteAt(int k) { return SDL_BYTEORDER == SDL_BIG_ENDIAN ? 2 - k : k; }

// The pixel's value as SDL reads it: a word of its size in the machine's order.
inline uint32_t rawValue(SDL_Surface* s, int x, int y) {
    const uint8_t* p = pixelAddress(s, x, y);
    switch (s->format->BytesPerPixel) {
    case 1: return p[0];
    case 2: {
        uint16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case 3:
        return p[tripleByteAt(0)] | p[tripleByteAt(1)] << 8 |
               static_cast<uint32_t>(p[tripleByteAt(2)]) << 16;
    case 4: {
        uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    }
    throw std::logic_error("rawValue: unsupported byte size");
}

// Stores a value the way rawValue reads it, truncated to the pixel's size.
inline void setRawValue(SDL_Surface* s, int x, int y, uint32_t value) {
    uint8_t* p = pixelAddress(s, x, y);
    switch (s->format->BytesPerPixel) {
    case 1: p[0] = static_cast<uint8_t>(value); return;
    case 2: {
        const uint16_t v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, sizeof v);
        return;
    }
    case 3:
        for (int k = 0; k < 3; ++k) p[tripleByteAt(k)] = static_cast<uint8_t>(value >> (8 * k));
        return;
    case 4: std::memcpy(p, &value, sizeof value); return;
    }
    throw std::logic_error("setRawValue: unsupported byte size");
}

// Writes every byte of every row, padding included.
inline void fillBytes(SDL_Surface* s, uint8_t byte) {
    std::memset(s->pixels, byte, static_cast<size_t>(s->pitch) * s->h);
}

// A value that differs from pixel to pixel and uses every byte of a 32-bit word.
inline uint32_t patternValue(int x, int y, uint32_t seed = 0) {
    uint32_t v = seed ^ (static_cast<uint32_t>(x) * 0x9E3779B1u) ^
                 (static_cast<uint32_t>(y) * 0x85EBCA77u);
    v ^= v >> 15;
    v *= 0x2C1B3C6Du;
    v ^= v >> 12;
    return v;
}

// Every pixel set to patternValue, truncated to the pixel's size.
inline void fillPattern(SDL_Surface* s, uint32_t seed = 0) {
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) setRawValue(s, x, y, patternValue(x, y, seed));
}

// A handle holding the surface; throws if the handle refuses it.
inline std::unique_ptr<SurfaceHandle> handleFor(SurfacePtr surface) {
    auto handle = std::make_unique<SurfaceHandle>();
    if (!handle->adopt(surface.release())) throw std::logic_error("handle refused the surface");
    return handle;
}

inline std::unique_ptr<SurfaceHandle> handleFor(Layout layout, int width, int height,
                                                uint32_t seed = 0) {
    SurfacePtr s = makeSurface(layout, width, height);
    fillPattern(s.get(), seed);
    return handleFor(std::move(s));
}

#ifndef _WIN32  // POSIX from here on; the Windows build's suite needs none of it

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
public:
    // In the system's temporary folder unless another is given.
    explicit TempDir(const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
        std::string pattern = (parent / "fractals-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return root; }
    std::string file(const std::string& name) const { return (root / name).string(); }

private:
    std::filesystem::path root;
};

// SDL writes 8-bit surfaces as palette BMPs and everything else as 24-bit BMPs.
inline void writeBmp(SDL_Surface* surface, const std::string& fileName) {
    if (SDL_SaveBMP(surface, fileName.c_str()) != 0)
        throw std::runtime_error("cannot write " + fileName + ": " + SDL_GetError());
}

// A 24-bit BMP of the given size filled with patternValue; returns its path.
inline std::string writePatternBmp(const TempDir& dir, const std::string& name, int width,
                                   int height, uint32_t seed = 0) {
    SurfacePtr s = makeSurface(Layout::rgb888, width, height);
    fillPattern(s.get(), seed);
    const std::string fileName = dir.file(name);
    writeBmp(s.get(), fileName);
    return fileName;
}

// Sets (or, with a null value, removes) an environment variable for the
// object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name(name) {
        const char* old = std::getenv(name);
        hadValue = old != nullptr;
        if (hadValue) oldValue = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (hadValue)
            setenv(name.c_str(), oldValue.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name;
    std::string oldValue;
    bool hadValue = false;
};

#endif  // _WIN32

}  // namespace testsupport
