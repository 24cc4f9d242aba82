#pragma once
// The command class tree: one class per command code (commandtable.hpp), each describing the fields
// of its record after the base record (Depth, Disabled, Cont, Line) through VisitRecord, and, for the
// commands that keep a running state, that state through SyncState. What the commands do when run is
// in the behaviour files the command table names (commandrun.hpp).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "script/record.hpp"

namespace ruvo {

class TPage;
class TSerializer;
struct TRunContext;
class TStream;

class TCommand {
public:
    explicit TCommand(TPage* page) : Page(page) {}
    virtual ~TCommand() = default;
    TCommand(const TCommand&) = delete;
    TCommand& operator=(const TCommand&) = delete;

    virtual uint8_t Code() const { return 8; }
    const char* Name() const;
    virtual bool ContinueFlag() const { return Cont != 0; }
    virtual bool IsDisabled() const { return Disabled != 0; }
    virtual void SetDisabled(bool value) { Disabled = value ? 1 : 0; }
    virtual bool BlocksEvents() const { return false; }
    virtual bool IsLabel(std::string_view) const { return false; }
    // Commands with a running state append it to / read it from a state record ("ruvo100"); the others
    // write and read nothing.
    virtual void SaveState(TStream&) {}
    virtual void LoadState(TStream&) {}
    // Ends a running command at once, when a reset leaves it (everything: the whole game is cleared).
    virtual void Abort(TRunContext&, bool /*everything*/) {}
    virtual bool Yields() const { return false; }

    // The base record, then the class's fields; the page's version decides the guarded ones.
    void Load(TStream& stream);
    void Save(TStream& stream);
    // The fields after the base record, in file order.
    virtual void VisitRecord(TRecordVisitor&) {}

    TPage* Page;
    uint8_t Cont = 1;      // stored bytes kept as they are, so a page writes back identically
    uint8_t Disabled = 0;
    int32_t Line = 0;
    int32_t Depth = 0;
};

// Command name of a code ("If" for 0), nullptr for an unknown code.
const char* CommandName(int code) noexcept;
// Code of a command name, compared without regard to ASCII case; -1 when unknown.
int CommandCodeByName(std::string_view name) noexcept;
// Whether records of this code carry property expressions (the TComComponent family).
bool IsComponentCode(int code) noexcept;
// The continue flag a command gets when its source line does not say: off for the commands that wait
// (so the frame ends there), on for the rest.
bool DefaultContinue(int code) noexcept;
// Field values a command gets when its source line leaves them out, where they are not the empty ones.
void ApplySourceDefaults(TCommand& command);
// New command of the code (taken modulo 128); throws "不正なコマンド" for an unknown code.
std::unique_ptr<TCommand> CreateCommandOfCode(TPage* page, int code);

// A command with a running state, kept in a state record: the tag "ruvo100", then the fields SyncState
// walks with the state version the tag carries.
class TStatefulCommand : public TCommand {
public:
    using TCommand::TCommand;
    void SaveState(TStream& stream) final;
    void LoadState(TStream& stream) final;
    virtual void SyncState(TSerializer& s) = 0;
};

// The running state of a command that waits on a named object (a message window, a media object).
struct TObjectWaitState {
    std::string Name;  // the object's name, empty if none or gone
    bool Waiting = false;
    bool BlocksEvents = false;
    void Sync(TSerializer& s);
};

// TextIns and MovieStop: they wait on an object while Waiting, and may hold events back meanwhile.
class TComObjectWait : public TStatefulCommand {
public:
    using TStatefulCommand::TStatefulCommand;
    bool BlocksEvents() const override { return Running.BlocksEvents; }
    bool Yields() const override { return Running.Waiting; }
    void SyncState(TSerializer& s) override { Running.Sync(s); }
    TObjectWaitState Running;
};

#define RUVO_COMMAND_CODE(c)          \
    static constexpr uint8_t kCode = c; \
    uint8_t Code() const override { return kCode; }

// ---- flow -------------------------------------------------------------------------------------------

class TComIf : public TCommand {
public:
    explicit TComIf(TPage* page) : TCommand(page) {}
    RUVO_COMMAND_CODE(0)
    void VisitRecord(TRecordVisitor& v) override { v.Expr("cond", Condition); }
    TExpression Condition;
};

class TComElseif : public TComIf {
public:
    using TComIf::TComIf;
    RUVO_COMMAND_CODE(1)
};

class TComElse : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(2)
    bool ContinueFlag() const override { return true; }
};

class TComLabel : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(3)
    bool IsLabel(std::string_view name) const override { return name == Text; }
    void VisitRecord(TRecordVisitor& v) override { v.Str("text", Text); }
    std::string Text;
};

class TComComment : public TComLabel {
public:
    using TComLabel::TComLabel;
    RUVO_COMMAND_CODE(27)
    bool ContinueFlag() const override { return false; }
    bool IsDisabled() const override { return true; }
};

