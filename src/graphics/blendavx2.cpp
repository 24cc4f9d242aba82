#include "graphics/blendavx2.hpp"

#include "graphics/blendkernels.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstring>

#define RUVO_AVX2 __attribute__((target("avx2")))

namespace ruvo::avx2 {

namespace {
bool allowed = true;
}

bool Available() noexcept {
    static const bool available = __builtin_cpu_supports("avx2");
    return available && allowed;
}

void Allow(bool enabled) noexcept { allowed = enabled; }

namespace {
using kernels::F32;

struct TWeights {
    __m256i Lo, Hi;  // 16-bit weight per channel, in the order unpacklo/unpackhi_epi8 give the channels
};

RUVO_AVX2 inline TWeights ConstantWeight(uint32_t w) {
    __m256i v = _mm256_set1_epi16(short(w));
    return {v, v};
}

// Per-pixel weights (0..256, one per 32-bit lane) spread over the four channel words of each pixel.
RUVO_AVX2 inline TWeights PixelWeights(__m256i w32) {
    __m256i pair = _mm256_or_si256(w32, _mm256_slli_epi32(w32, 16));
    return {_mm256_unpacklo_epi32(pair, pair), _mm256_unpackhi_epi32(pair, pair)};
}

// ((255 - w) d + w s) / 256 per byte channel.
RUVO_AVX2 inline __m256i Mix(__m256i d, __m256i s, const TWeights& w) {
    const __m256i zero = _mm256_setzero_si256(), c255 = _mm256_set1_epi16(255);
    __m256i dl = _mm256_unpacklo_epi8(d, zero), dh = _mm256_unpackhi_epi8(d, zero);
    __m256i sl = _mm256_unpacklo_epi8(s, zero), sh = _mm256_unpackhi_epi8(s, zero);
    __m256i rl = _mm256_add_epi16(_mm256_mullo_epi16(dl, _mm256_sub_epi16(c255, w.Lo)), _mm256_mullo_epi16(sl, w.Lo));
    __m256i rh = _mm256_add_epi16(_mm256_mullo_epi16(dh, _mm256_sub_epi16(c255, w.Hi)), _mm256_mullo_epi16(sh, w.Hi));
    __m256i r = _mm256_packus_epi16(_mm256_srli_epi16(rl, 8), _mm256_srli_epi16(rh, 8));
    return _mm256_and_si256(r, _mm256_set1_epi32(int(F32::ChannelMask)));
}

// min(255, d + w s / 256) per byte channel.
RUVO_AVX2 inline __m256i AddScaled(__m256i d, __m256i s, const TWeights& w) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i sl = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), w.Lo), 8);
    __m256i sh = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), w.Hi), 8);
    __m256i r = _mm256_adds_epu8(d, _mm256_packus_epi16(sl, sh));
    return _mm256_and_si256(r, _mm256_set1_epi32(int(F32::ChannelMask)));
}

RUVO_AVX2 inline __m256i Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
RUVO_AVX2 inline void Store(uint32_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
inline uint64_t Load8(const uint8_t* m) {
    uint64_t v;
    std::memcpy(&v, m, 8);
    return v;
}
RUVO_AVX2 inline __m256i MaskLanes(const uint8_t* m) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(m)));
}
// r = a where m = 255, else a m / 256, one per lane.
RUVO_AVX2 inline __m256i MaskedWeight(__m256i m32, uint32_t a) {
    __m256i av = _mm256_set1_epi32(int(a));
    __m256i r = _mm256_srli_epi32(_mm256_mullo_epi32(m32, av), 8);
    return _mm256_blendv_epi8(r, av, _mm256_cmpeq_epi32(m32, _mm256_set1_epi32(255)));
}
} // namespace

RUVO_AVX2 void CopyKey32(uint32_t* d, const uint32_t* s, int n, uint32_t key) {
    const __m256i k = _mm256_set1_epi32(int(key));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i sv = Load(s + i);
        Store(d + i, _mm256_blendv_epi8(sv, Load(d + i), _mm256_cmpeq_epi32(sv, k)));
    }
    kernels::CopyKey<F32>(d + i, s + i, n - i, key);
}

RUVO_AVX2 void Alpha32(uint32_t* d, const uint32_t* s, int n, uint32_t a, bool useKey, uint32_t key) {
    const TWeights w = ConstantWeight(a);
    const __m256i k = _mm256_set1_epi32(int(key));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i dv = Load(d + i), sv = Load(s + i);
        __m256i alone = _mm256_cmpeq_epi32(sv, dv);
        if (useKey)
            alone = _mm256_or_si256(alone, _mm256_cmpeq_epi32(sv, k));
        Store(d + i, _mm256_blendv_epi8(Mix(dv, sv, w), dv, alone));
    }
    kernels::Alpha<F32>(d + i, s + i, n - i, a, useKey, key);
}

