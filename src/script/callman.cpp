#include "script/callman.hpp"

#include <algorithm>
#include <cstdio>
#include <new>
#include <utility>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "archive/sjis.hpp"
#include "objects/world/world.hpp"
#include "params/varset.hpp"
#include "script/commandrun.hpp"
#include "script/runcontext.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

// ---- frames

void TStack::Assign(TStack&& other) {
    PageName = std::move(other.PageName);
    Index = other.Index;
    Started = other.Started;
    ResultVar = std::move(other.ResultVar);
    Args = std::move(other.Args);
    Sender = other.Sender;
    Cont = other.Cont;
    State = std::move(other.State);
    Result = std::move(other.Result);
}

TStack& TStackList::Push() {
    if (Count() >= maxDepth_)
        throw EScriptLimit(SysMessage("呼び出しが深すぎます（%s段を超えました）", {std::to_string(maxDepth_)}));
    frames_.push_back(std::make_unique<TStack>());
    vars_.SetDepth(Count());
    return *frames_.back();
}

TStack& TStackList::Pop() {
    if (frames_.empty()) throw ERuvoError::FromUtf8("スタックエラー");
    scratch_.Assign(std::move(*frames_.back()));
    frames_.pop_back();
    vars_.SetDepth(Count());
    return scratch_;
}

void TStackList::Clear() {
    frames_.clear();
    vars_.SetDepth(0);
}

void TStackList::TakeOver(TStackList& other) {
    frames_ = std::move(other.frames_);
    other.frames_.clear();
    scratch_.Assign(std::move(other.scratch_));
    vars_.SetDepth(Count());
}

// ---- the interpreter

TCallMan::TCallMan(TRunContext& context, TPageOpener opener, TScriptLimits limits)
    : Context(context),
      Vars(context.Vars),
      Stack(context.Vars, limits.maxCallDepth),
      limits_(limits),
      pages_(std::move(opener), &context.Vars) {
    Context.Interpreter = this;
    TSystemVars& sv = Vars.SystemVars();
    sv.BindHolder(TSystemVar::Result, [this] { return ResultHolder(); });
    sv.BindInt(TSystemVar::ParamCount, [this] { return static_cast<int32_t>(ArgCount()); });
    sv.BindStrings(TSystemVar::ParamStr, [this] { return Args; });
    sv.BindStr(TSystemVar::Sender, [this] { return SenderName(); });
}

TCallMan::~TCallMan() {
    TSystemVars& sv = Vars.SystemVars();
    for (TSystemVar v : {TSystemVar::Result, TSystemVar::ParamCount, TSystemVar::ParamStr, TSystemVar::Sender})
        sv.Unbind(v);
    if (Context.Interpreter == this) Context.Interpreter = nullptr;
}

TPage* TCallMan::GetPage(std::string_view name) { return pages_.GetPage(name, true, CurrentPage); }

TCommand* TCallMan::CurrentCommand() const noexcept {
    if (!CurrentPage || Index < 0 || Index >= CurrentPage->Count()) return nullptr;
    return CurrentPage->Items(Index);
}

void TCallMan::RemoveByState(int32_t level) {
    if (TRuvoBaseList* world = Context.World) world->Events().RemoveByState(level);
}

TPage* TCallMan::ResetTo(std::string_view pageName) {
    // The old page stays spared while the new one loads: the command resetting runs from it.
    CurrentPage = GetPage(pageName);
    Index = 0;
    Started = false;
    Args.clear();
    State = 0;
    Stack.Clear();
    Sender = 0;
    if (Context.World)
        for (int32_t l = 1; l <= Level; ++l) RemoveByState(l);
    Level = 2;
    return CurrentPage;
}

std::string TCallMan::Place() const {
    const TCommand* command = CurrentCommand();
    if (!CurrentPage) return "after the end of the script";
    return SjisToUtf8Lossy(CurrentPage->FileName) + "(" + std::to_string(command ? command->Line : 0) + ")";
}

