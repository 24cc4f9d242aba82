// A frame list that plays allocates nothing per frame: updating its tracks, swapping bases, starting
// sounds and drawing positioned pictures and boxes. Counted by replacing the global allocator of this
// test program (every other test only passes through the count).
#include <gtest/gtest.h>

#include "film_helpers.hpp"
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmrect.hpp"
#include "graphics/film/filmsound.hpp"
#include "support/countingnew.hpp"

namespace ruvo::test {
namespace {

class TQuietStage final : public TFilmStage {
public:
    int calls = 0;
    void ShowBase(int) override { ++calls; }
    void ShowTransition(const TWipeFrameList&, int, int32_t, bool) override { ++calls; }
};

class TQuietSounds final : public TFilmSoundOutput {
public:
    int started = 0;
    void StartSound(const TSoundFrameList&, const std::string&) override { ++started; }
    void StopSound(const TSoundFrameList&) override {}
};

TEST(FilmAllocation, PlayingAllocatesNothingPerFrame) {
    TFilmManager film;
    TTestPictures pictures;
    pictures.Pictures.emplace_back("s.png", std::make_shared<const TPicture>(SolidPicture(8, 8, {0xFF0000, 0x00FF00}, 50)));
    for (int i = 0; i < 100; ++i) {
        auto track = NewTrack(0, i % 7, 200, i % 3 == 2 ? i - 1 : -1);
        auto& image = static_cast<TImageFrameList&>(*track);
        image.Name = "s.png";
        image.EndX = 300, image.EndY = i * 2, image.EaseX = uint8_t(i % 3);
        image.LoopPeriod = 12;
        image.StartAlpha = i % 2 ? 255 : 128;
        film.AddTrack(std::move(track));
    }
    auto box = NewTrack(2, 0, 400);
    static_cast<TBoxFrameList&>(*box).EndWidth = 50;
    film.AddTrack(std::move(box));
    film.AddTrack(NewTrack(3, 30, 20));
    film.AddTrack(NewTrack(4, 10, 20));
    film.Resolve();
    film.LoadResources(pictures);
    TQuietStage stage;
    TQuietSounds sounds;
    film.SetStage(&stage);
    film.SetSoundOutput(&sounds);
    TDIBX screen;
    screen.SetSize(320, 240, 32);
    const TFilmCanvas canvas{screen, 0, 0};

    const long before = ruvo::testing::AllocationCount();
    for (int32_t time = 0; time < 420; time += 3) {
        film.Update(time);
        film.Draw(canvas, film.BaseIndex());
    }
    EXPECT_EQ(ruvo::testing::AllocationCount() - before, 0);
    const auto probe = std::make_unique<int>(1);  // the count does see allocations
    EXPECT_EQ(ruvo::testing::AllocationCount() - before, 1);
    EXPECT_EQ(stage.calls, 140);
    EXPECT_EQ(sounds.started, 1);
}

} // namespace
} // namespace ruvo::test
