// The data tables' model and persisted form: fields and records, the value conversions, sorting, the
// manager's tables and active table, copies between tables, the game and status sections held and
// written back as read, which tables a section replaces, and damaged sections.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "params/datatables.hpp"
#include "params/values.hpp"

namespace ruvo {
namespace {

std::unique_ptr<TDBTable> Table(const std::string& name, uint8_t status) {
    auto t = std::make_unique<TDBTable>(name, status);
    t->Fields.AddField("id", kDBInteger, 0);
    t->Fields.AddField("rate", kDBFloat, 0);
    t->Fields.AddField("ok", kDBFlag, 0);
    t->Fields.AddField("name", kDBString, 5);
    for (int32_t r = 0; r < 2; ++r) {
        EXPECT_TRUE(t->Append());
        t->Set(r, 0, int32_t{-7 + r});
        t->Set(r, 1, Real(2.5L + r));
        t->Set(r, 2, r == 1);
        t->Set(r, 3, std::string(r ? "ab" : "hello"));
    }
    t->SetRecNo(1);
    return t;
}

TDBManager Manager() {
    TDBManager m;
    m.Tables.push_back(Table("Items", 0));
    m.Tables.push_back(Table("Seen", 1));
    m.Tables.push_back(Table("Shop", 0));
    m.Active = 0;
    return m;
}

// A string array holder of the given elements.
std::unique_ptr<TCustomParam> Strings(std::initializer_list<const char*> items) {
    auto p = std::make_unique<TParamStr>();
    p->SetDims({static_cast<int32_t>(items.size())});
    int i = 0;
    for (const char* s : items) p->SetStrAt(i++, s);
    return p;
}

std::unique_ptr<TCustomParam> Flags(std::initializer_list<bool> items) {
    auto p = std::make_unique<TParamFlag>();
    p->SetDims({static_cast<int32_t>(items.size())});
    int i = 0;
    for (bool b : items) p->SetFlagAt(i++, b);
    return p;
}

TEST(DataTables, FieldsReadAsTextByTheirType) {
    const auto t = Table("t", 0);
    EXPECT_EQ(t->Fields.RecordSize(), 21);
    EXPECT_EQ(t->Fields.Offset(3), 15);
    EXPECT_EQ(t->Text(0, 0), "-7");
    EXPECT_EQ(t->Text(1, 1), "3.5");
    EXPECT_EQ(t->Text(0, 2), "FALSE");
    EXPECT_EQ(t->Text(1, 2), "TRUE");
    EXPECT_EQ(t->Text(0, 3), "hello");
    EXPECT_EQ(t->Text(1, 3), "ab");
    EXPECT_EQ(t->Text(2, 0), "");
    EXPECT_EQ(t->Text(0, 4), "");
    EXPECT_EQ(t->Fields.IndexOf("NAME"), 3);  // without regard to case
}

TEST(DataTables, AddFieldGivesFixedSizesAndRefusesWhatCannotBeStored) {
    TDBTable t;
    struct Case {
        int type;
        int32_t maxLength;
        int32_t size;  // -1: refused
    } cases[] = {
        {kDBInteger, 99, 4}, {kDBFloat, 0, 10}, {kDBFlag, -3, 1}, {kDBString, 0, 1}, {kDBString, 5, 6},
        {kDBString, -9, 1},  // a negative length counts as 0
        {0, 5, -1}, {5, 5, -1}, {kDBString, 0x7FFFFFFF, -1}, {kDBString, 64 << 20, -1},
    };
    for (const Case& c : cases) {
        const int before = t.Fields.Count();
        const int index = t.Fields.AddField("f", c.type, c.maxLength);
        if (c.size < 0) {
            EXPECT_EQ(index, -1) << c.type << " " << c.maxLength;
            EXPECT_EQ(t.Fields.Count(), before);
        } else {
            ASSERT_EQ(index, before);
            EXPECT_EQ(t.Fields[index].Size, c.size) << c.type << " " << c.maxLength;
        }
    }
    // A record may take the whole size of a table, not a byte more.
    TDBTable one;
    EXPECT_EQ(one.Fields.AddField("s", kDBString, (64 << 20) - 1), 0);
    EXPECT_EQ(one.Fields.AddField("b", kDBFlag, 0), -1);
    EXPECT_EQ(one.Fields.RecordSize(), 64 << 20);
    // Records that would pass the size of a table refuse the field that makes them so.
    TDBTable five;
    five.Fields.AddField("b", kDBFlag, 0);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(five.Append());
    EXPECT_EQ(five.Fields.AddField("big", kDBString, 20 << 20), -1);
    EXPECT_EQ(five.Fields.Count(), 1);
    EXPECT_EQ(five.DataSize(), 5);
}

TEST(DataTables, SortsByKeysInOrderAndKeepsTheCurrentNumber) {
    TDBTable t;
    t.Fields.AddField("group", kDBInteger, 0);
    t.Fields.AddField("score", kDBFloat, 0);
    t.Fields.AddField("done", kDBFlag, 0);
    t.Fields.AddField("name", kDBString, 8);
    struct Row {
        int32_t group;
        Real score;
        bool done;
        const char* name;
    } rows[] = {{2, 1.5L, true, "b"}, {1, 9.0L, false, "B"}, {2, 1.5L, false, "a"}, {1, -3.0L, true, "\x82\xa0"},
                {2, 7.25L, true, "c"}, {1, 9.0L, true, "A"}};
    for (const Row& r : rows) {
        t.Append();
        t.Set(t.RecNo(), 0, r.group);
        t.Set(t.RecNo(), 1, r.score);
        t.Set(t.RecNo(), 2, r.done);
        t.Set(t.RecNo(), 3, std::string(r.name));
    }
    t.SetRecNo(2);
    struct Case {
        std::unique_ptr<TCustomParam> names;
        std::unique_ptr<TCustomParam> descending;
        const char* order;  // the names, in record order
    } cases[] = {
        {Strings({"group", "score", "name"}), Flags({false, true, false}), "A B \x82\xa0 c a b "},
        {Strings({"done", "NAME"}), Flags({false, false}), "B a A b c \x82\xa0 "},  // bytes above 0x7F last
        {Strings({"name"}), Flags({true}), "\x82\xa0 c b a B A "},
        {Strings({"nothing", "score", "group", "name"}), Flags({false, false, true, true}), "\x82\xa0 b a c B A "},
    };
    for (Case& c : cases) {
        t.Sort(*c.names, *c.descending);
        std::string order;
        for (int32_t r = 0; r < t.RecordCount(); ++r) order += t.Text(r, 3) + " ";
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(t.RecNo(), 2);
    }
    // Fewer flags than names: only the names with a flag are keys.
    t.Sort(*Strings({"name", "group"}), *Flags({false}));
    EXPECT_EQ(t.Text(0, 3), "A");
}

// Keys past the first 16 bytes, negative numbers, a real that is no number, -0 and 0.
TEST(DataTables, SortsLongTextsAndSignedNumbers) {
    TDBTable t;
    t.Fields.AddField("text", kDBString, 40);
    t.Fields.AddField("n", kDBInteger, 0);
    t.Fields.AddField("x", kDBFloat, 0);
    const char* texts[] = {"a long common beginning, then b", "a long common beginning, then a", "a long common beginning",
                           "a long common beginning, then c"};
    const int32_t numbers[] = {-5, 3, -7, 2147483647};
    const Real reals[] = {-0.0L, std::numeric_limits<Real>::quiet_NaN(), -1e300L, 0.0L};
    for (int i = 0; i < 4; ++i) {
        t.Append();
        t.Set(i, 0, std::string(texts[i]));
        t.Set(i, 1, numbers[i]);
        t.Set(i, 2, reals[i]);
    }
    const auto column = [&](int field) {
        std::string out;
        for (int32_t r = 0; r < t.RecordCount(); ++r) out += t.Text(r, field) + "|";
        return out;
    };
    t.Sort(*Strings({"text"}), *Flags({false}));
    EXPECT_EQ(column(0), "a long common beginning|a long common beginning, then a|a long common beginning, then b|"
                         "a long common beginning, then c|");
    t.Sort(*Strings({"text"}), *Flags({true}));
    EXPECT_EQ(column(1), "2147483647|-5|3|-7|");  // c, b, a, then the text they all begin with
    t.Sort(*Strings({"n"}), *Flags({false}));
    EXPECT_EQ(column(1), "-7|-5|3|2147483647|");
    t.Sort(*Strings({"x", "n"}), *Flags({false, true}));
    EXPECT_EQ(column(1), "-7|2147483647|-5|3|");  // -1e300, then 0 and -0 tied (n decides), then no number
}

TEST(DataTables, AppendFromCopiesChosenRecordsEvenFromItself) {
    auto t = Table("t", 0);
    EXPECT_TRUE(t->AppendFrom(*t, TDBSelection{true, {}}));
    ASSERT_EQ(t->RecordCount(), 4);
    EXPECT_EQ(t->RecNo(), 3);
    EXPECT_EQ(t->Text(2, 3), "hello");
    EXPECT_EQ(t->Text(3, 0), "-6");
    EXPECT_TRUE(t->AppendFrom(*t, TDBSelection{false, {3, 0}}));
    EXPECT_EQ(t->Text(4, 0), "-6");
    EXPECT_EQ(t->Text(5, 0), "-7");
    EXPECT_TRUE(t->AppendFrom(*t, TDBSelection{false, {}}));  // nothing chosen: nothing changes
    EXPECT_EQ(t->RecordCount(), 6);
    EXPECT_EQ(t->RecNo(), 5);
}

TEST(DataTables, ManagerKeepsTheActiveTableThroughDeletesAndCopies) {
    TDBManager m;
    EXPECT_EQ(m.CreateTable("a", 0), 0);
    EXPECT_EQ(m.CreateTable("B", 1), 1);
    EXPECT_EQ(m.CreateTable("b", 0), -1);
    EXPECT_EQ(m.CreateTable("", 0), -1);
    EXPECT_EQ(m.Active, 1);
    EXPECT_EQ(m.CreateTable("c", 0), 2);
    EXPECT_TRUE(m.SetActive("C"));
    EXPECT_FALSE(m.SetActive("zz"));
    EXPECT_EQ(m.Active, 2);
    EXPECT_TRUE(m.DeleteTable("A"));
    EXPECT_EQ(m.ActiveTable()->Name, "c");
    EXPECT_FALSE(m.DeleteTable("a"));

    // c gets fields and records; copies go to b, never to c itself.
    TDBCustomTable& c = *m.ActiveTable();
    c.Fields.AddField("n", kDBInteger, 0);
    for (int32_t i = 0; i < 3; ++i) {
        c.Append();
        c.Set(i, 0, i * 10);
    }
    EXPECT_FALSE(m.CopyTo("c", TDBSelection{true, {}}));
    EXPECT_FALSE(m.CopyTo("none", TDBSelection{true, {}}));
    EXPECT_TRUE(m.CopyTo("b", TDBSelection{false, {2}}));
    TDBCustomTable& b = *m.Table("b");
    EXPECT_TRUE(SameFields(b.Fields, c.Fields));
    ASSERT_EQ(b.RecordCount(), 1);
    EXPECT_EQ(b.Text(0, 0), "20");
    EXPECT_EQ(b.Status, 1);  // a copy keeps the destination's status

    EXPECT_TRUE(m.InsertFrom("b", TDBSelection{true, {}}));
    EXPECT_EQ(c.RecordCount(), 4);
    EXPECT_EQ(c.RecNo(), 3);
    b.Fields.AddField("more", kDBFlag, 0);
    EXPECT_FALSE(m.InsertFrom("b", TDBSelection{true, {}}));

    m.ClearGameTables();
    ASSERT_EQ(m.Tables.size(), 1u);
    EXPECT_EQ(m.Tables[0]->Name, "B");
    EXPECT_EQ(m.Active, -1);
    m.Clear();
    EXPECT_TRUE(m.Tables.empty());
}

TEST(DataTables, ASectionReplacesTheTablesOfItsStatusOnly) {
    const TDBManager saved = Manager();
    TMemoryStream game, status;
    saved.Save(game, 0);
    saved.Save(status, 1);
    EXPECT_EQ(game.Bytes().at(0), 100);  // the format version

    TDBManager m;
    m.Tables.push_back(Table("Old", 0));
    m.Tables.push_back(Table("Kept", 1));
    game.SetPosition(0);
    m.Load(game, 0);
    EXPECT_EQ(game.Remaining(), 0);
    ASSERT_EQ(m.Tables.size(), 3u);  // the game table went, the status table stayed
    EXPECT_EQ(m.FindTable("old"), -1);
    EXPECT_EQ(m.FindTable("KEPT"), 0);
    EXPECT_EQ(m.Active, m.FindTable("Items"));  // the table active when the game was saved
    const TDBCustomTable& items = *m.Table("items");
    for (int32_t r = 0; r < 2; ++r)
        for (int f = 0; f < 4; ++f) EXPECT_EQ(items.Text(r, f), saved.Tables[0]->Text(r, f));
    EXPECT_EQ(items.RecNo(), 1);
    EXPECT_EQ(items.Fields[3].Name, "name");

    status.SetPosition(0);
    m.Load(status, 1);
    EXPECT_EQ(status.Remaining(), 0);
    EXPECT_EQ(m.FindTable("Kept"), -1);
    EXPECT_EQ(m.Active, m.FindTable("Seen"));  // after status tables the last one read is active
    EXPECT_EQ(m.Tables.size(), 3u);

    // Written again, both sections are the bytes they were read from.
    TMemoryStream game2, status2;
    m.Save(game2, 0);
    m.Save(status2, 1);
    EXPECT_NE(game2.Bytes(), game.Bytes());  // the active table differs now
    EXPECT_EQ(status2.Bytes(), status.Bytes());
    m.Active = m.FindTable("Items");
    game2.Clear();
    m.Save(game2, 0);
    EXPECT_EQ(game2.Bytes(), game.Bytes());
}

// Version, count, kind, name "Items", status: the field count of the first table starts here.
constexpr size_t kFieldCountAt = 4 + 4 + 1 + 4 + 5 + 1;
// Its fields: id, rate, ok, name (size, name, type each), then the record count.
constexpr size_t kRecordCountAt = kFieldCountAt + 4 + (4 + 6 + 1) + (4 + 8 + 1) + (4 + 6 + 1) + (4 + 8 + 1);
constexpr size_t kRecordsAt = kRecordCountAt + 4;
constexpr size_t kRecNoAt = kRecordsAt + 2 * 21;

TEST(DataTables, AStoredStringWithoutItsEndStopsAtItsField) {
    TMemoryStream good;
    Manager().Save(good, 0);
    std::vector<uint8_t> bytes = good.Bytes();
    std::memcpy(bytes.data() + kRecordsAt + 15, "hellox", 6);  // fills "name" of record 0 to its last byte
    TMemoryStream in(bytes);
    TDBManager m;
    m.Load(in, 0);
    EXPECT_EQ(m.Tables[0]->Text(0, 3), "hellox");
    EXPECT_EQ(m.Tables[0]->Text(1, 0), "-6");
}

TEST(DataTables, RecordsOfNoFieldsTakeNoBytes) {
    TMemoryStream s;
    WriteInt(s, 100);
    WriteInt(s, 1);
    WriteByte(s, 0);
    WriteStr(s, "empty");
    WriteByte(s, 0);
    WriteInt(s, 0);           // no fields
    WriteInt(s, 2000000000);  // records
    WriteInt(s, -1);
    WriteStr(s, "empty");
    s.SetPosition(0);
    TDBManager back;
    back.Load(s, 0);
    const auto& table = dynamic_cast<const TDBTable&>(*back.Tables.at(0));
    EXPECT_EQ(table.RecordCount(), 2000000000);
    EXPECT_EQ(table.DataSize(), 0);
    TMemoryStream again;
    back.Save(again, 0);
    EXPECT_EQ(again.Bytes(), s.Bytes());
    // Their number is bounded by the count's range: a copy of them all does not fit again.
    TDBCustomTable& t = *back.Tables[0];
    EXPECT_FALSE(t.AppendFrom(t, TDBSelection{true, {}}));
    EXPECT_TRUE(t.AppendFrom(t, TDBSelection{false, {0, 1}}));
    EXPECT_EQ(t.RecordCount(), 2000000002);
    EXPECT_EQ(t.RecNo(), 2000000001);
}

TEST(DataTables, DamagedSectionsAreRefusedBeforeAnythingChanges) {
    TMemoryStream good;
    Manager().Save(good, 0);
    const std::vector<uint8_t> bytes = good.Bytes();
    const size_t firstSize = kFieldCountAt + 4;
    const size_t firstType = firstSize + 4 + 6;
    struct Case {
        const char* what;
        size_t at;
        int32_t value;
        int bytes = 4;
    } cases[] = {
        {"table count", 4, 1000000},
        {"field count", kFieldCountAt, 100000000},
        {"field count above the bound", kFieldCountAt, 10001},
        {"negative field size", firstSize, -4},
        {"huge field size", firstSize, 0x7FFFFFF0},
        {"integer of 8 bytes", firstSize, 8},
        {"unknown type", firstType, 9, 1},
        {"flag type on an integer's size", firstType, 3, 1},
        {"more records than the data holds", kRecordCountAt, 3},
        {"negative record count", kRecordCountAt, -1},
        {"current record past the end", kRecNoAt, 2},
        {"current record below -1", kRecNoAt, -2},
        {"a status table among the game tables", kFieldCountAt - 1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> damaged = bytes;
        std::memcpy(damaged.data() + c.at, &c.value, static_cast<size_t>(c.bytes));
        TMemoryStream in(damaged);
        TDBManager m = Manager();
        EXPECT_THROW(m.Read(in, 0), ERuvoError);
        EXPECT_EQ(m.Tables.size(), 3u);
    }
    for (size_t n = 0; n < bytes.size(); ++n) {
        TMemoryStream in(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n)));
        EXPECT_THROW(Manager().Read(in, 0), ERuvoError) << n;
    }
}

} // namespace
} // namespace ruvo
