// Every drawing operation against the plain reference on random surfaces, sizes, clips, flips and blend
// codes, for each pixel format, with the hand-vectorised loops on and off.
#include <gtest/gtest.h>

#include "graphics/draw/blendrows.hpp"
#include "reference.hpp"
#include "surface_helpers.hpp"

namespace ruvo {
namespace {

using test::Copy;
using test::RandomMask;
using test::RandomSurface;
using test::SamePixels;

constexpr int kBlendCodes[] = {0, 1, 127, 128, 254, 255, 256, 300, 511};

enum class DrawKind {
    Draw, DrawAlpha, DrawAdd, DrawMasked, DrawMaskedAlpha, DrawMaskedAdd,
    StretchDraw, StretchDrawMasked, StretchDrawAdd, StretchDrawMaskedAdd,
    DrawRotate, DrawRotateMasked, FillRect, BlendRect, AddRect, SubRect,
    TileDraw, TileDrawAlpha, TileDrawAdd, TileDrawMasked, TileDrawMaskedAlpha, TileDrawMaskedAdd,
    PatternFill, PatternFillScaled, PatternFillScaledMasked, Count
};

const char* const kNames[] = {
    "Draw", "DrawAlpha", "DrawAdd", "DrawMasked", "DrawMaskedAlpha", "DrawMaskedAdd",
    "StretchDraw", "StretchDrawMasked", "StretchDrawAdd", "StretchDrawMaskedAdd",
    "DrawRotate", "DrawRotateMasked", "FillRect", "BlendRect", "AddRect", "SubRect",
    "TileDraw", "TileDrawAlpha", "TileDrawAdd", "TileDrawMasked", "TileDrawMaskedAlpha", "TileDrawMaskedAdd",
    "PatternFill", "PatternFillScaled", "PatternFillScaledMasked"};

struct Params {
    int bitCount;
    bool accelerated;
};

class DrawRandom : public ::testing::TestWithParam<Params> {
protected:
    void SetUp() override { SetAcceleratedLoops(GetParam().accelerated); }
    void TearDown() override { SetAcceleratedLoops(true); }
};

// The reference rule for an alpha argument (255 and above: the plain rule) and for an additive factor.
bool AlphaOp(int alpha, bool masked, ref::Op& op) { return ref::FromBlend(std::min(alpha, 255), masked, op); }
bool FactorOp(int factor, bool masked, ref::Op& op) {
    if (factor <= 0)
        return false;
    op.rule = masked ? ref::Rule::MaskAdd : ref::Rule::Add;
    op.param = std::min(factor, 256);
    return true;
}

TEST_P(DrawRandom, MatchesReference) {
    const int bits = GetParam().bitCount;
    std::mt19937 rng(1234 + bits);
    auto pick = [&](int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); };
    for (int kind = 0; kind < int(DrawKind::Count); ++kind) {
        for (int round = 0; round < 40; ++round) {
            const int sw = pick(1, 70), sh = pick(1, 24), dw = pick(1, 80), dh = pick(1, 32);
            auto src = RandomSurface(rng, sw, sh, bits, rng() % 2 ? 6 : 0);
            auto dst = RandomSurface(rng, dw, dh, bits, rng() % 2 ? 6 : 0);
            // Masks are sometimes smaller than the source: reads never go past them.
            auto mask = RandomMask(rng, rng() % 4 ? sw : pick(1, sw), rng() % 4 ? sh : pick(1, sh));
            src->TransparentColor = rng() % 4 == 0 ? -1 : int32_t(src->GetPixel(pick(0, sw - 1), pick(0, sh - 1)));
            if (rng() % 2)
                dst->AddClipRect(TRect{pick(-5, dw), pick(-5, dh), pick(0, dw + 5), pick(0, dh + 5)});
            auto expected = Copy(*dst);
            // Mostly rectangles that draw something; now and then empty ones or ones reaching outside.
            TRect sr{pick(-3, sw - 1), pick(-3, sh - 1), 0, 0};
            sr.Right = sr.Left + pick(rng() % 8 ? 1 : -2, sw + 3);
            sr.Bottom = sr.Top + pick(rng() % 8 ? 1 : -2, sh + 3);
            const int x = pick(-sr.Width() / 2 - 3, dw), y = pick(-sr.Height() / 2 - 3, dh);
            const bool key = rng() % 2, fh = rng() % 2, fv = rng() % 2;
            const int code = kBlendCodes[rng() % std::size(kBlendCodes)];
            TRect rect{pick(-20, dw - 1), pick(-20, dh - 1), 0, 0};
            rect.Right = rect.Left + pick(rng() % 8 ? 1 : -2, dw + 20);
            rect.Bottom = rect.Top + pick(rng() % 8 ? 1 : -2, dh + 20);
            const uint32_t pixel = src->GetPixel(pick(0, sw - 1), pick(0, sh - 1));
            ref::Op op;
            op.useKey = key && src->TransparentColor != -1;
            op.key = uint32_t(src->TransparentColor);
            TDIBX& e = *expected;
            switch (DrawKind(kind)) {
            case DrawKind::Draw:
                dst->Draw(x, y, *src, sr, key, fh, fv);
                ref::Positioned(e, x, y, *src, sr, fh, fv, nullptr, op);
                break;
            case DrawKind::DrawAlpha:
                dst->DrawAlpha(x, y, *src, sr, key, fh, fv, code);
                if (AlphaOp(code, false, op))
                    ref::Positioned(e, x, y, *src, sr, fh, fv, nullptr, op);
                break;
            case DrawKind::DrawAdd:
                dst->DrawAdd(x, y, *src, sr, key, fh, fv, code);
                if (FactorOp(code, false, op))
                    ref::Positioned(e, x, y, *src, sr, fh, fv, nullptr, op);
                break;
            case DrawKind::DrawMasked:
                dst->DrawMasked(x, y, *src, sr, fh, fv, *mask);
                op.rule = ref::Rule::Mask;
                ref::Positioned(e, x, y, *src, sr, fh, fv, mask.get(), op);
                break;
            case DrawKind::DrawMaskedAlpha:
                dst->DrawMaskedAlpha(x, y, *src, sr, fh, fv, *mask, code);
                if (AlphaOp(code, true, op))
                    ref::Positioned(e, x, y, *src, sr, fh, fv, mask.get(), op);
                break;
            case DrawKind::DrawMaskedAdd:
                dst->DrawMaskedAdd(x, y, *src, sr, fh, fv, *mask, code);
                if (FactorOp(code, true, op))
                    ref::Positioned(e, x, y, *src, sr, fh, fv, mask.get(), op);
                break;
            case DrawKind::StretchDraw:
                dst->StretchDraw(rect, *src, sr, key, fh, fv, code);
                if (AlphaOp(code, false, op))
                    ref::Stretched(e, rect, *src, sr, fh, fv, nullptr, op);
                break;
            case DrawKind::StretchDrawMasked:
                dst->StretchDrawMasked(rect, *src, sr, fh, fv, *mask, code);
                if (AlphaOp(code, true, op))
                    ref::Stretched(e, rect, *src, sr, fh, fv, mask.get(), op);
                break;
            case DrawKind::StretchDrawAdd:
                dst->StretchDrawAdd(rect, *src, sr, key, fh, fv, code);
                if (FactorOp(code, false, op))
                    ref::Stretched(e, rect, *src, sr, fh, fv, nullptr, op);
                break;
            case DrawKind::StretchDrawMaskedAdd:
                dst->StretchDrawMaskedAdd(rect, *src, sr, fh, fv, *mask, code);
                if (FactorOp(code, true, op))
                    ref::Stretched(e, rect, *src, sr, fh, fv, mask.get(), op);
                break;
            case DrawKind::DrawRotate:
            case DrawKind::DrawRotateMasked: {
                const bool masked = DrawKind(kind) == DrawKind::DrawRotateMasked;
                const int zx = pick(0, 700), zy = pick(1, 700), angle = pick(-300, 300);
                const int px = pick(-5, sw + 5), py = pick(-5, sh + 5);
                if (masked)
                    dst->DrawRotateMasked(x, y, zx, zy, *src, sr, px, py, angle, fh, fv, *mask, code);
                else
                    dst->DrawRotate(x, y, zx, zy, *src, sr, px, py, angle, key, fh, fv, code);
                if (ref::FromBlend(code, masked, op))
                    ref::Rotated(e, x, y, zx, zy, *src, sr, px, py, angle, fh, fv, masked ? mask.get() : nullptr, op);
                break;
            }
            case DrawKind::FillRect:
                dst->FillRect(rect, pixel);
                ref::Fill(e, rect, pixel, ref::Op{ref::Rule::Copy});
                break;
            case DrawKind::BlendRect:
                dst->BlendRect(rect, pixel, code);
                if (AlphaOp(code, false, op))
                    ref::Fill(e, rect, pixel, ref::Op{op.rule, op.param});
                break;
            case DrawKind::AddRect:
                dst->AddRect(rect, pixel);
                ref::Fill(e, rect, pixel, ref::Op{ref::Rule::Add, 256});
                break;
            case DrawKind::SubRect:
                dst->SubRect(rect, pixel);
                ref::Fill(e, rect, pixel, ref::Op{ref::Rule::Sub});
                break;
            case DrawKind::TileDraw:
            case DrawKind::TileDrawAlpha:
            case DrawKind::TileDrawAdd:
            case DrawKind::TileDrawMasked:
            case DrawKind::TileDrawMaskedAlpha:
            case DrawKind::TileDrawMaskedAdd: {
                if (sr.IsEmpty())
                    break;
                const int gx = pick(0, 4), gy = pick(0, 4), ox = pick(-50, 50), oy = pick(-50, 50);
                bool draw = true;
                TDIBX* m = nullptr;
                switch (DrawKind(kind)) {
                case DrawKind::TileDraw:
                    dst->TileDraw(rect, gx, gy, *src, sr, key, ox, oy);
                    break;
                case DrawKind::TileDrawAlpha:
                    dst->TileDrawAlpha(rect, gx, gy, *src, sr, key, code, ox, oy);
                    draw = AlphaOp(code, false, op);
                    break;
                case DrawKind::TileDrawAdd:
                    dst->TileDrawAdd(rect, gx, gy, *src, sr, key, code, ox, oy);
                    draw = FactorOp(code, false, op);
                    break;
                case DrawKind::TileDrawMasked:
                    dst->TileDrawMasked(rect, gx, gy, *src, sr, *mask, ox, oy);
                    op.rule = ref::Rule::Mask, m = mask.get();
                    break;
                case DrawKind::TileDrawMaskedAlpha:
                    dst->TileDrawMaskedAlpha(rect, gx, gy, *src, sr, *mask, code, ox, oy);
                    draw = AlphaOp(code, true, op), m = mask.get();
                    break;
                default:
                    dst->TileDrawMaskedAdd(rect, gx, gy, *src, sr, *mask, code, ox, oy);
                    draw = FactorOp(code, true, op), m = mask.get();
                    break;
                }
                if (draw)
                    ref::Tiled(e, rect, gx, gy, *src, sr, ox, oy, m, op);
                break;
            }
            case DrawKind::PatternFill: {
                const int ox = pick(-60, 60), oy = pick(-60, 60);
                dst->PatternFill(rect, *src, ox, oy, fh, fv);
                ref::PatternScaled(e, rect, 256, 256, *src, ox, oy, fh, fv, nullptr, ref::Op{ref::Rule::Copy});
                break;
            }
            case DrawKind::PatternFillScaled:
            case DrawKind::PatternFillScaledMasked: {
                const bool masked = DrawKind(kind) == DrawKind::PatternFillScaledMasked;
                auto fullMask = RandomMask(rng, sw, sh);
                const int zx = pick(1, 900), zy = pick(1, 900), ox = pick(-60, 60), oy = pick(-60, 60);
                if (masked)
                    dst->PatternFillScaledMasked(rect, zx, zy, *src, ox, oy, *fullMask, fh, fv, code);
                else
                    dst->PatternFillScaled(rect, zx, zy, *src, ox, oy, key, fh, fv, code);
                if (ref::FromBlend(code, masked, op))
                    ref::PatternScaled(e, rect, zx, zy, *src, ox, oy, fh, fv, masked ? fullMask.get() : nullptr, op);
                break;
            }
            case DrawKind::Count:
                break;
            }
            ASSERT_TRUE(SamePixels(e, *dst,
                                   std::string(kNames[kind]) + "-" + std::to_string(bits) + "bit-" +
                                       (GetParam().accelerated ? "fast" : "portable") + "-round" +
                                       std::to_string(round)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, DrawRandom,
                         ::testing::Values(Params{32, true}, Params{32, false}, Params{16, true}, Params{16, false},
                                           Params{15, true}, Params{15, false},
                                           Params{24, true}, Params{8, true}, Params{4, true}, Params{1, true}),
                         [](const auto& info) {
                             return std::to_string(info.param.bitCount) + "bit" +
                                    (info.param.accelerated ? "" : "Portable");
                         });

// A four-tone glyph: 4-bit pixels 0 (background, most common) to 3, now and then an unused value.
std::unique_ptr<TDIBX> MakeTone(std::mt19937& rng, int w, int h) {
    auto g = test::MakeSurface(w, h, 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t r = rng() % 10;
            g->SetPixel(x, y, r < 4 ? 0 : r < 9 ? 1 + r % 3 : 4 + rng() % 12);
        }
    return g;
}

// The glyph, coverage and indexed draws read sources of their own formats.
class SpecialDrawRandom : public ::testing::TestWithParam<int> {};

TEST_P(SpecialDrawRandom, MatchesReference) {
    const int bits = GetParam();
    std::mt19937 rng(99 + bits);
    auto pick = [&](int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); };
    for (int round = 0; round < 120; ++round) {
        const int dw = pick(1, 40), dh = pick(1, 30);
        auto dst = RandomSurface(rng, dw, dh, bits, rng() % 2 ? 5 : 0);
        if (rng() % 2)
            dst->AddClipRect(TRect{pick(-5, dw), pick(-5, dh), pick(0, dw + 5), pick(0, dh + 5)});
        auto expected = Copy(*dst);
        const int x = pick(-20, dw), y = pick(-20, dh), scale = pick(1, 4);
        const bool fh = rng() % 2, fv = rng() % 2;
        const int code = kBlendCodes[rng() % std::size(kBlendCodes)];
        auto colourSource = RandomSurface(rng, 4, 1, bits);
        const std::array<uint32_t, 3> colours{colourSource->GetPixel(0, 0), colourSource->GetPixel(1, 0),
                                              colourSource->GetPixel(2, 0)};
        std::string name;
        switch (round % 5) {
        case 0: {
            auto glyph = RandomSurface(rng, pick(1, 40), pick(1, 40), 1);
            const TRect sr{pick(-2, 10), pick(-2, 10), pick(0, 44), pick(0, 44)};
            dst->DrawMonoGlyph(x, y, *glyph, sr, colours[0], fh, fv, code, scale);
            ref::MonoGlyph(*expected, x, y, *glyph, sr, colours[0], fh, fv, code, scale);
            name = "DrawMonoGlyph";
            break;
        }
        case 1: {
            auto glyph = MakeTone(rng, pick(1, 40), pick(1, 40));
            const TRect sr{pick(-2, 10), pick(-2, 10), pick(0, 44), pick(0, 44)};
            dst->DrawToneGlyph(x, y, *glyph, sr, colours, fh, fv, code, scale);
            ref::ToneGlyph(*expected, x, y, *glyph, sr, colours, fh, fv, code, scale);
            name = "DrawToneGlyph";
            break;
        }
        case 2: {
            auto cover = RandomMask(rng, pick(1, 30), pick(1, 30));
            const TRect sr{pick(-2, 10), pick(-2, 10), pick(0, 34), pick(0, 34)};
            dst->DrawCoverage(x, y, *cover, sr, fh, fv, colours[1], code);
            ref::Coverage(*expected, x, y, *cover, sr, fh, fv, colours[1], code);
            name = "DrawCoverage";
            break;
        }
        case 3: {
            auto indexed = RandomSurface(rng, pick(1, 30), pick(1, 30), 4);
            indexed->TransparentColor = rng() % 2 ? pick(0, 15) : -1;
            auto values = RandomSurface(rng, 16, 1, bits, rng() % 2 ? 3 : 0);
            std::vector<uint32_t> palette(16);
            for (int i = 0; i < 16; ++i)
                palette[i] = rng() % 5 == 0 ? 0 : values->GetPixel(i, 0);
            const TRect sr{pick(-2, 10), pick(-2, 10), pick(0, 34), pick(0, 34)};
            dst->DrawIndexed4(x, y, *indexed, sr, fh, fv, code, palette);
            ref::Indexed4(*expected, x, y, *indexed, sr, fh, fv, code, palette);
            name = "DrawIndexed4";
            break;
        }
        default: {
            auto intensity = RandomSurface(rng, pick(1, 30), pick(1, 30), 8);
            auto values = RandomSurface(rng, 256, 1, bits);
            std::vector<uint32_t> palette(256);
            for (int i = 0; i < 256; ++i)
                palette[i] = values->GetPixel(i, 0);
            const TRect sr{pick(-2, 10), pick(-2, 10), pick(0, 34), pick(0, 34)};
            const int minIndex = pick(0, 255);
            dst->DrawIndexedAdd8(x, y, *intensity, sr, minIndex, fh, fv, code, palette);
            ref::IndexedAdd8(*expected, x, y, *intensity, sr, minIndex, fh, fv, code, palette);
            name = "DrawIndexedAdd8";
            break;
        }
        }
        ASSERT_TRUE(SamePixels(*expected, *dst, name + "-" + std::to_string(bits) + "bit-round" + std::to_string(round)));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, SpecialDrawRandom, ::testing::Values(32, 16, 15, 24, 8),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

} // namespace
} // namespace ruvo
