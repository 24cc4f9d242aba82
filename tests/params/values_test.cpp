#include <gtest/gtest.h>

#include "archive/streams.hpp"
#include "params_fixture.hpp"
#include "params/values.hpp"

namespace ruvo {
namespace {

using testing::ErrorOf;

TEST(Holders, ScalarWriteTurnsArrayIntoScalar) {
    TParamInt a;
    a.SetDims({3, 4});
    a.SetIntAt(11, 9);
    EXPECT_EQ(a.Count(), 12);
    a.SetInt(5);
    EXPECT_EQ(a.Count(), 1);
    EXPECT_TRUE(a.Dims().empty());
    EXPECT_EQ(a.AsInt(), 5);
}

TEST(Holders, FlatPositionIsRowMajorAndBoundsChecked) {
    TParamInt a;
    a.SetDims({3, 4});
    for (int i = 0; i < 12; ++i) a.SetIntAt(i, i * 10);
    EXPECT_EQ(a.GetIntAt(6), 60);  // [1, 2]
    EXPECT_EQ(ErrorOf([&] { a.GetIntAt(12); }), "配列の添字が不正です");
    EXPECT_EQ(ErrorOf([&] { a.GetIntAt(-1); }), "配列の添字が不正です");
    EXPECT_EQ(a.DimCount(), 2);
    EXPECT_EQ(a.DimSize(0), 3);
    EXPECT_EQ(a.DimSize(5), 1);
}

TEST(Holders, SetDimsKeepsFlatValuesAndRejectsBadSizes) {
    TParamStr s;
    s.SetStr("first");
    s.SetDims({2, 2});
    EXPECT_EQ(s.GetStrAt(0), "first");
    EXPECT_EQ(s.GetStrAt(3), "");
    EXPECT_EQ(ErrorOf([&] { s.SetDims({2, 0, 3}); }), "配列の要素数[2,0,3]が不正です");
    EXPECT_EQ(ErrorOf([&] { s.SetDims({100000, 100000}); }), "配列の要素数[100000,100000]が不正です");
    EXPECT_EQ(s.Count(), 4);  // unchanged by the failures
}

TEST(Holders, ConversionsBetweenTheFourTypes) {
    TParamFloat f;
    f.SetFloat(-2.9L);
    EXPECT_EQ(f.AsInt(), -2);
    EXPECT_EQ(f.AsStr(), "-2.9");
    EXPECT_TRUE(f.AsFlag());
    TParamFlag b;
    b.SetFlag(true);
    EXPECT_EQ(b.AsStr(), "TRUE");
    EXPECT_EQ(b.AsFloat(), 1.0L);
    TParamStr s;
    for (auto [text, flag] : {std::pair{"TRUE", true}, {"true", false}, {"True", false}}) {
        s.SetStr(text);
        EXPECT_EQ(s.AsFlag(), flag) << text;
    }
    s.SetStr("abc");
    EXPECT_EQ(s.AsInt(), 0);
    s.SetStr("$1F");
    EXPECT_EQ(s.AsInt(), 31);
    TParamInt i;
    i.SetStr("12.5");  // not an integer: 0
    EXPECT_EQ(i.AsInt(), 0);
    i.SetFloat(7.99L);
    EXPECT_EQ(i.AsInt(), 7);
}

TEST(Holders, CopyExactNeedsTheSameClass) {
    TParamInt a, b;
    b.SetDims({2});
    b.SetIntAt(1, 4);
    a.CopyExact(b);
    EXPECT_EQ(a.Dims(), std::vector<int32_t>{2});
    EXPECT_EQ(a.GetIntAt(1), 4);
    TParamFloat f;
    EXPECT_EQ(ErrorOf([&] { f.CopyExact(a); }), "CopyMem:変数の型があいません");
}

TEST(Holders, AssignConvertedTakesDimensionsAndConvertsElements) {
    TParamStr source;
    source.SetDims({2});
    source.SetStrAt(0, "5");
    source.SetStrAt(1, "x");
    TParamInt target;
    target.AssignConverted(source);
    EXPECT_EQ(target.Dims(), std::vector<int32_t>{2});
    EXPECT_EQ(target.GetIntAt(0), 5);
    EXPECT_EQ(target.GetIntAt(1), 0);
}

TEST(Holders, IndexOfStrExactAndPartial) {
    TParamStr s;
    s.SetDims({3});
    s.SetStrAt(0, "one");
    s.SetStrAt(1, "xxABCxx");
    s.SetStrAt(2, "Two");
    EXPECT_EQ(s.IndexOfStr("two", true, false), -1);
    EXPECT_EQ(s.IndexOfStr("two", false, false), 2);
    EXPECT_EQ(s.IndexOfStr("abc", true, true), -1);
    EXPECT_EQ(s.IndexOfStr("abc", false, true), 1);
    // "ア" (0x83 0x41) and "ヂ" (0x83 0x61): a trail byte in the letter range is no letter.
    s.SetStrAt(0, "\x83\x41");
    EXPECT_EQ(s.IndexOfStr("\x83\x61", false, false), -1);
    EXPECT_EQ(s.IndexOfStr("\x83\x41", false, false), 0);
}

TEST(HolderStream, RoundTripsEveryType) {
    TMemoryStream stream;
    TParamInt i;
    i.SetDims({2, 3});
    i.SetIntAt(5, -7);
    TParamFloat f;
    f.SetFloat(1.0L / 3);
    TParamFlag b;
    b.SetFlag(true);
    TParamStr s;
    s.SetDims({2});
    s.SetStrAt(1, "\x82\xa0");
    for (TCustomParam* p : std::initializer_list<TCustomParam*>{&i, &f, &b, &s}) p->SaveToStream(stream);
    stream.SetPosition(0);
    TParamInt i2;
    TParamFloat f2;
    TParamFlag b2;
    TParamStr s2;
    for (TCustomParam* p : std::initializer_list<TCustomParam*>{&i2, &f2, &b2, &s2}) p->LoadFromStream(stream);
    EXPECT_EQ(i2.Dims(), (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(i2.GetIntAt(5), -7);
    EXPECT_EQ(f2.AsFloat(), 1.0L / 3);
    EXPECT_TRUE(b2.AsFlag());
    EXPECT_EQ(s2.GetStrAt(1), "\x82\xa0");
}

TEST(HolderStream, HostileCountsThrowWithoutAllocating) {
    const std::vector<std::vector<uint8_t>> cases = {
        // dimension count 0x7FFFFFFF with nothing behind it
        {0xFF, 0xFF, 0xFF, 0x7F},
        // 1 dimension of size 2, then a value count of 0x10000000 (disagrees and exceeds the stream)
        {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0x10},
        // scalar with a value count of 2
        {0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0},
        // 1 dimension of size -1
        {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0},
        // scalar, one value, truncated integer
        {0, 0, 0, 0, 1, 0, 0, 0, 7},
    };
    for (const auto& bytes : cases) {
        TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
        TParamInt v;
        EXPECT_THROW(v.LoadFromStream(stream), ERuvoError);
        EXPECT_EQ(v.Count(), 1);
    }
    // A string holder whose one string claims 1 GiB.
    const std::vector<uint8_t> str = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0x40, 'a'};
    TReadOnlyMemoryStream stream(str.data(), static_cast<int64_t>(str.size()));
    TParamStr s;
    EXPECT_THROW(s.LoadFromStream(stream), ERuvoError);
}

} // namespace
} // namespace ruvo
