#include "script/callman.hpp"

#include <algorithm>
#include <cstdio>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "objects/ruvoobject.hpp"
#include "objects/timerlist.hpp"
#include "params/varset.hpp"
#include "script/commandrun.hpp"
#include "script/scripthost.hpp"

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

// ---- the interpreter

TCallMan::TCallMan(TScriptHost& host, TParamCollection& vars, TSysFuncMan& funcs, TPageOpener opener)
    : Host(host), Vars(vars), Funcs(funcs), Stack(vars), pages_(std::move(opener), &vars) {}

TCallMan::~TCallMan() = default;

TPage* TCallMan::GetPage(std::string_view name) { return pages_.GetPage(name, true, CurrentPage); }

TCommand* TCallMan::CurrentCommand() const noexcept {
    if (!CurrentPage || Index < 0 || Index >= CurrentPage->Count()) return nullptr;
    return CurrentPage->Items(Index);
}

void TCallMan::RemoveByState(int32_t level) {
    if (TScriptWorld* world = Host.World()) world->Events().RemoveByState(level);
}

TPage* TCallMan::ResetTo(std::string_view pageName) {
    // The old page stays spared while the new one loads: the command resetting runs from it.
    CurrentPage = GetPage(pageName);
    Index = 0;
    Started = false;
    Args.clear();
    State = 0;
    Stack.Clear();
    Sender = nullptr;
    if (Host.World())
        for (int32_t l = 1; l <= Level; ++l) RemoveByState(l);
    Level = 2;
    return CurrentPage;
}

void TCallMan::TraceCommand(const TCommand& command) {
    if (!Host.Tracing() || (Index == lastTracedIndex_ && CurrentPage->FileName == lastTracedPage_)) return;
    lastTracedPage_ = CurrentPage->FileName;
    lastTracedIndex_ = Index;
    TraceLine(CurrentPage->FileName, command.Line);
}

// "%.8x : %s(%d)": game clock, what ran (a page, or "<Event>" and the handler's page) and its line.
void TCallMan::TraceLine(std::string_view what, int32_t line) {
    char head[16];
    std::snprintf(head, sizeof head, "%.8x : ", static_cast<uint32_t>(Host.GameClock()));
    Host.Trace(std::string(head) + std::string(what) + "(" + std::to_string(line) + ")");
}

void TCallMan::RunCommand(bool& yields) {
    if (!CurrentPage || Index < 0 || Index >= CurrentPage->Count()) {
        CurrentPage = nullptr;
        return;
    }
    TPage* page = CurrentPage;
    const int32_t index = Index;
    try {
        TCommand& command = *page->Items(index);
        TraceCommand(command);
        if (!Started) {
            if (command.IsDisabled()) {
                ++Index;
                return;
            }
            BeginCommand(command, *this);
            Started = true;
        }
        Cont = command.ContinueFlag();
        yields = command.Yields();
        ExecuteCommand(command, *this);
        if (CurrentPage != page || Index != index) Started = false;
    } catch (...) {
        // A failing command stays where it was and is tried again in a later frame: the frame ends
        // here as after a yield, or a command that keeps failing would hold the frame for ever.
        Cont = false;
        yields = true;
    }
}

