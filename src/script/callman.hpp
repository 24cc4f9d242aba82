#pragma once
// The interpreter: the current page and command, the call stack, the arguments of the current call
// and the nesting of event handlers. Each frame it runs commands until one of them ends the frame,
// and dispatches queued object events as calls of labelled places. It owns the system variables of
// the call mechanism ("@Result", "@ParamCount", "@ParamStr", "@Sender") while it exists.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/streams.hpp"
#include "objects/base/ruvoobject.hpp"
#include "params/limits.hpp"
#include "params/values.hpp"
#include "script/pagecache.hpp"

namespace ruvo {

class TParamCollection;
class TSerializer;
struct TRunContext;

// One call frame: where to go on when the call returns, and what the call carries.
struct TStack {
    std::string PageName;
    int32_t Index = 0;
    bool Started = false;
    std::string ResultVar;
    std::vector<std::string> Args;
    TObjectId Sender = 0;
    bool Cont = false;
    std::unique_ptr<TMemoryStream> State;  // saved state of an interrupted command
    std::unique_ptr<TCustomParam> Result;  // return value holder, typed by the called page

    void Assign(TStack&& other);
};

// The call stack; every change tells the variable set the new depth (locals belong to a depth).
class TStackList {
public:
    TStackList(TParamCollection& vars, int maxDepth) : vars_(vars), maxDepth_(maxDepth) {}
    // A new top frame; more than maxDepth frames is a runaway recursion (EScriptLimit).
    TStack& Push();
    // Moves the top frame into the scratch frame and returns it; "スタックエラー" on an empty stack.
    TStack& Pop();
    void Clear();
    // Takes the frames of another stack (which is left empty).
    void TakeOver(TStackList& other);
    int Count() const noexcept { return static_cast<int>(frames_.size()); }
    TStack& operator[](int i) const { return *frames_.at(static_cast<size_t>(i)); }
    TStack* Top() const noexcept { return frames_.empty() ? nullptr : frames_.back().get(); }
    TStack& Scratch() noexcept { return scratch_; }

private:
    TParamCollection& vars_;
    int maxDepth_;
    std::vector<std::unique_ptr<TStack>> frames_;
    TStack scratch_;
};

// How far a script may go before the run is ended (limits.hpp); tests make them small.
struct TScriptLimits {
    int maxCallDepth = kMaxCallDepth;
    int64_t maxCommandsPerFrame = kMaxCommandsPerFrame;
};

class TCallMan {
public:
    // Saved games from this version on carry the dispatch level.
    static constexpr int32_t kLevelSavedFrom = 116;

    TCallMan(TRunContext& context, TPageOpener opener, TScriptLimits limits = {});
    ~TCallMan();
    TCallMan(const TCallMan&) = delete;
    TCallMan& operator=(const TCallMan&) = delete;

    TPage* ResetTo(std::string_view pageName);
    // Runs the script for one frame. A passed limit or exhausted memory leaves as EScriptLimit, naming
    // the page and line; other errors of a command are swallowed (the command is tried again later).
    bool RunFrame();
    // One command; 0 ran normally (or nothing to run), 2 a yielding command ran, 1 returned into the main
    // flow, -1 returned into a handler.
    int Step();
    bool DispatchEvent(int32_t level);
    // A new frame holding where the script is now: page, index, started and continue flags, arguments
    // and sender (an event's handler, or a loaded game's resume page, returns there).
    TStack& PushContext();

    int ArgCount() const noexcept { return static_cast<int>(Args.size()); }
    std::string Arg(int i) const { return i >= 0 && i < ArgCount() ? Args[static_cast<size_t>(i)] : std::string(); }
    // The sender's name while a handler runs and the sender still exists.
    std::string SenderName() const;
    TCustomParam* ResultHolder() const noexcept { return Stack.Top() ? Stack.Top()->Result.get() : nullptr; }

    // The interpreter's section of a saved game (version V of the game when reading).
    void Sync(TSerializer& s);
    void SaveTo(TStream& s);
    void LoadFrom(TStream& s, int32_t version);
    // Takes over the whole state of an interpreter that read a saved game apart from this one, with the
    // pages it loaded (their commands hold the restored running states); the other one is left empty.
    void TakeOver(TCallMan& loaded);
    const TPageOpener& Opener() const noexcept { return pages_.Opener(); }
    const TScriptLimits& Limits() const noexcept { return limits_; }

    // The page of that name from the cache (promoted), sparing the current page from eviction.
    TPage* GetPage(std::string_view name);
    TPageCache& Pages() noexcept { return pages_; }
    TCommand* CurrentCommand() const noexcept;

    TRunContext& Context;
    TParamCollection& Vars;

    TPage* CurrentPage = nullptr;
    int32_t Index = 0;
    bool Cont = false;
    TStackList Stack;
    bool Started = false;
    std::vector<std::string> Args;
    int32_t State = 0;
    TObjectId Sender = 0;
    int32_t Level = 2;

private:
    void RunCommand(bool& yields);
    void TraceCommand(const TCommand& command);
    void TraceLine(std::string_view what, int32_t line, std::string_view note = {});
    void TraceError(const TPage& page, const TCommand& command, const std::string& sjisMessage);
    void SyncFrame(TSerializer& s, TStack& f);
    void SyncSender(TSerializer& s, TObjectId& sender);
    std::string NameOfSender(TObjectId sender) const;
    void RemoveByState(int32_t level);
    // "main.rsb(12)": where the command at the current place is, for people.
    std::string Place() const;

    TScriptLimits limits_;
    TPageCache pages_;
    // The command traced last, by page name and index: pages can be freed and loaded again.
    std::string lastTracedPage_;
    int32_t lastTracedIndex_ = -1;
    // The error traced last, so that a command failing frame after frame is traced once.
    std::string lastTracedError_;
};

} // namespace ruvo
