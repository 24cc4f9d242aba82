#include <gtest/gtest.h>

#include <cstring>

#include "archive/errors.hpp"
#include "archive/streams.hpp"

namespace ruvo {
namespace {

TMemoryStream StreamOf(std::vector<uint8_t> bytes) { return TMemoryStream(std::move(bytes)); }

TEST(RecordHelpers, RoundTripEveryKind) {
    TMemoryStream s;
    WriteInt(s, -2);
    WriteInt64(s, 0x0123456789ABCDEFLL);
    WriteByte(s, 0xFE);
    WriteStr(s, "\x95\x5c\x8e\xa6");
    WriteStr(s, "");
    WriteReal(s, 0.1L);
    EXPECT_EQ(s.Size(), 4 + 8 + 1 + 8 + 4 + 10);
    s.SetPosition(0);
    EXPECT_EQ(ReadInt(s), -2);
    EXPECT_EQ(ReadInt64(s), 0x0123456789ABCDEFLL);
    EXPECT_EQ(ReadByte(s), 0xFE);
    EXPECT_EQ(ReadStr(s), "\x95\x5c\x8e\xa6");
    EXPECT_EQ(ReadStr(s), "");
    EXPECT_EQ(ReadReal(s), 0.1L);
    EXPECT_EQ(s.Remaining(), 0);
}

TEST(RecordHelpers, IntegersAreLittleEndian) {
    TMemoryStream s;
    WriteInt(s, 0x11223344);
    EXPECT_EQ(s.Bytes(), (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}));
}

TEST(RecordHelpers, HostileStringLengths) {
    // A length of -5 is the empty string and nothing more is read.
    auto negative = StreamOf({0xFB, 0xFF, 0xFF, 0xFF, 'x'});
    EXPECT_EQ(ReadStr(negative), "");
    EXPECT_EQ(negative.Position(), 4);

    // A length of 2,000,000,000 on a 6-byte stream fails before allocating.
    auto huge = StreamOf({0x00, 0x94, 0x35, 0x77, 'a', 'b'});
    EXPECT_THROW(ReadStr(huge), ERuvoError);

    auto truncated = StreamOf({0x01, 0x02});
    EXPECT_THROW(ReadInt(truncated), ERuvoError);
}

// A source that is not a memory stream and reports fewer bytes than its size promises.
class DryStream : public TStream {
public:
    explicit DryStream(int64_t available) : available_(available) {}
    int64_t Read(void* buffer, int64_t count) override {
        const int64_t n = std::min(count, available_);
        std::memset(buffer, 'd', static_cast<size_t>(n));
        available_ -= n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t, SeekOrigin) override { return 0; }
    int64_t Size() override { return 1000; }

private:
    int64_t available_;
};

TEST(CopyStream, CopiesMemorySourcesInPlaceAndEndsOnADrySource) {
    TMemoryStream source = StreamOf({1, 2, 3, 4, 5});
    TMemoryStream destination;
    source.SetPosition(1);
    EXPECT_EQ(CopyStream(destination, source, 3), 3);
    EXPECT_EQ(destination.Bytes(), (std::vector<uint8_t>{2, 3, 4}));
    EXPECT_EQ(source.Position(), 4);

    // Count 0: the whole source from position 0.
    TMemoryStream whole;
    EXPECT_EQ(CopyStream(whole, source, 0), 5);
    EXPECT_EQ(whole.Bytes(), (std::vector<uint8_t>{1, 2, 3, 4, 5}));

    DryStream dry(7);
    TMemoryStream got;
    CopyStream(got, dry, 500);
    EXPECT_EQ(got.Size(), 7);
}

TEST(MemoryStream, WritesPastTheEndGrowAndReadsStopAtTheEnd) {
    TMemoryStream s;
    s.SetPosition(3);
    const char text[] = "ab";
    s.WriteBuffer(text, 2);
    EXPECT_EQ(s.Bytes(), (std::vector<uint8_t>{0, 0, 0, 'a', 'b'}));
    char buffer[8];
    s.SetPosition(4);
    EXPECT_EQ(s.Read(buffer, 8), 1);
    EXPECT_THROW(s.ReadBuffer(buffer, 1), ERuvoError);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
}

TEST(FileStream, MissingFileRaisesTheSystemText) {
    try {
        TFileStream f("/nonexistent-dir/x.dat", FileOpen::Read);
        FAIL();
    } catch (const ERuvoError& e) {
        EXPECT_NE(std::string(e.what()).find("x.dat:ファイルがありません"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace ruvo
