#include "graphics/draw/blendavx2.hpp"

#include "graphics/draw/blendkernels.hpp"

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

namespace {
using kernels::F555;
using kernels::F565;

// 16 pixels of 5-6-5 or 5-5-5 per register; each channel is taken out into 16-bit lanes.
template <int RS, int GS, int GMax>
struct T16 {
    RUVO_AVX2 static inline __m256i Part(__m256i p, int shift, int mx) {
        return _mm256_and_si256(_mm256_srli_epi16(p, shift), _mm256_set1_epi16(short(mx)));
    }
    template <int Sh, int Mx>
    RUVO_AVX2 static inline __m256i MixChannel(__m256i d, __m256i s, __m256i w, __m256i iw) {
        const __m256i v = _mm256_add_epi16(_mm256_mullo_epi16(Part(d, Sh, Mx), iw), _mm256_mullo_epi16(Part(s, Sh, Mx), w));
        return _mm256_slli_epi16(_mm256_srli_epi16(v, 8), Sh);
    }
    template <int Sh, int Mx>
    RUVO_AVX2 static inline __m256i AddChannel(__m256i d, __m256i s, __m256i f) {
        const __m256i v = _mm256_add_epi16(Part(d, Sh, Mx), _mm256_srli_epi16(_mm256_mullo_epi16(Part(s, Sh, Mx), f), 8));
        return _mm256_slli_epi16(_mm256_min_epu16(v, _mm256_set1_epi16(short(Mx))), Sh);
    }
    template <int Sh, int Mx>
    RUVO_AVX2 static inline __m256i SubChannel(__m256i d, __m256i s) {
        return _mm256_slli_epi16(_mm256_subs_epu16(Part(d, Sh, Mx), Part(s, Sh, Mx)), Sh);
    }
    // ((255 - w) d + w s) / 256 per channel, w per pixel.
    RUVO_AVX2 static inline __m256i Mix(__m256i d, __m256i s, __m256i w) {
        const __m256i iw = _mm256_sub_epi16(_mm256_set1_epi16(255), w);
        return _mm256_or_si256(_mm256_or_si256(MixChannel<RS, 31>(d, s, w, iw), MixChannel<GS, GMax>(d, s, w, iw)),
                               MixChannel<0, 31>(d, s, w, iw));
    }
    // min(max, d + f s / 256) per channel.
    RUVO_AVX2 static inline __m256i Add(__m256i d, __m256i s, __m256i f) {
        return _mm256_or_si256(_mm256_or_si256(AddChannel<RS, 31>(d, s, f), AddChannel<GS, GMax>(d, s, f)),
                               AddChannel<0, 31>(d, s, f));
    }
    RUVO_AVX2 static inline __m256i Sub(__m256i d, __m256i s) {
        return _mm256_or_si256(_mm256_or_si256(SubChannel<RS, 31>(d, s), SubChannel<GS, GMax>(d, s)),
                               SubChannel<0, 31>(d, s));
    }
};
using T565 = T16<11, 5, 63>;
using T555 = T16<10, 5, 31>;

RUVO_AVX2 inline __m256i Load16(const uint16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
RUVO_AVX2 inline void Store16(uint16_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
RUVO_AVX2 inline __m256i MaskWords(const uint8_t* m) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m)));
}
// r = a where m = 255, else a m / 256, per 16-bit lane.
RUVO_AVX2 inline __m256i MaskedWeight16(__m256i m16, uint32_t a) {
    const __m256i av = _mm256_set1_epi16(short(a));
    const __m256i r = _mm256_srli_epi16(_mm256_mullo_epi16(m16, av), 8);
    return _mm256_blendv_epi8(r, av, _mm256_cmpeq_epi16(m16, _mm256_set1_epi16(255)));
}

template <class T, class F>
RUVO_AVX2 void Alpha16T(uint16_t* d, const uint16_t* s, int n, uint32_t a, bool useKey, uint32_t key) {
    const __m256i w = _mm256_set1_epi16(short(a)), k = _mm256_set1_epi16(short(key));
    // A key that no 16-bit pixel can have never matches.
    const bool keyFits = useKey && key <= 0xFFFF;
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i dv = Load16(d + i), sv = Load16(s + i);
        __m256i alone = _mm256_cmpeq_epi16(sv, dv);
        if (keyFits)
            alone = _mm256_or_si256(alone, _mm256_cmpeq_epi16(sv, k));
        Store16(d + i, _mm256_blendv_epi8(T::Mix(dv, sv, w), dv, alone));
    }
    kernels::Alpha<F>(reinterpret_cast<kernels::Pixel16*>(d + i), reinterpret_cast<const kernels::Pixel16*>(s + i),
                      n - i, a, useKey, key);
}

template <class T, class F>
RUVO_AVX2 void Mask16T(uint16_t* d, const uint16_t* s, const uint8_t* m, int n) {
    const __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi16(255);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const uint64_t lo = Load8(m + i), hi = Load8(m + i + 8);
        if ((lo | hi) == 0)
            continue;
        const __m256i sv = Load16(s + i);
        if ((lo & hi) == ~uint64_t(0)) {
            Store16(d + i, sv);
            continue;
        }
        const __m256i dv = Load16(d + i), m16 = MaskWords(m + i);
        __m256i r = _mm256_blendv_epi8(T::Mix(dv, sv, m16), sv, _mm256_cmpeq_epi16(m16, full));
        Store16(d + i, _mm256_blendv_epi8(r, dv, _mm256_cmpeq_epi16(m16, zero)));
    }
    kernels::Mask<F>(reinterpret_cast<kernels::Pixel16*>(d + i), reinterpret_cast<const kernels::Pixel16*>(s + i),
                     m + i, n - i);
}

