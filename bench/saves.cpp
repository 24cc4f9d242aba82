// Saving a game with 10,000 variables and 1,000 display objects into a "save.dat" that already holds
// other slots (the cost grows with the file, as the whole file is written again), and loading the slot
// back (the cost grows with the slot).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/images/imagesettings.hpp"
#include "objects/text/history.hpp"
#include "objects/base/control.hpp"
#include "objects/text/readmarks.hpp"
#include "objects/world/savedworld.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/datatables.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "script/gameproject.hpp"
#include "script/offlinegame.hpp"
#include "script/runcontext.hpp"
#include "script/savedgames.hpp"
#include "archive/playerservices.hpp"

namespace {

using namespace ruvo;
namespace fs = std::filesystem;

class BenchServices : public TQuietServices {
public:
    void ShowWarning(const std::string&) override { std::abort(); }  // a failed save spoils the figures
};

class NoDiscs : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override { return {}; }
};

// A running game with `variables` variables (integers, strings and small arrays in turn) and `objects`
// display objects (boxes, every tenth inside the one before, and timers) whose saves go to a folder of
// its own.
class BenchGame {
public:
    BenchGame(int variables, int objects) : folder_(MakeFolder()) {
        world_.SetSize(640, 480);
        TRuvoControl* previous = nullptr;
        for (int i = 0; i < objects; ++i) {
            TRuvoObject& o = *world_.CreateByType(i % 5 == 4 ? 15 : 2);
            o.SetName("o" + std::to_string(i));
            if (TRuvoControl* c = o.AsControl()) {
                c->SetParent(i % 10 == 3 && previous ? previous : &world_.Screen(0));
                previous = c;
            }
        }
        for (int i = 0; i < variables; ++i) {
            TCustomParam& v = vars_.Declare("v" + std::to_string(i), 1 + i % 4, TVarScope::Global).Value();
            if (i % 4 == 3) v.SetStr("value number " + std::to_string(i));
            else if (i % 4 == 0) v.SetInt(i);
            if (i % 100 == 1) v.SetDims({4, 8});
        }
        saves_.Open(project_.Settings);
    }
    ~BenchGame() {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    TSavedGames& Saves() { return saves_; }
    fs::path SaveFile() const { return folder_ / "save.dat"; }

private:
    static fs::path MakeFolder() {
        std::string pattern = (fs::temp_directory_path() / "ruvobench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        return pattern;
    }

    fs::path folder_;
    BenchServices services_;
    TDeletionList deletions_;
    TVrFileManager files_{deletions_, std::make_unique<NoDiscs>(), fs::path()};
    TParamCollection vars_;
    TSysFuncMan funcs_{vars_};
    TRuvoBaseList world_{services_, vars_};
    TSavedWorld savedWorld_{world_};
    TRunContext context_{services_, vars_, funcs_, nullptr, nullptr, &world_};
    TProject project_{context_, files_};
    TRuvoNewHistory history_;
    TRuvoReadList readMarks_;
    TLayeredImageSettings images_;
    TDBManager tables_;
    TSavedGames saves_{TSaveSetup{folder_, {}, folder_}, project_,
                       TGameParts{context_, savedWorld_, history_, *project_.CallMan, vars_, tables_},
                       TStatusParts{vars_, readMarks_, images_, tables_}};
};

constexpr int kVariables = 10000;
constexpr int kObjects = 1000;

// Arg: the slots save.dat holds before; each save rewrites the file with one more slot's worth.
void BM_SaveGame(benchmark::State& state) {
    BenchGame game(kVariables, kObjects);
    const int slots = static_cast<int>(state.range(0));
    for (int slot = 1; slot <= slots; ++slot) game.Saves().SaveGame(TSaveRequest{slot, "old", "", 0});
    int64_t written = 0;
    for (auto _ : state) {
        game.Saves().SaveGame(TSaveRequest{0, "new", "", 0});
        written += static_cast<int64_t>(fs::file_size(game.SaveFile()));
    }
    state.SetBytesProcessed(written);
    state.counters["file bytes"] = static_cast<double>(fs::file_size(game.SaveFile()));
}
BENCHMARK(BM_SaveGame)->Arg(0)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);

// Args: the variables and the objects of the saved game; the file holds that one slot.
void BM_LoadGame(benchmark::State& state) {
    BenchGame game(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    game.Saves().SaveGame(TSaveRequest{1, "slot", "", 0});
    for (auto _ : state) game.Saves().LoadGame(1);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(game.SaveFile())));
    state.counters["file bytes"] = static_cast<double>(fs::file_size(game.SaveFile()));
}
BENCHMARK(BM_LoadGame)
    ->Args({2500, 250})
    ->Args({5000, 500})
    ->Args({10000, 1000})
    ->Args({10000, 0})
    ->Args({5000, 0})
    ->Args({0, 1000})
    ->Args({0, 500})
    ->Unit(benchmark::kMillisecond);

} // namespace
