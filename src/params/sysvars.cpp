#include "params/sysvars.hpp"

#include <array>

#include "archive/errors.hpp"
#include "params/convert.hpp"
#include "params/sysstate.hpp"
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

constexpr int kKeyArraySize = 258;

} // namespace

std::string_view SystemVarName(int selector) {
    if (selector < 0 || selector >= kSystemVarCount) throw ERuvoError::FromUtf8("内部エラー");
    return kNames[static_cast<size_t>(selector)];
}

struct TParamSystem::Value {
    int type = 1;
    int32_t i = 0;
    Real f = 0;
    bool b = false;
    std::string s;

    static Value Int(int32_t v) { Value x; x.type = 1; x.i = v; return x; }
    static Value Float(Real v) { Value x; x.type = 2; x.f = v; return x; }
    static Value Flag(bool v) { Value x; x.type = 3; x.b = v; return x; }
    static Value Str(std::string v) { Value x; x.type = 4; x.s = std::move(v); return x; }

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

TParamSystem::TParamSystem(TParamCollection& owner, int selector) : owner_(owner), selector_(selector) {
    SystemVarName(selector);  // validates
}

TCustomParam* TParamSystem::Forward() const {
    if (Var() == TSystemVar::Result) return owner_.State().CallResult();
    if (Var() == TSystemVar::Temp) {
        if (owner_.TempName().empty()) return nullptr;
        TParamCollectionItem* item = owner_.Find(owner_.TempName());
        // "@Temp" standing for itself would recurse; it then stands for nothing.
        if (!item || &item->Value() == this) return nullptr;
        return &item->Value();
    }
    return nullptr;
}

bool TParamSystem::IsArray() const noexcept {
    switch (Var()) {
    case TSystemVar::ParamStr:
    case TSystemVar::KeyPush:
    case TSystemVar::KeyClick:
    case TSystemVar::KeyRepeat:
    case TSystemVar::MidiPorts: return true;
    default: return false;
    }
}

int TParamSystem::Count() const {
    if (auto* f = Forward()) return f->Count();
    switch (Var()) {
    case TSystemVar::ParamStr: return static_cast<int>(owner_.State().CallParams().size());
    case TSystemVar::KeyPush:
    case TSystemVar::KeyClick:
    case TSystemVar::KeyRepeat: return kKeyArraySize;
    case TSystemVar::MidiPorts: return static_cast<int>(owner_.State().MidiPorts().size());
    default: return 1;
    }
}

int TParamSystem::TypeCode() const {
    if (Var() == TSystemVar::Result || Var() == TSystemVar::Temp) {
        auto* f = Forward();
        return f ? f->TypeCode() : 0;
    }
    return kTypes[static_cast<size_t>(selector_)];
}

std::vector<int32_t> TParamSystem::Dims() const {
    if (auto* f = Forward()) return f->Dims();
    if (!IsArray()) return {};
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

TParamSystem::Value TParamSystem::Read(int pos) const {
    TSystemState& st = owner_.State();
    const auto key = [&](bool (TSystemState::*get)(int)) {
        if (pos < 0 || pos >= kKeyArraySize) throw ERuvoError::FromUtf8("配列の添字が不正です");
        return Value::Flag((st.*get)(pos));
    };
    const auto list = [&](const std::vector<std::string>& items, bool scalar) {
        if (scalar) return Value::Str(items.empty() ? std::string() : items.front());
        if (pos < 0 || pos >= static_cast<int>(items.size())) throw ERuvoError::FromUtf8("配列の添字が不正です");
        return Value::Str(items[static_cast<size_t>(pos)]);
    };
    const bool scalar = pos < 0;  // a scalar read
    if (!scalar && !IsArray() && pos != 0) throw ERuvoError::FromUtf8("配列の添字が不正です");
    switch (Var()) {
    case TSystemVar::Result:
    case TSystemVar::Temp: return Value::Str({});  // nothing to stand for: empty values
    case TSystemVar::LClick: return Value::Flag(st.LeftClick());
    case TSystemVar::RClick: return Value::Flag(st.RightClick());
    case TSystemVar::LPush: return Value::Flag(st.LeftPush());
    case TSystemVar::RPush: return Value::Flag(st.RightPush());
    case TSystemVar::MouseX: return Value::Int(st.MouseX());
    case TSystemVar::MouseY: return Value::Int(st.MouseY());
    case TSystemVar::TextDelay: return Value::Int(owner_.TextDelay());
    case TSystemVar::HistoryCount: return Value::Int(st.HistoryCount());
    case TSystemVar::ParamCount: return Value::Int(static_cast<int32_t>(st.CallParams().size()));
    case TSystemVar::ParamStr: return list(st.CallParams(), scalar);
    case TSystemVar::Sender: return Value::Str(st.SenderName());
    case TSystemVar::ScrWidth: return Value::Int(st.ScreenWidth());
    case TSystemVar::ScrHeight: return Value::Int(st.ScreenHeight());
    case TSystemVar::TickCount: return Value::Int(st.TickCount());
    case TSystemVar::PCTickCount: return Value::Int(st.PCTickCount());
    case TSystemVar::UpdateCount: return Value::Int(st.UpdateCount());
    case TSystemVar::Year: return Value::Int(st.Now().year);
    case TSystemVar::Month: return Value::Int(st.Now().month);
    case TSystemVar::Day: return Value::Int(st.Now().day);
    case TSystemVar::Week: return Value::Int(st.Now().week);
    case TSystemVar::Hour: return Value::Int(st.Now().hour);
    case TSystemVar::Min: return Value::Int(st.Now().minute);
    case TSystemVar::Sec: return Value::Int(st.Now().second);
    case TSystemVar::Fonts: return Value::Str(st.Fonts());
    case TSystemVar::FixedFonts: return Value::Str(st.FixedFonts());
    case TSystemVar::FullScr: return Value::Flag(st.FullScreen());
    case TSystemVar::Cursor: return Value::Str(owner_.CursorFile());
    case TSystemVar::SelStr: return Value::Str(owner_.SelStr());
    case TSystemVar::SelIndex: return Value::Int(owner_.SelIndex());
    case TSystemVar::Pi: return Value::Float(3.14159265358979323846264338327950288L);
    case TSystemVar::CGDither: return Value::Flag(st.CGDither());
    case TSystemVar::OneHour: return Value::Float(1.0L / 24);
    case TSystemVar::OneMin: return Value::Float(1.0L / (24 * 60));
    case TSystemVar::OneSec: return Value::Float(1.0L / (24 * 60 * 60));
    case TSystemVar::KeyPush: return scalar ? Value::Flag(false) : key(&TSystemState::KeyPush);
    case TSystemVar::KeyClick: return scalar ? Value::Flag(false) : key(&TSystemState::KeyClick);
    case TSystemVar::KeyRepeat: return scalar ? Value::Flag(false) : key(&TSystemState::KeyRepeat);
    case TSystemVar::DisplayModeCount: return Value::Int(st.DisplayModeCount());
    case TSystemVar::DisplayModeIndex: return Value::Int(st.DisplayModeIndex());
    case TSystemVar::Title: return Value::Str(st.Title());
    case TSystemVar::SoundON: return Value::Flag(st.SoundOn());
    case TSystemVar::ActiveCompo: return Value::Str(st.ActiveCompo());
    case TSystemVar::HistoryMaxCount: return Value::Int(st.HistoryMaxCount());
    case TSystemVar::MidiPort: return Value::Str(st.MidiPort());
    case TSystemVar::MidiPorts: return list(st.MidiPorts(), scalar);
    case TSystemVar::WheelDown: return Value::Flag(st.WheelDown());
    case TSystemVar::WheelUp: return Value::Flag(st.WheelUp());
    }
    throw ERuvoError::FromUtf8("内部エラー");
}

void TParamSystem::Write(const Value& v) {
    TSystemState& st = owner_.State();
    switch (Var()) {
    case TSystemVar::LClick: st.SetLeftClick(v.AsFlag()); break;
    case TSystemVar::RClick: st.SetRightClick(v.AsFlag()); break;
    case TSystemVar::MouseX: st.SetMouseX(v.AsInt()); break;
    case TSystemVar::MouseY: st.SetMouseY(v.AsInt()); break;
    case TSystemVar::TextDelay: owner_.SetTextDelay(v.AsInt()); break;
    case TSystemVar::FullScr: st.SetFullScreen(v.AsFlag()); break;
    case TSystemVar::Cursor: owner_.SetCursorFile(v.AsStr()); break;
    case TSystemVar::SelStr: owner_.SetSelStr(v.AsStr()); break;
    case TSystemVar::SelIndex: owner_.SetSelIndex(v.AsInt()); break;
    case TSystemVar::CGDither: st.SetCGDither(v.AsFlag()); break;
    case TSystemVar::DisplayModeIndex: st.SetDisplayModeIndex(v.AsInt()); break;
    case TSystemVar::SoundON: st.SetSoundOn(v.AsFlag()); break;
    case TSystemVar::ActiveCompo: st.SetActiveCompo(v.AsStr()); break;
    case TSystemVar::HistoryMaxCount: st.SetHistoryMaxCount(v.AsInt()); break;
    case TSystemVar::MidiPort: st.SetMidiPort(v.AsStr()); break;
    default: break;  // read-only: ignored
    }
}

bool TParamSystem::AsFlag() const {
    if (auto* f = Forward()) return f->AsFlag();
    return Read(-1).AsFlag();
}
Real TParamSystem::AsFloat() const {
    if (auto* f = Forward()) return f->AsFloat();
    return Read(-1).AsFloat();
}
int32_t TParamSystem::AsInt() const {
    if (auto* f = Forward()) return f->AsInt();
    return Read(-1).AsInt();
}
std::string TParamSystem::AsStr() const {
    if (auto* f = Forward()) return f->AsStr();
    return Read(-1).AsStr();
}

void TParamSystem::SetFlag(bool value) {
    if (auto* f = Forward()) return f->SetFlag(value);
    Write(Value::Flag(value));
}
void TParamSystem::SetFloat(Real value) {
    if (auto* f = Forward()) return f->SetFloat(value);
    Write(Value::Float(value));
}
void TParamSystem::SetInt(int32_t value) {
    if (auto* f = Forward()) return f->SetInt(value);
    Write(Value::Int(value));
}
void TParamSystem::SetStr(std::string value) {
    if (auto* f = Forward()) return f->SetStr(std::move(value));
    Write(Value::Str(std::move(value)));
}

int32_t TParamSystem::GetIntAt(int pos) const {
    if (auto* f = Forward()) return f->GetIntAt(pos);
    return Read(pos).AsInt();
}
Real TParamSystem::GetFloatAt(int pos) const {
    if (auto* f = Forward()) return f->GetFloatAt(pos);
    return Read(pos).AsFloat();
}
bool TParamSystem::GetFlagAt(int pos) const {
    if (auto* f = Forward()) return f->GetFlagAt(pos);
    return Read(pos).AsFlag();
}
std::string TParamSystem::GetStrAt(int pos) const {
    if (auto* f = Forward()) return f->GetStrAt(pos);
    return Read(pos).AsStr();
}

// Positional writes reach the scalar system variables at position 0; the arrays are read-only.
void TParamSystem::SetIntAt(int pos, int32_t value) {
    if (auto* f = Forward()) return f->SetIntAt(pos, value);
    if (!IsArray()) CheckPosition(pos), Write(Value::Int(value));
}
void TParamSystem::SetFloatAt(int pos, Real value) {
    if (auto* f = Forward()) return f->SetFloatAt(pos, value);
    if (!IsArray()) CheckPosition(pos), Write(Value::Float(value));
}
void TParamSystem::SetFlagAt(int pos, bool value) {
    if (auto* f = Forward()) return f->SetFlagAt(pos, value);
    if (!IsArray()) CheckPosition(pos), Write(Value::Flag(value));
}
void TParamSystem::SetStrAt(int pos, std::string value) {
    if (auto* f = Forward()) return f->SetStrAt(pos, std::move(value));
    if (!IsArray()) CheckPosition(pos), Write(Value::Str(std::move(value)));
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

std::unique_ptr<TCustomParam> TParamSystem::Clone() const {
    return std::make_unique<TParamSystem>(owner_, selector_);
}

} // namespace ruvo
