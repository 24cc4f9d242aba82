#pragma once
// The 49 system variables ("@Result" .. "@WheelUp"). Each one reads and writes the state of the subsystem
// that owns it: the variable set itself (message speed, cursor file, selection, "@Temp", the constants),
// the interpreter (the call's result, parameters and sender), the input (mouse, keys, wheel), the player
// (screen, full screen, title, fonts, display modes), the clock (ticks, frames, date and time), and later
// the world, the history and the media. Owners bind their variables while they exist; a variable nobody
// binds reads as 0, 0.0, false or "" and ignores writes.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "params/values.hpp"

namespace ruvo {

class TParamCollection;

constexpr int kSystemVarCount = 49;
// Elements of the key arrays "@KeyPush", "@KeyClick", "@KeyRepeat": keys 0..255, wheel down, wheel up.
constexpr int kKeyArraySize = 258;
constexpr int kWheelDownKey = 256;
constexpr int kWheelUpKey = 257;

enum class TSystemVar : uint8_t {
    Result, LClick, RClick, LPush, RPush, MouseX, MouseY, TextDelay, HistoryCount, ParamCount, ParamStr,
    Sender, ScrWidth, ScrHeight, TickCount, PCTickCount, UpdateCount, Year, Month, Day, Week, Hour, Min, Sec,
    Fonts, FixedFonts, FullScr, Cursor, SelStr, SelIndex, Pi, CGDither, OneHour, OneMin, OneSec, KeyPush,
    KeyClick, DisplayModeCount, DisplayModeIndex, Title, SoundON, ActiveCompo, KeyRepeat, HistoryMaxCount,
    Temp, MidiPort, MidiPorts, WheelDown, WheelUp,
};

// "@Result" for selector 0 and so on; a selector outside 0..48 raises "内部エラー".
std::string_view SystemVarName(int selector);

// What one system variable answers; made by the Bind functions of TSystemVars.
class TSystemVarSource;

// The bindings of the 49 variables, held by the variable set.
class TSystemVars {
public:
    TSystemVars();
    ~TSystemVars();
    TSystemVars(const TSystemVars&) = delete;
    TSystemVars& operator=(const TSystemVars&) = delete;

    // Scalars: a reader, and for writable variables a writer (without one a write is ignored). The value
    // is converted from and to the variable's own type.
    void BindInt(TSystemVar v, std::function<int32_t()> get, std::function<void(int32_t)> set = {});
    void BindFlag(TSystemVar v, std::function<bool()> get, std::function<void(bool)> set = {});
    void BindReal(TSystemVar v, std::function<Real()> get);
    void BindStr(TSystemVar v, std::function<std::string()> get, std::function<void(std::string)> set = {});
    // Read-only arrays: flags by element (a fixed count), or a list of strings. A scalar read of a flag
    // array is false; of a list, its first string.
    void BindFlags(TSystemVar v, std::function<bool(int)> get);
    void BindStrings(TSystemVar v, std::function<std::vector<std::string>()> get);
    // A variable that stands for another holder ("@Result", "@Temp"); null: for nothing (empty values).
    void BindHolder(TSystemVar v, std::function<TCustomParam*()> target);
    // Back to answering nothing; owners that end before the variable set unbind what they bound.
    void Unbind(TSystemVar v);

    const TSystemVarSource& Source(int selector) const;

private:
    void Set(TSystemVar v, std::unique_ptr<TSystemVarSource> source);
    std::vector<std::unique_ptr<TSystemVarSource>> sources_;
};

// The holder of a system variable in the variable set.
class TParamSystem : public TCustomParam {
public:
    TParamSystem(const TSystemVars& vars, int selector);
    int Selector() const noexcept { return selector_; }

    int Count() const override;
    void SetCount(int n) override;
    int TypeCode() const override;
    bool AsFlag() const override;
    Real AsFloat() const override;
    int32_t AsInt() const override;
    std::string AsStr() const override;
    void SetFlag(bool value) override;
    void SetFloat(Real value) override;
    void SetInt(int32_t value) override;
    void SetStr(std::string value) override;
    int32_t GetIntAt(int pos) const override;
    void SetIntAt(int pos, int32_t value) override;
    Real GetFloatAt(int pos) const override;
    void SetFloatAt(int pos, Real value) override;
    bool GetFlagAt(int pos) const override;
    void SetFlagAt(int pos, bool value) override;
    std::string GetStrAt(int pos) const override;
    void SetStrAt(int pos, std::string value) override;
    int DimCount() const override;
    int DimSize(int i) const override;
    std::vector<int32_t> Dims() const override;
    void CloneFrom(const TCustomParam& other) override;
    void SetDims(std::vector<int32_t> sizes) override;
    void CopyExact(const TCustomParam& other) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s) override;
    void MakeScalar() override;
    std::unique_ptr<TCustomParam> Clone() const override;

private:
    const TSystemVarSource& Source() const { return vars_.Source(selector_); }
    // The holder "@Result" and "@Temp" stand for (null when none); null for the others.
    TCustomParam* Forward() const;
    void WriteValue(const struct TSysValue& v);

    const TSystemVars& vars_;
    int selector_;
};

} // namespace ruvo
