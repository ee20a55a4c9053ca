// Whole-row reads of a bitmap's channel bytes, the same bytes readPixel gives
// pixel by pixel (black outside the surface or without one, white for byte
// sizes other than 1 to 4), with the byte-size decision made once per row.
// Defined here, always inlined, so that each instruction set's copy of the
// fast renderer's kernels (FastKernels.h) compiles its own: the three-byte
// split in particular vectorises only where byte shuffles exist.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstring>

#include "surface/PixelAccess.h"

struct ChannelRow {
    uint8_t* r;
    uint8_t* g;
    uint8_t* b;
};

namespace rowaccess {

// The low three bytes of each raw value, as readPixel splits them.
template <typename Word>
[[gnu::always_inline]] inline void splitWords(const uint8_t* row, int32_t count, ChannelRow out) {
    for (int32_t x = 0; x < count; ++x) {
        Word w;
        std::memcpy(&w, row + static_cast<size_t>(x) * sizeof(Word), sizeof w);
        const uint32_t raw = w;
        out.r[x] = static_cast<uint8_t>(raw);
        out.g[x] = static_cast<uint8_t>(raw >> 8);
        out.b[x] = static_cast<uint8_t>(raw >> 16);
    }
}

// Three-byte pixels name their bytes by the shifts; the usual layout (red
// last in memory, as a 24-bit BMP loads) gets its own copy the compiler can
// specialise.
[[gnu::always_inline]] inline void splitTriples(const SDL_PixelFormat* f, const uint8_t* row,
                                                int32_t count, ChannelRow out) {
    if (f->Rshift == 16 && f->Gshift == 8 && f->Bshift == 0) {
        for (int32_t x = 0; x < count; ++x) {
            const uint8_t* p = row + 3 * static_cast<size_t>(x);
            out.r[x] = p[2];
            out.g[x] = p[1];
            out.b[x] = p[0];
        }
        return;
    }
    for (int32_t x = 0; x < count; ++x) {
        const uint8_t* p = row + 3 * static_cast<size_t>(x);
        out.r[x] = tripleByte(p, f->Rshift);
        out.g[x] = tripleByte(p, f->Gshift);
        out.b[x] = tripleByte(p, f->Bshift);
    }
}

[[gnu::always_inline]] inline void fill(ChannelRow out, int32_t from, int32_t to, uint8_t value) {
    if (from >= to) return;
    std::memset(out.r + from, value, to - from);
    std::memset(out.g + from, value, to - from);
    std::memset(out.b + from, value, to - from);
}

}  // namespace rowaccess

// Fills columns 0 .. count-1 of row y.
[[gnu::always_inline]] inline void readChannelRow(const SDL_Surface* s, int32_t y, int32_t count,
                                                  ChannelRow out) {
    using namespace rowaccess;
    if (s == nullptr || s->pixels == nullptr || y < 0 || y >= s->h) return fill(out, 0, count, 0);

    const int32_t inside = s->w < 0 ? 0 : (s->w < count ? s->w : count);
    fill(out, inside, count, 0);  // past the right edge: black

    const auto* base = static_cast<const uint8_t*>(s->pixels);
    const size_t rowOffset = static_cast<size_t>(y) * s->pitch;
    // readPixel indexes 2- and 4-byte pixels as words from row / size, which
    // differs from the row's first byte when the pitch isn't a multiple of it.
    switch (s->format->BytesPerPixel) {
    case 1: {
        const uint8_t* row = base + rowOffset;
        std::memcpy(out.r, row, inside);
        std::memset(out.g, 0, inside);
        std::memset(out.b, 0, inside);
        return;
    }
    case 2: return splitWords<uint16_t>(base + rowOffset / 2 * 2, inside, out);
    case 3: return splitTriples(s->format, base + rowOffset, inside, out);
    case 4: return splitWords<uint32_t>(base + rowOffset / 4 * 4, inside, out);
    default: return fill(out, 0, inside, 255);
    }
}
