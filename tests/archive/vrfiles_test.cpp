#include "archive/vrfiles.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <random>

#include "archive/errors.hpp"
#include "archive/resources.hpp"
#include "archive/sjis.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::TempDir;

std::string AsString(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
void WriteBytes(const std::filesystem::path& p, const Bytes& b) { testing::WriteFile(p, AsString(b)); }

uint32_t ZlibCrc(const std::string& s) {
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

std::string Content(TVrFileCollection& c, std::string_view name) {
    TMemoryStream m;
    c.Extract(name, m);
    return AsString(m.Bytes());
}

std::string Stored(TVrFileCollection& c, std::string_view name) {
    TMemoryStream m;
    c.ReadStored(*c.Find(name), m);
    return AsString(m.Bytes());
}

// Key stream of the directory (s <- 5s + 0x3C5A91E7): 3C5A91E7, 6A1F6B6A, 4EF7AAF9, C730E8C4, 204F1DBB,
// DDE6268E; names use the low bytes E7 6A F9 C4 BB 8E ...

// Version 102, three entries: "t.txt" deflated "hello" with the CRC of its content, an entry with an empty
// name and no bytes, "R" stored raw ("RAW!") with the CRC of its stored bytes. 107 bytes.
const Bytes kV102 = {
    'v', 'f',                // magic
    0x66, 0x00, 0x00, 0x00,  // version 102
    0x03, 0x00, 0x00, 0x00,  // N = 3
    0x05, 0x00, 0x00, 0x00, 0x93, 0x44, 0x8D, 0xBC, 0xCF,  // "t.txt" ^ E7 6A F9 C4 BB
    0x00, 0x00, 0x00, 0x00,                                // "" takes no key bytes
    0x01, 0x00, 0x00, 0x00, 0xDC,                          // "R" ^ 8E: the stream ran on
    0xBD, 0x91, 0x5A, 0x3C, 0x00, 0x00, 0x00, 0x00,  // offset 90 ^ 3C5A91E7
    0x0D, 0x6B, 0x1F, 0x6A, 0x00, 0x00, 0x00, 0x00,  // offset 103 ^ 6A1F6B6A
    0x9E, 0xAA, 0xF7, 0x4E, 0x00, 0x00, 0x00, 0x00,  // offset 103 ^ 4EF7AAF9
    0xAF, 0xE8, 0x30, 0xC7, 0xFF, 0xFF, 0xFF, 0xFF,  // offset 107 ^ C730E8C4, high word ^ FFFFFFFF (bit 31 set)
    0x00, 0x01, 0x01,                                // raw flags
    0x21, 0x43, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // times 0x4321, 0, 0
    0x86, 0xA6, 0x10, 0x36, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x24, 0x8B, 0x88,  // CRCs: crc("hello"), 0, crc("RAW!")
    0x01, 0x00, 0x00,                                                        // CRC bases
    0x78, 0x01, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x07, 0x00, 0x06, 0x2C, 0x02, 0x15,  // zlib("hello") at 90
    'R', 'A', 'W', '!',                                                            // at 103
};
constexpr size_t kV102DirectorySize = 90;

// Version 101: no CRC-basis table. One raw entry "t.txt" = "RAW!". 48 bytes.
const Bytes kV101 = {
    'v', 'f', 0x65, 0x00, 0x00, 0x00,                      // magic, version 101
    0x01, 0x00, 0x00, 0x00,                                // N = 1
    0x05, 0x00, 0x00, 0x00, 0x93, 0x44, 0x8D, 0xBC, 0xCF,  // "t.txt" scrambled
    0xCB, 0x91, 0x5A, 0x3C, 0x00, 0x00, 0x00, 0x00,        // offset 44 ^ 3C5A91E7
    0x5A, 0x6B, 0x1F, 0x6A, 0x00, 0x00, 0x00, 0x00,        // offset 48 ^ 6A1F6B6A
    0x01,                                                  // raw
    0x78, 0x56, 0x34, 0x12,                                // time
    0x0F, 0x24, 0x8B, 0x88,                                // crc("RAW!")
    'R', 'A', 'W', '!',
};

// Version 100: scrambled names and 32-bit offsets, no tables, every entry deflated. 66 bytes.
const Bytes kV100 = {
    'v', 'f', 0x64, 0x00, 0x00, 0x00,          // magic, version 100
    0x02, 0x00, 0x00, 0x00,                    // N = 2
    0x02, 0x00, 0x00, 0x00, 0x86, 0x08,        // "ab" ^ E7 6A
    0x01, 0x00, 0x00, 0x00, 0x9A,              // "c" ^ F9
    0xC6, 0x91, 0x5A, 0x3C,                    // offset 33 ^ 3C5A91E7
    0x44, 0x6B, 0x1F, 0x6A,                    // offset 46 ^ 6A1F6B6A
    0xBB, 0xAA, 0xF7, 0x4E,                    // offset 66 ^ 4EF7AAF9
    0x78, 0x01, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x07, 0x00, 0x06, 0x2C, 0x02, 0x15,  // zlib("hello")
    0x78, 0x01, 0xCB, 0xC8, 0x54, 0x28, 0xC9, 0x48, 0x2D, 0x4A, 0x55, 0xC8, 0x40, 0x67, 0x00, 0x00,
    0x7D, 0x1E, 0x09, 0x5C,  // zlib("hi there hi there hi there")
};

// Version 0: no magic, plain names and 32-bit offsets, every entry deflated. 34 bytes.
const Bytes kV0 = {
    0x01, 0x00, 0x00, 0x00,                          // N = 1
    0x05, 0x00, 0x00, 0x00, 'a', '.', 't', 'x', 't', // "a.txt"
    0x15, 0x00, 0x00, 0x00,                          // offset 21
    0x22, 0x00, 0x00, 0x00,                          // offset 34
    0x78, 0x01, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x07, 0x00, 0x06, 0x2C, 0x02, 0x15,  // zlib("hello")
};

TEST(VrFileRead, Version102FieldsAndKeyStream) {
    TempDir dir;
    WriteBytes(dir / "game.dat", kV102);
    TVrFileCollection c;
    c.Open(dir / "game.dat");
    ASSERT_EQ(c.Version(), 102);
    ASSERT_EQ(c.Count(), 4);  // three entries and the end marker
    EXPECT_EQ(c[0].Name(), "t.txt");
    EXPECT_EQ(c[1].Name(), "");
    EXPECT_EQ(c[2].Name(), "R");
    EXPECT_TRUE(c[3].IsEndMarker());
    EXPECT_EQ(c[3].Name(), "\\EOF\\");
    EXPECT_EQ(c[3].Offset, 107);

    EXPECT_EQ(c[0].Offset, 90);
    EXPECT_EQ(c[0].Size, 13);
    EXPECT_FALSE(c[0].Raw);
    EXPECT_EQ(c[0].Time, 0x4321);
    EXPECT_EQ(c[0].Crc, ZlibCrc("hello"));
    EXPECT_TRUE(c[0].CrcOfContent);
    EXPECT_EQ(c[1].Size, 0);
    EXPECT_EQ(c[2].Offset, 103);
    EXPECT_TRUE(c[2].Raw);
    EXPECT_EQ(c[2].Crc, ZlibCrc("RAW!"));
    EXPECT_FALSE(c[2].CrcOfContent);

    EXPECT_EQ(Content(c, "t.txt"), "hello");
    EXPECT_EQ(Content(c, "r"), "RAW!");  // lookups ignore case
    EXPECT_EQ(c.IndexOf("\\EOF\\"), -1);  // the end marker is no entry
}

TEST(VrFileRead, OlderVersions) {
    TempDir dir;
    WriteBytes(dir / "v101.dat", kV101);
    WriteBytes(dir / "v100.dat", kV100);
    WriteBytes(dir / "v0.dat", kV0);

    TVrFileCollection v101;
    v101.Open(dir / "v101.dat");
    EXPECT_EQ(v101.Version(), 101);
    EXPECT_EQ(v101[0].Time, 0x12345678);
    EXPECT_FALSE(v101[0].CrcOfContent);  // version 101 has no basis table
    EXPECT_EQ(Content(v101, "T.TXT"), "RAW!");

    TVrFileCollection v100;
    v100.Open(dir / "v100.dat");
    EXPECT_EQ(v100.Version(), 100);
    ASSERT_EQ(v100.Count(), 3);
    EXPECT_EQ(v100[0].Name(), "ab");
    EXPECT_EQ(v100[1].Name(), "c");
    EXPECT_FALSE(v100[0].Raw);
    EXPECT_EQ(v100[0].Crc, 0u);
    EXPECT_EQ(Content(v100, "ab"), "hello");
    EXPECT_EQ(Content(v100, "c"), "hi there hi there hi there");

    TVrFileCollection v0;
    v0.Open(dir / "v0.dat");
    EXPECT_EQ(v0.Version(), 0);
    EXPECT_EQ(v0[0].Name(), "a.txt");
    EXPECT_EQ(v0[0].Offset, 21);
    EXPECT_EQ(Content(v0, "a.txt"), "hello");
}

// Each container kind holds the version-102 fixture; the entries must read the same from all of them.
struct ContainerKind {
    const char* name;
    int64_t partSize;
    std::function<void(TVrFileCollection&, const TempDir&, TResourceRegistry&)> open;
};

const ContainerKind kContainerKinds[] = {
    {"own file", kBigPartSize,
     [](TVrFileCollection& c, const TempDir& d, TResourceRegistry&) {
         WriteBytes(d / "game.dat", kV102);
         c.Open(d / "game.dat");
     }},
    {"appended to an executable", kBigPartSize,
     [](TVrFileCollection& c, const TempDir& d, TResourceRegistry&) {
         Bytes exe = AsBytes("MZ player code...");  // 17 bytes of executable
         const uint8_t start = static_cast<uint8_t>(exe.size());
         exe.insert(exe.end(), kV102.begin(), kV102.end());
         for (uint8_t b : {start, uint8_t(0), uint8_t(0), uint8_t(0), uint8_t('r'), uint8_t('v')}) exe.push_back(b);
         WriteBytes(d / "Player.EXE", exe);
         c.Open(d / "Player.EXE");
     }},
    {"data file with a .ext directory", kBigPartSize,
     [](TVrFileCollection& c, const TempDir& d, TResourceRegistry&) {
         // The directory lives only in the .ext file; the data file has zeros where it would be.
         WriteBytes(d / "data.EXT", Bytes(kV102.begin(), kV102.begin() + kV102DirectorySize));
         Bytes data(kV102DirectorySize, 0);
         data.insert(data.end(), kV102.begin() + kV102DirectorySize, kV102.end());
         WriteBytes(d / "data.bin", data);
         c.Open(d / "data.bin");
     }},
    {"embedded resource", kBigPartSize,
     [](TVrFileCollection& c, const TempDir&, TResourceRegistry& r) {
         r.AddCopy("DUMMY", "BINTYPE", kV102);
         c.OpenResource(r, "DUMMY", "BINTYPE");
     }},
    {"split into 16-byte parts", 16,
     [](TVrFileCollection& c, const TempDir& d, TResourceRegistry&) {
         for (size_t at = 0, part = 0; at < kV102.size(); at += 16, ++part) {
             const Bytes chunk(kV102.begin() + at, kV102.begin() + std::min(at + 16, kV102.size()));
             WriteBytes(TGxBigFileStream::PartName(d / "game.dat", static_cast<int>(part)), chunk);
         }
         c.Open(d / "game.dat");
     }},
};

TEST(VrFileRead, EveryContainerKindReadsTheSameEntries) {
    for (const auto& kind : kContainerKinds) {
        SCOPED_TRACE(kind.name);
        TempDir dir;
        TResourceRegistry registry;
        TVrFileCollection c(kind.partSize);
        kind.open(c, dir, registry);
        ASSERT_TRUE(c.HasContainer());
        ASSERT_EQ(c.Count(), 4);
        EXPECT_EQ(Content(c, "t.txt"), "hello");
        EXPECT_EQ(Content(c, "R"), "RAW!");
        EXPECT_EQ(Content(c, ""), "");
        // Ranges read the stored bytes through a handle of their own.
        auto range = c.OpenRange("R");
        ASSERT_NE(range, nullptr);
        std::string got(10, '\0');
        got.resize(static_cast<size_t>(range->Read(got.data(), 10)));
        EXPECT_EQ(got, "RAW!");
        // An empty entry is an empty range, not the whole container.
        auto empty = c.OpenRange("");
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(empty->Size(), 0);
    }
}

TEST(VrFileRead, EmptyResourceIsAnError) {
    TResourceRegistry registry;
    registry.AddCopy("DUMMY", "BINTYPE", {});
    TVrFileCollection c;
    try {
        c.OpenResource(registry, "DUMMY", "BINTYPE");
        FAIL() << "no exception";
    } catch (const ERuvoError& e) {
        EXPECT_EQ(e.Message(), Utf8ToSjis("リソースが見つかりません"));
    }
}

TEST(VrFileRead, MissingContainerServesOnlyLooseFilesOfThatFolder) {
    TempDir dir;
    testing::WriteFile(dir / "games" / "Bg" / "Sky.png", "sky");
    TVrFileCollection c;
    c.Open(dir / "games");  // a folder, not a file
    EXPECT_FALSE(c.HasContainer());
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(Content(c, "bg\\sky.PNG"), "sky");
    EXPECT_EQ(c.OpenRange("bg\\sky.png"), nullptr);
}

TEST(VrFileExtract, LookupRules) {
    TempDir dir;
    // Version 0 with two entries of the same name in different case: the later one is found.
    const Bytes twice = {
        0x02, 0x00, 0x00, 0x00,                     // N = 2
        0x01, 0x00, 0x00, 0x00, 'x',                // "x"
        0x01, 0x00, 0x00, 0x00, 'X',                // "X"
        0x1A, 0x00, 0x00, 0x00,                     // offset 26
        0x27, 0x00, 0x00, 0x00,                     // offset 39
        0x2F, 0x00, 0x00, 0x00,                     // offset 47
        0x78, 0x01, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x07, 0x00, 0x06, 0x2C, 0x02, 0x15,  // zlib("hello")
        0x78, 0x01, 0x2B, 0xCF, 0x2F, 0x02, 0x00, 0x00,  // placeholder, replaced below
    };
    Bytes archive = twice;
    // zlib("two") at level 1, made here so the fixture stays readable.
    uLongf n = 64;
    Bytes z(n);
    compress2(z.data(), &n, reinterpret_cast<const Bytef*>("two"), 3, 1);
    archive.resize(39);
    archive.insert(archive.end(), z.begin(), z.begin() + static_cast<long>(n));
    archive[22] = static_cast<uint8_t>(39 + n);  // the end offset
    WriteBytes(dir / "game.dat", archive);

    TVrFileCollection c;
    c.Open(dir / "game.dat");
    EXPECT_EQ(c.IndexOf("x"), 1);
    EXPECT_EQ(Content(c, "x"), "two");
    EXPECT_EQ(c.IndexOf("missing"), -1);
    EXPECT_EQ(c.OpenRange("missing"), nullptr);
    try {
        Content(c, "missing");
        FAIL() << "no exception";
    } catch (const ERuvoError& e) {
        EXPECT_EQ(e.Message(), Utf8ToSjis("missing:ファイルがありません"));
    }

    // A loose file beside the archive shadows the entry; the archive itself is never a loose file.
    testing::WriteFile(dir / "X", "loose");
    c.InvalidateLooseFiles();
    EXPECT_EQ(Content(c, "x"), "loose");
    TVrFile& self = c.AddMemoryFile("GAME.DAT");
    self.Data->Write("mem", 3);
    EXPECT_EQ(Content(c, "game.dat"), "mem");

    c.Delete("x");  // removes the later "X"; the earlier "x" is found again
    std::filesystem::remove(dir / "X");
    c.InvalidateLooseFiles();
    EXPECT_EQ(Content(c, "X"), "hello");
}

TEST(VrFileExtract, IntoAnyStreamIsRewound) {
    TempDir dir;
    WriteBytes(dir / "game.dat", kV102);
    TVrFileCollection c;
    c.Open(dir / "game.dat");
    TFileStream out(dir / "out.bin", FileOpen::Create);
    c.Extract("t.txt", out);
    EXPECT_EQ(out.Position(), 0);
    EXPECT_EQ(out.Size(), 5);
}

// ---- hostile directories

Bytes WithTrailer(Bytes exe, uint32_t start) {
    for (int i = 0; i < 4; ++i) exe.push_back(static_cast<uint8_t>(start >> (8 * i)));
    exe.push_back('r');
    exe.push_back('v');
    return exe;
}

TEST(VrFileRead, HostileDirectoriesFailCleanly) {
    struct Case {
        const char* what;
        const char* file;
        Bytes bytes;
        const char* expected;  // part of the message
    };
    const Case cases[] = {
        {"empty file", "a.dat", {}, "entry count runs past the end"},
        {"unknown version", "a.dat", {'v', 'f', 0x67, 0, 0, 0, 0, 0, 0, 0}, "unknown archive version 103"},
        {"count beyond the file", "a.dat", {'v', 'f', 0x66, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}, "does not fit"},
        {"negative count", "a.dat", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, "does not fit"},
        {"negative name length", "a.dat", {0x01, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0},
         "negative name length"},
        {"name past the end", "a.dat", {0x01, 0, 0, 0, 0x00, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "a name runs past"},
        {"offsets go backwards", "a.dat",
         {0x01, 0, 0, 0, 0x01, 0, 0, 0, 'a', 0x15, 0, 0, 0, 0x11, 0, 0, 0, 0, 0, 0, 0, 0},
         "goes back"},
        {"offset beyond the container", "a.dat",
         {0x01, 0, 0, 0, 0x01, 0, 0, 0, 'a', 0x11, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0, 0, 0},
         "outside the container"},
        {"trailer outside the file", "p.exe", WithTrailer(AsBytes("MZ"), 0x1000), "outside the file"},
        {"trailer past the archive start", "p.exe", WithTrailer(AsBytes("MZ"), 0x80000000u), "outside the file"},
        {"too short for a trailer", "p.exe", AsBytes("MZ"), "too short"},
        {"truncated tables", "a.dat", Bytes(kV102.begin(), kV102.begin() + 80), "does not fit"},
        // A NUL cuts a name short, so "a\0x" and "a\0y" would extract over each other.
        {"a NUL in a name", "a.dat",
         {0x01, 0, 0, 0, 0x03, 0, 0, 0, 'a', 0, 'x', 0x13, 0, 0, 0, 0x13, 0, 0, 0}, "control bytes in its name"},
        {"a scrambled name that unscrambles to a line feed", "a.dat",
         {'v', 'f', 0x64, 0, 0, 0, 0x01, 0, 0, 0, 0x01, 0, 0, 0, 0x0A ^ 0xE7,  // "\n" ^ E7
          0x17 ^ 0xE7, 0x91, 0x5A, 0x3C, 0x17 ^ 0x6A, 0x6B, 0x1F, 0x6A},           // offsets 23, 23
         "control bytes in its name"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TempDir dir;
        WriteBytes(dir / k.file, k.bytes);
        TVrFileCollection c;
        try {
            c.Open(dir / k.file);
            FAIL() << "no exception";
        } catch (const ERuvoError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(k.expected), std::string::npos) << what;
            EXPECT_NE(what.find(k.file), std::string::npos) << "the archive is named: " << what;
        }
        EXPECT_EQ(c.Count(), 0);
    }
}

TEST(VrFileRead, AHugeCountInASparseFileIsRefusedBeforeAnyEntryIsMade) {
    // A version-0 directory needs only 8 bytes per entry, and a sparse file holds them for free.
    TempDir dir;
    const int32_t count = kMaxArchiveEntries + 1;
    WriteBytes(dir / "sparse.dat", {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                    static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)});
    std::filesystem::resize_file(dir / "sparse.dat", 4 + int64_t{count} * 8 + 4);
    TVrFileCollection c;
    try {
        c.Open(dir / "sparse.dat");
        FAIL() << "no exception";
    } catch (const ERuvoError& e) {
        EXPECT_NE(std::string(e.what()).find("exceeds the limit"), std::string::npos) << e.what();
    }
    EXPECT_EQ(c.Count(), 0);
}

TEST(VrFileRead, EveryTruncationOfAnArchiveFailsCleanly) {
    TempDir dir;
    for (size_t n = 0; n < kV102.size(); ++n) {
        SCOPED_TRACE(n);
        WriteBytes(dir / "a.dat", Bytes(kV102.begin(), kV102.begin() + static_cast<long>(n)));
        TVrFileCollection c;
        EXPECT_THROW(c.Open(dir / "a.dat"), ERuvoError);
    }
}

TEST(VrFileRead, RandomDamageNeverCrashes) {
    TempDir dir;
    std::mt19937 random(1234);
    for (int round = 0; round < 400; ++round) {
        Bytes damaged = kV102;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
        WriteBytes(dir / "a.dat", damaged);
        TVrFileCollection c;
        try {
            c.Open(dir / "a.dat");
            for (int i = 0; i < c.Count(); ++i) {
                if (c[i].IsEndMarker()) continue;
                TMemoryStream m;
                try {
                    c.ReadEntry(c[i], m);
                } catch (const ERuvoError&) {
                }
            }
        } catch (const ERuvoError&) {
        }
    }
}

TEST(VrFileExtract, DamagedDeflateDataNamesTheEntryAndArchive) {
    TempDir dir;
    Bytes damaged = kV0;
    damaged[25] ^= 0x55;  // inside the zlib stream of "a.txt"
    WriteBytes(dir / "broken.dat", damaged);
    TVrFileCollection c;
    c.Open(dir / "broken.dat");
    try {
        Content(c, "a.txt");
        FAIL() << "no exception";
    } catch (const ERuvoError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("a.txt"), std::string::npos) << what;
        EXPECT_NE(what.find("broken.dat"), std::string::npos) << what;
    }
}

// ---- writing

std::string Compressible(size_t size) {
    std::string s;
    s.reserve(size);
    for (size_t i = 0; s.size() < size; ++i) s += "line " + std::to_string(i % 977) + " of the text\n";
    s.resize(size);
    return s;
}

std::string Noise(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

TEST(VrFileWrite, MemoryEntriesRoundTrip) {
    TempDir dir;
    struct Item {
        std::string name;
        std::string content;
        bool crcOfContent;
        bool raw;  // expected storage
    };
    const std::vector<Item> items = {
        {"empty", "", false, false},
        {Utf8ToSjis("画像\\背景.txt"), Compressible(5000), true, false},
        {"noise.bin", Noise(3000, 1), false, false},  // memory entries under the limit are always deflated
        {"limit-1", Compressible(0x4FFFFF), true, false},
        {"limit", Compressible(0x500000), false, true},
    };
    {
        TVrFileCollection c;
        for (const Item& item : items) {
            TVrFile& e = c.AddMemoryFile(item.name);
            e.Data->Write(item.content.data(), static_cast<int64_t>(item.content.size()));
            e.CrcOfContent = item.crcOfContent;
        }
        TGxBigFileStream out(dir / "out.dat", bigmode::Create);
        EXPECT_TRUE(c.WriteTo(out));
    }
    TVrFileCollection back;
    back.Open(dir / "out.dat");
    EXPECT_EQ(back.Version(), 102);
    ASSERT_EQ(back.Count(), static_cast<int>(items.size()) + 1);
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(items[i].name);
        const TVrFile& e = back[static_cast<int>(i)];
        EXPECT_EQ(e.Name(), items[i].name);
        EXPECT_EQ(e.Raw, items[i].raw);
        EXPECT_EQ(e.Time, 0);
        EXPECT_EQ(e.CrcOfContent, items[i].crcOfContent);
        EXPECT_EQ(Content(back, e.Name()), items[i].content);
        EXPECT_EQ(e.Crc, ZlibCrc(items[i].crcOfContent ? items[i].content : Stored(back, e.Name())));
    }
}

TEST(VrFileWrite, NamesTheReaderWouldRefuseAreNeverWritten) {
    TempDir dir;
    TVrFileCollection c;
    c.AddMemoryFile("fine.txt");
    c.AddMemoryFile(std::string("a\0b", 3));
    TGxBigFileStream out(dir / "out.dat", bigmode::Create);
    try {
        c.WriteTo(out);
        FAIL() << "no exception";
    } catch (const ERuvoError& e) {
        EXPECT_NE(std::string(e.what()).find("control bytes"), std::string::npos) << e.what();
    }
    EXPECT_EQ(out.GetSize(), 0);
}

std::string LayeredImageHeader(const char* version, uint8_t compressionMode) {
    std::string s = std::string("Zeph") + version;
    s += std::string("\x28\0\0\0", 4);  // header size 40
    std::string header(40, '\0');
    header[22] = static_cast<char>(compressionMode);
    return s + header + Compressible(20000);
}

TEST(VrFileWrite, PackingRulesForLooseFiles) {
    struct Case {
        std::string name;
        std::string content;
        bool raw;
    };
    const std::vector<Case> cases = {
        {"text.txt", Compressible(20000), false},
        {"noise.bin", Noise(20000, 2), true},              // deflating saves less than 10 %
        {"music.ogg", Compressible(20000), true},          // streamed media stay in place
        {"movie.MPEG", Compressible(20000), true},
        {"big.txt", Compressible(0x500000), true},         // 5 MiB or more
        {"raw.zph", LayeredImageHeader("106", 1), false},  // uncompressed planes: deflated
        {"deflated.zph", LayeredImageHeader("106", 0), true},
        {"old.zph", LayeredImageHeader("102", 1), true},
    };
    TempDir dir;
    for (const Case& k : cases) testing::WriteFile(dir / "src" / k.name, k.content);
    {
        TVrFileCollection c;
        c.Open(dir / "src");
        for (const Case& k : cases) c.AddLooseFile(k.name);
        TGxBigFileStream out(dir / "out.dat", bigmode::Create);
        ASSERT_TRUE(c.WriteTo(out));
    }
    TVrFileCollection back;
    back.Open(dir / "out.dat");
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const TVrFile* e = back.Find(k.name);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Raw, k.raw);
        EXPECT_NE(e->Time, 0);  // the file's DOS time
        EXPECT_EQ(Content(back, k.name), k.content);
        EXPECT_EQ(e->Crc, ZlibCrc(Stored(back, k.name)));
    }
}

