#pragma once
// The interpreter: the current page and command, the call stack, the arguments of the current call
// and the nesting of event handlers. Each frame it runs commands until one of them ends the frame,
// and dispatches queued object events as calls of labelled places.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/streams.hpp"
#include "params/values.hpp"
#include "script/pagecache.hpp"

namespace ruvo {

class TParamCollection;
class TSysFuncMan;
class TRuvoObject;
class TScriptHost;

// One call frame: where to go on when the call returns, and what the call carries.
struct TStack {
    std::string PageName;
    int32_t Index = 0;
    bool Started = false;
    std::string ResultVar;
    std::vector<std::string> Args;
    TRuvoObject* Sender = nullptr;
    bool Cont = false;
    std::unique_ptr<TMemoryStream> State;  // saved state of an interrupted command
    std::unique_ptr<TCustomParam> Result;  // return value holder, typed by the called page

    void Assign(TStack&& other);
};

// The call stack; every change tells the variable set the new depth (locals belong to a depth).
class TStackList {
public:
    explicit TStackList(TParamCollection& vars) : vars_(vars) {}
    TStack& Push();
    // Moves the top frame into the scratch frame and returns it; "スタックエラー" on an empty stack.
    TStack& Pop();
    void Clear();
    int Count() const noexcept { return static_cast<int>(frames_.size()); }
    TStack& operator[](int i) const { return *frames_.at(static_cast<size_t>(i)); }
    TStack* Top() const noexcept { return frames_.empty() ? nullptr : frames_.back().get(); }
    TStack& Scratch() noexcept { return scratch_; }

private:
    TParamCollection& vars_;
    std::vector<std::unique_ptr<TStack>> frames_;
    TStack scratch_;
};

class TCallMan {
public:
    // Saved games from this version on carry the dispatch level.
    static constexpr int32_t kLevelSavedFrom = 116;

    TCallMan(TScriptHost& host, TParamCollection& vars, TSysFuncMan& funcs, TPageOpener opener);
    ~TCallMan();
    TCallMan(const TCallMan&) = delete;
    TCallMan& operator=(const TCallMan&) = delete;

    TPage* ResetTo(std::string_view pageName);
    // Runs the script for one frame.
    bool RunFrame();
    // One command; 0 ran normally, 2 a yielding command ran, 1 returned into the main flow, -1 returned
    // into a handler.
    int Step();
    bool DispatchEvent(int32_t level);

    int ArgCount() const noexcept { return static_cast<int>(Args.size()); }
    std::string Arg(int i) const { return i >= 0 && i < ArgCount() ? Args[static_cast<size_t>(i)] : std::string(); }
    // The sender's name while a handler runs and the sender still exists.
    std::string SenderName() const;
    TCustomParam* ResultHolder() const noexcept { return Stack.Top() ? Stack.Top()->Result.get() : nullptr; }

    void SaveTo(TStream& s);
    void LoadFrom(TStream& s, int32_t version);

    // The page of that name from the cache (promoted), sparing the current page from eviction.
    TPage* GetPage(std::string_view name);
    TPageCache& Pages() noexcept { return pages_; }
    TCommand* CurrentCommand() const noexcept;

    TScriptHost& Host;
    TParamCollection& Vars;
    TSysFuncMan& Funcs;

    TPage* CurrentPage = nullptr;
    int32_t Index = 0;
    bool Cont = false;
    TStackList Stack;
    bool Started = false;
    std::vector<std::string> Args;
    int32_t State = 0;
    TRuvoObject* Sender = nullptr;
    int32_t Level = 2;

private:
    void RunCommand(bool& yields);
    void TraceCommand(const TCommand& command);
    void TraceLine(std::string_view what, int32_t line);
    void SaveFrame(TStream& s, const TStack& f) const;
    void LoadFrame(TStream& s, TStack& f);
    std::string NameOfSender(const TRuvoObject* sender) const;
    TRuvoObject* SenderByName(const std::string& name) const;
    void RemoveByState(int32_t level);

    TPageCache pages_;
    // The command traced last, by page name and index: pages can be freed and loaded again.
    std::string lastTracedPage_;
    int32_t lastTracedIndex_ = -1;
};

} // namespace ruvo
