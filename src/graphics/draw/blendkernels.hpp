#pragma once
// Internal: the combination rules as plain row loops over 15-, 16- and 32-bit pixels, written so the
// compiler can vectorise them (selects instead of branches, no early exits). They are the portable form
// and the tails of the hand-vectorised loops.
#include <cstdint>

namespace ruvo::kernels {

// Pixel rows live in byte buffers; these pixel types may alias them.
struct TPixel32 {
    typedef uint32_t Type __attribute__((may_alias));
};
struct TPixel16 {
    typedef uint16_t Type __attribute__((may_alias));
};

template <class Storage, uint32_t RMax, int RS, uint32_t GMax, int GS, uint32_t BMax, int BS>
struct TFormat {
    using Pixel = typename Storage::Type;
    using P = uint32_t;
    static constexpr uint32_t ChannelMask = RMax << RS | GMax << GS | BMax << BS;

    static inline P Mix(P d, P s, uint32_t w) {  // ((255 - w) d + w s) / 256 per channel
        uint32_t iw = 255 - w;
        uint32_t r = ((iw * ((d >> RS) & RMax) + w * ((s >> RS) & RMax)) >> 8) << RS;
        uint32_t g = ((iw * ((d >> GS) & GMax) + w * ((s >> GS) & GMax)) >> 8) << GS;
        uint32_t b = ((iw * ((d >> BS) & BMax) + w * ((s >> BS) & BMax)) >> 8) << BS;
        return P(r | g | b);
    }
    static inline uint32_t Sat(uint32_t v, uint32_t mx) { return v > mx ? mx : v; }
    static inline P Add(P d, P s, uint32_t f) {  // min(max, d + f s / 256) per channel
        uint32_t r = Sat(((d >> RS) & RMax) + ((f * ((s >> RS) & RMax)) >> 8), RMax) << RS;
        uint32_t g = Sat(((d >> GS) & GMax) + ((f * ((s >> GS) & GMax)) >> 8), GMax) << GS;
        uint32_t b = Sat(((d >> BS) & BMax) + ((f * ((s >> BS) & BMax)) >> 8), BMax) << BS;
        return P(r | g | b);
    }
    static inline uint32_t Minus(uint32_t a, uint32_t b) { return a > b ? a - b : 0; }
    static inline P Sub(P d, P s) {
        uint32_t r = Minus((d >> RS) & RMax, (s >> RS) & RMax) << RS;
        uint32_t g = Minus((d >> GS) & GMax, (s >> GS) & GMax) << GS;
        uint32_t b = Minus((d >> BS) & BMax, (s >> BS) & BMax) << BS;
        return P(r | g | b);
    }
};

using Pixel32 = TPixel32::Type;
using Pixel16 = TPixel16::Type;
using F32 = TFormat<TPixel32, 255, 16, 255, 8, 255, 0>;
using F565 = TFormat<TPixel16, 31, 11, 63, 5, 31, 0>;
using F555 = TFormat<TPixel16, 31, 10, 31, 5, 31, 0>;

#define RUVO_KERNEL_INLINE inline __attribute__((always_inline))

template <class F>
RUVO_KERNEL_INLINE void CopyKey(typename F::Pixel* d, const typename F::Pixel* s, int n, uint32_t key) {
    for (int i = 0; i < n; ++i)
        d[i] = s[i] == key ? d[i] : s[i];
}
template <class F>
RUVO_KERNEL_INLINE void Alpha(typename F::Pixel* d, const typename F::Pixel* s, int n, uint32_t a, bool useKey,
                              uint32_t key) {
    for (int i = 0; i < n; ++i) {
        auto dv = d[i], sv = s[i];
        auto r = F::Mix(dv, sv, a);
        bool alone = sv == dv || (useKey && sv == key);
        d[i] = alone ? dv : r;
    }
}
template <class F>
RUVO_KERNEL_INLINE void Mask(typename F::Pixel* d, const typename F::Pixel* s, const uint8_t* m, int n) {
    for (int i = 0; i < n; ++i) {
        auto dv = d[i], sv = s[i];
        uint32_t mv = m[i];
        auto r = F::Mix(dv, sv, mv);
        d[i] = mv == 0 ? dv : (mv == 255 ? sv : r);
    }
}
template <class F>
RUVO_KERNEL_INLINE void MaskAlpha(typename F::Pixel* d, const typename F::Pixel* s, const uint8_t* m, int n,
                                  uint32_t a) {
    for (int i = 0; i < n; ++i) {
        auto dv = d[i], sv = s[i];
        uint32_t mv = m[i];
        uint32_t r = mv == 255 ? a : (a * mv) >> 8;
        auto x = F::Mix(dv, sv, r);
        d[i] = r == 0 ? dv : x;
    }
}
template <class F>
RUVO_KERNEL_INLINE void Add(typename F::Pixel* d, const typename F::Pixel* s, int n, uint32_t f, bool useKey,
                            uint32_t key) {
    for (int i = 0; i < n; ++i) {
        auto dv = d[i], sv = s[i];
        auto r = F::Add(dv, sv, f);
        d[i] = (useKey && sv == key) ? dv : r;
    }
}
template <class F>
RUVO_KERNEL_INLINE void MaskAdd(typename F::Pixel* d, const typename F::Pixel* s, const uint8_t* m, int n,
                                uint32_t f) {
    for (int i = 0; i < n; ++i) {
        auto dv = d[i], sv = s[i];
        uint32_t mv = m[i];
        uint32_t r = mv == 255 ? f : (f * mv) >> 8;
        auto x = F::Add(dv, sv, r);
        d[i] = r == 0 ? dv : x;
    }
}
template <class F>
RUVO_KERNEL_INLINE void Sub(typename F::Pixel* d, const typename F::Pixel* s, int n) {
    for (int i = 0; i < n; ++i)
        d[i] = F::Sub(d[i], s[i]);
}

} // namespace ruvo::kernels
