#pragma once
// An interpreter over pages written in the builder's source format, with a fake display world whose
// objects can queue events, and a clock that advances 16 ms per frame.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/sjis.hpp"
#include "objects/ruvoobject.hpp"
#include "objects/timerlist.hpp"
#include "params/sysfuncs.hpp"
#include "params/sysstate.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/scripthost.hpp"
#include "tools/pagesource.hpp"

namespace ruvo::testing {

class FakeWorld : public TScriptWorld {
public:
    TRuvoObject& Add(const std::string& name) {
        objects_.push_back(std::make_unique<TRuvoObject>());
        objects_.back()->Name = name;
        return *objects_.back();
    }
    bool Contains(const TRuvoObject* o) const override {
        for (const auto& p : objects_)
            if (p.get() == o) return true;
        return false;
    }
    TRuvoObject* FindObject(std::string_view name) override {
        for (const auto& p : objects_)
            if (p->Name == name) return p.get();
        return nullptr;
    }
    TTimerList& Events() override { return events_; }

private:
    std::vector<std::unique_ptr<TRuvoObject>> objects_;
    TTimerList events_;
};

class InterpreterFixture : public ::testing::Test, protected TScriptHost, protected TSystemState {
protected:
    // Pages by name (Shift-JIS names, UTF-8 source).
    void Page(const std::string& name, const std::string& source) { sources_[name] = source; }

    void Start(const std::string& page = "main.rsb") { cm.ResetTo(page); }

    // Runs n frames; the first frame of a run lasts 16 ms like every other.
    void Frames(int n) {
        for (int i = 0; i < n && !terminating; ++i) {
            clock += 16;
            cm.RunFrame();
        }
    }

    TCustomParam& Global(const std::string& name, int type) {
        return vars.Declare(Utf8ToSjis(name), type, TVarScope::Global).Value();
    }
    std::string Var(const std::string& name) {
        TParamCollectionItem* item = vars.Find(Utf8ToSjis(name));
        return item ? SjisToUtf8(item->Value().AsStr()) : "(none)";
    }
    void Click(TRuvoObject& sender, const std::string& handler, std::vector<std::string> params = {}) {
        world.Events().Queue(&sender, handler, std::move(params), 1);
    }

    // TScriptHost
    bool FileAvailable(std::string_view name) override { return sources_.count(std::string(name)) > 0; }
    int32_t GameClock() const override { return clock; }
    int32_t FrameTime() const override { return 16; }
    bool Terminating() const override { return terminating; }
    void Terminate() override { terminating = true; }
    TScriptWorld* World() const override { return const_cast<FakeWorld*>(&world); }
    void ResetGameState() override { vars.Reset(); ++resets; }
    bool Tracing() const override { return true; }
    void Trace(std::string_view line) override { trace.emplace_back(line); }

    // TSystemState: the call mechanism's variables
    TCustomParam* CallResult() override { return cm.ResultHolder(); }
    std::vector<std::string> CallParams() override { return cm.Args; }
    std::string SenderName() override { return cm.SenderName(); }
    int32_t TickCount() override { return clock; }

    std::unique_ptr<TStream> Open(const std::string& name) {
        auto it = sources_.find(name);
        if (it == sources_.end()) throw ERuvoError(SysMessage("%s:ファイルがありません", {name}));
        auto page = tools::BuildPageSource(it->second, SjisToUtf8(name), name);
        auto stream = std::make_unique<TMemoryStream>();
        page->SaveToStream(*stream);
        stream->SetPosition(0);
        return stream;
    }

    std::map<std::string, std::string> sources_;
    int32_t clock = 0;
    bool terminating = false;
    int resets = 0;
    std::vector<std::string> trace;
    FakeWorld world;
    TParamCollection vars{static_cast<TSystemState&>(*this)};
    TSysFuncHost funcHost;
    TSysFuncMan funcs{vars, funcHost};
    TCallMan cm{static_cast<TScriptHost&>(*this), vars, funcs, [this](const std::string& n) { return Open(n); }};
};

} // namespace ruvo::testing
