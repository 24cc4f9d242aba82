// The per-frame update: the event queue's duplicate rules, idle events, timers, property motions and a
// box's motion reaching its end.
#include <cmath>

#include "objects/motion/filmmotion.hpp"
#include "objects/motion/motion.hpp"
#include "objects/motion/propmotion.hpp"
#include "objects/motion/timer.hpp"
#include "world_fixture.hpp"

namespace ruvo::testing {
namespace {

class Update : public WorldFixture {
protected:
    TRuvoTimer& Timer(const std::string& name, int delay) {
        auto& t = static_cast<TRuvoTimer&>(*world.CreateByType(15));
        t.SetName(name);
        SetProperty(t, PR_ONNOTIFY, std::string("tick.rsb"));
        SetProperty(t, PR_DELAY, delay);
        return t;
    }
    TRuvoPropMotion& Motion(const std::string& target, int id, Real to, int duration, int mode) {
        auto& m = static_cast<TRuvoPropMotion&>(*world.CreateByType(26));
        m.SetTargetName(target);
        m.SetPropId(id);
        m.TargetValue = to;
        m.Duration = duration;
        m.Mode = static_cast<uint8_t>(mode);
        return m;
    }
    int Count(const std::string& event) {
        int n = 0;
        for (const std::string& e : Events()) n += e == event;
        return n;
    }
};

TEST_F(Update, EventsAreQueuedOncePerSenderAndCodeExceptReleasesCrossingsAndFocusChanges) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    for (int id = 0; id < kPropertyCount; ++id)
        if (PropertyType(id) == TValueType::String && id != PR_NAME && id != PR_PARENT && id != PR_SOURCE)
            SetProperty(b, id, std::string("h.rsb"));
    struct Case {
        int code;
        bool once;
    };
    const Case cases[] = {{PR_ONMOUSEMOVE, true},  {PR_ONLBTNDOWN, true},  {PR_ONRBTNDOWN, true},
                          {PR_ONWHEELDOWN, true},  {PR_ONWHEELUP, true},   {PR_ONPLAYEND, true},
                          {PR_ONIDLE, true},       {PR_ONKEYDOWN, true},   {PR_ONKEYREPEAT, true},
                          {PR_ONKEYUP, true},      {PR_ONLBTNUP, false},   {PR_ONRBTNUP, false},
                          {PR_ONMOUSEOUT, false},  {PR_ONMOUSEIN, false},  {PR_ONFOCUSIN, false},
                          {PR_ONFOCUSOUT, false}};
    for (const Case& c : cases) {
        HandleAll();
        const auto code = static_cast<uint8_t>(c.code);
        EXPECT_TRUE(b.Raise(code)) << c.code;
        EXPECT_EQ(b.Raise(code), !c.once) << c.code;
        // Running counts as queued.
        HandleAll();
        b.Raise(code);
        const_cast<TTimerData&>(world.Events()[0]).State = 3;
        EXPECT_EQ(b.Raise(code), !c.once) << c.code;
    }
    HandleAll();
    SetProperty(b, PR_ONLBTNDOWN, std::string());
    EXPECT_FALSE(b.Raise(PR_ONLBTNDOWN));  // no handler, nothing queued
    EXPECT_TRUE(b.RaiseAgain(PR_ONIDLE));
    EXPECT_TRUE(b.RaiseAgain(PR_ONIDLE));
}

TEST_F(Update, AnObjectsPendingEventsGoWithItButRunningOnesStay) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    SetProperty(b, PR_ONLBTNUP, std::string("h.rsb"));
    b.Raise(PR_ONLBTNUP);
    b.Raise(PR_ONLBTNUP);
    const_cast<TTimerData&>(world.Events()[0]).State = 2;
    const TObjectId id = b.Id();
    world.Destroy(b);
    ASSERT_EQ(world.Events().Count(), 1);
    EXPECT_EQ(world.Events()[0].Sender, id);
    EXPECT_EQ(world.NameOf(id), "");
}

TEST_F(Update, IdleEventsComeEveryFrameButNeverTwiceInTheQueue) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    SetProperty(b, PR_ONIDLE, std::string("idle.rsb"));
    Frame();
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::string>{"b:113"}));
    HandleAll();
    SetProperty(b, PR_PAUSED, true);  // paused objects still raise it; they are only not stepped
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::string>{"b:113"}));
}

