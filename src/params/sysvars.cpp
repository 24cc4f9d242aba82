#include "params/sysvars.hpp"

#include <array>

#include "archive/errors.hpp"
#include "params/convert.hpp"
#include "params/varset.hpp"

namespace ruvo {

namespace {

constexpr std::array<std::string_view, kSystemVarCount> kNames = {
    "@Result", "@LClick", "@RClick", "@LPush", "@RPush", "@MouseX", "@MouseY", "@TextDelay",
    "@HistoryCount", "@ParamCount", "@ParamStr", "@Sender", "@ScrWidth", "@ScrHeight", "@TickCount",
    "@PCTickCount", "@UpdateCount", "@Year", "@Month", "@Day", "@Week", "@Hour", "@Min", "@Sec", "@Fonts",
    "@FixedFonts", "@FullScr", "@Cursor", "@SelStr", "@SelIndex", "@Pi", "@CGDither", "@1Hour", "@1Min",
    "@1Sec", "@KeyPush", "@KeyClick", "@DisplayModeCount", "@DisplayModeIndex", "@Title", "@SoundON",
    "@ActiveCompo", "@KeyRepeat", "@HistoryMaxCount", "@Temp", "@MidiPort", "@MidiPorts", "@WheelDown",
    "@WheelUp",
};

// Own type of each fixed-type variable (0 for the two that take the type of what they stand for).
constexpr std::array<uint8_t, kSystemVarCount> kTypes = {
    0, 3, 3, 3, 3, 1, 1, 1, 1, 1, 4, 4, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 4,
    4, 3, 4, 4, 1, 2, 3, 2, 2, 2, 3, 3, 1, 1, 4, 3, 4, 3, 1, 0, 4, 4, 3, 3,
};

} // namespace

std::string_view SystemVarName(int selector) {
    if (selector < 0 || selector >= kSystemVarCount) throw ERuvoError::FromUtf8("内部エラー");
    return kNames[static_cast<size_t>(selector)];
}

namespace {
[[noreturn]] void BadIndex() { throw ERuvoError::FromUtf8("配列の添字が不正です"); }
} // namespace

// One value of a system variable, in the type its owner exchanges it in.
struct TSysValue {
    int type = 1;
    int32_t i = 0;
    Real f = 0;
    bool b = false;
    std::string s;

    static TSysValue Int(int32_t v) { TSysValue x; x.type = 1; x.i = v; return x; }
    static TSysValue Float(Real v) { TSysValue x; x.type = 2; x.f = v; return x; }
    static TSysValue Flag(bool v) { TSysValue x; x.type = 3; x.b = v; return x; }
    static TSysValue Str(std::string v) { TSysValue x; x.type = 4; x.s = std::move(v); return x; }
    static TSysValue Empty(int type) {
        TSysValue x;
        x.type = type == 0 ? 4 : type;
        return x;
    }

