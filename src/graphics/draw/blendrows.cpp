#include "graphics/draw/blendrows.hpp"

#include <algorithm>
#include <cstring>

#include "graphics/draw/blendavx2.hpp"
#include "graphics/draw/blendkernels.hpp"

namespace ruvo {

bool RuleForBlend(int blend, bool masked, TBlendOp& op) noexcept {
    if (blend <= 0)
        return false;
    if (blend < 255) {
        op.Rule = masked ? TBlendRule::MaskAlpha : TBlendRule::Alpha;
        op.Param = blend;
    } else if (blend == 255) {
        op.Rule = masked ? TBlendRule::Mask : TBlendRule::Copy;
    } else {
        op.Rule = masked ? TBlendRule::MaskAdd : TBlendRule::Add;
        op.Param = std::min(blend - 256, 255);
    }
    return true;
}

bool RuleForAlpha(int alpha, bool masked, TBlendOp& op) noexcept {
    return RuleForBlend(std::min(alpha, 255), masked, op);
}

bool RuleForFactor(int factor, bool masked, TBlendOp& op) noexcept {
    if (factor <= 0)
        return false;
    op.Rule = masked ? TBlendRule::MaskAdd : TBlendRule::Add;
    op.Param = std::min(factor, 256);
    return true;
}

namespace {
using namespace kernels;

// The portable loops, cloned for AVX2 where the compiler supports per-function targets; the 32-bit
// clones are used only when no hand-written loop exists.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define RUVO_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define RUVO_CLONES
#endif

#define RUVO_PORTABLE_SET(NAME, F)                                                                            \
    RUVO_CLONES void NAME##CopyKey(uint8_t* d, const uint8_t* s, int n, uint32_t k) {                          \
        CopyKey<F>(reinterpret_cast<F::Pixel*>(d), reinterpret_cast<const F::Pixel*>(s), n, k);                \
    }                                                                                                          \
    RUVO_CLONES void NAME##Alpha(uint8_t* d, const uint8_t* s, int n, uint32_t a, bool uk, uint32_t k) {       \
        Alpha<F>(reinterpret_cast<F::Pixel*>(d), reinterpret_cast<const F::Pixel*>(s), n, a, uk, k);           \
    }                                                                                                          \
    RUVO_CLONES void NAME##Mask(uint8_t* d, const uint8_t* s, const uint8_t* m, int n) {                       \
        Mask<F>(reinterpret_cast<F::Pixel*>(d), reinterpret_cast<const F::Pixel*>(s), m, n);                   \
    }                                                                                                          \
    RUVO_CLONES void NAME##MaskAlpha(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, uint32_t a) {      \
        MaskAlpha<F>(reinterpret_cast<F::Pixel*>(d), reinterpret_cast<const F::Pixel*>(s), m, n, a);           \
    }                                                                                                          \
    RUVO_CLONES void NAME##Add(uint8_t* d, const uint8_t* s, int n, uint32_t f, bool uk, uint32_t k) {         \
        Add<F>(reinterpret_cast<F::Pixel*>(d), reinterpret_cast<const F::Pixel*>(s), n, f, uk, k);             \
    }                                                                                                          \
    RUVO_CLONES void NAME##MaskAdd(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, uint32_t f) {        \
        MaskAdd<F>(reinterpret_cast<F::Pixel*>(d), reinterpret_cast<const F::Pixel*>(s), m, n, f);             \
    }                                                                                                          \
    RUVO_CLONES void NAME##Sub(uint8_t* d, const uint8_t* s, int n) {                                          \
        Sub<F>(reinterpret_cast<F::Pixel*>(d), reinterpret_cast<const F::Pixel*>(s), n);                       \
    }

RUVO_PORTABLE_SET(P32, F32)
RUVO_PORTABLE_SET(P565, F565)
RUVO_PORTABLE_SET(P555, F555)

#define RUVO_DISPATCH_PORTABLE(NAME, BYTES)                                                                   \
    switch (op.Rule) {                                                                                        \
    case TBlendRule::Copy:                                                                                    \
        if (op.UseKey)                                                                                        \
            NAME##CopyKey(dst, src, n, op.Key);                                                               \
        else                                                                                                  \
            std::memmove(dst, src, size_t(n) * BYTES);                                                        \
        break;                                                                                                \
    case TBlendRule::Alpha: NAME##Alpha(dst, src, n, op.Param, op.UseKey, op.Key); break;                    \
    case TBlendRule::Mask: NAME##Mask(dst, src, mask, n); break;                                             \
    case TBlendRule::MaskAlpha: NAME##MaskAlpha(dst, src, mask, n, op.Param); break;                         \
    case TBlendRule::Add: NAME##Add(dst, src, n, op.Param, op.UseKey, op.Key); break;                        \
    case TBlendRule::MaskAdd: NAME##MaskAdd(dst, src, mask, n, op.Param); break;                             \
    case TBlendRule::Sub: NAME##Sub(dst, src, n); break;                                                     \
    }