void TCallMan::TraceCommand(const TCommand& command) {
    if (!Context.Services.Tracing() || (Index == lastTracedIndex_ && CurrentPage->FileName == lastTracedPage_)) return;
    lastTracedPage_ = CurrentPage->FileName;
    lastTracedIndex_ = Index;
    lastTracedError_.clear();
    TraceLine(CurrentPage->FileName, command.Line);
}

// "%.8x : %s(%d)": game clock, what ran (a page, or "<Event>" and the handler's page) and its line.
void TCallMan::TraceLine(std::string_view what, int32_t line, std::string_view note) {
    char head[16];
    std::snprintf(head, sizeof head, "%.8x : ", static_cast<uint32_t>(Context.Services.GameClock()));
    std::string text = std::string(head) + std::string(what) + "(" + std::to_string(line) + ")";
    if (!note.empty()) text.append(" ").append(note);
    Context.Services.Trace(text);
}

// "%.8x : <Error>%s(%d) message", once for as long as the same command keeps failing the same way.
void TCallMan::TraceError(const TPage& page, const TCommand& command, const std::string& sjisMessage) {
    if (!Context.Services.Tracing() || sjisMessage == lastTracedError_) return;
    lastTracedError_ = sjisMessage;
    TraceLine("<Error>" + page.FileName, command.Line, sjisMessage);
}

void TCallMan::RunCommand(bool& yields) {
    if (!CurrentPage || Index < 0 || Index >= CurrentPage->Count()) {
        CurrentPage = nullptr;
        return;
    }
    TPage* page = CurrentPage;
    const int32_t index = Index;
    TCommand& command = *page->Items(index);
    try {
        TraceCommand(command);
        if (!Started) {
            if (command.IsDisabled()) {
                ++Index;
                return;
            }
            BeginCommand(command, Context);
            Started = true;
        }
        Cont = command.ContinueFlag();
        yields = command.Yields();
        ExecuteCommand(command, Context);
        if (CurrentPage != page || Index != index) Started = false;
        return;
    } catch (EScriptLimit& e) {
        e.AddContext(SjisToUtf8Lossy(page->FileName) + "(" + std::to_string(command.Line) + ")");
        throw;
    } catch (const std::bad_alloc&) {
        EScriptLimit e = EScriptLimit::OutOfMemory();
        e.AddContext(SjisToUtf8Lossy(page->FileName) + "(" + std::to_string(command.Line) + ")");
        throw e;
    } catch (const ERuvoError& e) {
        TraceError(*page, command, e.Message());
    } catch (const std::exception& e) {
        TraceError(*page, command, Utf8ToSjisLossy(e.what()));
    }
    // A failing command stays where it was and is tried again in a later frame: the frame ends here as
    // after a yield, or a command that keeps failing would hold the frame for ever.
    Cont = false;
    yields = true;
}

int TCallMan::Step() {
    if (!CurrentPage) {
        Cont = false;  // nothing to run: an event handler that returned after the script ended ends the frame
        return 0;
    }
    bool yields = false;
    RunCommand(yields);
    const int r = yields ? 2 : 0;
    if (CurrentPage) return r;
    if (Stack.Count() == 0) {
        Cont = false;
        return r;
    }
    Vars.DeleteFrame(Stack.Count());
    TStack& f = Stack.Pop();
    if (!f.ResultVar.empty() && f.Result) {
        if (TParamCollectionItem* target = Vars.Find(f.ResultVar)) target->Value().AssignConverted(*f.Result);
    }
    CurrentPage = f.PageName.empty() ? nullptr : GetPage(f.PageName);
    Index = f.Index;
    Started = f.Started;
    Cont = f.Cont;
    Args = std::move(f.Args);
    Sender = f.Sender;
    if (f.State && CurrentPage && Index >= 0 && Index < CurrentPage->Count()) {
        f.State->SetPosition(0);
        CurrentPage->Items(Index)->LoadState(*f.State);
    }
    if (!Sender) return 1;
    return r != 0 ? r : -1;
}

