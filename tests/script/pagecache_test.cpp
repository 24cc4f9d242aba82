#include <gtest/gtest.h>

#include <map>

#include "archive/errors.hpp"
#include "params/varset.hpp"
#include "script/pagecache.hpp"
#include "bytes.hpp"

namespace ruvo {
namespace {

using testing::Bytes;

// Pages named p0.rsb ... each holding one label with its own name; "bad.rsb" is not a page.
class PageCacheTest : public ::testing::Test {
protected:
    TPageCache cache{[this](const std::string& name) -> std::unique_ptr<TStream> {
        ++loads[name];
        if (name == "missing.rsb") throw ERuvoError::FromUtf8("ファイルがありません");
        Bytes b = name == "bad.rsb" ? Bytes().pageHeader().i32(1).u8(99) : Bytes().pageHeader().i32(1).u8(3).base().str(name);
        return std::make_unique<TMemoryStream>(b.Stream());
    }};
    std::map<std::string, int> loads;

    static std::string Name(int i) { return "p" + std::to_string(i) + ".rsb"; }
};

TEST_F(PageCacheTest, EleventhPageEvictsTheLeastRecentlyUsed) {
    for (int i = 0; i < 10; ++i) cache.GetPage(Name(i), true);
    cache.GetPage(Name(0), true);  // p1 is now the least recently used
    cache.GetPage(Name(10), true);
    EXPECT_EQ(cache.Count(), 10u);
    EXPECT_EQ(cache.Items(0)->FileName, Name(10));
    EXPECT_EQ(cache.Items(1)->FileName, Name(0));
    for (size_t i = 0; i < cache.Count(); ++i) EXPECT_NE(cache.Items(i)->FileName, Name(1));
    EXPECT_EQ(loads[Name(0)], 1);  // the hit did not load again
}

TEST_F(PageCacheTest, TheCurrentPageSurvivesAtTheEnd) {
    TPage* current = cache.GetPage(Name(0), true);
    for (int i = 1; i < 10; ++i) cache.GetPage(Name(i), true);
    cache.GetPage(Name(10), true, current);
    EXPECT_EQ(cache.Count(), 11u);
    EXPECT_EQ(cache.Items(10), current);
    EXPECT_EQ(current->FindLabel(Name(0)), 0);
}

TEST_F(PageCacheTest, WithoutPromoteAppendsAndKeepsOrder) {
    for (int i = 0; i < 12; ++i) cache.GetPage(Name(i), false);
    EXPECT_EQ(cache.Count(), 12u);
    cache.GetPage(Name(5), false);
    EXPECT_EQ(cache.Items(5)->FileName, Name(5));
}

TEST_F(PageCacheTest, FailedLoadsCacheNothing) {
    EXPECT_THROW(cache.GetPage("bad.rsb", true), ERuvoError);
    EXPECT_THROW(cache.GetPage("missing.rsb", true), ERuvoError);
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_THROW(cache.GetPage("bad.rsb", true), ERuvoError);
    EXPECT_EQ(loads["bad.rsb"], 2);
}

TEST_F(PageCacheTest, NamesAreCaseSensitive) {
    cache.GetPage("A.rsb", true);
    cache.GetPage("a.rsb", true);
    EXPECT_EQ(cache.Count(), 2u);
}

TEST(PageVariables, AnEvictedPageTakesItsOwnVariableAlong) {
    TParamCollection vars;
    TPageCache cache([](const std::string&) -> std::unique_ptr<TStream> {
        return std::make_unique<TMemoryStream>(Bytes().pageHeader().i32(0).Stream());
    }, &vars);
    vars.AddNamed("\x01p0.rsb", 4);
    vars.AddNamed("\x01p1.rsb", 4);
    for (int i = 0; i < 11; ++i) cache.GetPage("p" + std::to_string(i) + ".rsb", true);
    EXPECT_EQ(vars.Find("\x01p0.rsb"), nullptr);
    EXPECT_NE(vars.Find("\x01p1.rsb"), nullptr);
    cache.Clear();
    EXPECT_EQ(vars.Find("\x01p1.rsb"), nullptr);
}

} // namespace
} // namespace ruvo
