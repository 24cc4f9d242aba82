// A cinema that plays allocates nothing per frame: the film's update, its track objects following their
// tracks, the repaint of their areas in the cinema's world and on the outer screen. Counted by replacing
// the global allocator of this test program (every other test only passes through the count).
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmlabel.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/film/filmrect.hpp"
#include "image_fixture.hpp"
#include "objects/images/cinema.hpp"
#include "support/countingnew.hpp"
#include "text_world_fixture.hpp"

namespace ruvo::testing {
namespace {

class CinemaAllocation : public ImageFixture {
protected:
    CinemaAllocation() { world.TextObjects().SetText(&services); }
    ~CinemaAllocation() override { world.Reset(); }
    TTextServices services{SharedWorldFonts(), &vars, &funcs};
};

TEST_F(CinemaAllocation, PlayingAllocatesNothingPerFrame) {
    PutPicture("s.zph", 6, 6, {TestFrame{[](int, int) { return 0x0000FFu; }, nullptr, 50, {}},
                               TestFrame{[](int, int) { return 0x00FF00u; }, nullptr, 50, {}}});
    TFilmManager film;
    film.Cinema = true;
    for (int i = 0; i < 20; ++i) {
        auto image = std::make_unique<TImageFrameList>();
        image->KindByte = 0;
        image->Length = 80 + i;
        image->Name = "s.zph";
        image->StartX = i * 7, image->EndX = 150 - i * 3;
        image->StartY = i * 5, image->EndY = 100;
        image->EaseX = uint8_t(i % 3);
        image->LoopPeriod = 12;
        image->StartAngle = i % 4 == 0 ? 0 : 90;
        image->StartAlpha = i % 2 ? 255 : 128;
        film.AddTrack(std::move(image));
    }
    auto box = std::make_unique<TBoxFrameList>();
    box->KindByte = 2;
    box->Length = 100;
    box->EndWidth = box->EndHeight = 40;
    film.AddTrack(std::move(box));
    auto label = std::make_unique<TLabelFrameList>();
    label->KindByte = 1;
    label->Length = 100;
    label->EndX = 120;
    label->EndZoomX = 2;
    label->Text = "moving";
    film.AddTrack(std::move(label));
    PutFilmFile("f.rmt", film);

    auto& c = static_cast<TRuvoCinema&>(*world.CreateByType(4));
    c.SetParent(&world.ActiveScreen());
    SetProperty(c, PR_REPEAT, true);
    SetProperty(c, PR_SOURCE, std::string("f.rmt"));
    ASSERT_EQ(c.Length(), 100);
    const auto frame = [&] {
        clock += 17;
        frameTime = 17;
        world.ProcessInput();
        world.Update();
        world.Paint();
        world.ActiveScreen().Dirty().Clear();  // what the presenter takes is the world's business
    };
    // Once round the film: the drawing's row buffers grow to the widest rows it draws.
    for (int i = 0; i < 100; ++i) frame();
    const long before = AllocationCount();
    const int32_t first = GetIntProperty(c, PR_INDEX);
    for (int i = 0; i < 150; ++i) frame();  // through the end and round again
    EXPECT_EQ(AllocationCount() - before, 0);
    EXPECT_NE(GetIntProperty(c, PR_INDEX), first);
}

} // namespace
} // namespace ruvo::testing
