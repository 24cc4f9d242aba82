// Map images: the hovered region and its events, choosing by a left press, the right-click cancel,
// the end after a choice, the hover picture inside the region's shape, region files that are missing
// or damaged, and the saved form.
#include <fstream>

#include "archive/streams.hpp"
#include "graphics/images/regionmap.hpp"
#include "image_fixture.hpp"
#include "objects/choices/mapimage.hpp"

namespace ruvo::testing {
namespace {

constexpr uint32_t kRed = 0x0000FF, kYellow = 0x00FFFF, kGreen = 0x00FF00;

TestFrame Solid(uint32_t colour, int32_t delay = 100) {
    return TestFrame{[colour](int, int) { return colour; }, nullptr, delay, {}};
}

std::string Ev(const std::string& name, int code) { return name + ":" + std::to_string(code); }

class MapImages : public ImageFixture {
protected:
    MapImages() {
        PutPicture("map.zph", 60, 40, {Solid(kRed)});
        PutPicture("hover.zph", 60, 40, {Solid(kYellow, 50), Solid(kGreen, 50)});
        TRegionMap regions;
        regions.Regions.resize(2);
        regions.Regions[0].Name = Utf8ToSjis("森");  // a 20 × 20 rectangle at the top left
        regions.Regions[0].Right = regions.Regions[0].Bottom = 19;
        TMapRegion& lake = regions.Regions[1];  // an ellipse filling the right half
        lake.Name = "lake";
        lake.Kind = TMapRegion::kEllipse;
        lake.Left = 30, lake.Top = 0, lake.Right = 59, lake.Bottom = 39;
        PutFile("map.rgn", regions);
    }

    void PutFile(const std::string& name, const TRegionMap& regions) {
        TMemoryStream s;
        regions.SaveToStream(s);
        PutBytes(name, s.Bytes());
    }
    void PutBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir / "game" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        files.InvalidateLooseFiles();
    }

