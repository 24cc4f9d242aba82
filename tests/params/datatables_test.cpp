// The data tables' persisted form: the game and status sections held and written back as read, which
// tables a section replaces, the active table, and damaged sections.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/errors.hpp"
#include "archive/extended.hpp"
#include "archive/streams.hpp"
#include "params/datatables.hpp"

namespace ruvo {
namespace {

std::unique_ptr<TDBTable> Table(const std::string& name, uint8_t status) {
    auto t = std::make_unique<TDBTable>();
    t->Name = name;
    t->Status = status;
    t->Fields = {{4, "id", 1}, {10, "rate", 2}, {1, "ok", 3}, {6, "name", 4}};
    const int32_t size = t->RecordSize();
    t->RecordCount = 2;
    t->RecordBytes.assign(static_cast<size_t>(size) * 2, 0);
    for (int r = 0; r < 2; ++r) {
        uint8_t* p = t->RecordBytes.data() + r * size;
        p[0] = static_cast<uint8_t>(-7 + r);
        p[1] = p[2] = p[3] = 0xFF;
        WriteExtended(2.5L + r, p + 4);
        p[14] = static_cast<uint8_t>(r);
        std::memcpy(p + 15, r ? "ab\0\0\0" : "hello", 5);
    }
    t->RecNo = 1;
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

TEST(DataTables, FieldsReadAsTextByTheirType) {
    const auto t = Table("t", 0);
    EXPECT_EQ(t->RecordSize(), 21);
    EXPECT_EQ(t->FieldText(0, 0), "-7");
    EXPECT_EQ(t->FieldText(1, 1), "3.5");
    EXPECT_EQ(t->FieldText(0, 2), "FALSE");
    EXPECT_EQ(t->FieldText(1, 2), "TRUE");
    EXPECT_EQ(t->FieldText(0, 3), "hello");  // a full field without its 0 byte
    EXPECT_EQ(t->FieldText(1, 3), "ab");
    EXPECT_EQ(t->FieldText(2, 0), "");
}

TEST(DataTables, ASectionReplacesTheTablesOfItsStatusOnly) {
    const TDBManager saved = Manager();
    TMemoryStream game, status;
    saved.Save(game, 0);
    saved.Save(status, 1);

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
    const TDBTable& items = *m.Tables[static_cast<size_t>(m.FindTable("items"))];
    EXPECT_EQ(items.RecordBytes, saved.Tables[0]->RecordBytes);
    EXPECT_EQ(items.RecNo, 1);
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

TEST(DataTables, RecordsOfNoFieldsTakeNoBytes) {
    TDBManager m;
    m.Tables.push_back(std::make_unique<TDBTable>());
    m.Tables[0]->Name = "empty";
    m.Tables[0]->RecordCount = 2000000000;
    TMemoryStream s;
    m.Save(s, 0);
    s.SetPosition(0);
    TDBManager back;
    back.Load(s, 0);
    EXPECT_EQ(back.Tables.at(0)->RecordCount, 2000000000);
    EXPECT_TRUE(back.Tables[0]->RecordBytes.empty());
}

TEST(DataTables, DamagedSectionsAreRefusedBeforeAnythingChanges) {
    TMemoryStream good;
    Manager().Save(good, 0);
    const std::vector<uint8_t> bytes = good.Bytes();
    // Field count at 4 + 4 + 1 + 4 + 5 + 1: version, count, kind, name "Items", status.
    const size_t fieldCount = 4 + 4 + 1 + 4 + 5 + 1;
    const size_t firstSize = fieldCount + 4;
    struct Case {
        const char* what;
        size_t at;
        int32_t value;
    } cases[] = {
        {"table count", 4, 1000000},
        {"field count", fieldCount, 100000000},
        {"negative field size", firstSize, -4},
        {"huge field size", firstSize, 0x7FFFFFF0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> damaged = bytes;
        std::memcpy(damaged.data() + c.at, &c.value, 4);
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
