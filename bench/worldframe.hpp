#pragma once
// A frame of a display world as the player runs one (without presenting it), and a full repaint: what
// the world benchmarks time and compare with.
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "script/quietservices.hpp"

namespace ruvo::bench {

inline void WorldFrame(TQuietServices& services, TRuvoBaseList& world) {
    services.clock += 16;
    world.ProcessInput();
    world.Update();
    world.Paint();
    world.TakeDirtyRects();
}

inline void WorldFullRepaint(TRuvoBaseList& world) {
    world.ActiveScreen().AddWhole();
    world.Paint();
    world.TakeDirtyRects();
}

} // namespace ruvo::bench
