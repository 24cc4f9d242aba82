#include <gtest/gtest.h>

#include "archive/serializer.hpp"
#include "archive/streams.hpp"
#include "params_fixture.hpp"
#include "params/sysvars.hpp"

namespace ruvo {
namespace {

using testing::ErrorOf;
using VarSet = testing::ParamsFixture;

TEST_F(VarSet, LocalHidesGlobalOnlyAtItsDepth) {
    Declare("x", 1, "1");
    vars.SetDepth(2);
    vars.Declare("x", 1, TVarScope::Local).Value().SetInt(2);
    EXPECT_EQ(vars.Find("X")->Value().AsInt(), 2);
    vars.SetDepth(3);
    EXPECT_EQ(vars.Find("x")->Value().AsInt(), 1);  // locals of other depths are invisible
    vars.SetDepth(1);
    EXPECT_EQ(vars.Find("x")->Value().AsInt(), 1);
    vars.SetDepth(2);
    vars.DeleteFrame(2);
    EXPECT_EQ(vars.Find("x")->Value().AsInt(), 1);
    EXPECT_EQ(UserVariableCount(), 1);
}

TEST_F(VarSet, CallBoundGlobalIsVisibleEverywhereUntilItsCallReturns) {
    vars.SetDepth(1);
    vars.Declare("g", 4, TVarScope::CallBound).Value().SetStr("v");
    vars.SetDepth(2);
    EXPECT_NE(vars.Find("g"), nullptr);
    vars.DeleteFrame(1);
    EXPECT_EQ(vars.Find("g"), nullptr);
}

TEST_F(VarSet, DeclareKeepsStatusVariablesAndConvertsInitialValues) {
    auto initial = [](const char* text) {
        return [text] {
            auto v = std::make_unique<TParamStr>();
            v->SetStr(text);
            return std::unique_ptr<TCustomParam>(std::move(v));
        };
    };
    vars.Declare("s", 1, TVarScope::Status, initial("5"));
    EXPECT_EQ(vars.Find("s")->Value().AsInt(), 5);
    vars.Declare("s", 1, TVarScope::Status, initial("9"));
    EXPECT_EQ(vars.Find("s")->Value().AsInt(), 5);
    vars.Declare("g", 2, TVarScope::Global, initial("2.5"));
    vars.Declare("g", 2, TVarScope::Global, initial("3.5"));  // an existing global takes the new value
    EXPECT_EQ(vars.Find("g")->Value().AsFloat(), 3.5L);
    vars.Declare("g", 2, TVarScope::Global, [] { return std::unique_ptr<TCustomParam>(); });
    EXPECT_EQ(vars.Find("g")->Value().AsFloat(), 3.5L);  // no value: unchanged
}

TEST_F(VarSet, BadNamesAreRefused) {
    for (const char* name : {"", "a b", "1x", "9"})
        EXPECT_EQ(ErrorOf([&] { vars.Declare(name, 1, TVarScope::Global); }),
                  "\"" + std::string(name) + "\"：変数名が不正です");
    EXPECT_NO_THROW(vars.Declare("x1", 1, TVarScope::Global));
}

TEST_F(VarSet, ResetKeepsSystemAndStatusVariables) {
    Declare("a", 1);
    vars.Declare("st", 1, TVarScope::Status);
    vars.SetTextDelay(10);
    vars.HistoryFormat()[3] = 4;
    vars.Reset();
    EXPECT_EQ(vars.Find("a"), nullptr);
    EXPECT_NE(vars.Find("st"), nullptr);
    EXPECT_NE(vars.Find("@Result"), nullptr);
    EXPECT_EQ(vars.TextDelay(), 50);
    EXPECT_EQ(vars.HistoryFormat()[3], 0);
}

TEST_F(VarSet, SnapshotIsDetached) {
    TCustomParam& a = Declare("a", 1);
    a.SetDims({2});
    a.SetIntAt(1, 8);
    auto copy = vars.Snapshot("A");
    a.SetIntAt(1, 0);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetIntAt(1), 8);
    EXPECT_EQ(vars.Snapshot("missing"), nullptr);
    EXPECT_EQ(ErrorOf([&] { vars.Snapshot("@Temp"); }), "@Temp:不正な変数です");  // stands for nothing
}

TEST(SystemVariables, ReadAndWriteThroughTheirOwnersAndIgnoreReadOnlyWrites) {
    TParamCollection vars;
    TSystemVars& sv = vars.SystemVars();
    TParamFloat result;
    std::vector<std::string> params{"p0", "p1"};
    int32_t mouseX = 0;
    sv.BindFlags(TSystemVar::KeyPush, [](int k) { return k == 256; });
    sv.BindStrings(TSystemVar::ParamStr, [&] { return params; });
    sv.BindInt(TSystemVar::ParamCount, [&] { return static_cast<int32_t>(params.size()); });
    sv.BindHolder(TSystemVar::Result, [&] { return &result; });
    sv.BindInt(TSystemVar::ScrWidth, [] { return 640; });
    sv.BindInt(TSystemVar::MouseX, [&] { return mouseX; }, [&](int32_t x) { mouseX = x; });

    auto& keyPush = vars.Find("@keypush")->Value();
    EXPECT_EQ(keyPush.Count(), 258);
    EXPECT_TRUE(keyPush.GetFlagAt(256));
    EXPECT_FALSE(keyPush.GetFlagAt(255));
    EXPECT_FALSE(keyPush.AsFlag());  // a scalar read of a key array
    EXPECT_EQ(ErrorOf([&] { keyPush.GetFlagAt(258); }), "配列の添字が不正です");
    auto& paramStr = vars.Find("@ParamStr")->Value();
    EXPECT_EQ(paramStr.Count(), 2);
    EXPECT_EQ(paramStr.GetStrAt(1), "p1");
    EXPECT_EQ(paramStr.AsStr(), "p0");
    EXPECT_EQ(vars.Find("@ParamCount")->Value().AsInt(), 2);
    vars.Find("@Result")->Value().SetStr("2.5");
    EXPECT_EQ(result.AsFloat(), 2.5L);
    EXPECT_EQ(vars.Find("@Result")->Value().TypeCode(), 2);
    auto& width = vars.Find("@ScrWidth")->Value();
    width.SetInt(1);
    EXPECT_EQ(width.AsInt(), 640);
    vars.Find("@MouseX")->Value().SetStr("33");  // converted to the variable's own type
    EXPECT_EQ(mouseX, 33);
    vars.Find("@TextDelay")->Value().SetStr("30");
    EXPECT_EQ(vars.TextDelay(), 30);
    EXPECT_EQ(vars.Find("@1Hour")->Value().AsFloat(), 1.0L / 24);
    EXPECT_EQ(ErrorOf([] { SystemVarName(49); }), "内部エラー");

    // Unbound again, a variable answers the empty value of its type and ignores writes.
    sv.Unbind(TSystemVar::MouseX);
    sv.Unbind(TSystemVar::Result);
    sv.Unbind(TSystemVar::KeyPush);
    vars.Find("@MouseX")->Value().SetInt(5);
    EXPECT_EQ(mouseX, 33);
    EXPECT_EQ(vars.Find("@MouseX")->Value().AsInt(), 0);
    EXPECT_EQ(vars.Find("@Result")->Value().AsStr(), "");
    EXPECT_EQ(vars.Find("@Result")->Value().Count(), 1);
    EXPECT_FALSE(keyPush.GetFlagAt(256));
}

TEST_F(VarSet, TempStandsForTheAssignedVariable) {
    Declare("target", 4, "abc");
    EXPECT_EQ(vars.Find("@Temp")->Value().AsStr(), "");
    vars.SetTempName("target");
    vars.Find("@Temp")->Value().SetStr("new");
    EXPECT_EQ(Str("target"), "new");
    EXPECT_EQ(vars.Find("@Temp")->Value().TypeCode(), 4);
}


TEST_F(VarSet, GameDataRoundTripsWithReferencesAfterTheirTargets) {
    // A reference created before its target is written after it, so that it binds on load.
    TParamCollectionItem& ref = vars.AddNamed("ref", 0);
    TCustomParam& arr = Declare("arr", 4);
    arr.SetDims({2, 2});
    arr.SetStrAt(3, "last");
    vars.SetDepth(1);
    vars.Declare("local", 2, TVarScope::Local).Value().SetFloat(1.25L);
    static_cast<TParamVar&>(ref.Value()).Bind(vars.Find("arr"), 3);
    vars.Declare("st", 1, TVarScope::Status).Value().SetInt(77);
    vars.SetSelStr("chosen");
    vars.SetSelIndex(3);
    vars.HistoryFormat() = {1, 2, 3, 4, 5, 6};
    vars.SetTempName("arr");

    TMemoryStream s;
    vars.SaveGame(s);
    TParamCollection other;
    s.SetPosition(0);
    other.LoadGame(s, 134);
    EXPECT_EQ(s.Remaining(), 0);
    EXPECT_EQ(other.Find("st"), nullptr);  // status variables are not game data
    EXPECT_EQ(other.Find("ref")->Value().AsStr(), "last");
    EXPECT_EQ(other.Find("arr")->Value().Dims(), (std::vector<int32_t>{2, 2}));
    other.SetDepth(1);
    ASSERT_NE(other.Find("local"), nullptr);
    EXPECT_EQ(other.Find("local")->Value().AsFloat(), 1.25L);
    EXPECT_EQ(other.SelStr(), "chosen");
    EXPECT_EQ(other.SelIndex(), 3);
    EXPECT_EQ(other.HistoryFormat()[5], 6);
    EXPECT_EQ(other.TempName(), "arr");
    // Apart from the deferred reference the set order is kept.
    EXPECT_EQ(other[49].Name(), "arr");
    EXPECT_EQ(other[50].Name(), "local");
    EXPECT_EQ(other[51].Name(), "ref");
}

TEST_F(VarSet, OlderGameVersionsLackTheLaterFields) {
    Declare("a", 1, "4");
    vars.SetSelStr("x");
    TMemoryStream full;
    vars.SaveGame(full);
    // Version 102 data: variable list, message speed and cursor only.
    std::vector<uint8_t> bytes = full.Bytes();
    const size_t oldSize = bytes.size() - (4 + 1) - 4 - 24 - 4;  // minus "@SelStr", "@SelIndex", six ints, "@Temp"
    bytes.resize(oldSize);
    TParamCollection other;
    other.SetSelStr("kept");
    other.HistoryFormat()[0] = 9;
    TMemoryStream in(bytes);
    other.LoadGame(in, 102);
    EXPECT_EQ(in.Remaining(), 0);
    EXPECT_EQ(other.Find("a")->Value().AsInt(), 4);
    EXPECT_EQ(other.SelStr(), "kept");
    EXPECT_EQ(other.HistoryFormat()[0], 9);  // a field the version lacks keeps its value
}

TEST_F(VarSet, EachVersionGuardReadsExactlyItsFields) {
    Declare("a", 1, "4");
    vars.SetSelStr("sel");
    vars.SetSelIndex(2);
    vars.HistoryFormat() = {1, 2, 3, 4, 5, 6};
    vars.SetTempName("a");
    TMemoryStream full;
    vars.SaveGame(full);
    const std::vector<uint8_t> all = full.Bytes();
    const size_t selBytes = 4 + 3 + 4, historyBytes = 24, tempBytes = 4 + 1;
    struct Case {
        int version;
        size_t dropped;  // bytes a writer of that version did not write
        const char* selStr;
        int32_t history0;
        const char* temp;
    } cases[] = {
        {102, selBytes + historyBytes + tempBytes, "old", 7, "old"},
        {112, historyBytes + tempBytes, "sel", 7, "old"},
        {120, tempBytes, "sel", 1, "old"},
        {121, 0, "sel", 1, "a"},
    };
    for (const auto& c : cases) {
        // The selection fields precede the six integers and the "@Temp" name, so an older writer's
        // data is a prefix of the newer one; the one description writes exactly that prefix.
        std::vector<uint8_t> bytes(all.begin(), all.end() - static_cast<ptrdiff_t>(c.dropped));
        TMemoryStream written;
        TSerializer writer = TSerializer::Writer(written, c.version);
        vars.SyncGame(writer);
        EXPECT_EQ(written.Bytes(), bytes) << c.version;
        TParamCollection other;
        other.SetSelStr("old");
        other.HistoryFormat()[0] = 7;
        other.SetTempName("old");
        TMemoryStream in(bytes);
        other.LoadGame(in, c.version);
        EXPECT_EQ(in.Remaining(), 0) << c.version;
        EXPECT_EQ(other.SelStr(), c.selStr) << c.version;
        EXPECT_EQ(other.HistoryFormat()[0], c.history0) << c.version;
        EXPECT_EQ(other.TempName(), c.temp) << c.version;
        EXPECT_EQ(other.Find("a")->Value().AsInt(), 4);
    }
}

TEST_F(VarSet, StatusDataHoldsOnlyStatusVariables) {
    Declare("game", 1, "1");
    vars.Declare("st", 4, TVarScope::Status).Value().SetStr("s");
    TMemoryStream s;
    vars.SaveStatus(s);
    TParamCollection other;
    s.SetPosition(0);
    other.LoadStatus(s);
    EXPECT_EQ(other.Find("game"), nullptr);
    EXPECT_EQ(other.Find("st")->Value().AsStr(), "s");
    EXPECT_EQ(other.Find("st")->status, 1);
}

TEST_F(VarSet, ARecordInTheOtherListIsDropped) {
    // Only damaged data holds them; kept, a game record would move to the status data at the next save
    // (or back), and a reference to it would come back unbound.
    Declare("game", 1, "1");
    vars.Declare("st", 4, TVarScope::Status).Value().SetStr("s");
    TMemoryStream status, game, emptyGame;
    vars.SaveStatus(status);
    vars.SaveGame(game);
    TParamCollection().SaveGame(emptyGame);

    TParamCollection other;
    game.SetPosition(0);
    other.LoadStatus(game);  // the game's list, read as status data
    EXPECT_EQ(other.Find("game"), nullptr);

    // The status list followed by the rest of a game section (what follows an empty list).
    TMemoryStream mixed;
    mixed.Write(status.Memory(), status.Size());
    mixed.Write(static_cast<const uint8_t*>(emptyGame.Memory()) + 4, emptyGame.Size() - 4);
    mixed.SetPosition(0);
    other.LoadGame(mixed, 134);
    EXPECT_EQ(mixed.Remaining(), 0);
    EXPECT_EQ(other.Find("st"), nullptr);
}

TEST_F(VarSet, HostileVariableListsThrow) {
    const std::vector<std::vector<uint8_t>> cases = {
        {0xFF, 0xFF, 0xFF, 0x0F},                    // 268 million records in four bytes
        {1, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // type byte 9
        {1, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // name of 2 GiB
    };
    for (const auto& bytes : cases) {
        TReadOnlyMemoryStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
        EXPECT_THROW(vars.LoadStatus(s), ERuvoError);
    }
}

} // namespace
} // namespace ruvo
