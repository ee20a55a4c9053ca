// FrameDigest: one hash of a run's frames, in order, so that two runs (two
// renderers, two platforms) compare with one line. 64-bit FNV-1a over each
// row's pixel bytes; the padding after a row is not part of the picture.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

class FrameDigest {
public:
    void add(const SDL_Surface* frame);
    std::string hex() const;  // 16 lowercase hex digits

private:
    uint64_t hash = 0xcbf29ce484222325ull;  // the FNV offset basis: no frames yet
};