    int32_t AsInt() const {
        switch (type) {
        case 1: return i;
        case 2: return RealToInt(f);
        case 3: return b ? 1 : 0;
        default: return TextToIntDef(s, 0);
        }
    }
    Real AsFloat() const {
        switch (type) {
        case 1: return i;
        case 2: return f;
        case 3: return b ? 1 : 0;
        default: return TextToRealDef(s, 0);
        }
    }
    bool AsFlag() const {
        switch (type) {
        case 1: return i != 0;
        case 2: return f != 0;
        case 3: return b;
        default: return TextToFlag(s);
        }
    }
    std::string AsStr() const {
        switch (type) {
        case 1: return IntToText(i);
        case 2: return RealToText(f);
        case 3: return FlagToText(b);
        default: return s;
        }
    }
};

// The answers of one variable. The base answers the empty value of the variable's type and ignores
// writes: what a variable says while nobody owns it.
class TSystemVarSource {
public:
    explicit TSystemVarSource(int type) : type_(type) {}
    virtual ~TSystemVarSource() = default;
    int Type() const noexcept { return type_; }
    virtual bool IsArray() const { return false; }
    virtual int Count() const { return 1; }
    // pos < 0: a scalar read; otherwise element pos of an array (0 for a scalar).
    virtual TSysValue Read(int /*pos*/) const { return TSysValue::Empty(type_); }
    virtual void Write(const TSysValue&) {}
    virtual TCustomParam* Target() const { return nullptr; }

private:
    int type_;
};

namespace {

class TScalarSource final : public TSystemVarSource {
public:
    TScalarSource(int type, std::function<TSysValue()> get, std::function<void(const TSysValue&)> set)
        : TSystemVarSource(type), get_(std::move(get)), set_(std::move(set)) {}
    TSysValue Read(int) const override { return get_(); }
    void Write(const TSysValue& v) override {
        if (set_) set_(v);
    }

private:
    std::function<TSysValue()> get_;
    std::function<void(const TSysValue&)> set_;
};

class TFlagsSource final : public TSystemVarSource {
public:
    explicit TFlagsSource(std::function<bool(int)> get) : TSystemVarSource(3), get_(std::move(get)) {}
    bool IsArray() const override { return true; }
    int Count() const override { return kKeyArraySize; }
    TSysValue Read(int pos) const override {
        if (pos < 0) return TSysValue::Flag(false);  // a scalar read of a key array
        if (pos >= kKeyArraySize) BadIndex();
        return TSysValue::Flag(get_ && get_(pos));
    }

private:
    std::function<bool(int)> get_;
};

class TStringsSource final : public TSystemVarSource {
public:
    explicit TStringsSource(std::function<std::vector<std::string>()> get)
        : TSystemVarSource(4), get_(std::move(get)) {}
    bool IsArray() const override { return true; }
    int Count() const override { return get_ ? static_cast<int>(get_().size()) : 0; }
    TSysValue Read(int pos) const override {
        const std::vector<std::string> items = get_ ? get_() : std::vector<std::string>{};
        if (pos < 0) return TSysValue::Str(items.empty() ? std::string() : items.front());
        if (pos >= static_cast<int>(items.size())) BadIndex();
        return TSysValue::Str(items[static_cast<size_t>(pos)]);
    }

private:
    std::function<std::vector<std::string>()> get_;
};

class THolderSource final : public TSystemVarSource {
public:
    explicit THolderSource(std::function<TCustomParam*()> target) : TSystemVarSource(0), target_(std::move(target)) {}
    TCustomParam* Target() const override { return target_ ? target_() : nullptr; }

private:
    std::function<TCustomParam*()> target_;
};

bool IsKeyArray(TSystemVar v) {
    return v == TSystemVar::KeyPush || v == TSystemVar::KeyClick || v == TSystemVar::KeyRepeat;
}
bool IsStringList(TSystemVar v) { return v == TSystemVar::ParamStr || v == TSystemVar::MidiPorts; }

int TypeOf(TSystemVar v) { return kTypes[static_cast<size_t>(v)]; }

std::unique_ptr<TSystemVarSource> Unowned(TSystemVar v) {
    if (IsKeyArray(v)) return std::make_unique<TFlagsSource>(nullptr);
    if (IsStringList(v)) return std::make_unique<TStringsSource>(nullptr);
    if (TypeOf(v) == 0) return std::make_unique<THolderSource>(nullptr);
    return std::make_unique<TSystemVarSource>(TypeOf(v));
}

} // namespace

// ---- bindings

TSystemVars::TSystemVars() {
    for (int i = 0; i < kSystemVarCount; ++i) sources_.push_back(Unowned(static_cast<TSystemVar>(i)));
}

TSystemVars::~TSystemVars() = default;

void TSystemVars::Set(TSystemVar v, std::unique_ptr<TSystemVarSource> source) {
    sources_.at(static_cast<size_t>(v)) = std::move(source);
}

void TSystemVars::BindInt(TSystemVar v, std::function<int32_t()> get, std::function<void(int32_t)> set) {
    Set(v, std::make_unique<TScalarSource>(
               TypeOf(v), [get = std::move(get)] { return TSysValue::Int(get()); },
               set ? std::function<void(const TSysValue&)>([set = std::move(set)](const TSysValue& x) { set(x.AsInt()); })
                   : nullptr));
}

void TSystemVars::BindFlag(TSystemVar v, std::function<bool()> get, std::function<void(bool)> set) {
    Set(v, std::make_unique<TScalarSource>(
               TypeOf(v), [get = std::move(get)] { return TSysValue::Flag(get()); },
               set ? std::function<void(const TSysValue&)>([set = std::move(set)](const TSysValue& x) { set(x.AsFlag()); })
                   : nullptr));
}

void TSystemVars::BindReal(TSystemVar v, std::function<Real()> get) {
    Set(v, std::make_unique<TScalarSource>(TypeOf(v), [get = std::move(get)] { return TSysValue::Float(get()); }, nullptr));
}

void TSystemVars::BindStr(TSystemVar v, std::function<std::string()> get, std::function<void(std::string)> set) {
    Set(v, std::make_unique<TScalarSource>(
               TypeOf(v), [get = std::move(get)] { return TSysValue::Str(get()); },
               set ? std::function<void(const TSysValue&)>([set = std::move(set)](const TSysValue& x) { set(x.AsStr()); })
                   : nullptr));
}

void TSystemVars::BindFlags(TSystemVar v, std::function<bool(int)> get) {
    Set(v, std::make_unique<TFlagsSource>(std::move(get)));
}

void TSystemVars::BindStrings(TSystemVar v, std::function<std::vector<std::string>()> get) {
    Set(v, std::make_unique<TStringsSource>(std::move(get)));
}

void TSystemVars::BindHolder(TSystemVar v, std::function<TCustomParam*()> target) {
    Set(v, std::make_unique<THolderSource>(std::move(target)));
}

void TSystemVars::Unbind(TSystemVar v) { Set(v, Unowned(v)); }

const TSystemVarSource& TSystemVars::Source(int selector) const {
    SystemVarName(selector);  // validates
    return *sources_[static_cast<size_t>(selector)];
}

// ---- the holder

TParamSystem::TParamSystem(const TSystemVars& vars, int selector) : vars_(vars), selector_(selector) {
    SystemVarName(selector);  // validates
}

TCustomParam* TParamSystem::Forward() const {
    TCustomParam* target = Source().Target();
    return target == this ? nullptr : target;  // standing for itself would recurse
}

int TParamSystem::Count() const {
    if (auto* f = Forward()) return f->Count();
    return Source().Count();
}

int TParamSystem::TypeCode() const {
    if (Source().Type() == 0) {
        auto* f = Forward();
        return f ? f->TypeCode() : 0;
    }
    return Source().Type();
}

std::vector<int32_t> TParamSystem::Dims() const {
    if (auto* f = Forward()) return f->Dims();
    if (!Source().IsArray()) return {};
    const int n = Count();
    return n > 0 ? std::vector<int32_t>{n} : std::vector<int32_t>{};
}
int TParamSystem::DimCount() const {
    const auto d = Dims();
    return d.empty() ? 1 : static_cast<int>(d.size());
}
int TParamSystem::DimSize(int i) const {
    const auto d = Dims();
    return (i >= 0 && i < static_cast<int>(d.size())) ? d[static_cast<size_t>(i)] : 1;
}

namespace {

TSysValue ReadAt(const TSystemVarSource& source, int pos) {
    if (!source.IsArray() && pos != 0) BadIndex();
    if (pos < 0) BadIndex();
    return source.Read(pos);
}

} // namespace

bool TParamSystem::AsFlag() const {
    if (auto* f = Forward()) return f->AsFlag();
    return Source().Read(-1).AsFlag();
}
Real TParamSystem::AsFloat() const {
    if (auto* f = Forward()) return f->AsFloat();
    return Source().Read(-1).AsFloat();
}
int32_t TParamSystem::AsInt() const {
    if (auto* f = Forward()) return f->AsInt();
    return Source().Read(-1).AsInt();
}
std::string TParamSystem::AsStr() const {
    if (auto* f = Forward()) return f->AsStr();
    return Source().Read(-1).AsStr();
}

void TParamSystem::SetFlag(bool value) {
    if (auto* f = Forward()) return f->SetFlag(value);
    WriteValue(TSysValue::Flag(value));
}
void TParamSystem::SetFloat(Real value) {
    if (auto* f = Forward()) return f->SetFloat(value);
    WriteValue(TSysValue::Float(value));
}
void TParamSystem::SetInt(int32_t value) {
    if (auto* f = Forward()) return f->SetInt(value);
    WriteValue(TSysValue::Int(value));
}
void TParamSystem::SetStr(std::string value) {
    if (auto* f = Forward()) return f->SetStr(std::move(value));
    WriteValue(TSysValue::Str(std::move(value)));
}

int32_t TParamSystem::GetIntAt(int pos) const {
    if (auto* f = Forward()) return f->GetIntAt(pos);
    return ReadAt(Source(), pos).AsInt();
}
Real TParamSystem::GetFloatAt(int pos) const {
    if (auto* f = Forward()) return f->GetFloatAt(pos);
    return ReadAt(Source(), pos).AsFloat();
}
bool TParamSystem::GetFlagAt(int pos) const {
    if (auto* f = Forward()) return f->GetFlagAt(pos);
    return ReadAt(Source(), pos).AsFlag();
}
std::string TParamSystem::GetStrAt(int pos) const {
    if (auto* f = Forward()) return f->GetStrAt(pos);
    return ReadAt(Source(), pos).AsStr();
}

// Positional writes reach the scalar system variables at position 0; the arrays are read-only.
void TParamSystem::SetIntAt(int pos, int32_t value) {
    if (auto* f = Forward()) return f->SetIntAt(pos, value);
    if (!Source().IsArray()) CheckPosition(pos), WriteValue(TSysValue::Int(value));
}
void TParamSystem::SetFloatAt(int pos, Real value) {
    if (auto* f = Forward()) return f->SetFloatAt(pos, value);
    if (!Source().IsArray()) CheckPosition(pos), WriteValue(TSysValue::Float(value));
}
void TParamSystem::SetFlagAt(int pos, bool value) {
    if (auto* f = Forward()) return f->SetFlagAt(pos, value);
    if (!Source().IsArray()) CheckPosition(pos), WriteValue(TSysValue::Flag(value));
}
void TParamSystem::SetStrAt(int pos, std::string value) {
    if (auto* f = Forward()) return f->SetStrAt(pos, std::move(value));
    if (!Source().IsArray()) CheckPosition(pos), WriteValue(TSysValue::Str(std::move(value)));
}

void TParamSystem::SetCount(int n) {
    if (auto* f = Forward()) f->SetCount(n);
}
void TParamSystem::SetDims(std::vector<int32_t> sizes) {
    if (auto* f = Forward()) f->SetDims(std::move(sizes));
}
void TParamSystem::MakeScalar() {
    if (auto* f = Forward()) f->MakeScalar();
}
void TParamSystem::CopyExact(const TCustomParam& other) {
    if (auto* f = Forward()) f->CopyExact(other);
    else throw ERuvoError::FromUtf8("CopyMem:変数の型があいません");
}
void TParamSystem::CloneFrom(const TCustomParam&) {}
// System variables are never saved; these only keep the holder interface complete.
void TParamSystem::SaveToStream(TStream&) const {}
void TParamSystem::LoadFromStream(TStream&) {}

std::unique_ptr<TCustomParam> TParamSystem::Clone() const { return std::make_unique<TParamSystem>(vars_, selector_); }

void TParamSystem::WriteValue(const TSysValue& v) { const_cast<TSystemVarSource&>(Source()).Write(v); }

} // namespace ruvo
