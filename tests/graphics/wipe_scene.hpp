#pragma once
// Test scene for transitions: a target and the two pictures, and a deterministic random source.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "graphics/surface/dibx.hpp"
#include "graphics/wipes/wipes.hpp"
#include "surface_helpers.hpp"

namespace ruvo::test {

struct TWipeScene {
    std::unique_ptr<TDIBX> Target, Before, After;

    // Solid pictures of the two colours (0x00BBGGRR).
    static TWipeScene Solid(int w, int h, int bits, uint32_t before, uint32_t after) {
        TWipeScene s{MakeSurface(w, h, bits), MakeSurface(w, h, bits), MakeSurface(w, h, bits)};
        s.Before->Clear(uint32_t(s.Before->ColorToPixel(int32_t(before))));
        s.After->Clear(uint32_t(s.After->ColorToPixel(int32_t(after))));
        s.Target->Clear(0);
        return s;
    }
    // Noise pictures (colour channels only, as a screen holds them).
    static TWipeScene Noise(int w, int h, int bits, uint32_t seed = 7) {
        std::mt19937 rng(seed);
        TWipeScene s{MakeSurface(w, h, bits), RandomSurface(rng, w, h, bits), RandomSurface(rng, w, h, bits)};
        const uint32_t colour = bits == 32 ? 0xFFFFFF : 0xFFFF;
        for (TDIBX* p : {s.Before.get(), s.After.get()})
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    p->SetPixel(x, y, p->GetPixel(x, y) & colour);
        s.Target->Clear(0);
        return s;
    }

    TWipeSurfaces Surfaces() { return {*Target, *Before, *After}; }
};

// A seeded generator in place of the player's random source.
inline TRandomFunction SeededRandom(uint32_t seed) {
    auto rng = std::make_shared<std::mt19937>(seed);
    return [rng](int32_t n) { return int32_t((*rng)() % uint32_t(n)); };
}

inline std::unique_ptr<TCustomWipe> Start(TWipeScene& scene, const TWipeSettings& settings, uint32_t seed = 1) {
    TWipeStart start = StartWipe(settings, scene.Surfaces(), SeededRandom(seed));
    EXPECT_FALSE(start.ChangesAtOnce()) << "type " << settings.Type;
    return std::move(start.Wipe);
}

// Steps the transition at time t, expecting a drawn frame.
inline void StepAt(TCustomWipe& wipe, int32_t t) {
    wipe.Elapsed = t;
    EXPECT_FALSE(wipe.Step()) << "at " << t;
}

} // namespace ruvo::test