void Blend32(uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n, const TBlendOp& op) {
    if (avx2::Available()) {
        auto* d = reinterpret_cast<uint32_t*>(dst);
        auto* s = reinterpret_cast<const uint32_t*>(src);
        switch (op.Rule) {
        case TBlendRule::Copy:
            if (op.UseKey)
                avx2::CopyKey32(d, s, n, op.Key);
            else
                std::memmove(dst, src, size_t(n) * 4);
            return;
        case TBlendRule::Alpha: avx2::Alpha32(d, s, n, op.Param, op.UseKey, op.Key); return;
        case TBlendRule::Mask: avx2::Mask32(d, s, mask, n); return;
        case TBlendRule::MaskAlpha: avx2::MaskAlpha32(d, s, mask, n, op.Param); return;
        case TBlendRule::Add: avx2::Add32(d, s, n, op.Param, op.UseKey, op.Key); return;
        case TBlendRule::MaskAdd: avx2::MaskAdd32(d, s, mask, n, op.Param); return;
        case TBlendRule::Sub: avx2::Sub32(d, s, n); return;
        }
    }
    RUVO_DISPATCH_PORTABLE(P32, 4)
}

void Blend16(bool green565, uint8_t* dst, const uint8_t* src, const uint8_t* mask, int n, const TBlendOp& op) {
    if (avx2::Available()) {
        auto* d = reinterpret_cast<uint16_t*>(dst);
        auto* s = reinterpret_cast<const uint16_t*>(src);
        switch (op.Rule) {
        case TBlendRule::Copy:
            if (op.UseKey)
                avx2::CopyKey16(d, s, n, op.Key);
            else
                std::memmove(dst, src, size_t(n) * 2);
            return;
        case TBlendRule::Alpha: avx2::Alpha16(green565, d, s, n, op.Param, op.UseKey, op.Key); return;
        case TBlendRule::Mask: avx2::Mask16(green565, d, s, mask, n); return;
        case TBlendRule::MaskAlpha: avx2::MaskAlpha16(green565, d, s, mask, n, op.Param); return;
        case TBlendRule::Add: avx2::Add16(green565, d, s, n, op.Param, op.UseKey, op.Key); return;
        case TBlendRule::MaskAdd: avx2::MaskAdd16(green565, d, s, mask, n, op.Param); return;
        case TBlendRule::Sub: avx2::Sub16(green565, d, s, n); return;
        }
    }
    if (green565) {
        RUVO_DISPATCH_PORTABLE(P565, 2)
    } else {
        RUVO_DISPATCH_PORTABLE(P555, 2)
    }
}

void BlendGeneric(const TPixelFormat& format, uint8_t* row, int32_t x, const uint8_t* src, const uint8_t* mask,
                  int n, const TBlendOp& op) {
    const int bits = format.StorageBits();
    if (op.Rule == TBlendRule::Copy && !op.UseKey && bits >= 8) {
        std::memmove(row + ptrdiff_t(x) * (bits / 8), src, size_t(n) * (bits / 8));
        return;
    }
    for (int i = 0; i < n; ++i) {
        uint32_t s = bits >= 8 ? ReadPixel(src, i, bits) : src[i];
        uint32_t d = ReadPixel(row, x + i, bits), out;
        if (CombinePixel(format, op, d, s, mask ? mask[i] : 0, out))
            WritePixel(row, x + i, bits, out);
    }
}
} // namespace

void BlendRow(const TPixelFormat& format, uint8_t* dstRow, int32_t dstX, const uint8_t* src, const uint8_t* mask,
              int32_t n, const TBlendOp& op) {
    if (n <= 0)
        return;
    switch (format.BitCount) {
    case 32: Blend32(dstRow + ptrdiff_t(dstX) * 4, src, mask, n, op); break;
    case 16: Blend16(true, dstRow + ptrdiff_t(dstX) * 2, src, mask, n, op); break;
    case 15: Blend16(false, dstRow + ptrdiff_t(dstX) * 2, src, mask, n, op); break;
    default: BlendGeneric(format, dstRow, dstX, src, mask, n, op); break;
    }
}

void GatherRow(const TPixelView& src, int32_t y, const int32_t* cols, int32_t n, uint8_t* out) {
    const uint8_t* row = src.Row(y);
    switch (src.Format.StorageBits()) {
    case 32:
        if (avx2::Available()) {
            avx2::Gather32(reinterpret_cast<uint32_t*>(out), reinterpret_cast<const uint32_t*>(row), cols, n);
        } else {
            auto* o = reinterpret_cast<Pixel32*>(out);
            auto* r = reinterpret_cast<const Pixel32*>(row);
            for (int i = 0; i < n; ++i)
                o[i] = r[cols[i]];
        }
        break;
    case 16: {
        auto* o = reinterpret_cast<Pixel16*>(out);
        auto* r = reinterpret_cast<const Pixel16*>(row);
        for (int i = 0; i < n; ++i)
            o[i] = r[cols[i]];
        break;
    }
    case 8:
        for (int i = 0; i < n; ++i)
            out[i] = row[cols[i]];
        break;
    case 24:
        for (int i = 0; i < n; ++i)
            std::memcpy(out + 3 * i, row + 3 * ptrdiff_t(cols[i]), 3);
        break;
    default:  // 1 and 4 bits: one byte per pixel
        for (int i = 0; i < n; ++i)
            out[i] = uint8_t(ReadPixel(row, cols[i], src.Format.StorageBits()));
        break;
    }
}

void SetAcceleratedLoops(bool enabled) noexcept { avx2::Allow(enabled); }

const char* BlendInstructionSet() noexcept {
    if (avx2::Available())
        return "AVX2";
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
    if (__builtin_cpu_supports("avx2"))
        return "AVX2 (compiler-vectorised clones)";
    return "SSE2";
#else
    return "portable";
#endif
}

} // namespace ruvo