int TCallMan::Step() {
    if (!CurrentPage) return 0;
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

bool TCallMan::DispatchEvent(int32_t level) {
    if (TCommand* command = CurrentCommand(); command && Started && command->BlocksEvents()) return false;
    TScriptWorld* world = Host.World();
    if (!world) return false;
    TTimerData* event = world->Events().NextPending();
    if (!event) return false;
    std::string pageName, label;
    bool hasLabel;
    SplitHandler(event->Handler, pageName, label, hasLabel);
    if (!Host.FileAvailable(pageName)) return false;

    TPage* target;
    try {
        target = GetPage(pageName);
    } catch (...) {
        return false;  // the page could not be read after all: the event stays pending
    }
    TStack& f = Stack.Push();
    f.PageName = CurrentPage ? CurrentPage->FileName : std::string();
    f.Index = Index;
    f.Started = Started;
    f.Args = Args;
    f.Sender = Sender;
    f.Cont = Cont;
    if (TCommand* command = CurrentCommand(); command && Started) {
        f.State = std::make_unique<TMemoryStream>();
        command->SaveState(*f.State);
    }
    CurrentPage = target;
    Index = 0;
    if (hasLabel) Index = std::max(CurrentPage->FindLabel(label), 0);
    if (Host.Tracing() && Index < CurrentPage->Count()) TraceLine("<Event>" + pageName, CurrentPage->Items(Index)->Line);
    Started = false;
    event->State = level;
    Args = event->Parameters;
    Sender = event->Sender;
    State = 1;
    return true;
}

bool TCallMan::RunFrame() {
    do {
        switch (State) {
        case 0:
            if (!DispatchEvent(1)) Step();
            break;
        case 1: {
            const int r = Step();
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
            const int r = Step();
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
    } while ((Cont || State != 0) && !Host.Terminating());
    return true;
}

std::string TCallMan::NameOfSender(const TRuvoObject* sender) const {
    const TScriptWorld* world = Host.World();
    return sender && world && world->Contains(sender) ? sender->Name : std::string();
}

TRuvoObject* TCallMan::SenderByName(const std::string& name) const {
    TScriptWorld* world = Host.World();
    return name.empty() || !world ? nullptr : world->FindObject(name);
}

std::string TCallMan::SenderName() const { return State != 0 ? NameOfSender(Sender) : std::string(); }

// ---- saved games

namespace {

void WriteStrings(TStream& s, const std::vector<std::string>& list) {
    WriteInt(s, static_cast<int32_t>(list.size()));
    for (const auto& item : list) WriteStr(s, item);
}

std::vector<std::string> ReadStrings(TStream& s) {
    const int32_t count = ReadInt(s);
    // Every string takes at least its 4-byte length: a count beyond that is damage, not a list.
    if (count < 0 || count > s.Remaining() / 4) throw ERuvoError::FromUtf8("セーブデータが壊れています");
    std::vector<std::string> list;
    list.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) list.push_back(ReadStr(s));
    return list;
}

} // namespace

void TCallMan::SaveFrame(TStream& s, const TStack& f) const {
    WriteStr(s, f.PageName);
    WriteInt(s, f.Index);
    WriteByte(s, f.Started);
    WriteByte(s, f.Cont);
    WriteStr(s, f.ResultVar);
    WriteStrings(s, f.Args);
    WriteStr(s, NameOfSender(f.Sender));
    if (f.State) {
        WriteInt(s, static_cast<int32_t>(f.State->Size()));
        s.WriteBuffer(f.State->Memory(), f.State->Size());
    } else {
        WriteInt(s, 0);
    }
    const int type = f.Result ? f.Result->TypeCode() : 0;
    WriteByte(s, static_cast<uint8_t>(type));
    if (type != 0) f.Result->SaveToStream(s);
}

void TCallMan::LoadFrame(TStream& s, TStack& f) {
    f.PageName = ReadStr(s);
    f.Index = ReadInt(s);
    f.Started = ReadByte(s) != 0;
    f.Cont = ReadByte(s) != 0;
    f.ResultVar = ReadStr(s);
    f.Args = ReadStrings(s);
    f.Sender = SenderByName(ReadStr(s));
    const int32_t stateSize = ReadInt(s);
    f.State.reset();
    if (stateSize > 0) {
        if (stateSize > s.Remaining()) throw ERuvoError::FromUtf8("セーブデータが壊れています");
        f.State = std::make_unique<TMemoryStream>();
        f.State->SetSize(stateSize);
        s.ReadBuffer(f.State->Data(), stateSize);
    }
    const uint8_t type = ReadByte(s);
    f.Result = type != 0 ? NewParam(type) : nullptr;
    if (type != 0 && !f.Result) throw ERuvoError::FromUtf8("セーブデータが壊れています");
    if (f.Result) f.Result->LoadFromStream(s);
}

void TCallMan::SaveTo(TStream& s) {
    WriteStr(s, CurrentPage ? CurrentPage->FileName : std::string());
    WriteInt(s, Index);
    WriteByte(s, Cont);
    WriteByte(s, Started);
    WriteInt(s, State);
    WriteStr(s, NameOfSender(Sender));
    WriteStrings(s, Args);
    SaveFrame(s, Stack.Scratch());
    WriteInt(s, Stack.Count());
    for (int i = 0; i < Stack.Count(); ++i) SaveFrame(s, Stack[i]);
    WriteInt(s, Level);
    if (TCommand* command = CurrentCommand(); command && Started) command->SaveState(s);
}

void TCallMan::LoadFrom(TStream& s, int32_t version) {
    const std::string pageName = ReadStr(s);
    CurrentPage = pageName.empty() ? nullptr : GetPage(pageName);
    Index = ReadInt(s);
    Cont = ReadByte(s) != 0;
    Started = ReadByte(s) != 0;
    State = ReadInt(s);
    Sender = SenderByName(ReadStr(s));
    Args = ReadStrings(s);
    LoadFrame(s, Stack.Scratch());
    const int32_t count = ReadInt(s);
    // A frame record takes at least 27 bytes.
    if (count < 0 || count > s.Remaining() / 27) throw ERuvoError::FromUtf8("セーブデータが壊れています");
    Stack.Clear();
    for (int32_t i = 0; i < count; ++i) LoadFrame(s, Stack.Push());
    Level = version >= kLevelSavedFrom ? ReadInt(s) : 2;
    if (TCommand* command = CurrentCommand(); command && Started) command->LoadState(s);
}

} // namespace ruvo
