#include <gtest/gtest.h>

#include "archive/bigstreams.hpp"
#include "archive/errors.hpp"
#include "archive/resources.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

using ruvo::testing::ReadFile;
using ruvo::testing::TempDir;
using ruvo::testing::WriteFile;
namespace fs = std::filesystem;

constexpr int64_t kPart = 16;  // small parts stand in for the 1 GiB ones

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
    return s;
}

TEST(BigFileStream, WritingFillsEachPartBeforeStartingTheNext) {
    TempDir dir;
    const std::string data = Pattern(kPart + 10);
    {
        TGxBigFileStream s(dir / "x.dat", bigmode::Create, kPart);
        EXPECT_EQ(s.Write(data.data(), 5), 5);
        EXPECT_EQ(s.Write(data.data() + 5, static_cast<int64_t>(data.size()) - 5), static_cast<int64_t>(data.size()) - 5);
        EXPECT_EQ(s.GetSize(), kPart + 10);
    }
    EXPECT_EQ(fs::file_size(dir / "x.dat"), static_cast<uintmax_t>(kPart));
    EXPECT_EQ(fs::file_size(dir / "x.001"), 10u);
    EXPECT_FALSE(fs::exists(dir / "x.002"));

    TGxBigFileStream r(dir / "x.dat", bigmode::ReadShared, kPart);
    EXPECT_EQ(r.PartCount(), 2);
    std::string back(data.size(), '\0');
    r.SetPosition(3);
    EXPECT_EQ(r.Read(back.data(), 100), static_cast<int64_t>(data.size()) - 3);  // across the part boundary
    EXPECT_EQ(back.substr(0, data.size() - 3), data.substr(3));
    r.SetPosition(1000);
    EXPECT_EQ(r.GetPosition(), kPart + 10);  // never past the end
}

TEST(BigFileStream, OpeningStopsAtTheFirstMissingPart) {
    TempDir dir;
    WriteFile(dir / "x.dat", Pattern(kPart));
    WriteFile(dir / "x.001", "tail");
    WriteFile(dir / "x.003", "ignored");
    {
        TGxBigFileStream r(dir / "x.dat", bigmode::ReadShared, kPart);
        EXPECT_EQ(r.PartCount(), 2);
        EXPECT_EQ(r.GetSize(), kPart + 4);
    }
    // Creating deletes x.dat, x.001 up to the gap; x.003 survives.
    { TGxBigFileStream w(dir / "x.dat", bigmode::Create, kPart); }
    EXPECT_FALSE(fs::exists(dir / "x.dat"));
    EXPECT_FALSE(fs::exists(dir / "x.001"));
    EXPECT_TRUE(fs::exists(dir / "x.003"));

    TGxBigFileStream missing(dir / "none.dat", bigmode::ReadShared, kPart);
    EXPECT_EQ(missing.GetSize(), 0);
    char c;
    EXPECT_EQ(missing.Read(&c, 1), 0);
}

TEST(BigFileStream, ReadsStayInsideADamagedPartSet) {
    TempDir dir;
    WriteFile(dir / "x.dat", "short");  // should have been kPart bytes
    WriteFile(dir / "x.001", Pattern(8));
    TGxBigFileStream r(dir / "x.dat", bigmode::ReadShared, kPart);
    std::string buf(64, '\0');
    EXPECT_EQ(r.Read(buf.data(), 64), 5);
    EXPECT_EQ(buf.substr(0, 5), "short");
}

TEST(BigFileStream, CopiesBetweenPartSetsAndOrdinaryStreams) {
    TempDir dir;
    const std::string data = Pattern(3 * kPart + 7);
    {
        TGxBigFileStream w(dir / "a.dat", bigmode::Create, kPart);
        TMemoryStream source(std::vector<uint8_t>(data.begin(), data.end()));
        source.SetPosition(9);
        EXPECT_EQ(w.CopyFrom(source, 0), static_cast<int64_t>(data.size()));  // 0: the whole source
    }
    {
        TGxBigFileStream from(dir / "a.dat", bigmode::ReadShared, kPart);
        from.SetPosition(5);
        TGxBigFileStream to(dir / "b.dat", bigmode::Create, 10);  // other part size: chunks straddle parts
        EXPECT_EQ(to.CopyFromBig(from, 40), 40);
        EXPECT_EQ(from.GetPosition(), 45);
    }
    TGxBigFileStream b(dir / "b.dat", bigmode::ReadShared, 10);
    EXPECT_EQ(b.PartCount(), 4);
    TMemoryStream out;
    EXPECT_EQ(b.CopyTo(out, 0), 0);  // count 0 copies nothing from a file
    EXPECT_EQ(b.CopyTo(out, 100), 40);
    const auto bytes = out.Bytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), data.substr(5, 40));

    // From a memory form: buffered copy.
    TGxBigMemoryStream memory;
    memory.Write(data.data(), 20);
    TGxBigFileStream c(dir / "c.dat", bigmode::Create, kPart);
    EXPECT_EQ(c.CopyFromBig(memory, 0), 20);
    EXPECT_EQ(ReadFile(dir / "c.dat"), data.substr(0, kPart));
}

