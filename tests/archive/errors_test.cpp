#include <gtest/gtest.h>

#include "archive/errors.hpp"

namespace ruvo {
namespace {

TEST(RuvoError, CarriesShiftJisTextAndRendersContextInUtf8) {
    try {
        WithContext([] { return std::string("reading page x.rsb"); },
                    [] {
                        WithContext([] { return std::string("command 12"); },
                                    []() -> int { throw ERuvoError::FromUtf8("構文エラー"); });
                        return 0;
                    });
        FAIL() << "no error";
    } catch (const ERuvoError& e) {
        EXPECT_EQ(e.Message(), "\x8d\x5c\x95\xb6\x83\x47\x83\x89\x81\x5b");
        EXPECT_STREQ(e.what(), "reading page x.rsb: command 12: 構文エラー");
    }
}

TEST(RuvoError, SysMessageFillsArgumentsInOrder) {
    EXPECT_EQ(SysMessage("%s:ファイルがありません", {"a\x95\x5c"}),
              "a\x95\x5c:\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1");
    EXPECT_EQ(SysMessage("%s-%s-%s", {"1", "2"}), "1-2-%s");  // a missing argument leaves the mark
}

} // namespace
} // namespace ruvo
