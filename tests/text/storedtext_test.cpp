// The stored glyph form: round trips at every version, the header, old records, decoration bases, and
// damaged texts.
#include <gtest/gtest.h>

#include <random>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "params/exprbuild.hpp"
#include "text_fixture.hpp"

namespace ruvo {
namespace {

using StoredTextTest = testing::TextTest;

// Every kind of glyph, with every style attribute somewhere.
const char kEveryKind[] =
    "<FONT SIZE=20 COLOR=#102030 BCOLOR=#405060 SCOLOR=#708090 NAME=\"ＭＳ 明朝\" BORDER=2 SHADOW=3>"
    "<B><I><U><S><NOBR><RUBY VALUE=かな>漢</RUBY></NOBR></S></U></I></B>a</FONT>"
    "<A HREF=link><WAIT VALUE=-40>x<VAR NAME=\"score + 1\"></WAIT></A><BR><BR CLEAR><DIV ALIGN=RIGHT></DIV>"
    "<INDENT><UNDENT><EVENT VALUE=mark END><EVENT VALUE=go><IMG SRC=\"pic\\a.png\" ALIGN=CENTER>";

std::vector<uint8_t> Stored(const TGxWord& engine, int version) {
    TMemoryStream s;
    engine.WriteStored(s, version);
    return s.Bytes();
}

void Load(TGxWord& engine, const std::vector<uint8_t>& bytes) {
    TMemoryStream s(bytes);
    engine.LoadStored(s);
}

TEST_F(StoredTextTest, EveryKindRoundTripsAtEveryVersion) {
    DeclareInt("score", 4);
    Parse(kEveryKind);
    const std::string parsed = Listing();
    // Fields a version lacks come back as the reader's defaults.
    auto expected = [&](int version) {
        std::string e = parsed;
        auto replace = [&](const std::string& from, const std::string& to) {
            for (size_t at = e.find(from); at != std::string::npos; at = e.find(from, at + to.size()))
                e.replace(at, from.size(), to);
        };
        // The event marked END keeps its stop flag; in a parsed text it is the 0x01 before the value.
        if (version < 100) {
            replace("border=2 shadow=3", "border=1 shadow=0");
            replace("scolor=#708090 ", "scolor=#000000 ");
            replace("\tborder=-1 shadow=-1", "\t");
            replace(" border=-1 shadow=-1", "");
        }
        if (version == 100)  // no wait or link on variable glyphs
            replace("score + 1\tlink=link wait=-40", "score + 1\twait=0");
        if (version < 102)  // a compiled expression instead of the text
            replace("score + 1\t", "\t");
        return e;
    };
    for (int version : {0, 99, 100, 101, 102}) {
        const std::vector<uint8_t> bytes = Stored(engine, version);
        TGxWord loaded(services);
        Load(loaded, bytes);
        std::string listing = GlyphListing(loaded);
        if (version < 100) {
            // Old records have no shadow fields: width 0 and colour 0 (black), and one-byte borders.
            EXPECT_NE(listing.find("scolor=#000000"), std::string::npos) << version;
        }
        if (version >= 100) {
            EXPECT_EQ(listing, expected(version)) << version;
        }
        EXPECT_EQ(Stored(loaded, version), bytes) << "rewritten at version " << version;
        // The variable glyph evaluates whether it holds text (102) or a compiled expression (older).
        loaded.ExpandVars(0, -1);
        EXPECT_NE(GlyphListing(loaded).find("\t1\t5\t"), std::string::npos) << version;
    }
    // The header carries the version; version 0 has none.
    const std::vector<uint8_t> v102 = Stored(engine, 102), v0 = Stored(engine, 0);
    EXPECT_EQ(std::string(v102.begin(), v102.begin() + 9), "GxWord102");
    EXPECT_EQ(v0[0], uint8_t(engine.Decorations.Count()));
}

TEST_F(StoredTextTest, HeaderlessRecordsHaveByteBordersAndNoShadow) {
    TMemoryStream s;
    WriteInt(s, 1);  // one decoration
    WriteInt(s, 5);  // reference count (the reader counts its own)
    WriteInt(s, 0x0000FF);
    WriteInt(s, 0x00FF00);
    WriteInt(s, 16);
    WriteByte(s, 1);
    WriteByte(s, 0);
    WriteByte(s, 7);  // border: one byte, non-zero reads as 1
    WriteStr(s, "");
    WriteStr(s, "");
    WriteInt(s, 2);  // two glyphs
    WriteByte(s, 1);
    WriteStr(s, "");
    WriteInt(s, 50);
    const uint16_t code = 'A';
    s.WriteBuffer(&code, 2);
    WriteInt(s, 0);
    WriteByte(s, 6);
    WriteStr(s, "\x01stop");
    s.SetPosition(0);
    engine.LoadStored(s);
    EXPECT_EQ(Listing(), "0\t1\tA\tsize=16 color=#FF0000 bcolor=#00FF00 scolor=#000000 b=1 border=1 shadow=0\n"
                         "1\t6\t\\x01stop\t\n");
    const auto& event = static_cast<const TWdOpeEvent&>(*engine.Glyph(1));
    EXPECT_TRUE(event.Stop());
    EXPECT_EQ(event.Value(), "stop");
    EXPECT_EQ(event.Wait(), 1);
    EXPECT_EQ(engine.Decorations.At(0)->RefCount, 1);

    // Written headerless, the edge flag is set only where the text asks for an edge.
    Parse("a<FONT BORDER=3>b</FONT><FONT BORDER=0>c</FONT>");
    TGxWord old(services);
    Load(old, Stored(engine, 0));
    EXPECT_EQ(GlyphListing(old), "0\t1\ta\tscolor=#000000 border=0 shadow=0\n"
                                 "1\t1\tb\tscolor=#000000 border=1 shadow=0\n"
                                 "2\t1\tc\tscolor=#000000 border=0 shadow=0\n");
}

TEST_F(StoredTextTest, TextsAppendedToAnEngineUseTheDecorationBase) {
    Parse("<FONT COLOR=#FF0000>r</FONT>");
    const std::vector<uint8_t> red = Stored(engine, 102);
    Parse("<FONT COLOR=#0000FF>b</FONT>");
    const std::vector<uint8_t> blue = Stored(engine, 102);
    TGxWord both(services);
    Load(both, red);
    both.DecorationBase = both.Decorations.Count();
    Load(both, blue);
    EXPECT_EQ(GlyphListing(both), "0\t1\tr\tcolor=#FF0000\n1\t1\tb\tcolor=#0000FF\n");
}

TEST_F(StoredTextTest, UnknownKindsReadNothingAndHighBitsAreIgnored) {
    TMemoryStream s;
    s.WriteBuffer("GxWord102", 9);
    WriteInt(s, 0);
    WriteInt(s, 4);
    WriteByte(s, 8);  // no class: nothing follows
    WriteByte(s, 0);
    WriteByte(s, 0x84);  // indent
    WriteByte(s, 0x83);  // line break
    WriteByte(s, 1);
    s.SetPosition(0);
    engine.LoadStored(s);
    EXPECT_EQ(Glyphs(), "[4][3]");
    EXPECT_TRUE(engine.Glyph(1)->Clear());
}

TEST_F(StoredTextTest, DamagedTextsFailCleanly) {
    DeclareInt("score", 1);
    Parse(kEveryKind);
    for (int version : {0, 100, 101, 102}) {
        const std::vector<uint8_t> whole = Stored(engine, version);
        // Every truncation either fails with an error or reads the glyphs that are complete.
        for (size_t n = 0; n < whole.size(); ++n) {
            TGxWord t(services);
            try {
                Load(t, std::vector<uint8_t>(whole.begin(), whole.begin() + n));
                ADD_FAILURE() << "truncated at " << n << " of " << whole.size() << " read without error";
            } catch (const ERuvoError&) {
            }
        }
        // Random corruption never crashes or allocates without bound.
        std::mt19937 rng(version);
        for (int round = 0; round < 400; ++round) {
            std::vector<uint8_t> bad = whole;
            for (int k = 0; k < 1 + round % 4; ++k) bad[rng() % bad.size()] = uint8_t(rng());
            TGxWord t(services);
            try {
                Load(t, bad);
                t.ExpandVars(0, -1);
                std::vector<std::unique_ptr<TWdPage>> p;
                t.AreaWidth = 100;
                t.AreaHeight = 50;
                t.Layout(p, 0, -1);
                for (auto& page : p) page->Render(true);
            } catch (const ERuvoError&) {
            }
        }
    }
    // Counts beyond the text are refused before anything is allocated.
    for (int32_t count : {-1, 0x7FFFFFFF}) {
        TMemoryStream s;
        s.WriteBuffer("GxWord102", 9);
        WriteInt(s, count);
        s.SetPosition(0);
        EXPECT_THROW(engine.LoadStored(s), ERuvoError) << count;
    }
    TMemoryStream s;
    s.WriteBuffer("GxWordABC", 9);
    s.SetPosition(0);
    EXPECT_THROW(engine.LoadStored(s), ERuvoError);
    // A glyph referring to a decoration the text does not have.
    TMemoryStream bad;
    bad.WriteBuffer("GxWord102", 9);
    WriteInt(bad, 0);
    WriteInt(bad, 1);
    WriteByte(bad, 7);
    WriteInt(bad, 3);
    bad.SetPosition(0);
    engine.Clear();
    EXPECT_THROW(engine.LoadStored(bad), ERuvoError);
}

} // namespace
} // namespace ruvo