namespace {

// The label follows the last ":" that comes after the last "." and "\" and is a character of its own.
void SplitHandler(std::string_view handler, std::string& page, std::string& label, bool& hasLabel) {
    size_t colon = std::string_view::npos;
    for (size_t i = 0; i < handler.size(); i = NextCharPos(handler, i)) {
        if (CharLength(handler, i) != 1) continue;
        if (handler[i] == '.' || handler[i] == '\\') colon = std::string_view::npos;
        else if (handler[i] == ':') colon = i;
    }
    hasLabel = colon != std::string_view::npos;
    page = std::string(hasLabel ? handler.substr(0, colon) : handler);
    label = hasLabel ? std::string(handler.substr(colon + 1)) : std::string();
    // The handler names the page by any extension; pages are ".rsb".
    if (page.size() >= 3) page.replace(page.size() - 3, 3, "rsb");
}

} // namespace

TStack& TCallMan::PushContext() {
    TStack& f = Stack.Push();
    f.PageName = CurrentPage ? CurrentPage->FileName : std::string();
    f.Index = Index;
    f.Started = Started;
    f.Args = Args;
    f.Sender = Sender;
    f.Cont = Cont;
    return f;
}

bool TCallMan::DispatchEvent(int32_t level) {
    if (TCommand* command = CurrentCommand(); command && Started && command->BlocksEvents()) return false;
    TRuvoBaseList* world = Context.World;
    if (!world) return false;
    TTimerData* event = world->Events().NextPending();
    if (!event) return false;
    std::string pageName, label;
    bool hasLabel;
    SplitHandler(event->Handler, pageName, label, hasLabel);
    if (!Context.FileAvailable(pageName)) return false;

    TPage* target;
    try {
        target = GetPage(pageName);
    } catch (const std::bad_alloc&) {
        throw EScriptLimit::OutOfMemory();
    } catch (const std::exception&) {
        return false;  // the page could not be read after all: the event stays pending
    }
    TStack& f = PushContext();
    if (TCommand* command = CurrentCommand(); command && Started) {
        f.State = std::make_unique<TMemoryStream>();
        command->SaveState(*f.State);
    }
    CurrentPage = target;
    Index = 0;
    if (hasLabel) Index = std::max(CurrentPage->FindLabel(label), 0);
    if (Context.Services.Tracing() && Index < CurrentPage->Count())
        TraceLine("<Event>" + pageName, CurrentPage->Items(Index)->Line);
    Started = false;
    event->State = level;
    Args = event->Parameters;
    Sender = event->Sender;
    State = 1;
    return true;
}

bool TCallMan::RunFrame() {
    int64_t steps = 0;
    // Every pass of the loop runs at most one command; a frame that never reaches a command ending it
    // has run away.
    const auto step = [&] {
        if (++steps > limits_.maxCommandsPerFrame) {
            EScriptLimit e(SysMessage("1フレームのコマンド数が%sを超えました（待つコマンドのないループ）",
                                      {std::to_string(limits_.maxCommandsPerFrame)}));
            e.AddContext(Place());
            throw e;
        }
        return Step();
    };
    do {
        switch (State) {
        case 0:
            if (!DispatchEvent(1)) step();
            break;
        case 1: {
            const int r = step();
            if (r == 1) {
                RemoveByState(1);
                State = 0;
                Cont = true;
            } else if (r == 2) {
                Level = 2;
                State = 2;
                return true;
            } else if (State != 1) {
                Cont = true;
            }
            break;
        }
        case 2:
            if (DispatchEvent(Level)) {
                ++Level;
                State = 3;
            } else {
                State = Level > 2 ? 3 : 1;
            }
            break;
        case 3: {
            const int r = step();
            if (r == 1 || r == -1) {
                --Level;
                RemoveByState(Level);
                if (Level <= 2) State = 2;
            } else if (r == 2) {
                State = 2;
                return true;
            }
            break;
        }
        default: State = 0; break;
        }
    } while ((Cont || State != 0) && !Context.Services.Terminating());
    return true;
}

std::string TCallMan::NameOfSender(TObjectId sender) const {
    return sender && Context.World ? Context.World->NameOf(sender) : std::string();
}

std::string TCallMan::SenderName() const { return State != 0 ? NameOfSender(Sender) : std::string(); }