TEST(VrFileWrite, RewritingAnArchiveKeepsStoredBytes) {
    TempDir dir;
    const std::string music = Compressible(30000);
    {
        TVrFileCollection c;
        c.Open(dir / "src");
        testing::WriteFile(dir / "src" / "bgm.ogg", music);
        testing::WriteFile(dir / "src" / "page.txt", Compressible(9000));
        c.AddLooseFile("bgm.ogg");
        c.AddLooseFile("page.txt");
        TGxBigFileStream out(dir / "first.dat", bigmode::Create);
        ASSERT_TRUE(c.WriteTo(out));
    }
    TVrFileCollection first;
    first.Open(dir / "first.dat");
    first.Delete("page.txt");
    first.AddMemoryFile("new").Data->Write("abc", 3);
    {
        TGxBigFileStream out(dir / "second.dat", bigmode::Create);
        ASSERT_TRUE(first.WriteTo(out));
    }
    TVrFileCollection second;
    second.Open(dir / "second.dat");
    ASSERT_EQ(second.Count(), 3);
    EXPECT_TRUE(second.Find("bgm.ogg")->Raw);  // still readable in place
    EXPECT_EQ(Stored(second, "bgm.ogg"), music);
    EXPECT_EQ(second.Find("bgm.ogg")->Crc, ZlibCrc(music));
    EXPECT_EQ(Content(second, "new"), "abc");
}

