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

#if defined(__SSE2__) && !defined(__SSSE3__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

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

#if defined(__SSE2__) && !defined(__SSSE3__)
// Without byte shuffles (baseline x86-64), sixteen pixels at a time: each as
// a 32-bit word read from its own offset (its low three bytes are the pixel),
// each channel masked out and packed back to bytes. Returns the pixels done,
// leaving at least the last sixteen to the plain loop: the word of a row's
// last pixel reads a byte beyond it, which may lie past the surface.
[[gnu::always_inline]] inline int32_t splitUsualTriples(const uint8_t* row, int32_t count,
                                                        ChannelRow out) {
    const __m128i low = _mm_set1_epi32(0xFF);
    int32_t x = 0;
    for (; x + 32 <= count; x += 16) {
        __m128i words[4];
        for (int q = 0; q < 4; ++q) {
            const uint8_t* p = row + 3 * static_cast<size_t>(x + 4 * q);
            int32_t w[4];
            for (int i = 0; i < 4; ++i) std::memcpy(&w[i], p + 3 * i, sizeof w[i]);
            words[q] = _mm_set_epi32(w[3], w[2], w[1], w[0]);
        }
        uint8_t* planes[3] = {out.b, out.g, out.r};
        for (int c = 0; c < 3; ++c) {
            __m128i v[4];
            for (int q = 0; q < 4; ++q) v[q] = _mm_and_si128(_mm_srli_epi32(words[q], 8 * c), low);
            const __m128i bytes =
                _mm_packus_epi16(_mm_packs_epi32(v[0], v[1]), _mm_packs_epi32(v[2], v[3]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(planes[c] + x), bytes);
        }
    }
    return x;
}
#elif defined(__wasm_simd128__)
// Byte K of each of sixteen triples (48 bytes in three vectors): the lanes
// within the first two vectors in one shuffle, the rest from the third.
#define FRACTALS_TRIPLE(i) (3 * (i) + K < 32 ? 3 * (i) + K : 0)
#define FRACTALS_THIRD(i) (3 * (i) + K < 32 ? (i) : 3 * (i) + K - 16)
template <int K>
[[gnu::always_inline]] inline v128_t tripleBytes(v128_t v0, v128_t v1, v128_t v2) {
    const v128_t firstTwo = wasm_i8x16_shuffle(
        v0, v1, FRACTALS_TRIPLE(0), FRACTALS_TRIPLE(1), FRACTALS_TRIPLE(2), FRACTALS_TRIPLE(3),
        FRACTALS_TRIPLE(4), FRACTALS_TRIPLE(5), FRACTALS_TRIPLE(6), FRACTALS_TRIPLE(7),
        FRACTALS_TRIPLE(8), FRACTALS_TRIPLE(9), FRACTALS_TRIPLE(10), FRACTALS_TRIPLE(11),
        FRACTALS_TRIPLE(12), FRACTALS_TRIPLE(13), FRACTALS_TRIPLE(14), FRACTALS_TRIPLE(15));
    return wasm_i8x16_shuffle(
        firstTwo, v2, FRACTALS_THIRD(0), FRACTALS_THIRD(1), FRACTALS_THIRD(2), FRACTALS_THIRD(3),
        FRACTALS_THIRD(4), FRACTALS_THIRD(5), FRACTALS_THIRD(6), FRACTALS_THIRD(7),
        FRACTALS_THIRD(8), FRACTALS_THIRD(9), FRACTALS_THIRD(10), FRACTALS_THIRD(11),
        FRACTALS_THIRD(12), FRACTALS_THIRD(13), FRACTALS_THIRD(14), FRACTALS_THIRD(15));
}
#undef FRACTALS_TRIPLE
#undef FRACTALS_THIRD

// Sixteen pixels at a time, read exactly (48 bytes); returns the pixels done.
[[gnu::always_inline]] inline int32_t splitUsualTriples(const uint8_t* row, int32_t count,
                                                        ChannelRow out) {
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const uint8_t* p = row + 3 * static_cast<size_t>(x);
        const v128_t v0 = wasm_v128_load(p), v1 = wasm_v128_load(p + 16), v2 = wasm_v128_load(p + 32);
        wasm_v128_store(out.b + x, tripleBytes<0>(v0, v1, v2));
        wasm_v128_store(out.g + x, tripleBytes<1>(v0, v1, v2));
        wasm_v128_store(out.r + x, tripleBytes<2>(v0, v1, v2));
    }
    return x;
}
#endif

// Three-byte pixels name their bytes by the shifts; the usual layout (red
// last in memory and blue first, as a 24-bit BMP loads on either kind of
// machine: red's shift 16, or 0 on a big-endian one) gets its own copy the
// compiler can specialise.
// The value byte kept in the pixel's last byte (the offsets are their own inverse).
constexpr uint8_t kUsualRedShift = 8 * valueByteOffset(3, 2);
[[gnu::always_inline]] inline void splitTriples(const SDL_PixelFormat* f, const uint8_t* row,
                                                int32_t count, ChannelRow out) {
    if (f->Rshift == kUsualRedShift && f->Gshift == 8 && f->Bshift == 16 - kUsualRedShift) {
#if (defined(__SSE2__) && !defined(__SSSE3__)) || defined(__wasm_simd128__)
        for (int32_t x = splitUsualTriples(row, count, out); x < count; ++x) {
#else
        for (int32_t x = 0; x < count; ++x) {
#endif
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
