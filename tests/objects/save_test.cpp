// The world's section of a saved game: round trips at every version its records distinguish, what is
// left out, and damaged records that leave the running world as it was.
#include "archive/serializer.hpp"
#include "archive/streams.hpp"
#include "objects/base/cabinet.hpp"
#include "objects/world/objectdump.hpp"
#include "objects/motion/propmotion.hpp"
#include "objects/base/standin.hpp"
#include "objects/motion/timer.hpp"
#include "world_fixture.hpp"

namespace ruvo::testing {
namespace {

class Save : public WorldFixture {
protected:
    // A world with something of every saved kind.
    void Populate() {
        SetProperty(world.Screen(1), PR_COLOR, 0x112233);
        TRuvoBox& bg = Box("bg", 1, 2, 300, 200);
        SetProperty(bg, PR_COLOR, 0x445566);
        SetProperty(bg, PR_ALPHA, 300);
        SetProperty(bg, PR_BORDERWIDTH, 3);
        SetProperty(bg, PR_BORDERCOLOR, -1);
        SetProperty(bg, PR_TAG, Utf8ToSjis("タグ"));
        SetProperty(bg, PR_ONIDLE, std::string("idle.rsb"));
        SetProperty(bg, PR_SOURCE, std::string("x.rmt"));
        SetProperty(bg, PR_AUTOSCRAP, true);
        SetProperty(bg, PR_ONMOUSEIN, std::string("in.rsb"));
        SetProperty(bg, PR_ONKEYDOWN, std::string("key.rsb:here"));
        SetProperty(bg, PR_HANDLEKEY, 1);
        SetProperty(bg, PR_CLIPWIDTH, 9);
        SetProperty(bg, PR_PLUSX, -4);
        SetProperty(bg, PR_ANIPAUSED, true);
        SetProperty(bg, PR_IGNOREMOUSE, 3);
        SetProperty(bg, PR_CURSOR, std::string("hand.cur"));
        bg.SubPriority = 6;
        TRuvoBox& child = Box("child", 5, 6, 7, 8, &bg);
        SetProperty(child, PR_PRIORITY, -3);
        SetProperty(child, PR_POSZOOMED, true);
        SetProperty(child, PR_VISIBLE, false);
        Box("back", 9, 9, 9, 9, &world.Screen(1));
        world.CreateByType(8)->AsControl()->SetParent(&bg);  // an image
        TRuvoTimer& t = static_cast<TRuvoTimer&>(*world.CreateByType(15));
        t.SetName("tick");
        SetProperty(t, PR_ONNOTIFY, std::string("tick.rsb"));
        SetProperty(t, PR_DELAY, 250);
        SetProperty(t, PR_AUTOSCRAP, true);
        t.Fired = true;
        auto& m = static_cast<TRuvoPropMotion&>(*world.CreateByType(26));
        m.SetName("move");
        m.SetTargetName("bg");
        m.SetPropId(PR_LEFT);
        m.TargetValue = 12.5L;
        m.Duration = 900;
        m.Mode = 2;
        m.StartValue = -3.25L;
        m.Elapsed = 48;
        m.Paused = true;
        world.Adopt(std::make_unique<TRuvoStandInComponent>(&world, 7)).SetName("se");  // a component not built yet (TRuvoHttp)
        world.SetFocus(&bg);
        bg.Raise(PR_ONMOUSEIN);
        SetProperty(bg, PR_ONLBTNUP, std::string("up.rsb"));
        bg.Raise(PR_ONLBTNUP, {"3", "4"});
        const_cast<TTimerData&>(world.Events()[1]).State = 2;
        world.SetActive(1);
    }
    std::string Saved() {
        TMemoryStream s;
        world.SaveToStream(s);
        return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    }
    void Load(const std::string& bytes, int32_t version) {
        TMemoryStream s;
        s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        s.SetPosition(0);
        world.LoadFromStream(s, version);
    }
    std::string EventsWithStates() {
        std::string out;
        for (int i = 0; i < world.Events().Count(); ++i) {
            const TTimerData& e = world.Events()[i];
            out += world.NameOf(e.Sender) + ":" + std::to_string(e.Code) + ":" + std::to_string(e.State) + ":" + e.Handler;
            for (const std::string& p : e.Parameters) out += "," + p;
            out += ";";
        }
        return out;
    }
};

TEST_F(Save, TheWorldComesBackAsItWasSaved) {
    Populate();
    const std::string dump = DumpObjects(world);
    const std::string events = EventsWithStates();
    const std::string bytes = Saved();
    world.Reset();
    Load(bytes, kSaveVersion);
    EXPECT_EQ(DumpObjects(world), dump);
    EXPECT_EQ(EventsWithStates(), events);
    EXPECT_EQ(Saved(), bytes);  // and writes the same bytes again
    EXPECT_EQ(world.ActiveIndex(), 1);
    ASSERT_NE(world.Focus(), nullptr);
    EXPECT_EQ(world.Focus()->Name, "bg");
    auto& bg = static_cast<TRuvoBox&>(*Find("bg"));
    EXPECT_EQ(bg.Tag, Utf8ToSjis("タグ"));
    EXPECT_EQ(bg.SubPriority, 6);
    EXPECT_EQ(bg.Clip[2], 9);
    EXPECT_EQ(bg.PlusX, -4);
    EXPECT_TRUE(bg.AniPaused);
    EXPECT_EQ(bg.MouseHandlers[1], "in.rsb");
    EXPECT_EQ(bg.KeyHandlers[0], "key.rsb:here");
    auto& m = static_cast<TRuvoPropMotion&>(*Find("move"));
    EXPECT_EQ(m.StartValue, -3.25L);
    EXPECT_EQ(m.TargetValue, 12.5L);
    EXPECT_TRUE(m.Paused);
    auto& t = static_cast<TRuvoTimer&>(*Find("tick"));
    EXPECT_TRUE(t.Fired);
    EXPECT_EQ(t.LastTick, clock);
}

// Every version the records distinguish: a world written as that version (the fields it did not have
// left out) reads back with the fields it has and the defaults of the others.
TEST_F(Save, EveryVersionTheRecordsDistinguishReadsBack) {
    for (const int32_t v : {101, 102, 103, 104, 107, 113, 114, 117, 118, 119, 120, 125, 126, 129, 130, 134}) {
        world.Reset();
        Populate();
        const std::string dump = DumpObjects(world);
        TMemoryStream old;
        world.SaveToStream(old, v);
        world.Reset();
        old.SetPosition(0);
        world.LoadFromStream(old, v);
        EXPECT_EQ(old.Remaining(), 0) << v;
        auto& bg = static_cast<TRuvoBox&>(*Find("bg"));
        const std::string tag = Utf8ToSjis("タグ");
        EXPECT_EQ(bg.MouseHandlers[1], v > 101 ? "in.rsb" : "") << v;
        EXPECT_EQ(bg.SubPriority, v > 103 ? 6 : 0) << v;
        EXPECT_EQ(bg.Clip[2], v > 103 ? 9 : 0) << v;
        EXPECT_EQ(bg.AniPaused, v > 103) << v;
        EXPECT_EQ(bg.OnIdle, v > 103 ? "idle.rsb" : "") << v;
        EXPECT_EQ(bg.AutoScrap, v > 103) << v;
        EXPECT_EQ(static_cast<TRuvoTimer&>(*Find("tick")).Fired, v > 103) << v;
        EXPECT_EQ(bg.HandleKey, v > 117) << v;
        EXPECT_EQ(bg.KeyHandlers[0], v > 117 ? "key.rsb:here" : "") << v;
        EXPECT_EQ(bg.Tag, v >= 120 ? tag : "") << v;
        EXPECT_EQ(static_cast<TRuvoPropMotion&>(*Find("move")).Paused, v >= 126) << v;
        EXPECT_EQ(bg.PlusX, v >= 130 ? -4 : 0) << v;
        // One byte of state before 114: a running handler's level becomes 1.
        EXPECT_EQ(world.Events()[1].State, v > 113 ? 2 : 1) << v;
        EXPECT_EQ(world.Focus() ? world.Focus()->Name : "", v > 118 ? "bg" : "") << v;
        EXPECT_EQ(DumpObjects(world), dump) << v;
    }
}

TEST_F(Save, WhatIsNotSaved) {
    Box("kept", 0, 0, 1, 1);
    world.CreateByType(2)->SetName("parentless");
    Box("doomed", 0, 0, 1, 1);
    world.ScheduleDelete(*Find("doomed"));
    Box("\x01internal", 0, 0, 1, 1);
    world.Adopt(std::make_unique<TRuvoControl>(&world)).AsControl()->SetParent(&world.ActiveScreen());  // type 0
    world.CreateByType(15)->SetName("\x01timer");
    world.CreateByType(15)->SetName("timer");
    const std::string bytes = Saved();
    world.Reset();
    Load(bytes, kSaveVersion);
    std::vector<std::string> names;
    for (const TRuvoObject* o : world.Objects()) names.push_back(o->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "timer"}));
}

