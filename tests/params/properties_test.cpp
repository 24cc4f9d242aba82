#include <gtest/gtest.h>

#include <set>
#include <string>

#include "params/properties.hpp"

namespace ruvo {
namespace {

TEST(PropertyTable, NamesTypesDefaultsAndReadOnlyIdentifiers) {
    EXPECT_STREQ(PropertyName(0), "PR_NAME");
    EXPECT_STREQ(PropertyName(161), "PR_CARETHEIGHT");
    EXPECT_EQ(PropertyName(162), nullptr);
    EXPECT_EQ(PropertyIdByName("PR_LEFT"), 3);
    EXPECT_EQ(PropertyIdByName("PR_left"), std::nullopt);
    // The type table is part of the format (strings, flags and reals; all others integers).
    // 32 (PR_ONPLAYING) holds the message window's typing handler, so it is a string.
    const std::set<int> strings = {0,  1,  2,  15, 32, 33, 34, 35, 36, 37,  38,  39,  40,  41,  43,  46,  50,  54,  55,
                                   56, 57, 58, 59, 60, 61, 62, 69, 70,  72,  74,  75,  76,  77,  83,  84,  99,  101,
                                   103, 104, 105, 106, 113, 121, 122, 129, 133, 135, 136, 144, 145, 146, 148, 149, 151};
    const std::set<int> flags = {25, 27, 29, 47, 71, 73, 81, 86, 87, 88, 98, 100, 111, 112, 134, 137, 138, 139, 150, 152, 158};
    const std::set<int> reals = {95, 96, 102};
    const std::set<int> readOnly = {45, 78, 79, 138, 140, 161};
    std::set<std::string> names;
    for (int id = 0; id < kPropertyCount; ++id) {
        const TPropertyInfo& p = *PropertyInfo(id);
        const TValueType expected = strings.count(id) ? TValueType::String
                                    : flags.count(id) ? TValueType::Flag
                                    : reals.count(id) ? TValueType::Real
                                                      : TValueType::Integer;
        EXPECT_EQ(p.type, expected) << p.name;
        EXPECT_EQ(p.readOnly, readOnly.count(id) == 1) << p.name;
        EXPECT_TRUE(names.insert(p.name).second) << p.name;
        EXPECT_EQ(PropertyIdByName(p.name), id);
    }
    // What a class without the property answers, and what a creating command applies by default.
    const struct {
        int id;
        int32_t value, creation;
    } defaults[] = {{7, 256, 256}, {132, 256, 256}, {8, 0xFFFFFF, -1}, {10, 0, -1},  {11, 0, 255},
                    {16, 0, 16},   {24, 0, -1},     {28, 0, 1000},     {47, 0, 1},   {48, 0, 1},
                    {49, 0, 1},    {82, 0, 256},    {107, 0, 1},       {108, 0, 100}, {150, 0, 1},
                    {3, 0, 0}};
    for (const auto& d : defaults) {
        EXPECT_EQ(PropertyInfo(d.id)->defaultValue, d.value) << d.id;
        EXPECT_EQ(PropertyInfo(d.id)->creationDefault, d.creation) << d.id;
    }
}

} // namespace
} // namespace ruvo