RUVO_AVX2 void Mask32(uint32_t* d, const uint32_t* s, const uint8_t* m, int n) {
    const __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi32(255);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t group = Load8(m + i);
        if (group == 0)  // wholly transparent: nothing to do
            continue;
        __m256i sv = Load(s + i);
        if (group == ~uint64_t(0)) {  // wholly opaque: a copy
            Store(d + i, sv);
            continue;
        }
        __m256i dv = Load(d + i), m32 = MaskLanes(m + i);
        __m256i r = Mix(dv, sv, PixelWeights(m32));
        r = _mm256_blendv_epi8(r, sv, _mm256_cmpeq_epi32(m32, full));
        Store(d + i, _mm256_blendv_epi8(r, dv, _mm256_cmpeq_epi32(m32, zero)));
    }
    kernels::Mask<F32>(d + i, s + i, m + i, n - i);
}

RUVO_AVX2 void MaskAlpha32(uint32_t* d, const uint32_t* s, const uint8_t* m, int n, uint32_t a) {
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        if (Load8(m + i) == 0)
            continue;
        __m256i dv = Load(d + i), sv = Load(s + i);
        __m256i r32 = MaskedWeight(MaskLanes(m + i), a);
        __m256i r = Mix(dv, sv, PixelWeights(r32));
        Store(d + i, _mm256_blendv_epi8(r, dv, _mm256_cmpeq_epi32(r32, zero)));
    }
    kernels::MaskAlpha<F32>(d + i, s + i, m + i, n - i, a);
}

RUVO_AVX2 void Add32(uint32_t* d, const uint32_t* s, int n, uint32_t f, bool useKey, uint32_t key) {
    const TWeights w = ConstantWeight(f);
    const __m256i k = _mm256_set1_epi32(int(key));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i dv = Load(d + i), sv = Load(s + i);
        __m256i r = AddScaled(dv, sv, w);
        if (useKey)
            r = _mm256_blendv_epi8(r, dv, _mm256_cmpeq_epi32(sv, k));
        Store(d + i, r);
    }
    kernels::Add<F32>(d + i, s + i, n - i, f, useKey, key);
}

RUVO_AVX2 void MaskAdd32(uint32_t* d, const uint32_t* s, const uint8_t* m, int n, uint32_t f) {
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        if (Load8(m + i) == 0)
            continue;
        __m256i dv = Load(d + i), sv = Load(s + i);
        __m256i r32 = MaskedWeight(MaskLanes(m + i), f);
        __m256i r = AddScaled(dv, sv, PixelWeights(r32));
        Store(d + i, _mm256_blendv_epi8(r, dv, _mm256_cmpeq_epi32(r32, zero)));
    }
    kernels::MaskAdd<F32>(d + i, s + i, m + i, n - i, f);
}

RUVO_AVX2 void Sub32(uint32_t* d, const uint32_t* s, int n) {
    const __m256i channels = _mm256_set1_epi32(int(F32::ChannelMask));
    int i = 0;
    for (; i + 8 <= n; i += 8)
        Store(d + i, _mm256_and_si256(_mm256_subs_epu8(Load(d + i), Load(s + i)), channels));
    kernels::Sub<F32>(d + i, s + i, n - i);
}

RUVO_AVX2 void Gather32(uint32_t* out, const uint32_t* row, const int32_t* cols, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i idx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cols + i));
        Store(out + i, _mm256_i32gather_epi32(reinterpret_cast<const int*>(row), idx, 4));
    }
    for (; i < n; ++i)
        out[i] = row[cols[i]];
}

} // namespace ruvo::avx2

#else  // not x86: the portable loops are used

namespace ruvo::avx2 {
bool Available() noexcept { return false; }
void Allow(bool) noexcept {}
void CopyKey32(uint32_t*, const uint32_t*, int, uint32_t) {}
void Alpha32(uint32_t*, const uint32_t*, int, uint32_t, bool, uint32_t) {}
void Mask32(uint32_t*, const uint32_t*, const uint8_t*, int) {}
void MaskAlpha32(uint32_t*, const uint32_t*, const uint8_t*, int, uint32_t) {}
void Add32(uint32_t*, const uint32_t*, int, uint32_t, bool, uint32_t) {}
void MaskAdd32(uint32_t*, const uint32_t*, const uint8_t*, int, uint32_t) {}
void Sub32(uint32_t*, const uint32_t*, int) {}
void Gather32(uint32_t*, const uint32_t*, const int32_t*, int) {}
} // namespace ruvo::avx2

#endif