TEST_F(Save, AChainAsDeepAsAllowedLoads) {
    TRuvoControl* parent = &world.ActiveScreen();
    for (int i = 0; i < kMaxObjectNesting; ++i) parent = &Box("b" + std::to_string(i), 0, 0, 1, 1, parent);
    const std::string bytes = Saved();
    world.Reset();
    Load(bytes, kSaveVersion);
    EXPECT_EQ(world.Objects().size(), static_cast<size_t>(kMaxObjectNesting));
    EXPECT_NE(static_cast<TRuvoControl*>(Find("b999"))->GetBase(), nullptr);
}

TEST_F(Save, ACabinetComesBackHoldingWhatItHeld) {
    auto& cabinet = static_cast<TRuvoCabinet&>(*world.CreateByType(27));
    cabinet.SetName("cab");
    cabinet.SetParent(&world.Screen(1));
    Box("kept", 3, 4, 5, 6, &Box("inner", 1, 1, 9, 9, &cabinet));
    Box("outside", 0, 0, 2, 2);
    const std::string dump = DumpObjects(world);
    const std::string bytes = Saved();
    world.Reset();
    Load(bytes, kSaveVersion);
    EXPECT_EQ(DumpObjects(world), dump);
    EXPECT_EQ(Saved(), bytes);
    ASSERT_NE(Find("cab"), nullptr);
    EXPECT_EQ(Find("cab")->GetCompoType(), 27);
    EXPECT_TRUE(Find("kept")->InsideCabinet());
    EXPECT_FALSE(Find("outside")->InsideCabinet());
}

