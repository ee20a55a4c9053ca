// SimdLanes: the vector types of the fast renderer's kernels at the natural
// width of the instruction set this file is compiled for, and the few
// operations GCC's generic vectors lower badly (in halves, lane by lane, or
// as a blend where one instruction does): for those each set names its own
// instructions, WebAssembly's SIMD128 included. Generic lanes serve other
// architectures. Only FastKernels.cpp includes this; everything here is
// internal and always inlined, so each instruction set's copy of the kernels
// gets its own.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "julia/ExactShortcuts.h"

namespace simdlanes {
namespace {

// Doubles in a register.
#if defined(__AVX512F__)
constexpr int kLanes = 8;
#elif defined(__AVX2__)
constexpr int kLanes = 4;
#else
constexpr int kLanes = 2;  // SSE2, WebAssembly's SIMD128, and the generic lanes
#endif

typedef double Doubles __attribute__((vector_size(kLanes * sizeof(double))));
typedef int64_t Masks __attribute__((vector_size(kLanes * sizeof(int64_t))));  // comparison results
// A register of floats or 32-bit integers: the pixels of two Doubles.
constexpr int kFloatLanes = 2 * kLanes;
typedef float Floats __attribute__((vector_size(kFloatLanes * sizeof(float))));
typedef int32_t Ints __attribute__((vector_size(kFloatLanes * sizeof(int32_t))));

struct DoublePair {
    Doubles low, high;
};

template <typename Vector, typename T>
[[gnu::always_inline]] inline Vector load(const T* p) {
    Vector v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename Vector, typename T>
[[gnu::always_inline]] inline void store(T* p, const Vector& v) {
    std::memcpy(p, &v, sizeof v);
}

// Every lane set to v. Subtracting a zero vector is exact for every double,
// -0.0 included (adding one would turn -0.0 into +0.0), and compiles to a
// plain broadcast.
[[gnu::always_inline]] inline Doubles broadcast(double v) { return v - Doubles{}; }

template <typename To, typename From>
[[gnu::always_inline]] inline To as(const From& v) {
    static_assert(sizeof(To) == sizeof(From), "one register seen as another type");
    To to;
    std::memcpy(&to, &v, sizeof to);
    return to;
}

// Whether any lane of a comparison result is set:              anyLane(m)
// m ? a : b lane by lane, for lanes of m all ones or all zeros: select(m, a, b)
// Whether select is one instruction:                           kOneInstructionSelect
// a < b ? a : b lane by lane, x86's min (NaN picks b):          lesser(a, b)
// a > b ? a : b lane by lane, for lanes never NaN:              greater(a, b)
// 2 * kLanes channel bytes as two registers of doubles:        widenBytes(p)
// 2 * kLanes channel bytes as one register of floats:           widenBytesToFloats(p)
// kLanes floats as doubles:                                     widenFloats(p)
// Two registers of doubles rounded to one of floats, low first: narrow(low, high)
// channelByte of each float past the ceiling (at most 255 or NaN),
// in the low byte of its lane:                                 channelBytes(v)
// The low 16 bits of each lane stored side by side:            storeLow16(p, v)
// a[i] * K + b[i] * L, for weights K | L << 16 in each lane:    mixWords(a, b, weights)
// Whether that is one multiply-add, the cheaper mix:           kMixInWords
// x86's truncating conversion gives 0x80000000 for a float of magnitude 2^31
// or more (and NaN), whose low byte is the 0 channelByte gives.

#if defined(__AVX512F__)

constexpr bool kOneInstructionSelect = true;

// The masked forms with every lane set: GCC 12 warns about the undefined
// register the unmasked ones start from.
[[gnu::always_inline]] inline bool anyLane(const Masks& m) {
    return _mm512_test_epi64_mask(as<__m512i>(m), as<__m512i>(m)) != 0;
}
[[gnu::always_inline]] inline Doubles select(const Masks& m, const Doubles& a, const Doubles& b) {
    return as<Doubles>(
        _mm512_mask_blend_pd(_mm512_movepi64_mask(as<__m512i>(m)), as<__m512d>(b), as<__m512d>(a)));
}
[[gnu::always_inline]] inline Doubles lesser(const Doubles& a, const Doubles& b) {
    return as<Doubles>(_mm512_maskz_min_pd(0xFF, as<__m512d>(a), as<__m512d>(b)));
}
[[gnu::always_inline]] inline Floats lesser(const Floats& a, const Floats& b) {
    return as<Floats>(_mm512_maskz_min_ps(0xFFFF, as<__m512>(a), as<__m512>(b)));
}
[[gnu::always_inline]] inline Doubles greater(const Doubles& a, const Doubles& b) {
    return as<Doubles>(_mm512_maskz_max_pd(0xFF, as<__m512d>(a), as<__m512d>(b)));
}
[[gnu::always_inline]] inline Doubles widenLanes(const uint8_t* p) {
    const __m256i ints = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    return as<Doubles>(_mm512_maskz_cvtepi32_pd(0xFF, ints));
}
[[gnu::always_inline]] inline DoublePair widenBytes(const uint8_t* p) {
    return {widenLanes(p), widenLanes(p + kLanes)};
}
[[gnu::always_inline]] inline Floats widenBytesToFloats(const uint8_t* p) {
    const __m512i ints =
        _mm512_maskz_cvtepu8_epi32(0xFFFF, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    return as<Floats>(_mm512_maskz_cvtepi32_ps(0xFFFF, ints));
}
[[gnu::always_inline]] inline Doubles widenFloats(const float* p) {
    return as<Doubles>(_mm512_maskz_cvtps_pd(0xFF, _mm256_loadu_ps(p)));
}
[[gnu::always_inline]] inline Floats narrow(const Doubles& low, const Doubles& high) {
    const __m256 l = _mm512_maskz_cvtpd_ps(0xFF, as<__m512d>(low));
    const __m256 h = _mm512_maskz_cvtpd_ps(0xFF, as<__m512d>(high));
    return as<Floats>(_mm512_insertf32x8(_mm512_castps256_ps512(l), h, 1));
}
[[gnu::always_inline]] inline Ints channelBytes(const Floats& v) {
    return as<Ints>(_mm512_maskz_cvttps_epi32(0xFFFF, as<__m512>(v))) & 255;
}
[[gnu::always_inline]] inline void storeLow16(uint16_t* p, const Ints& v) {
    store(p, _mm512_maskz_cvtepi32_epi16(0xFFFF, as<__m512i>(v)));
}

#elif defined(__AVX2__)

constexpr bool kOneInstructionSelect = true;

[[gnu::always_inline]] inline bool anyLane(const Masks& m) {
    return !_mm256_testz_si256(as<__m256i>(m), as<__m256i>(m));
}
[[gnu::always_inline]] inline Doubles select(const Masks& m, const Doubles& a, const Doubles& b) {
    return as<Doubles>(_mm256_blendv_pd(as<__m256d>(b), as<__m256d>(a), as<__m256d>(m)));
}
[[gnu::always_inline]] inline Doubles lesser(const Doubles& a, const Doubles& b) {
    return as<Doubles>(_mm256_min_pd(as<__m256d>(a), as<__m256d>(b)));
}
[[gnu::always_inline]] inline Floats lesser(const Floats& a, const Floats& b) {
    return as<Floats>(_mm256_min_ps(as<__m256>(a), as<__m256>(b)));
}
[[gnu::always_inline]] inline Doubles greater(const Doubles& a, const Doubles& b) {
    return as<Doubles>(_mm256_max_pd(as<__m256d>(a), as<__m256d>(b)));
}
[[gnu::always_inline]] inline Doubles widenLanes(const uint8_t* p) {
    return as<Doubles>(_mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(load<int32_t>(p)))));
}
[[gnu::always_inline]] inline DoublePair widenBytes(const uint8_t* p) {
    return {widenLanes(p), widenLanes(p + kLanes)};
}
[[gnu::always_inline]] inline Floats widenBytesToFloats(const uint8_t* p) {
    return as<Floats>(_mm256_cvtepi32_ps(
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)))));
}
[[gnu::always_inline]] inline Doubles widenFloats(const float* p) {
    return as<Doubles>(_mm256_cvtps_pd(_mm_loadu_ps(p)));
}
[[gnu::always_inline]] inline Floats narrow(const Doubles& low, const Doubles& high) {
    return as<Floats>(
        _mm256_set_m128(_mm256_cvtpd_ps(as<__m256d>(high)), _mm256_cvtpd_ps(as<__m256d>(low))));
}
[[gnu::always_inline]] inline Ints channelBytes(const Floats& v) {
    return as<Ints>(_mm256_cvttps_epi32(as<__m256>(v))) & 255;
}
// Each 128-bit half's low words gathered into its low 64 bits, then the halves joined.
[[gnu::always_inline]] inline void storeLow16(uint16_t* p, const Ints& v) {
    const __m256i lowWords = _mm256_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1,
                                              -1, 0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1,
                                              -1, -1);
    const __m256i gathered = _mm256_shuffle_epi8(as<__m256i>(v), lowWords);
    store(p, _mm256_castsi256_si128(_mm256_permute4x64_epi64(gathered, 0x08)));
}