// ---- saved games

namespace {

// Page name, index, started, continue, result variable, argument count, sender, state size, result type.
constexpr int64_t kMinFrameBytes = 4 + 4 + 1 + 1 + 4 + 4 + 4 + 4 + 1;

} // namespace

// Stored by name (empty when none or gone), found again by name in the world.
void TCallMan::SyncSender(TSerializer& s, TObjectId& sender) {
    std::string name = s.Loading() ? std::string() : NameOfSender(sender);
    s.Str(name);
    if (!s.Loading()) return;
    const TRuvoObject* object = name.empty() || !Context.World ? nullptr : Context.World->FindObject(name);
    sender = object ? object->Id() : 0;
}

void TCallMan::SyncFrame(TSerializer& s, TStack& f) {
    s.Str(f.PageName);
    s.Int(f.Index);
    s.Bool(f.Started);
    s.Bool(f.Cont);
    s.Str(f.ResultVar);
    s.Strings(f.Args);
    SyncSender(s, f.Sender);
    // The saved state of an interrupted command: int32 size and the bytes.
    int32_t size = f.State ? static_cast<int32_t>(f.State->Size()) : 0;
    s.Count(size, 1);
    if (s.Loading()) {
        f.State.reset();
        if (size > 0) {
            f.State = std::make_unique<TMemoryStream>();
            f.State->SetSize(size);
            s.Stream().ReadBuffer(f.State->Data(), size);
        }
    } else if (size > 0) {
        s.Stream().WriteBuffer(f.State->Memory(), size);
    }
    // The call's result holder: its type byte (0 none), then the holder.
    uint8_t type = f.Result ? static_cast<uint8_t>(f.Result->TypeCode()) : 0;
    s.Byte(type);
    if (s.Loading()) {
        f.Result = type != 0 ? NewParam(type) : nullptr;
        if (type != 0 && !f.Result) throw TSerializer::Damaged();
        if (f.Result) f.Result->LoadFromStream(s.Stream());
    } else if (type != 0) {
        f.Result->SaveToStream(s.Stream());
    }
}

void TCallMan::Sync(TSerializer& s) {
    std::string pageName = CurrentPage ? CurrentPage->FileName : std::string();
    s.Str(pageName);
    if (s.Loading()) CurrentPage = pageName.empty() ? nullptr : GetPage(pageName);
    s.Int(Index);
    s.Bool(Cont);
    s.Bool(Started);
    s.Int(State);
    SyncSender(s, Sender);
    s.Strings(Args);
    SyncFrame(s, Stack.Scratch());
    int32_t count = Stack.Count();
    s.Count(count, kMinFrameBytes);
    if (s.Loading()) {
        Stack.Clear();
        for (int32_t i = 0; i < count; ++i) SyncFrame(s, Stack.Push());
        Level = 2;  // saved before the level was kept
    } else {
        for (int32_t i = 0; i < count; ++i) SyncFrame(s, Stack[i]);
    }
    s.Int(Level, kLevelSavedFrom);
    if (TCommand* command = CurrentCommand(); command && Started) {
        if (s.Loading()) command->LoadState(s.Stream());
        else command->SaveState(s.Stream());
    }
}

void TCallMan::TakeOver(TCallMan& loaded) {
    pages_.TakeOver(loaded.pages_);
    CurrentPage = std::exchange(loaded.CurrentPage, nullptr);
    Index = loaded.Index;
    Cont = loaded.Cont;
    Stack.TakeOver(loaded.Stack);
    Started = loaded.Started;
    Args = std::move(loaded.Args);
    State = loaded.State;
    Sender = loaded.Sender;
    Level = loaded.Level;
    lastTracedPage_.clear();
    lastTracedIndex_ = -1;
    lastTracedError_.clear();
}

void TCallMan::SaveTo(TStream& stream) {
    TSerializer s = TSerializer::Writer(stream, kSaveVersion);
    Sync(s);
}

void TCallMan::LoadFrom(TStream& stream, int32_t version) {
    TSerializer s = TSerializer::Reader(stream, version);
    Sync(s);
}

} // namespace ruvo