// A saved game's world is read beside the running one, which then takes it over: the ids the read
// world issued stay valid, none of them is one the running world gave out before, and the objects
// belong to the running world from then on.
TEST_F(Save, AWorldReadBesideTheRunningOneTakesItsPlaceWithItsIds) {
    Populate();
    const std::string bytes = Saved();
    const std::string dump = DumpObjects(world);
    world.Reset();
    const TObjectId stale = Box("old", 0, 0, 1, 1).Id();
    const std::string running = DumpObjects(world);
    TMemoryStream in;
    in.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    in.SetPosition(0);
    std::unique_ptr<TRuvoBaseList> loaded = world.ReadSaved(in, kSaveVersion);
    EXPECT_EQ(DumpObjects(world), running);  // nothing of the running world changed yet
    EXPECT_EQ(DumpObjects(*loaded), dump);
    TRuvoObject* bg = loaded->FindObject("bg");
    ASSERT_NE(bg, nullptr);
    const TObjectId bgId = bg->Id();
    EXPECT_GT(bgId, stale);
    const TObjectId senderId = loaded->Events()[0].Sender;
    world.TakeOver(*loaded);
    EXPECT_EQ(DumpObjects(world), dump);
    EXPECT_EQ(world.Lookup(bgId), bg);
    EXPECT_EQ(world.NameOf(senderId), "bg");
    EXPECT_EQ(world.Lookup(stale), nullptr);
    for (const TRuvoObject* o : world.Objects()) EXPECT_EQ(o->Owner, &world) << o->Name;
    EXPECT_EQ(world.Screen(0).Owner, &world);
    ASSERT_NE(world.Focus(), nullptr);
    EXPECT_EQ(world.Focus()->Name, "bg");
    EXPECT_EQ(world.ActiveIndex(), 1);
    // Objects made afterwards get ids of their own, and the emptied world is still a world.
    EXPECT_GT(Box("new", 0, 0, 1, 1).Id(), senderId);
    EXPECT_TRUE(loaded->Objects().empty());
    EXPECT_EQ(loaded->Events().Count(), 0);
    loaded->Paint();
    // The world goes on as the one saved: it paints, and without "new" it saves the same bytes again.
    world.Paint();
    world.Destroy(*Find("new"));
    EXPECT_EQ(Saved(), bytes);
}

