#pragma once
// The 49 system variables ("@Result" .. "@WheelUp"): holders that read and write the player's own
// state through the variable set and its TSystemState.
#include <string_view>

#include "params/values.hpp"

namespace ruvo {

class TParamCollection;

constexpr int kSystemVarCount = 49;

enum class TSystemVar : uint8_t {
    Result, LClick, RClick, LPush, RPush, MouseX, MouseY, TextDelay, HistoryCount, ParamCount, ParamStr,
    Sender, ScrWidth, ScrHeight, TickCount, PCTickCount, UpdateCount, Year, Month, Day, Week, Hour, Min, Sec,
    Fonts, FixedFonts, FullScr, Cursor, SelStr, SelIndex, Pi, CGDither, OneHour, OneMin, OneSec, KeyPush,
    KeyClick, DisplayModeCount, DisplayModeIndex, Title, SoundON, ActiveCompo, KeyRepeat, HistoryMaxCount,
    Temp, MidiPort, MidiPorts, WheelDown, WheelUp,
};

// "@Result" for selector 0 and so on; a selector outside 0..48 raises "内部エラー".
std::string_view SystemVarName(int selector);

class TParamSystem : public TCustomParam {
public:
    TParamSystem(TParamCollection& owner, int selector);
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
    struct Value;
    // The holder "@Result" and "@Temp" stand for (null when none); null for the others.
    TCustomParam* Forward() const;
    TSystemVar Var() const noexcept { return static_cast<TSystemVar>(selector_); }
    Value Read(int pos) const;
    void Write(const Value& v);
    bool IsArray() const noexcept;

    TParamCollection& owner_;
    int selector_;
};

} // namespace ruvo