#elif defined(__SSE2__)

constexpr bool kOneInstructionSelect = false;  // and, and-not, or

[[gnu::always_inline]] inline bool anyLane(const Masks& m) {
    return _mm_movemask_pd(as<__m128d>(m)) != 0;
}
[[gnu::always_inline]] inline Doubles select(const Masks& m, const Doubles& a, const Doubles& b) {
    const __m128d mask = as<__m128d>(m);
    return as<Doubles>(
        _mm_or_pd(_mm_and_pd(mask, as<__m128d>(a)), _mm_andnot_pd(mask, as<__m128d>(b))));
}
[[gnu::always_inline]] inline Doubles lesser(const Doubles& a, const Doubles& b) {
    return as<Doubles>(_mm_min_pd(as<__m128d>(a), as<__m128d>(b)));
}
[[gnu::always_inline]] inline Floats lesser(const Floats& a, const Floats& b) {
    return as<Floats>(_mm_min_ps(as<__m128>(a), as<__m128>(b)));
}
[[gnu::always_inline]] inline Doubles greater(const Doubles& a, const Doubles& b) {
    return as<Doubles>(_mm_max_pd(as<__m128d>(a), as<__m128d>(b)));
}
// Four bytes widened at once, then converted two by two.
[[gnu::always_inline]] inline DoublePair widenBytes(const uint8_t* p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(load<int32_t>(p)), zero);
    const __m128i ints = _mm_unpacklo_epi16(words, zero);
    return {as<Doubles>(_mm_cvtepi32_pd(ints)),
            as<Doubles>(_mm_cvtepi32_pd(_mm_shuffle_epi32(ints, 0xEE)))};
}
[[gnu::always_inline]] inline Floats widenBytesToFloats(const uint8_t* p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(load<int32_t>(p)), zero);
    return as<Floats>(_mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero)));
}
[[gnu::always_inline]] inline Doubles widenFloats(const float* p) {
    return as<Doubles>(
        _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)))));
}
[[gnu::always_inline]] inline Floats narrow(const Doubles& low, const Doubles& high) {
    return as<Floats>(
        _mm_movelh_ps(_mm_cvtpd_ps(as<__m128d>(low)), _mm_cvtpd_ps(as<__m128d>(high))));
}
[[gnu::always_inline]] inline Ints channelBytes(const Floats& v) {
    return as<Ints>(_mm_cvttps_epi32(as<__m128>(v))) & 255;
}
// Each lane's low word sign-extended, so the signed pack keeps it as it is.
[[gnu::always_inline]] inline void storeLow16(uint16_t* p, const Ints& v) {
    const __m128i words = _mm_srai_epi32(_mm_slli_epi32(as<__m128i>(v), 16), 16);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packs_epi32(words, words));
}
// The bytes paired a, b as 16-bit words, then multiplied and added pairwise.
constexpr bool kMixInWords = true;
[[gnu::always_inline]] inline Ints mixWords(const uint8_t* a, const uint8_t* b, const Ints& weights) {
    const __m128i pairs =
        _mm_unpacklo_epi8(_mm_cvtsi32_si128(load<int32_t>(a)), _mm_cvtsi32_si128(load<int32_t>(b)));
    return as<Ints>(
        _mm_madd_epi16(_mm_unpacklo_epi8(pairs, _mm_setzero_si128()), as<__m128i>(weights)));
}