class TComJump : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(4)
    void VisitRecord(TRecordVisitor& v) override {
        v.Str("page", PageName);
        v.Int("index", Index, 0, FieldHint::CommandIndex);
        v.Expr("cond", Condition);
    }
    std::string PageName;
    int32_t Index = 0;
    TExpression Condition;
};

class TComCall : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(5)
    void VisitRecord(TRecordVisitor& v) override {
        v.Str("page", PageName);
        v.Int("index", Index, 0, FieldHint::CommandIndex);
        v.Str("result", ResultVar);
        v.Expr("cond", Condition);
        v.ExprList("args", Args);
    }
    std::string PageName;
    int32_t Index = 0;
    std::string ResultVar;
    TExpression Condition;
    TExprList Args;
};

class TComExit : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(6)
    void VisitRecord(TRecordVisitor& v) override { v.Expr("cond", Condition); }
    TExpression Condition;
};

// Break and Continue: a condition and a target command index (negative: the page ends).
class TComLoopJump : public TComExit {
public:
    TComLoopJump(TPage* page, FieldHint hint) : TComExit(page), hint_(hint) {}
    void VisitRecord(TRecordVisitor& v) override {
        TComExit::VisitRecord(v);
        v.Int("target", Target, 0, hint_);
    }
    int32_t Target = -1;

private:
    FieldHint hint_;
};

class TComBreak : public TComLoopJump {
public:
    explicit TComBreak(TPage* page) : TComLoopJump(page, FieldHint::BreakTarget) {}
    RUVO_COMMAND_CODE(34)
};

class TComContinue : public TComLoopJump {
public:
    explicit TComContinue(TPage* page) : TComLoopJump(page, FieldHint::ContinueTarget) {}
    RUVO_COMMAND_CODE(35)
};

class TComWait : public TStatefulCommand {
public:
    using TStatefulCommand::TStatefulCommand;
    RUVO_COMMAND_CODE(7)
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("cond", Condition);
        v.Expr("time", Time);
        v.Expr("blocks", BlocksEventsExpr, 107);
    }
    bool BlocksEvents() const override { return BlocksEventsState; }
    bool Yields() const override { return true; }
    void SyncState(TSerializer& s) override;
    TExpression Condition, Time, BlocksEventsExpr;
    // Running state: remaining ms, first-frame counter, blocks events.
    int32_t Remaining = 0;
    int32_t FirstFrame = 0;
    bool BlocksEventsState = false;
};

class TComWhile : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(31)
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("cond", Condition);
        v.Int("exit", ExitIndex, 0, FieldHint::WhileExit);
    }
    TExpression Condition;
    int32_t ExitIndex = 0;
};

class TComRuntime : public TCommand {
public:
    using TCommand::TCommand;
};

class TComWhileInit : public TComRuntime {
public:
    using TComRuntime::TComRuntime;
    RUVO_COMMAND_CODE(32)
    bool ContinueFlag() const override { return true; }
    void VisitRecord(TRecordVisitor& v) override { v.Expr("expr", Expression); }
    TExpression Expression;
};

class TComWhileLoop : public TComWhileInit {
public:
    using TComWhileInit::TComWhileInit;
    RUVO_COMMAND_CODE(33)
    void VisitRecord(TRecordVisitor& v) override {
        TComWhileInit::VisitRecord(v);
        v.Int("loop", LoopIndex, 0, FieldHint::WhileLoopBack);
    }
    int32_t LoopIndex = 0;
};

class TComDoEvent : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(46)
    bool ContinueFlag() const override { return false; }
    bool Yields() const override { return true; }
};

// ---- object-creating commands -----------------------------------------------------------------------

// Creates one expression slot per property bit of the page's mask for its code.
class TComComponent : public TCommand {
public:
    TComComponent(TPage* page, uint8_t code);
    void VisitRecord(TRecordVisitor& v) override { v.Properties(Properties); }
    // The slot of a property, nullptr when the record carries none.
    TExpression* Property(int id) const;
    TPropertyExprs Properties;
};

class TComControl : public TComComponent {
public:
    using TComComponent::TComComponent;
};

#define RUVO_COMPONENT_CLASS(Class, Base, c)                  \
    class Class : public Base {                               \
    public:                                                   \
        explicit Class(TPage* page) : Base(page, kCode) {}    \
        RUVO_COMMAND_CODE(c)                                  \
    };

