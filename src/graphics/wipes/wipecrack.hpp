#pragma once
// The crack: Before breaks into square shards that jump and fall away, one after the other in random
// order, uncovering After.
#include <vector>

#include "graphics/wipes/wipes.hpp"

namespace ruvo {

class TWipeCrack : public TCustomWipe {
public:
    TWipeCrack(const TWipeSurfaces& surfaces, const TRandomFunction& random);
    // Parameter 0: the shards' side (at least 16), which cuts the picture anew; parameter 1: the delay
    // between two shards' starts (at least 0).
    void SetParam(int i, int32_t value) override;

protected:
    void DrawFrame(int64_t t, int64_t T) override;

private:
    struct TShard {
        int32_t Column, Row;
        int32_t Drift;  // sideways movement in 1/100 pixel per step of the fall
    };
    void Cut();

    TRandomFunction random_;
    std::vector<TShard> shards_;  // in the order they start
    int64_t fallLength_ = 0;      // steps until a shard from the top has left the screen
};

} // namespace ruvo