TEST(VrFileWrite, ProgressIsReportedAndCanStop) {
    TVrFileCollection c;
    for (const char* name : {"a", "b", "c"}) c.AddMemoryFile(name).Data->Write("xyz", 3);
    std::vector<std::pair<int, int64_t>> calls;
    c.SetProgress([&](TVrFileCollection&, TVrFile&, int index, int count, int64_t bytes, bool& stop) {
        EXPECT_EQ(count, 3);
        calls.emplace_back(index, bytes);
        stop = index == 1 && bytes > 0;
    });
    TGxBigMemoryStream out;
    EXPECT_FALSE(c.WriteTo(out));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], std::make_pair(0, int64_t{0}));
    EXPECT_GT(calls[1].second, 0);
    EXPECT_EQ(calls[2], std::make_pair(1, int64_t{0}));
}

TEST(VrFileWrite, InMemoryArchiveReadsBackThroughReadDirectory) {
    TVrFileCollection c;
    c.AddMemoryFile("x").Data->Write("content", 7);
    TGxBigMemoryStream out;
    out.Write("prefix", 6);  // the archive starts where the output stands
    ASSERT_TRUE(c.WriteTo(out));
    out.SetPosition(6);
    TVrFileCollection back;
    back.ReadDirectory(out);
    EXPECT_EQ(Content(back, "x"), "content");
}

} // namespace
} // namespace ruvo
