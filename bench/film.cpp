// Updating a frame list to a new time and drawing its moved pictures: the cost per track, for lists of
// 10 to 1000 image tracks (it should stay flat: the update is linear in the tracks). Allocations per
// frame are counted by replacing the global allocator of this program.
#include <benchmark/benchmark.h>

#include <memory>

#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmkinds.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/images/picture.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "../tests/support/countingnew.hpp"

namespace ruvo {
namespace {

class TOnePicture final : public TFilmResources {
public:
    std::shared_ptr<const TPicture> picture;
    std::shared_ptr<const TPicture> Picture(const std::string&) override { return picture; }
};

// n sprites of 32 x 32 moving over a 640 x 480 screen with their own easing, two frames each.
std::unique_ptr<TFilmManager> Sprites(int n, TOnePicture& pictures) {
    TPicture picture;
    for (uint32_t colour : {0xFF8040u, 0x4080FFu}) {
        TPictureFrame frame;
        frame.Colour = NewStorage(32, 32, 32);
        FillStorage(*frame.Colour, colour);
        frame.Delay = 100;
        picture.Frames.push_back(std::move(frame));
    }
    pictures.picture = std::make_shared<const TPicture>(std::move(picture));
    auto film = std::make_unique<TFilmManager>();
    for (int i = 0; i < n; ++i) {
        auto track = FindFilmTrackKind(uint8_t(0))->Create();
        auto& image = static_cast<TImageFrameList&>(*track);
        image.Length = 100000;
        image.Name = "sprite.png";
        image.StartX = (i * 37) % 600, image.StartY = (i * 53) % 440;
        image.EndX = 600 - image.StartX, image.EndY = 440 - image.StartY;
        image.EaseX = uint8_t(i % 3), image.EaseY = uint8_t((i + 1) % 3);
        image.LoopPeriod = 12;
        film->AddTrack(std::move(track));
    }
    film->Resolve();
    film->LoadResources(pictures);
    return film;
}

void BM_FilmUpdateAndDraw(benchmark::State& state) {
    const int n = int(state.range(0));
    TOnePicture pictures;
    auto film = Sprites(n, pictures);
    TDIBX screen;
    screen.SetSize(640, 480, 32);
    const TFilmCanvas canvas{screen, 0, 0};
    int32_t time = 0;
    film->Update(time);
    film->DrawAll(canvas);
    const long before = ruvo::testing::AllocationCount();
    for (auto _ : state) {
        time = (time + 1) % 100000;
        film->Update(time);
        film->DrawAll(canvas);
        benchmark::ClobberMemory();
    }
    state.counters["allocs_per_frame"] = double(ruvo::testing::AllocationCount() - before) / double(state.iterations());
    state.counters["per_track"] = benchmark::Counter(double(state.iterations()) * n,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetComplexityN(n);
}
BENCHMARK(BM_FilmUpdateAndDraw)->Arg(10)->Arg(100)->Arg(1000)->Complexity(benchmark::oN);

// The update alone (no drawing): the timeline's own cost per track.
void BM_FilmUpdate(benchmark::State& state) {
    const int n = int(state.range(0));
    TOnePicture pictures;
    auto film = Sprites(n, pictures);
    int32_t time = 0;
    for (auto _ : state) {
        time = (time + 1) % 100000;
        film->Update(time);
        benchmark::ClobberMemory();
    }
    state.counters["per_track"] = benchmark::Counter(double(state.iterations()) * n,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetComplexityN(n);
}
BENCHMARK(BM_FilmUpdate)->Arg(10)->Arg(100)->Arg(1000)->Complexity(benchmark::oN);

} // namespace
} // namespace ruvo
