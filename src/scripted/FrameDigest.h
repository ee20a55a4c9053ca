// FrameDigest: one hash of a run's frames, in order, so that two runs (two
// renderers, two platforms) compare with one line. 64-bit FNV-1a over each
// pixel's value, lowest byte first (on a little-endian machine, the bytes in
// memory order), so equal pictures hash alike on machines of either byte
// order; the padding after a row is not part of the picture.
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
