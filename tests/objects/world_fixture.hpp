#pragma once
// A display world of 200 × 150 with its system variables and functions bound, a clock advanced by hand,
// and helpers to make boxes, run frames and read what the objects queued.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "objects/images/box.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "objects/world/worldbindings.hpp"
#include "params/exprbuild.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "script/quietservices.hpp"

namespace ruvo::testing {

class WorldFixture : public ::testing::Test, protected TQuietServices {
public:
    static constexpr int kWidth = 200, kHeight = 150;

protected:
    WorldFixture() { world.SetSize(kWidth, kHeight); }

    // A box on a parent (the front screen when none), registered and placed like BoxNew does.
    TRuvoBox& Box(const std::string& name, int left, int top, int width, int height, TRuvoControl* parent = nullptr) {
        auto& b = static_cast<TRuvoBox&>(*world.CreateByType(2));
        b.SetName(name);
        b.SetParent(parent ? parent : &world.ActiveScreen());
        b.SetBounds(left, top, width, height);
        return b;
    }
    TRuvoObject* Find(const std::string& name) { return world.FindObject(name); }

    // One frame as the player runs it, without a script: input, update, paint.
    void Frame(int32_t ms = 16) {
        frameTime = ms;
        clock += ms;
        world.ProcessInput();
        world.Update();
        world.Paint();
    }

    // The events queued so far as "sender:code", in queue order.
    std::vector<std::string> Events() {
        std::vector<std::string> out;
        for (int i = 0; i < world.Events().Count(); ++i) {
            const TTimerData& e = world.Events()[i];
            out.push_back(world.NameOf(e.Sender) + ":" + std::to_string(e.Code));
        }
        return out;
    }
    // Forgets the queued events, as if every handler had run.
    void HandleAll() { world.Events().Clear(); }
    // Whether an event of the sender and code is queued.
    bool Queued(const std::string& sender, int code) {
        const std::vector<std::string> e = Events();
        return std::find(e.begin(), e.end(), sender + ":" + std::to_string(code)) != e.end();
    }
    // The world saved, emptied and loaded again from what was saved.
    void SaveAndReload() {
        TMemoryStream saved;
        world.SaveToStream(saved);
        world.Reset();
        world.SetSize(kWidth, kHeight);
        saved.SetPosition(0);
        world.LoadFromStream(saved, kSaveVersion);
    }

    // The world saved, then cut short every `step` bytes over its last `span`: each cut fails the load
    // and leaves the object named `survivor` in the world.
    void ExpectCutShortSavesRefused(size_t span, size_t step, const std::string& survivor) {
        TMemoryStream whole;
        world.SaveToStream(whole);
        const std::vector<uint8_t> bytes = whole.Bytes();
        for (size_t cut = bytes.size() - 1; cut > bytes.size() - span; cut -= step) {
            TMemoryStream part;
            part.WriteBuffer(bytes.data(), static_cast<int64_t>(cut));
            part.SetPosition(0);
            EXPECT_THROW(world.LoadFromStream(part, kSaveVersion), ERuvoError) << "cut at " << cut;
            EXPECT_NE(world.FindObject(survivor), nullptr);
        }
    }

    // Sets a handler of every event code that concerns the control, named after the code.
    static void HandleEverything(TRuvoControl& c) {
        for (int id : kMouseHandlerIds) SetProperty(c, id, std::string("h.rsb"));
        for (int id : kKeyHandlerIds) SetProperty(c, id, std::string("h.rsb"));
    }

    // Expressions as a page evaluates them, with the world's functions and variables.
    std::string Eval(const std::string& source) {
        TRuvoParser parser = CompileExpression(Utf8ToSjis(source));
        parser.Evaluate(vars, funcs);
        return parser.Result() ? SjisToUtf8(parser.Result()->AsStr()) : "(none)";
    }

    // TPlayerServices: the pointer's moves and shapes are kept.
    void MovePointer(int x, int y) override { warps.push_back({x, y}); }
    void ShowCursorFile(const std::string& file) override { cursors.push_back(file); }

    std::vector<std::pair<int, int>> warps;
    std::vector<std::string> cursors;
    TParamCollection vars;
    TSysFuncMan funcs{vars};
    TRuvoBaseList world{static_cast<TPlayerServices&>(*this), vars};
    TWorldBindings bindings{world, vars.SystemVars(), funcs};
};

} // namespace ruvo::testing