TEST(BigMemoryStream, CopyToZeroMeansTheWholeStream) {
    TGxBigMemoryStream m;
    m.Write("hello", 5);
    TMemoryStream out;
    EXPECT_EQ(m.CopyTo(out, 0), 5);
    EXPECT_EQ(out.Size(), 5);
    TGxBigStream other;
    EXPECT_EQ(m.CopyFromBig(other, 0), 0);  // only from its own class
}

TEST(BigResourceStream, ReadsRegisteredBlobsAndRefusesWrites) {
    TResourceRegistry registry;
    registry.AddCopy("DUMMY", "BINTYPE", {1, 2, 3});
    TGxBigResourceStream s(registry, "dummy", "bintype");
    EXPECT_EQ(s.GetSize(), 3);
    EXPECT_THROW(s.Write("x", 1), ERuvoError);
    EXPECT_THROW(TGxBigResourceStream(registry, "MADEWITH", "DATA"), ERuvoError);
}

TEST(BuffBigStream, ReturnsShortAtTheEndAndPutsTheSourceBack) {
    TGxBigMemoryStream m;
    const std::string data = Pattern(150000);
    m.Write(data.data(), static_cast<int64_t>(data.size()));
    m.SetPosition(0);
    {
        TGxBuffBigStream b(m);
        char ten[10];
        EXPECT_EQ(b.ReadBuf(ten, 10), 10);
        EXPECT_EQ(m.GetPosition(), TGxBuffBigStream::kChunkSize);  // one chunk was read ahead
    }
    EXPECT_EQ(m.GetPosition(), 10);
    {
        TGxBuffBigStream b(m);
        std::string all(200000, '\0');
        EXPECT_EQ(b.ReadBuf(all.data(), 200000), 150000 - 10);  // ends instead of refilling forever
        EXPECT_EQ(all.substr(0, 150000 - 10), data.substr(10));
    }
    EXPECT_EQ(m.GetPosition(), 150000);
}

TEST(RangeStream, ShowsItsWindowOnly) {
    TempDir dir;
    const std::string data = Pattern(200);
    WriteFile(dir / "r.dat", data);
    TFileRangeStream r(dir / "r.dat", 50, 100);
    EXPECT_EQ(r.Seek(0, SeekOrigin::End), 50);
    EXPECT_EQ(r.Size(), 50);
    EXPECT_EQ(r.Seek(40, SeekOrigin::Begin), 40);
    char buf[80];
    EXPECT_EQ(r.Read(buf, 80), 10);
    EXPECT_EQ(std::string(buf, 10), data.substr(140, 10));
    EXPECT_EQ(r.Seek(-10, SeekOrigin::Begin), 0);
    EXPECT_EQ(r.Write("x", 1), 0);

    // A window past the end of the file is as long as what is there.
    TFileRangeStream tail(dir / "r.dat", 100, 180);
    EXPECT_EQ(tail.Size(), 20);
    // Length 0: the underlying stream's whole size.
    TFileRangeStream whole(dir / "r.dat", 0, 0);
    EXPECT_EQ(whole.Size(), 200);

    TResourceRegistry registry;
    registry.AddCopy("R", "DATA", {9, 8, 7, 6});
    TResourceRangeStream res(registry, "R", "DATA", 2, 1);
    uint8_t two[4];
    EXPECT_EQ(res.Read(two, 4), 2);
    EXPECT_EQ(two[0], 8);
    EXPECT_EQ(two[1], 7);
}

} // namespace
} // namespace ruvo