    // The map at (10, 10), every event handled.
    TRuvoMapImage& Map() {
        auto& m = static_cast<TRuvoMapImage&>(*world.CreateByType(18));
        m.SetName("map");
        m.SetParent(&world.ActiveScreen());
        m.SetLeft(10);
        m.SetTop(10);
        SetProperty(m, PR_SOURCE, std::string("map.zph"));
        SetProperty(m, PR_HOVERSOURCE, std::string("hover.zph"));
        SetProperty(m, PR_MAPSOURCE, std::string("map.rgn"));
        HandleEverything(m);
        for (int id : {PR_ONSELECT, PR_ONMAPIN, PR_ONMAPOUT}) SetProperty(m, id, std::string("h.rsb"));
        Frame();
        HandleAll();
        return m;
    }
    void Move(int x, int y) {
        world.MouseMove(x, y);
        Frame();
    }
    void Press(bool left, int x, int y) {
        world.MouseDown(left, x, y);
        Frame();
        world.MouseUp();
        Frame();
    }
    std::vector<std::string> Parameters(int code) {
        for (int i = 0; i < world.Events().Count(); ++i)
            if (world.Events()[i].Code == code) return world.Events()[i].Parameters;
        return {};
    }
    uint32_t PixelAt(int x, int y) { return world.Surface().GetPixel(x, y) & 0xFFFFFF; }
};

TEST_F(MapImages, ThePointerHoversRegionsWithTheirEvents) {
    TRuvoMapImage& m = Map();
    struct Step {
        int x, y;
        int region;
        std::vector<std::string> events;
    } steps[] = {
        {15, 15, 0, {Ev("map", PR_ONMAPIN)}},
        {29, 29, 0, {}},  // the rectangle's bottom-right pixel (map 19, 19)
        {30, 30, -1, {Ev("map", PR_ONMAPOUT)}},
        {41, 11, -1, {}},  // the ellipse's box corner
        {55, 30, 1, {Ev("map", PR_ONMAPIN)}},
        {15, 15, 0, {Ev("map", PR_ONMAPOUT), Ev("map", PR_ONMAPIN)}},  // straight from one region to the other
        {150, 100, -1, {Ev("map", PR_ONMAPOUT)}},  // off the map
    };
    for (const Step& s : steps) {
        Move(s.x, s.y);
        EXPECT_EQ(m.HoverRegion, s.region) << s.x << "," << s.y;
        std::vector<std::string> mine;
        for (const std::string& e : Events())
            if (e == Ev("map", PR_ONMAPIN) || e == Ev("map", PR_ONMAPOUT)) mine.push_back(e);
        EXPECT_EQ(mine, s.events) << s.x << "," << s.y;
        if (s.region == 0 && !s.events.empty())
            EXPECT_EQ(Parameters(PR_ONMAPIN), (std::vector<std::string>{Utf8ToSjis("森"), "0"}));
        HandleAll();
    }
}

TEST_F(MapImages, ALeftPressChoosesTheRegionUnderIt) {
    TRuvoMapImage& m = Map();
    vars.SetSelIndex(-2);
    Press(true, 41, 11);  // map (31, 1): the lake's box but not the lake
    EXPECT_EQ(vars.SelIndex(), -2);
    EXPECT_FALSE(Queued("map", PR_ONSELECT));
    Press(true, 55, 30);
    EXPECT_EQ(vars.SelIndex(), 1);
    EXPECT_EQ(vars.SelStr(), "lake");
    EXPECT_EQ(Parameters(PR_ONSELECT), (std::vector<std::string>{"lake", "1"}));
    EXPECT_NE(Find("map"), nullptr) << "without PR_AUTOSCRAP the map stays";
    HandleAll();

    // Paused, or deaf to the left button, it chooses nothing.
    vars.SetSelIndex(-2);
    SetProperty(m, PR_PAUSED, true);
    Press(true, 15, 15);
    SetProperty(m, PR_PAUSED, false);
    SetProperty(m, PR_IGNOREMOUSE, 3);
    Press(true, 15, 15);
    EXPECT_EQ(vars.SelIndex(), -2);
    EXPECT_FALSE(Queued("map", PR_ONSELECT));
    SetProperty(m, PR_IGNOREMOUSE, 0);

    // With PR_AUTOSCRAP the map goes one frame after the choice; the handler still runs.
    SetProperty(m, PR_AUTOSCRAP, true);
    world.MouseDown(true, 15, 15);
    Frame();
    EXPECT_EQ(vars.SelStr(), Utf8ToSjis("森"));
    EXPECT_TRUE(Queued("map", PR_ONSELECT));
    EXPECT_TRUE(m.IsClosing());
    world.MouseUp();
    Frame();
    EXPECT_EQ(Find("map"), nullptr);
}

TEST_F(MapImages, ARightClickCancelsWhenAsked) {
    TRuvoMapImage& m = Map();
    vars.SetSelIndex(5);
    Press(false, 190, 140);
    EXPECT_EQ(vars.SelIndex(), 5) << "without PR_RCLICKSCRAP a right click is nothing to the map";
    SetProperty(m, PR_RCLICKSCRAP, true);
    vars.SetSelStr("x");
    world.MouseDown(false, 190, 140);
    Frame();
    EXPECT_EQ(vars.SelIndex(), -1);
    EXPECT_EQ(vars.SelStr(), "");
    world.MouseUp();
    Frame();
    EXPECT_EQ(Find("map"), nullptr);
}

TEST_F(MapImages, TheHoverPictureShowsInsideTheHoveredShapeAndAnimates) {
    Map();
    EXPECT_EQ(PixelAt(55, 30), PixelOf(kRed));
    Move(55, 30);
    for (auto [x, y, colour] : {std::tuple{55, 30, kYellow}, {40, 30, kYellow}, {41, 11, kRed}, {15, 15, kRed},
                                {69, 30, kYellow}, {69, 11, kRed}})
        EXPECT_EQ(PixelAt(x, y), PixelOf(colour)) << x << "," << y;
    for (int i = 0; i < 4; ++i) Frame();
    EXPECT_EQ(PixelAt(55, 30), PixelOf(kGreen)) << "the hover picture steps through its frames";
    Move(150, 100);
    EXPECT_EQ(PixelAt(55, 30), PixelOf(kRed));
    // A new hover starts the hover picture at its first frame.
    Move(15, 15);
    EXPECT_EQ(PixelAt(15, 15), PixelOf(kYellow));
}

TEST_F(MapImages, MissingOrDamagedRegionFiles) {
    TRuvoMapImage& m = Map();
    SetProperty(m, PR_MAPSOURCE, std::string("none.rgn"));
    EXPECT_EQ(m.Regions().Count(), 0);
    Press(true, 15, 15);
    EXPECT_FALSE(Queued("map", PR_ONSELECT)) << "without regions nothing is chosen";

    PutBytes("bad.rgn", {2, 0, 0, 0, 1, 0, 0, 0});
    try {
        SetProperty(m, PR_MAPSOURCE, std::string("bad.rgn"));
        ADD_FAILURE() << "a damaged region map was read";
    } catch (const ERuvoError& e) {
        EXPECT_NE(std::string(e.what()).find("bad.rgn"), std::string::npos) << e.what();
    }
    EXPECT_EQ(m.Regions().Count(), 0);
    EXPECT_EQ(m.HoverRegion, -1);
}

TEST_F(MapImages, SavedMapsComeBackAsTheyWere) {
    TRuvoMapImage& m = Map();
    SetProperty(m, PR_AUTOSCRAP, true);
    SetProperty(m, PR_RCLICKSCRAP, true);
    SetProperty(m, PR_ONIDLE, std::string("idle.rsb"));
    SaveAndReload();
    auto* l = dynamic_cast<TRuvoMapImage*>(Find("map"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(GetStrProperty(*l, PR_SOURCE), "map.zph");
    EXPECT_EQ(GetStrProperty(*l, PR_HOVERSOURCE), "hover.zph");
    EXPECT_EQ(GetStrProperty(*l, PR_MAPSOURCE), "map.rgn");
    EXPECT_EQ(GetStrProperty(*l, PR_ONSELECT), "h.rsb");
    EXPECT_EQ(GetStrProperty(*l, PR_ONIDLE), "idle.rsb");
    EXPECT_TRUE(l->AutoScrap);
    EXPECT_EQ(l->Regions().Count(), 2);
    EXPECT_EQ(l->Width, 60);
    // It still hovers, shows and chooses, and still answers a right click elsewhere.
    Move(15, 15);
    EXPECT_EQ(PixelAt(15, 15), PixelOf(kYellow));
    world.MouseDown(false, 190, 140);
    Frame();
    world.MouseUp();
    EXPECT_EQ(vars.SelIndex(), -1);

    // Cut short anywhere, the record fails the load and the world stays.
    ExpectCutShortSavesRefused(60, 5, "map");
}

} // namespace
} // namespace ruvo::testing
