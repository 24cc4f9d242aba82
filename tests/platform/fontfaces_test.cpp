// The installed fonts as fontconfig lists them ("@Fonts", "@FixedFonts" in a window).
#include <gtest/gtest.h>

#if __has_include(<fontconfig/fontconfig.h>)
#include <algorithm>

#include "platform/fontfaces.hpp"

namespace ruvo::platform {
namespace {

TEST(FontFaces, ListsEachFamilyOnceAndTheFixedPitchOnesAmongThem) {
    const auto all = InstalledFontFaces(false);
    const auto fixed = InstalledFontFaces(true);
    ASSERT_FALSE(all.empty());
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_LT(fixed.size(), all.size());
    for (const auto& name : fixed) EXPECT_TRUE(std::binary_search(all.begin(), all.end(), name)) << name;
    // The project's Japanese font: IPAGothic has a fixed-pitch face, IPAPGothic a proportional one.
    EXPECT_TRUE(std::binary_search(fixed.begin(), fixed.end(), "IPAGothic"));
    EXPECT_FALSE(std::binary_search(fixed.begin(), fixed.end(), "IPAPGothic"));
}

} // namespace
} // namespace ruvo::platform
#endif