TEST_F(Update, ATimerTicksByGameTimeAndCatchesUpOneTickAFrame) {
    Timer("t", 1000);
    for (int i = 0; i < 62; ++i) Frame();  // 992 ms
    EXPECT_TRUE(Events().empty());
    Frame();  // 1008 ms
    EXPECT_EQ(Events(), (std::vector<std::string>{"t:33"}));
    // While the handler runs, later ticks pass without a second event.
    const_cast<TTimerData&>(world.Events()[0]).State = 1;
    for (int i = 0; i < 70; ++i) Frame();
    EXPECT_EQ(Count("t:33"), 1);
    HandleAll();
    // It fell behind by two seconds: it fires in consecutive frames until LastTick has caught up.
    clock += 2000;
    Frame();
    EXPECT_EQ(Count("t:33"), 1);
    HandleAll();
    Frame();
    EXPECT_EQ(Count("t:33"), 1);
    HandleAll();
    Frame();
    EXPECT_EQ(Count("t:33"), 0);
}

TEST_F(Update, DelayZeroFiresEveryFrameANegativeDelayNeverAndPausedNot) {
    TRuvoTimer& zero = Timer("zero", 0);
    TRuvoTimer& never = Timer("never", -1);
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::string>{"zero:33"}));
    HandleAll();
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::string>{"zero:33"}));
    HandleAll();
    SetProperty(zero, PR_PAUSED, true);
    Frame();
    EXPECT_TRUE(Events().empty());
    (void)never;
}

TEST_F(Update, SettingTheTimerDropsItsQueuedTickAndCountsAnew) {
    TRuvoTimer& t = Timer("t", 100);
    for (int i = 0; i < 7; ++i) Frame();
    ASSERT_EQ(Count("t:33"), 1);
    SetProperty(t, PR_DELAY, 100);
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(t.LastTick, clock);
}

TEST_F(Update, AnAutoScrapTimerGoesOnceItsFirstEventHasBeenHandled) {
    TRuvoTimer& t = Timer("t", 0);
    SetProperty(t, PR_AUTOSCRAP, true);
    const TObjectId id = t.Id();
    Frame();
    Frame();
    EXPECT_NE(world.Lookup(id), nullptr);  // its event still waits
    HandleAll();
    Frame();
    EXPECT_EQ(world.Lookup(id), nullptr);
    EXPECT_TRUE(Events().empty());
}

TEST_F(Update, PropertyMotionsFollowTheirCurveAndWriteTheTargetExactlyAtTheEnd) {
    struct Case {
        int mode;
        const char* what;
    };
    for (const Case c : {Case{0, "linear"}, Case{1, "accelerating"}, Case{2, "decelerating"}}) {
        world.Reset();
        TRuvoBox& b = Box("b", 0, 0, 10, 10);
        const TObjectId motion = Motion("b", PR_LEFT, 100, 1000, c.mode).Id();
        std::vector<int> values;
        for (int i = 0; i < 70 && world.Lookup(motion); ++i) {
            Frame();
            values.push_back(b.Left);
        }
        EXPECT_EQ(world.Lookup(motion), nullptr) << c.what;
        EXPECT_EQ(values.back(), 100) << c.what;
        // At 496 ms (the 32nd frame writes the value of Elapsed 496).
        const int half = values[31];
        const int low[] = {49, 0, 66}, high[] = {49, 44, 100};
        EXPECT_GE(half, low[c.mode]) << c.what;
        EXPECT_LE(half, high[c.mode]) << c.what;
        for (size_t i = 1; i < values.size(); ++i) EXPECT_GE(values[i], values[i - 1]) << c.what;
    }
}

TEST_F(Update, ADecelerationPassesHalfWayWellBeforeHalfTheTime) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    auto& m = Motion("b", PR_LEFT, 100, 1000, TRuvoPropMotion::MT_DEC);
    int frames = 0;
    while (b.Left < 50) {
        Frame();
        ++frames;
    }
    EXPECT_LT(m.Elapsed, 400);
    EXPECT_GT(frames, 10);
}