// Damage of every kind: the load fails with the damaged-data message and the running world stays.
class Damaged : public Save {
protected:
    void ExpectRefused(const std::string& bytes, const std::string& what) {
        const std::string before = DumpObjects(world);
        const std::string events = EventsWithStates();
        try {
            Load(bytes, kSaveVersion);
            ADD_FAILURE() << what << ": loaded";
        } catch (const ERuvoError&) {
        }
        EXPECT_EQ(DumpObjects(world), before) << what;
        EXPECT_EQ(EventsWithStates(), events) << what;
    }
    static void PutInt(std::string& bytes, size_t at, int32_t v) {
        for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
    }
    static int32_t GetInt(const std::string& bytes, size_t at) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(bytes.at(at + i))) << (8 * i);
        return static_cast<int32_t>(v);
    }
    // A world of one box "b" on screen 0: where its parts lie in the newest form.
    static constexpr size_t kHeader = 12;                    // width, height, front screen
    static constexpr size_t kControlFields = 4 + 4 + 4 + 24 + 1 + 16 + 16 + 1 + 1 + 4 + 16 + 1 + 4 + 36 + 1 + 20;
    static constexpr size_t kScreenCount = kHeader + 4 + 6 + kControlFields;  // the screen's child count
    static constexpr size_t kBoxType = kScreenCount + 4;
    static constexpr size_t kBoxCount = kBoxType + 1 + 4 + 1 + kControlFields;  // the box's child count
    static constexpr size_t kBoxSuffix = 3 * 4 + 4 + 4 + 1 + 1 + 4 + 1 + 1;
    std::string OneBox() {
        world.Reset();
        Box("b", 0, 0, 1, 1);
        const std::string bytes = Saved();
        EXPECT_EQ(GetInt(bytes, kScreenCount), 1);
        EXPECT_EQ(bytes.at(kBoxType), 2);
        EXPECT_EQ(GetInt(bytes, kBoxCount), 0);
        return bytes;
    }
};

TEST_F(Damaged, EveryCutShortRecordIsRefused) {
    Populate();
    const std::string bytes = Saved();
    for (size_t length = 0; length < bytes.size(); ++length) ExpectRefused(bytes.substr(0, length), "cut at " + std::to_string(length));
}

TEST_F(Damaged, TypeCodesWithoutADrawingClassAreRefused) {
    const std::string good = OneBox();
    Populate();
    for (const int code : {0, 1, 10, 15, 17, 26, 28, 99, 255}) {
        std::string bytes = good;
        bytes[kBoxType] = static_cast<char>(code);
        ExpectRefused(bytes, "type " + std::to_string(code));
    }
    std::string boxAbove128 = good;
    boxAbove128[kBoxType] = static_cast<char>(130);  // taken modulo 128: a box
    world.Reset();
    Load(boxAbove128, kSaveVersion);
    EXPECT_EQ(Find("b")->GetCompoType(), 2);
}

TEST_F(Damaged, CountsAndLengthsBeyondTheDataAreRefused) {
    const std::string good = OneBox();
    Populate();
    for (const int32_t count : {INT32_MAX, -1, 2, 1 << 20}) {
        std::string bytes = good;
        PutInt(bytes, kScreenCount, count);
        ExpectRefused(bytes, "child count " + std::to_string(count));
    }
    for (const auto& [w, h] : std::vector<std::pair<int32_t, int32_t>>{{0, 10}, {10, -1}, {16385, 1}, {8192, 8192}}) {
        std::string bytes = good;
        PutInt(bytes, 0, w);
        PutInt(bytes, 4, h);
        ExpectRefused(bytes, "screen size");
    }
    std::string longName = good;
    PutInt(longName, kBoxType + 1, INT32_MAX);  // the box's name
    ExpectRefused(longName, "name length");
}

TEST_F(Damaged, NestingBeyondTheLimitIsRefused) {
    const std::string good = OneBox();
    Populate();
    // One box record cut into the part before its child count and the part after it, nested deep.
    const std::string head = good.substr(0, kBoxType);
    const std::string boxHead = good.substr(kBoxType, kBoxCount - kBoxType);
    const std::string boxTail = good.substr(kBoxCount + 4, kBoxSuffix);
    const std::string rest = good.substr(kBoxCount + 4 + kBoxSuffix);
    auto nested = [&](int depth) {
        std::string bytes = head;
        for (int i = 0; i < depth; ++i) {
            bytes += boxHead;
            std::string count(4, '\0');
            PutInt(count, 0, i + 1 < depth ? 1 : 0);
            bytes += count;
        }
        for (int i = 0; i < depth; ++i) bytes += boxTail;
        return bytes + rest;
    };
    Load(nested(3), kSaveVersion);  // the pieces fit together
    EXPECT_EQ(world.Objects().size(), 3u);
    world.Reset();
    Populate();
    ExpectRefused(nested(kMaxObjectNesting + 1), "too deep");
    ExpectRefused(nested(50000), "far too deep");
}

TEST_F(Damaged, AnyByteChangedLoadsOrIsRefusedButNeverBreaks) {
    Populate();
    const std::string good = Saved();
    for (size_t i = 0; i < good.size(); ++i) {
        for (const char v : {'\x00', '\xFF'}) {
            std::string bytes = good;
            bytes[i] = v;
            try {
                Load(bytes, kSaveVersion);
            } catch (const ERuvoError&) {
            }
            Frame();
        }
    }
}

} // namespace
} // namespace ruvo::testing
