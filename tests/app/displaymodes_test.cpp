// The full-screen modes offered to a game and GetDisplayMode over them.
#include <gtest/gtest.h>

#include "app/displaymodes.hpp"
#include "params/exprbuild.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"

namespace ruvo {
namespace {

using platform::DisplayMode;

const std::vector<DisplayMode> kDisplay = {
    {1920, 1080, 32, 60}, {640, 480, 16, 75}, {639, 480, 32, 60}, {800, 600, 8, 60},
    {800, 479, 32, 60},   {1024, 768, 24, 0},
};

TEST(DisplayModes, OnlyModesAtLeastTheScreenOf16BitsOrMoreInTheDisplaysOrder) {
    const auto modes = FullScreenModes(kDisplay, 640, 480);
    ASSERT_EQ(modes.size(), 3u);
    EXPECT_EQ(modes[0].width, 1920);
    EXPECT_EQ(modes[1].refreshRate, 75);
    EXPECT_EQ(modes[2].bitsPerPixel, 24);
    EXPECT_TRUE(FullScreenModes(kDisplay, 2000, 100).empty());
    EXPECT_TRUE(FullScreenModes({}, 640, 480).empty());
}

TEST(DisplayModes, GetDisplayModeWritesTheModeIntoItsVariables) {
    TParamCollection vars;
    TSysFuncMan funcs(vars);
    for (const char* name : {"w", "h", "b", "r"}) vars.Declare(name, 1, TVarScope::Global).Value().SetInt(-1);
    vars.Declare("ok", 3, TVarScope::Global);
    RegisterGetDisplayMode(funcs, [] { return FullScreenModes(kDisplay, 640, 480); });
    const auto run = [&](const std::string& source) {
        CompileExpression(source).Evaluate(vars, funcs);
        std::string text;
        for (const char* name : {"ok", "w", "h", "b", "r"}) text += vars.Find(name)->Value().AsStr() + " ";
        return text;
    };
    EXPECT_EQ(run("ok = GetDisplayMode(1, w, h, b, r)"), "TRUE 640 480 16 75 ");
    EXPECT_EQ(run("ok = GetDisplayMode(2, w, h, b, r)"), "TRUE 1024 768 24 0 ");
    EXPECT_EQ(run("ok = GetDisplayMode(3, w, h, b, r)"), "FALSE 1024 768 24 0 ");  // out of range: nothing written
    EXPECT_EQ(run("ok = GetDisplayMode(0 - 1, w, h, b, r)"), "FALSE 1024 768 24 0 ");
    EXPECT_EQ(run("ok = GetDisplayMode(0, 5, h, b, r)"), "TRUE 1024 1080 32 60 ");  // a literal takes nothing
}

} // namespace
} // namespace ruvo