template <class T, class F, bool Additive>
RUVO_AVX2 void MaskWeighted16T(uint16_t* d, const uint16_t* s, const uint8_t* m, int n, uint32_t a) {
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        if ((Load8(m + i) | Load8(m + i + 8)) == 0)
            continue;
        const __m256i dv = Load16(d + i), sv = Load16(s + i);
        const __m256i r16 = MaskedWeight16(MaskWords(m + i), a);
        const __m256i r = Additive ? T::Add(dv, sv, r16) : T::Mix(dv, sv, r16);
        Store16(d + i, _mm256_blendv_epi8(r, dv, _mm256_cmpeq_epi16(r16, zero)));
    }
    auto* dp = reinterpret_cast<kernels::Pixel16*>(d + i);
    auto* sp = reinterpret_cast<const kernels::Pixel16*>(s + i);
    if (Additive)
        kernels::MaskAdd<F>(dp, sp, m + i, n - i, a);
    else
        kernels::MaskAlpha<F>(dp, sp, m + i, n - i, a);
}

template <class T, class F>
RUVO_AVX2 void Add16T(uint16_t* d, const uint16_t* s, int n, uint32_t f, bool useKey, uint32_t key) {
    const __m256i fv = _mm256_set1_epi16(short(f)), k = _mm256_set1_epi16(short(key));
    const bool keyFits = useKey && key <= 0xFFFF;
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i dv = Load16(d + i), sv = Load16(s + i);
        __m256i r = T::Add(dv, sv, fv);
        if (keyFits)
            r = _mm256_blendv_epi8(r, dv, _mm256_cmpeq_epi16(sv, k));
        Store16(d + i, r);
    }
    kernels::Add<F>(reinterpret_cast<kernels::Pixel16*>(d + i), reinterpret_cast<const kernels::Pixel16*>(s + i),
                    n - i, f, useKey, key);
}

template <class T, class F>
RUVO_AVX2 void Sub16T(uint16_t* d, const uint16_t* s, int n) {
    int i = 0;
    for (; i + 16 <= n; i += 16)
        Store16(d + i, T::Sub(Load16(d + i), Load16(s + i)));
    kernels::Sub<F>(reinterpret_cast<kernels::Pixel16*>(d + i), reinterpret_cast<const kernels::Pixel16*>(s + i),
                    n - i);
}
} // namespace

RUVO_AVX2 void CopyKey16(uint16_t* d, const uint16_t* s, int n, uint32_t key) {
    int i = 0;
    if (key <= 0xFFFF) {
        const __m256i k = _mm256_set1_epi16(short(key));
        for (; i + 16 <= n; i += 16) {
            const __m256i sv = Load16(s + i);
            Store16(d + i, _mm256_blendv_epi8(sv, Load16(d + i), _mm256_cmpeq_epi16(sv, k)));
        }
    }
    kernels::CopyKey<F565>(reinterpret_cast<kernels::Pixel16*>(d + i), reinterpret_cast<const kernels::Pixel16*>(s + i),
                           n - i, key);
}
void Alpha16(bool g6, uint16_t* d, const uint16_t* s, int n, uint32_t a, bool useKey, uint32_t key) {
    g6 ? Alpha16T<T565, F565>(d, s, n, a, useKey, key) : Alpha16T<T555, F555>(d, s, n, a, useKey, key);
}
void Mask16(bool g6, uint16_t* d, const uint16_t* s, const uint8_t* m, int n) {
    g6 ? Mask16T<T565, F565>(d, s, m, n) : Mask16T<T555, F555>(d, s, m, n);
}
void MaskAlpha16(bool g6, uint16_t* d, const uint16_t* s, const uint8_t* m, int n, uint32_t a) {
    g6 ? MaskWeighted16T<T565, F565, false>(d, s, m, n, a) : MaskWeighted16T<T555, F555, false>(d, s, m, n, a);
}
void Add16(bool g6, uint16_t* d, const uint16_t* s, int n, uint32_t f, bool useKey, uint32_t key) {
    g6 ? Add16T<T565, F565>(d, s, n, f, useKey, key) : Add16T<T555, F555>(d, s, n, f, useKey, key);
}
void MaskAdd16(bool g6, uint16_t* d, const uint16_t* s, const uint8_t* m, int n, uint32_t f) {
    g6 ? MaskWeighted16T<T565, F565, true>(d, s, m, n, f) : MaskWeighted16T<T555, F555, true>(d, s, m, n, f);
}
void Sub16(bool g6, uint16_t* d, const uint16_t* s, int n) {
    g6 ? Sub16T<T565, F565>(d, s, n) : Sub16T<T555, F555>(d, s, n);
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
void CopyKey16(uint16_t*, const uint16_t*, int, uint32_t) {}
void Alpha16(bool, uint16_t*, const uint16_t*, int, uint32_t, bool, uint32_t) {}
void Mask16(bool, uint16_t*, const uint16_t*, const uint8_t*, int) {}
void MaskAlpha16(bool, uint16_t*, const uint16_t*, const uint8_t*, int, uint32_t) {}
void Add16(bool, uint16_t*, const uint16_t*, int, uint32_t, bool, uint32_t) {}
void MaskAdd16(bool, uint16_t*, const uint16_t*, const uint8_t*, int, uint32_t) {}
void Sub16(bool, uint16_t*, const uint16_t*, int) {}
} // namespace ruvo::avx2

#endif