TEST_F(Update, APropertyMotionEndsAtOnceWithoutATargetOrAMovableProperty) {
    Box("b", 0, 0, 10, 10);
    const TObjectId unknown = Motion("nobody", PR_LEFT, 1, 100, 0).Id();
    const TObjectId outOfRange = Motion("b", 200, 1, 100, 0).Id();
    const TObjectId readOnly = Motion("b", PR_COMPOTYPE, 1, 100, 0).Id();
    const TObjectId appear = Motion("b", PR_APPEARX, 1, 100, 0).Id();
    Frame();
    for (TObjectId id : {unknown, outOfRange, readOnly, appear}) EXPECT_EQ(world.Lookup(id), nullptr);
}

TEST_F(Update, APropertyMotionWhoseTargetGoesEndsToo) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    const TObjectId m = Motion("b", PR_TOP, 50, 1000, 0).Id();
    Frame();
    world.Destroy(b);
    Box("b", 0, 0, 10, 10);  // another of that name is not the target
    Frame();
    EXPECT_EQ(world.Lookup(m), nullptr);
}

TEST_F(Update, APausedMotionStandsStill) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    auto& m = Motion("b", PR_LEFT, 100, 100, 0);
    Frame();
    Frame();
    SetProperty(m, PR_PAUSED, true);
    const int at = b.Left;
    for (int i = 0; i < 20; ++i) Frame();
    EXPECT_EQ(b.Left, at);
    EXPECT_GT(at, 0);
}

TEST_F(Update, AMotionOfARealOrAFlagPropertyWritesItsType) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    Motion("b", PR_VISIBLE, 0, 32, 0);
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_FALSE(b.OwnVisible);
}

// A motion that ends after a few steps.
class TShortMotion : public TRuvoMotion {
public:
    explicit TShortMotion(int steps) : left_(steps) {}
    bool Step() override { return !finished_ && --left_ == 0 && (finished_ = true); }
    bool Finished() const override { return finished_; }
    void Restart() override {
        left_ = 2;
        finished_ = false;
    }

private:
    int left_;
    bool finished_ = false;
};

TEST_F(Update, ABoxsMotionEndRaisesPlayEndOnceOrScrapsTheBox) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    SetProperty(b, PR_ONPLAYEND, std::string("end.rsb"));
    b.AttachMotion(std::make_unique<TShortMotion>(2));
    EXPECT_TRUE(GetFlagProperty(b, PR_PLAYING));
    SetProperty(b, PR_ANIPAUSED, true);
    EXPECT_FALSE(GetFlagProperty(b, PR_PLAYING));
    SetProperty(b, PR_ANIPAUSED, false);
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(Events(), (std::vector<std::string>{"b:43"}));
    EXPECT_FALSE(GetFlagProperty(b, PR_PLAYING));
    HandleAll();
    SetProperty(b, PR_REPEAT, true);  // a finished motion starts again
    EXPECT_TRUE(GetFlagProperty(b, PR_PLAYING));
    SetProperty(b, PR_AUTOSCRAP, true);
    const TObjectId id = b.Id();
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(world.Lookup(id), nullptr);
    EXPECT_TRUE(Events().empty());
}

TEST_F(Update, ANewSourceFreesTheBoxsMotion) {
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    b.AttachMotion(std::make_unique<TShortMotion>(20));
    // A frame list replaces the motion with its own; any other name leaves none.
    SetProperty(b, PR_SOURCE, std::string("walk.rmt"));
    EXPECT_EQ(dynamic_cast<TShortMotion*>(b.GetMotion()), nullptr);
    EXPECT_NE(dynamic_cast<TFilmMotion*>(b.GetMotion()), nullptr);
    EXPECT_EQ(GetStrProperty(b, PR_SOURCE), "walk.rmt");
    b.AttachMotion(std::make_unique<TShortMotion>(20));
    SetProperty(b, PR_SOURCE, std::string("walk.zph"));
    EXPECT_EQ(b.GetMotion(), nullptr);
}

TEST_F(Update, InternalObjectsReadTheirParentsAnimationPause) {
    TRuvoBox& parent = Box("p", 0, 0, 10, 10);
    TRuvoBox& internal = Box("\x01part", 0, 0, 10, 10, &parent);
    TRuvoBox& plain = Box("part", 0, 0, 10, 10, &parent);
    SetProperty(parent, PR_ANIPAUSED, true);
    EXPECT_TRUE(GetFlagProperty(internal, PR_ANIPAUSED));
    EXPECT_FALSE(GetFlagProperty(plain, PR_ANIPAUSED));
}

} // namespace
} // namespace ruvo::testing