#elif defined(__wasm_simd128__)

constexpr bool kOneInstructionSelect = true;  // bitselect

// Without these the compiler builds vectors lane by lane through memory.
[[gnu::always_inline]] inline bool anyLane(const Masks& m) {
    return wasm_v128_any_true(as<v128_t>(m));
}
[[gnu::always_inline]] inline Doubles select(const Masks& m, const Doubles& a, const Doubles& b) {
    return as<Doubles>(wasm_v128_bitselect(as<v128_t>(a), as<v128_t>(b), as<v128_t>(m)));
}
// pmin(b, a) is a < b ? a : b, NaN included.
[[gnu::always_inline]] inline Doubles lesser(const Doubles& a, const Doubles& b) {
    return as<Doubles>(wasm_f64x2_pmin(as<v128_t>(b), as<v128_t>(a)));
}
// Used only for the ceiling, whose a is never NaN. Where v is NaN the result
// is a NaN whose bits the engine chooses, as for the plain "v > 255 ? 255 :
// v", which the compiler may build as min or as a select; no pixel depends on
// a NaN's bits.
[[gnu::always_inline]] inline Floats lesser(const Floats& a, const Floats& b) {
    return as<Floats>(wasm_f32x4_min(as<v128_t>(a), as<v128_t>(b)));
}
// pmax(b, a) is b < a ? a : b.
[[gnu::always_inline]] inline Doubles greater(const Doubles& a, const Doubles& b) {
    return as<Doubles>(wasm_f64x2_pmax(as<v128_t>(b), as<v128_t>(a)));
}
[[gnu::always_inline]] inline DoublePair widenBytes(const uint8_t* p) {
    const v128_t ints =
        wasm_u32x4_extend_low_u16x8(wasm_u16x8_extend_low_u8x16(wasm_v128_load32_zero(p)));
    return {as<Doubles>(wasm_f64x2_convert_low_i32x4(ints)),
            as<Doubles>(wasm_f64x2_convert_low_i32x4(wasm_i32x4_shuffle(ints, ints, 2, 3, 2, 3)))};
}
// Each byte spread over its lane and masked: the compiler turns a widening
// followed by a conversion into a conversion lane by lane.
[[gnu::always_inline]] inline Floats widenBytesToFloats(const uint8_t* p) {
    const v128_t bytes = wasm_v128_load32_zero(p);
    const v128_t spread =
        wasm_i8x16_shuffle(bytes, bytes, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    return as<Floats>(wasm_f32x4_convert_i32x4(wasm_v128_and(spread, wasm_i32x4_splat(0xFF))));
}
[[gnu::always_inline]] inline Doubles widenFloats(const float* p) {
    return as<Doubles>(wasm_f64x2_promote_low_f32x4(wasm_v128_load64_zero(p)));
}
[[gnu::always_inline]] inline Floats narrow(const Doubles& low, const Doubles& high) {
    const v128_t l = wasm_f32x4_demote_f64x2_zero(as<v128_t>(low));
    const v128_t h = wasm_f32x4_demote_f64x2_zero(as<v128_t>(high));
    return as<Floats>(wasm_i32x4_shuffle(l, h, 0, 1, 4, 5));
}
// The conversion saturates: -2^31 or less gives 0x80000000, whose low byte
// is the 0 channelByte gives, and NaN gives 0. Capped at 255, no lane
// reaches 2^31, which would give 0x7FFFFFFF.
[[gnu::always_inline]] inline Ints channelBytes(const Floats& v) {
    return as<Ints>(wasm_i32x4_trunc_sat_f32x4(as<v128_t>(v))) & 255;
}
[[gnu::always_inline]] inline void storeLow16(uint16_t* p, const Ints& v) {
    const v128_t words = as<v128_t>(v);
    wasm_v128_store64_lane(p, wasm_i8x16_shuffle(words, words, 0, 1, 4, 5, 8, 9, 12, 13, 0, 1, 4,
                                                 5, 8, 9, 12, 13), 0);
}
// One shuffle pairs the bytes as words (byte 4 of a's load is a zero), one dot product mixes them.
constexpr bool kMixInWords = true;
[[gnu::always_inline]] inline Ints mixWords(const uint8_t* a, const uint8_t* b, const Ints& weights) {
    const v128_t words = wasm_i8x16_shuffle(wasm_v128_load32_zero(a), wasm_v128_load32_zero(b), 0,
                                            4, 16, 4, 1, 4, 17, 4, 2, 4, 18, 4, 3, 4, 19, 4);
    return as<Ints>(wasm_i32x4_dot_i16x8(words, as<v128_t>(weights)));
}

#else

// Generic lanes: GCC's vector extensions alone, for any other architecture.
constexpr bool kOneInstructionSelect = false;
[[gnu::always_inline]] inline bool anyLane(const Masks& m) {
    bool any = false;
    for (int i = 0; i < kLanes; ++i) any |= m[i] != 0;
    return any;
}
[[gnu::always_inline]] inline Doubles select(const Masks& m, const Doubles& a, const Doubles& b) {
    return m ? a : b;
}
template <typename Vector>
[[gnu::always_inline]] inline Vector lesser(const Vector& a, const Vector& b) {
    return a < b ? a : b;
}
[[gnu::always_inline]] inline Doubles greater(const Doubles& a, const Doubles& b) {
    return a > b ? a : b;
}
[[gnu::always_inline]] inline DoublePair widenBytes(const uint8_t* p) {
    DoublePair d;
    for (int i = 0; i < kLanes; ++i) d.low[i] = p[i], d.high[i] = p[kLanes + i];
    return d;
}
[[gnu::always_inline]] inline Floats widenBytesToFloats(const uint8_t* p) {
    Floats f;
    for (int i = 0; i < kFloatLanes; ++i) f[i] = p[i];
    return f;
}
[[gnu::always_inline]] inline Doubles widenFloats(const float* p) {
    Doubles d;
    for (int i = 0; i < kLanes; ++i) d[i] = p[i];
    return d;
}
[[gnu::always_inline]] inline Floats narrow(const Doubles& low, const Doubles& high) {
    Floats f;
    for (int i = 0; i < kLanes; ++i) f[i] = static_cast<float>(low[i]);
    for (int i = 0; i < kLanes; ++i) f[kLanes + i] = static_cast<float>(high[i]);
    return f;
}
[[gnu::always_inline]] inline Ints channelBytes(const Floats& v) {
    Ints bytes;
    for (int i = 0; i < kFloatLanes; ++i) bytes[i] = julia::channelByte(v[i]);
    return bytes;
}
[[gnu::always_inline]] inline void storeLow16(uint16_t* p, const Ints& v) {
    for (int i = 0; i < kFloatLanes; ++i) p[i] = static_cast<uint16_t>(v[i]);
}

#endif

#if !(defined(__SSE2__) && !defined(__AVX2__)) && !defined(__wasm_simd128__)
// Wider registers widen bytes to floats in one instruction: the floats' mix is as cheap.
constexpr bool kMixInWords = false;
[[gnu::always_inline]] inline Ints mixWords(const uint8_t* a, const uint8_t* b, const Ints& weights) {
    Ints sums;
    for (int i = 0; i < kFloatLanes; ++i)
        sums[i] = a[i] * static_cast<int16_t>(weights[i]) + b[i] * (weights[i] >> 16);
    return sums;
}
#endif

// sinePeakNearness's clamp as lesser above: julia::Lesser's a < b ? a : b,
// through the min instruction GCC doesn't find against a constant.
struct MinInstruction {
    [[gnu::always_inline]] inline Doubles operator()(const Doubles& a, const Doubles& b) const {
        return lesser(a, b);
    }
};

// sinePeakNearness's t less its nearest integer, exact for 0 <= t <= 2^50:
// the instruction that rounds to the nearest integer (or, in AVX-512, that
// also subtracts) where there is one, one or two instructions where adding
// and removing 2^52 takes two and a subtraction.
#if defined(__AVX512DQ__)
struct OffsetInstruction {
    [[gnu::always_inline]] inline Doubles operator()(const Doubles& t) const {
        return as<Doubles>(_mm512_maskz_reduce_pd(0xFF, as<__m512d>(t), _MM_FROUND_TO_NEAREST_INT));
    }
};
#elif defined(__AVX__)
struct OffsetInstruction {
    [[gnu::always_inline]] inline Doubles operator()(const Doubles& t) const {
        return t - as<Doubles>(_mm256_round_pd(as<__m256d>(t),
                                               _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC));
    }
};
#elif defined(__wasm_simd128__)
struct OffsetInstruction {
    [[gnu::always_inline]] inline Doubles operator()(const Doubles& t) const {
        return t - as<Doubles>(wasm_f64x2_nearest(as<v128_t>(t)));
    }
};
#else
using OffsetInstruction = julia::OffsetFromInteger;  // SSE2 has no rounding instruction
#endif

}  // namespace
}  // namespace simdlanes
