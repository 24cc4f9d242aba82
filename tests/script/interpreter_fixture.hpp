#pragma once
// An interpreter over pages written in the builder's source format (kept as memory files of a virtual
// file manager, as a game's pages are), run by a project through the run context, with a display world
// whose objects can queue events, and a clock that advances 16 ms per frame.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfilemanager.hpp"
#include "objects/base/standin.hpp"
#include "objects/world/world.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/gameproject.hpp"
#include "script/runcontext.hpp"
#include "archive/playerservices.hpp"
#include "tools/pagesource.hpp"

namespace ruvo::testing {

class NoDiscs : public IDiscRoots {
public:
    std::vector<std::filesystem::path> Roots() override { return {}; }
};

class InterpreterFixture : public ::testing::Test, protected TPlayerServices, protected IDiscPrompt {
protected:
    // Tests of the limits make them small.
    explicit InterpreterFixture(TScriptLimits limits = {}) : limits_(limits) {
        files.AddArchive({});
        vars.SystemVars().BindInt(TSystemVar::TickCount, [this] { return clock; });
    }

    // Pages by name (Shift-JIS names, UTF-8 source), built at once into the game's memory files.
    void Page(const std::string& name, const std::string& source) {
        auto page = tools::BuildPageSource(source, SjisToUtf8(name), name);
        TMemoryStream bytes;
        page->SaveToStream(bytes);
        TVrFileCollection& memory = files.Collection(0);
        if (memory.Find(name)) memory.Delete(name);
        memory.AddMemoryFile(name).Data->WriteBuffer(bytes.Memory(), bytes.Size());
    }

    void Start(const std::string& page = "main.rsb") { cm.ResetTo(page); }

    // Runs n frames; the first frame of a run lasts 16 ms like every other.
    void Frames(int n) {
        for (int i = 0; i < n && !terminating; ++i) {
            clock += 16;
            cm.RunFrame();
        }
    }
    // Frames as the player runs them: the world's input, the script, the world's update and painting.
    void Run(int n) {
        for (int i = 0; i < n && !terminating; ++i) {
            clock += 16;
            world.ProcessInput();
            cm.RunFrame();
            world.Update();
            world.Paint();
        }
    }

    TCustomParam& Global(const std::string& name, int type) {
        return vars.Declare(Utf8ToSjis(name), type, TVarScope::Global).Value();
    }
    std::string Var(const std::string& name) {
        TParamCollectionItem* item = vars.Find(Utf8ToSjis(name));
        return item ? SjisToUtf8(item->Value().AsStr()) : "(none)";
    }
    // An object that can be the sender of events (a request object: it has no behaviour of its own).
    TRuvoObject& Add(const std::string& name) {
        TRuvoObject& o = world.Adopt(std::make_unique<TRuvoStandInComponent>(&world, 7));
        o.SetName(name);
        return o;
    }
    void Click(TRuvoObject& sender, const std::string& handler, std::vector<std::string> params = {}) {
        world.Events().Queue(sender.Id(), handler, std::move(params), 36);
    }

    // TPlayerServices
    int32_t GameClock() const override { return clock; }
    int32_t FrameTime() const override { return 16; }
    bool Terminating() const override { return terminating; }
    void SetTerminating(bool on) override { terminating = on; }
    void Terminate() override { terminating = true; }
    bool Tracing() const override { return true; }
    void Trace(std::string_view line) override { trace.emplace_back(SjisToUtf8Lossy(line)); }
    void ShowWarning(const std::string& sjisText) override { warnings.push_back(SjisToUtf8Lossy(sjisText)); }
    IDiscPrompt& DiscPrompt() override { return *this; }
    void SetTitle(const std::string&) override {}
    void MovePointer(int, int) override {}

    // IDiscPrompt: nobody inserts discs here.
    bool OkCancel(const std::string&, const std::string&) override { return false; }
    void GiveUp() override { Terminate(); }

    TScriptLimits limits_;
    int32_t clock = 0;
    bool terminating = false;
    std::vector<std::string> trace;     // UTF-8
    std::vector<std::string> warnings;  // UTF-8
    TDeletionList deletions;
    TVrFileManager files{deletions, std::make_unique<NoDiscs>(), std::filesystem::path()};  // no temporary copies
    TParamCollection vars;
    TSysFuncMan funcs{vars};
    TRuvoBaseList world{static_cast<TPlayerServices&>(*this), vars};
    TRunContext context{static_cast<TPlayerServices&>(*this), vars, funcs, nullptr, nullptr, &world};
    TProject project{context, files, limits_};
    TCallMan& cm = *project.CallMan;
};

} // namespace ruvo::testing
