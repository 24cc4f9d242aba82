#include "script/commands.hpp"

#include <type_traits>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/exprbuild.hpp"
#include "script/commandtable.hpp"
#include "script/page.hpp"
#include "params/properties.hpp"
#include "script/staterecord.hpp"

namespace ruvo {

namespace {

// The builder gives these commands a condition of TRUE when the source leaves it out.
template <class Class>
void SetTrueCondition(TCommand& command) {
    static_cast<Class&>(command).Condition = CompileExpression("TRUE");
}

struct CommandInfo {
    const char* name;
    bool component;
    bool defaultContinue;
    void (*sourceDefaults)(TCommand&);
};

template <class T>
constexpr bool kIsComponent = std::is_base_of_v<TComComponent, T>;

constexpr bool kCont = true;
constexpr bool kEndsFrame = false;
#define RUVO_CONTINUE_Cont kCont
#define RUVO_CONTINUE_EndsFrame kEndsFrame
#define RUVO_DEFAULTS_NoDefaults(Class) nullptr
#define RUVO_DEFAULTS_TrueCondition(Class) &SetTrueCondition<Class>

const CommandInfo* InfoOf(int code) noexcept {
    static const CommandInfo table[] = {
#define RUVO_INFO(code, Name, Class, begin, execute, cont, defaults) \
    {#Name, kIsComponent<Class>, RUVO_CONTINUE_##cont, RUVO_DEFAULTS_##defaults(Class)},
        RUVO_COMMAND_TABLE(RUVO_INFO)
#undef RUVO_INFO
    };
    return code >= 0 && code < int(std::size(table)) ? &table[code] : nullptr;
}

[[noreturn]] void BadRecord(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("読み込みエラー").AddContext(why));
}

int32_t PageVersion(const TPage* page) { return page ? page->Version : kPageMaxVersion; }

class TRecordReader final : public TRecordVisitor {
public:
    TRecordReader(TStream& s, int32_t version) : s_(s), version_(version) {}
    void Expr(const char* name, TExpression& value, int32_t since) override {
        if (version_ < since) return;
        WithContext([&] { return std::string("field ") + name; }, [&] { value.LoadFromStream(s_); });
    }
    void Str(const char*, std::string& value) override { value = ReadStr(s_); }
    void Int(const char*, int32_t& value, int32_t since, FieldHint) override {
        if (version_ >= since) value = ReadInt(s_);
    }
    void Byte(const char*, uint8_t& value, FieldHint) override { value = ReadByte(s_); }
    void ExprList(const char* name, TExprList& list) override {
        int32_t count = ReadInt(s_);
        // Every expression takes at least its 4-byte operation count.
        if (count < 0 || count > s_.Remaining() / 4)
            BadRecord(std::string(name) + ": list of " + std::to_string(count) + " expressions does not fit the page");
        list.clear();
        for (int32_t i = 0; i < count; ++i) {
            auto e = std::make_unique<TExpression>();
            WithContext([&] { return std::string(name) + " item " + std::to_string(i); },
                        [&] { e->LoadFromStream(s_); });
            list.push_back(std::move(e));
        }
    }
    void Blob(const char* name, std::string& bytes) override {
        int32_t size = ReadInt(s_);
        if (size < 0 || size > s_.Remaining())
            BadRecord(std::string(name) + ": block of " + std::to_string(size) + " bytes does not fit the page");
        bytes.resize(static_cast<size_t>(size));
        s_.ReadBuffer(bytes.data(), size);
    }
    void Properties(TPropertyExprs& slots) override {
        for (auto& slot : slots)
            WithContext([&] { return std::string("property ") + PropertyName(slot.id); },
                        [&] { slot.expr->LoadFromStream(s_); });
    }

private:
    TStream& s_;
    int32_t version_;
};

class TRecordWriter final : public TRecordVisitor {
public:
    TRecordWriter(TStream& s, int32_t version) : s_(s), version_(version) {}
    void Expr(const char*, TExpression& value, int32_t since) override {
        if (version_ >= since) value.SaveToStream(s_);
    }
    void Str(const char*, std::string& value) override { WriteStr(s_, value); }
    void Int(const char*, int32_t& value, int32_t since, FieldHint) override {
        if (version_ >= since) WriteInt(s_, value);
    }
    void Byte(const char*, uint8_t& value, FieldHint) override { WriteByte(s_, value); }
    void ExprList(const char*, TExprList& list) override {
        WriteInt(s_, static_cast<int32_t>(list.size()));
        for (auto& e : list) e->SaveToStream(s_);
    }
    void Blob(const char*, std::string& bytes) override { WriteStr(s_, bytes); }
    void Properties(TPropertyExprs& slots) override {
        for (auto& slot : slots) slot.expr->SaveToStream(s_);
    }

private:
    TStream& s_;
    int32_t version_;
};

} // namespace

const char* CommandName(int code) noexcept {
    const CommandInfo* info = InfoOf(code);
    return info ? info->name : nullptr;
}

const char* TCommand::Name() const { return CommandName(Code()); }

int CommandCodeByName(std::string_view name) noexcept {
    for (int code = 0; InfoOf(code); ++code)
        if (SameTextAscii(InfoOf(code)->name, name)) return code;
    return -1;
}

bool IsComponentCode(int code) noexcept {
    const CommandInfo* info = InfoOf(code);
    return info && info->component;
}

bool DefaultContinue(int code) noexcept {
    const CommandInfo* info = InfoOf(code);
    return !info || info->defaultContinue;
}

void ApplySourceDefaults(TCommand& command) {
    if (const CommandInfo* info = InfoOf(command.Code()); info && info->sourceDefaults) info->sourceDefaults(command);
}

std::unique_ptr<TCommand> CreateCommandOfCode(TPage* page, int code) {
    switch (code & 0x7F) {
#define RUVO_CREATE(code, Name, Class, begin, execute, cont, defaults) \
    case code: return std::make_unique<Class>(page);
        RUVO_COMMAND_TABLE(RUVO_CREATE)
#undef RUVO_CREATE
    }
    throw std::move(ERuvoError::FromUtf8("不正なコマンド").AddContext("command code " + std::to_string(code)));
}

void TCommand::Load(TStream& s) {
    Depth = ReadInt(s);
    Disabled = ReadByte(s);
    Cont = ReadByte(s);
    Line = ReadInt(s);
    TRecordReader reader(s, PageVersion(Page));
    VisitRecord(reader);
}

void TCommand::Save(TStream& s) {
    WriteInt(s, Depth);
    WriteByte(s, Disabled);
    WriteByte(s, Cont);
    WriteInt(s, Line);
    TRecordWriter writer(s, PageVersion(Page));
    VisitRecord(writer);
}

TComComponent::TComComponent(TPage* page, uint8_t code) : TCommand(page) {
    if (!page || code >= kMaskCount) return;
    const TPropertyMask& mask = page->PropertyMasks[code];
    for (int id = 0; id < kPropertyCount; ++id)
        if (MaskHas(mask, id)) Properties.push_back({id, std::make_unique<TExpression>()});
}

TExpression* TComComponent::Property(int id) const {
    for (const auto& slot : Properties)
        if (slot.id == id) return slot.expr.get();
    return nullptr;
}

// ---- state records ------------------------------------------------------------------------------------

void TStatefulCommand::SaveState(TStream& stream) {
    WriteStateTag(stream);
    TSerializer s = TSerializer::Writer(stream, kStateVersion);
    SyncState(s);
}

void TStatefulCommand::LoadState(TStream& stream) {
    TSerializer s = TSerializer::Reader(stream, ReadStateVersion(stream));
    SyncState(s);
}

void TObjectWaitState::Sync(TSerializer& s) {
    s.Str(Name);
    s.Bool(Waiting);
    s.Bool(BlocksEvents, 100);
}

void TComWait::SyncState(TSerializer& s) {
    s.Int(Remaining);
    s.Int(FirstFrame);
    s.Bool(BlocksEventsState, 100);
}

void TComFlip::SyncState(TSerializer& s) {
    s.Bool(BlocksEventsState, 100);
    s.Bool(ClearOldState, 100);
}

} // namespace ruvo