RUVO_COMPONENT_CLASS(TComBoxNew, TComControl, 8)
RUVO_COMPONENT_CLASS(TComImgNew, TComControl, 9)
RUVO_COMPONENT_CLASS(TComMesNew, TComControl, 10)
RUVO_COMPONENT_CLASS(TComTimer, TComComponent, 11)
RUVO_COMPONENT_CLASS(TComMovie, TComControl, 12)
RUVO_COMPONENT_CLASS(TComCinema, TComControl, 23)
RUVO_COMPONENT_CLASS(TComCaption, TComControl, 24)
RUVO_COMPONENT_CLASS(TComMenu, TComControl, 25)
RUVO_COMPONENT_CLASS(TComBtnNew, TComControl, 30)
RUVO_COMPONENT_CLASS(TComParticleNew, TComControl, 36)
RUVO_COMPONENT_CLASS(TComFireNew, TComControl, 37)
RUVO_COMPONENT_CLASS(TComSound, TComComponent, 42)
RUVO_COMPONENT_CLASS(TComEditNew, TComControl, 43)
RUVO_COMPONENT_CLASS(TComMemoNew, TComControl, 44)
RUVO_COMPONENT_CLASS(TComMapImgNew, TComControl, 48)
RUVO_COMPONENT_CLASS(TComWaveNew, TComControl, 49)
RUVO_COMPONENT_CLASS(TComTileNew, TComControl, 50)
RUVO_COMPONENT_CLASS(TComSliderNew, TComControl, 51)
RUVO_COMPONENT_CLASS(TComScrollbarNew, TComControl, 52)
RUVO_COMPONENT_CLASS(TComGaugeNew, TComControl, 53)
RUVO_COMPONENT_CLASS(TComCGCaption, TComControl, 54)
RUVO_COMPONENT_CLASS(TComPrevMenuNew, TComControl, 56)
#undef RUVO_COMPONENT_CLASS

class TComCabinet : public TComComponent {
public:
    using TComComponent::TComComponent;
    void VisitRecord(TRecordVisitor& v) override {
        TComComponent::VisitRecord(v);
        v.Expr("invert", Invert);
        v.ExprList("names", Names);
    }
    TExpression Invert;
    TExprList Names;
};

class TComCabinetSave : public TComCabinet {
public:
    explicit TComCabinetSave(TPage* page) : TComCabinet(page, kCode) {}
    RUVO_COMMAND_CODE(59)
};

class TComCabinetLoad : public TComCabinet {
public:
    explicit TComCabinetLoad(TPage* page) : TComCabinet(page, kCode) {}
    RUVO_COMMAND_CODE(60)
};

// ---- transitions, text and media ---------------------------------------------------------------------

class TComFlip : public TStatefulCommand {
public:
    using TStatefulCommand::TStatefulCommand;
    RUVO_COMMAND_CODE(13)
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("type", Type);
        v.Expr("duration", Duration);
        v.Expr("reverse", Reverse);
        v.Expr("carry", CarryMode);
        v.ExprList("names", NameLists);
        v.Expr("clear", ClearOld);
        v.Expr("param1", Param1);
        v.Expr("param2", Param2);
        v.Expr("text", Text, 101);
        v.Expr("blocks", BlocksEventsExpr, 107);
    }
    bool BlocksEvents() const override { return BlocksEventsState; }
    // An event handler flipping hands the frame back while the flip takes time.
    bool Yields() const override { return LastDuration > 0; }
    // Shows the new screen at once; when the old screen is cleared in a reset of everything, its
    // cabinets go too (run_flip.cpp).
    void Abort(TRunContext& context, bool everything) override;
    void SyncState(TSerializer& s) override;
    TExpression Type, Duration, Reverse, CarryMode;
    TExprList NameLists;
    TExpression ClearOld, Param1, Param2, Text, BlocksEventsExpr;
    // Running state kept in the state record: blocks events, clear the old layer when done.
    bool BlocksEventsState = false;
    bool ClearOldState = false;
    // Running state of this run only. Phase: 0 the frame it began in, 1 the transition's first frame,
    // 2 the transition runs (from StartTime), 3 no transition (finishes when next run).
    int Phase = 0;
    int32_t StartTime = 0;
    int32_t LastDuration = 0;  // the duration expression's last value (0 when it gave none)
};

class TComTextIns : public TComObjectWait {
public:
    using TComObjectWait::TComObjectWait;
    RUVO_COMMAND_CODE(20)
    void VisitRecord(TRecordVisitor& v) override {
        v.Blob("text", GlyphText);
        v.Expr("window", Window);
        v.Expr("history", RecordInHistory);
        v.Expr("wait", Wait);
        v.Expr("blocks", BlocksEventsExpr, 107);
    }
    // The compiled message text, kept as stored.
    std::string GlyphText;
    TExpression Window, RecordInHistory, Wait, BlocksEventsExpr;
};

class TComMovieStop : public TComObjectWait {
public:
    using TComObjectWait::TComObjectWait;
    RUVO_COMMAND_CODE(21)
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("object", ObjectName);
        v.Expr("fade", FadeTime);
        v.Expr("wait", Wait);
        v.Expr("blocks", BlocksEventsExpr, 107);
    }
    TExpression ObjectName, FadeTime, Wait, BlocksEventsExpr;
};

