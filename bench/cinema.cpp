// A cinema playing a frame list of image tracks through the object world: every frame the film goes to
// a new time, each track's display object in the cinema's world follows its track, the moved objects'
// areas are painted again in the cinema's world and the outer screen repaints what changed. The cost
// per track for 25, 100 and 400 tracks of 32 x 32 sprites scattered at random over a 640 x 480 stage
// and moving slowly (it should stay flat once the repainted share of the screen stops growing), each
// frame set against a memcpy of one frame ("x_memcpy") and against a frame that repaints the whole stage
// ("x_full"), with the share of the screen repainted. Allocations in the frame's update and paint are
// counted by replacing the global allocator of this program.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <memory>
#include <random>
#include <unistd.h>

#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "besttime.hpp"
#include "graphics/images/bmpfile.hpp"
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/images/cinema.hpp"
#include "objects/images/cinemaworld.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/varset.hpp"
#include "script/quietservices.hpp"
#include "../tests/support/countingnew.hpp"

namespace {

using namespace ruvo;
namespace fs = std::filesystem;
constexpr int kW = 640, kH = 480;

class TNoDiscs final : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override { return {}; }
};

// A game folder of its own with a 32 x 32 sprite and a frame list of n tracks moving it about.
struct TBenchGame {
    fs::path dir = fs::temp_directory_path() / ("ruvo-bench-cinema-" + std::to_string(::getpid()));
    explicit TBenchGame(int n) {
        fs::create_directories(dir / "game");
        fs::create_directories(dir / "tmp");
        TMemoryStream bmp;
        WriteBitmap24(bmp, 32, 32, std::vector<uint32_t>(32 * 32, 0x4080FF));
        bmp.SaveToFile(dir / "game" / "sprite.bmp");
        TFilmManager film;
        film.Cinema = true;
        film.StageWidth = kW;
        film.StageHeight = kH;
        std::mt19937 rng(5);
        for (int i = 0; i < n; ++i) {
            auto image = std::make_unique<TImageFrameList>();
            image->Length = 100000;
            image->Name = "sprite.bmp";
            image->StartX = int32_t(rng() % 600), image->StartY = int32_t(rng() % 440);
            image->EndX = 600 - image->StartX, image->EndY = 440 - image->StartY;
            image->EaseX = uint8_t(i % 3), image->EaseY = uint8_t((i + 1) % 3);
            film.AddTrack(std::move(image));
        }
        film.Resolve();
        TMemoryStream rmt;
        film.SaveToStream(rmt);
        rmt.SaveToFile(dir / "game" / "sprites.rmt");
    }
    ~TBenchGame() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

struct TBenchCinema {
    TBenchGame game;
    TDeletionList deletions;
    TVrFileManager files{deletions, std::make_unique<TNoDiscs>(), game.dir / "tmp"};
    TPictureCache pictures{files, 32};
    TQuietServices services;
    TParamCollection vars;
    TRuvoBaseList world{services, vars};
    TRuvoCinema* cinema = nullptr;

    explicit TBenchCinema(int n) : game(n) {
        files.SetBaseFolder(game.dir / "game");
        world.SetPictures(&pictures);
        world.SetSize(kW, kH);
        cinema = static_cast<TRuvoCinema*>(world.CreateByType(4));
        cinema->SetParent(&world.ActiveScreen());
        SetProperty(*cinema, PR_REPEAT, true);
        SetProperty(*cinema, PR_SOURCE, std::string("sprites.rmt"));
        if (cinema->Length() != 100000) throw std::runtime_error("the frame list did not load");
        Frame();
        Frame();
    }
    // One frame: the film a frame on, the objects following, the dirty areas painted. The presenter's
    // taking of the rectangles is left out (the world's, not the cinema's).
    void Frame() {
        services.frameTime = 17;  // a film frame is 16.67 ms: every frame shows the next one or more
        services.clock += 17;
        world.ProcessInput();
        world.Update();
        for (const TRect& r : world.ActiveScreen().Dirty().Rects()) repainted += double(r.Width()) * r.Height();
        world.Paint();
        world.ActiveScreen().Dirty().Clear();
    }
    double repainted = 0;  // pixels of the outer screen repainted so far
};

void BM_CinemaFrame(benchmark::State& state) {
    const int n = int(state.range(0));
    TBenchCinema c(n);
    const double memcpyNs = bench::MemcpyNs(size_t(kW) * kH * 4);
    // The same frame with the whole stage repainted in both worlds, as a cinema drawn from a stage
    // of its own did every frame.
    const auto fullFrame = [&] {
        c.cinema->Tracks()->World().Screen(0).AddWhole();
        c.world.ActiveScreen().AddWhole();
        c.Frame();
    };
    double fullNs = 0;
    for (int i = 0; i < 20; ++i) fullNs += bench::BestNs(fullFrame, 1) / 20;
    const long before = ruvo::testing::AllocationCount();
    const int32_t first = c.cinema->Frame();
    c.repainted = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) c.Frame();
    const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() /
                      double(state.iterations());
    if (c.cinema->Frame() == first) throw std::runtime_error("the film did not move");
    state.counters["allocs_per_frame"] = double(ruvo::testing::AllocationCount() - before) / double(state.iterations());
    state.counters["per_track_ns"] = ns / n;
    state.counters["repainted_share"] = c.repainted / double(state.iterations()) / (double(kW) * kH);
    state.counters["x_memcpy"] = ns / memcpyNs;
    state.counters["x_full"] = ns / fullNs;
}
BENCHMARK(BM_CinemaFrame)->Arg(25)->Arg(100)->Arg(400)->Iterations(300);

} // namespace