// Commands whose whole record is one expression naming an object or window.
#define RUVO_ONE_EXPR_CLASS(Class, c, field, member) \
    class Class : public TCommand {                   \
    public:                                           \
        using TCommand::TCommand;                     \
        RUVO_COMMAND_CODE(c)                          \
        void VisitRecord(TRecordVisitor& v) override { v.Expr(field, member); } \
        TExpression member;                           \
    };

RUVO_ONE_EXPR_CLASS(TComCalc, 14, "expr", Expression)
RUVO_ONE_EXPR_CLASS(TComObjDel, 19, "object", ObjectName)
RUVO_ONE_EXPR_CLASS(TComMenuClose, 26, "object", ObjectName)
RUVO_ONE_EXPR_CLASS(TComTextClr, 28, "window", Window)
RUVO_ONE_EXPR_CLASS(TComMediaPlay, 55, "object", ObjectName)
RUVO_ONE_EXPR_CLASS(TComEntryHist, 58, "window", Window)
#undef RUVO_ONE_EXPR_CLASS

// Commands without fields after the base record.
#define RUVO_EMPTY_CLASS(Class, c) \
    class Class : public TCommand { \
    public:                         \
        using TCommand::TCommand;   \
        RUVO_COMMAND_CODE(c)        \
    };

RUVO_EMPTY_CLASS(TComClrHist, 22)
RUVO_EMPTY_CLASS(TComTerminate, 45)
RUVO_EMPTY_CLASS(TComClrRead, 47)
#undef RUVO_EMPTY_CLASS

class TComCallHist : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(29)
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("window", Window);
        v.Expr("first", First);
        v.Expr("count", Count);
        v.Expr("flag", Flag);
    }
    TExpression Window, First, Count, Flag;
};

// ---- variables and properties -----------------------------------------------------------------------

class TComVarNew : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(15)
    void VisitRecord(TRecordVisitor& v) override {
        v.Str("name", VarName);
        v.Byte("type", VarType, FieldHint::ValueType);
        v.Expr("value", InitialValue);
        v.Byte("scope", Scope);
    }
    std::string VarName;
    uint8_t VarType = 1;
    TExpression InitialValue;
    uint8_t Scope = 0;
};

class TComVarDel : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(16)
    void VisitRecord(TRecordVisitor& v) override { v.Str("name", VarName); }
    std::string VarName;
};

class TComGetProp : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(17)
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("object", ObjectName);
        v.Expr("prop", PropertyId);
        v.Str("var", VarName);
    }
    TExpression ObjectName, PropertyId;
    std::string VarName;
};

class TComSetProp : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(18)
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("object", ObjectName);
        v.Expr("prop", PropertyId);
        v.Expr("value", Value);
    }
    TExpression ObjectName, PropertyId, Value;
};

class TComPropMotion : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(57)
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("name", MotionName);
        v.Expr("object", TargetName);
        v.Expr("prop", PropertyId);
        v.Expr("value", TargetValue);
        v.Expr("duration", Duration);
        v.Expr("mode", Mode);
        v.Expr("paused", Paused, 108);
    }
    TExpression MotionName, TargetName, PropertyId, TargetValue, Duration, Mode, Paused;
};

// ---- saved games and restarts -----------------------------------------------------------------------

class TComGameSave : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(38)
    bool ContinueFlag() const override { return false; }
    void VisitRecord(TRecordVisitor& v) override {
        v.Expr("slot", Slot);
        v.Str("page", ResumePage);
        v.Int("index", ResumeIndex, 105, FieldHint::CommandIndex);
        v.Expr("title", Title);
    }
    TExpression Slot;
    std::string ResumePage;
    int32_t ResumeIndex = 0;
    TExpression Title;
};

class TComGameLoad : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(39)
    bool ContinueFlag() const override { return false; }
    void VisitRecord(TRecordVisitor& v) override { v.Expr("slot", Slot); }
    TExpression Slot;
};

class TComPCReset : public TCommand {
public:
    using TCommand::TCommand;
    RUVO_COMMAND_CODE(40)
    void VisitRecord(TRecordVisitor& v) override {
        v.Str("page", PageName);
        v.Int("index", Index, 0, FieldHint::CommandIndex);
        v.Byte("clear", ClearAll, FieldHint::Flag);
    }
    std::string PageName;
    int32_t Index = 0;
    uint8_t ClearAll = 0;
};

// Shares the PCReset record; its third byte is read and kept but has no meaning.
class TComReset : public TComPCReset {
public:
    using TComPCReset::TComPCReset;
    RUVO_COMMAND_CODE(41)
};

#undef RUVO_COMMAND_CODE

} // namespace ruvo
