#include "params/functable.hpp"

#include <array>

namespace ruvo {

namespace {

constexpr int kAny = -1;

constexpr std::array<TSysFuncInfo, kSysFuncCount> kTable = {{
    {"IntToStr", 1, 2, 4},        {"IntToHex", 2, 2, 4},         {"GetProp", 2, 2, 0},
    {"SetProp", 3, 3, 4},         {"GetArraySize", 1, 2, 1},     {"Length", 1, 1, 1},
    {"JLength", 1, 1, 1},         {"Copy", 2, 3, 4},             {"JCopy", 2, 3, 4},
    {"Delete", 2, 3, 4},          {"JDelete", 2, 3, 4},          {"Insert", 3, 3, 4},
    {"JInsert", 3, 3, 4},         {"CompareStr", 2, 2, 1},       {"CompareText", 2, 2, 1},
    {"Pos", 2, 2, 1},             {"JPos", 2, 2, 1},             {"Trim", 1, 1, 4},
    {"JTrim", 1, 1, 4},           {"Exists", 1, 1, 3},           {"Not", 1, 1, 3},
    {"SetArray", 2, kAny, 1},     {"FillMem", 2, 2, 1},          {"CopyMem", 2, 2, 1},
    {"GetCheck", 2, 2, 3},        {"SetCheck", 3, 3, 1},         {"Random", 1, 1, 1},
    {"GetSaveCaption", 1, 1, 4},  {"ArrayToString", 1, 2, 4},    {"StringToArray", 2, 3, 1},
    {"IndexOfStr", 2, 4, 1},      {"SortStr", 1, 1, 1},          {"ListCompo", 1, 3, 1},
    {"ToClientX", 2, 2, 1},       {"ToClientY", 2, 2, 1},        {"ToScreenX", 2, 2, 1},
    {"ToScreenY", 2, 2, 1},       {"Int", 1, 1, 1},              {"Float", 1, 1, 2},
    {"Sin", 1, 1, 2},             {"Cos", 1, 1, 2},              {"Tan", 1, 1, 2},
    {"ArcSin", 1, 1, 2},          {"ArcCos", 1, 1, 2},           {"ArcTan", 1, 1, 2},
    {"ArcTan2", 2, 2, 2},         {"Hypot", 2, 2, 2},            {"IndexOfMenu", 2, 2, 1},
    {"Abs", 1, 1, 1},             {"Fabs", 1, 1, 2},             {"VarExists", 1, 1, 3},
    {"EncodeDate", 3, 3, 2},      {"EncodeTime", 3, 3, 2},       {"DecodeDate", 4, 4, 1},
    {"DecodeTime", 4, 4, 1},      {"GetYear", 1, 1, 1},          {"GetMonth", 1, 1, 1},
    {"GetDay", 1, 1, 1},          {"GetHour", 1, 1, 1},          {"GetMin", 1, 1, 1},
    {"GetSec", 1, 1, 1},          {"GetWeek", 1, 1, 1},          {"GetWeekStr", 1, 1, 4},
    {"GetWeekJStr", 1, 1, 4},     {"FixStr", 1, 1, 4},           {"GetDisplayMode", 5, 5, 3},
    {"AddArray", 2, 2, 1},        {"InsertArray", 3, 3, 1},      {"DeleteArray", 3, 3, 1},
    {"InPrimary", 1, 1, 3},       {"CopyArray", 2, 2, 3},        {"FileExists", 1, 1, 3},
    {"LoadTextFile", 2, 2, 3},    {"LowerCase", 1, 1, 4},        {"UpperCase", 1, 1, 4},
    {"ExtractFilePath", 1, 1, 4}, {"ExtractFileName", 1, 1, 4},  {"ExtractFileExt", 1, 1, 4},
    {"IsPathDelimiter", 2, 2, 3}, {"AddBackSlash", 1, 1, 4},     {"ChangeFileExt", 2, 2, 4},
    {"IsDelimiter", 3, 3, 3},     {"StringOfChar", 2, 2, 4},     {"StringReplace", 3, 5, 4},
    {"AssignTemp", 1, 1, 3},      {"HanToZen", 1, 1, 4},         {"ZenToHan", 1, 1, 4},
    // 87..124: data tables
    {"DBCreateTable", 2, 2, 3},   {"DBSetActive", 1, 1, 3},      {"DBAddField", 2, 3, 3},
    {"DBSetRecNo", 1, 1, 3},      {"DBInsert", 0, kAny, 3},      {"DBDelete", 0, 0, 3},
    {"DBGetInt", 1, 1, 1},        {"DBSetInt", 2, 2, 3},         {"DBGetFloat", 1, 1, 2},
    {"DBSetFloat", 2, 2, 3},      {"DBGetBool", 1, 1, 3},        {"DBSetBool", 2, 2, 3},
    {"DBGetStr", 1, 1, 4},        {"DBSetStr", 2, 2, 3},         {"DBRecordCount", 0, 1, 1},
    {"DBFindFirst", 0, 0, 3},     {"DBFindLast", 0, 0, 3},       {"DBFindNext", 0, 0, 3},
    {"DBFindPrior", 0, 0, 3},     {"DBLocate", 2, 4, 3},         {"DBLoadTsvFile", 1, 1, 3},
    {"DBDirectGetInt", 7, 7, 1},  {"DBDirectSetInt", 7, 7, 3},   {"DBDirectGetFloat", 7, 7, 2},
    {"DBDirectSetFloat", 7, 7, 3}, {"DBDirectGetBool", 7, 7, 3}, {"DBDirectSetBool", 7, 7, 3},
    {"DBDirectGetStr", 7, 7, 4},  {"DBDirectSetStr", 7, 7, 3},   {"DBCopyTable", 1, 5, 3},
    {"DBDeleteTable", 0, 1, 3},   {"DBInsertTable", 1, 5, 3},    {"DBCopy", 1, 1, 3},
    {"DBClearTable", 0, 0, 3},    {"DBSort", 2, 2, 3},           {"DBGetActive", 0, 0, 4},
    {"DBGetRecNo", 0, 1, 1},      {"DBClearRecord", 0, 1, 3},
    // 125..141
    {"SetWallPaper", 2, 2, 3},    {"Min", 2, 2, 1},              {"Max", 2, 2, 1},
    {"Fmin", 2, 2, 2},            {"Fmax", 2, 2, 2},             {"GetVarType", 1, 1, 1},
    {"GetEnabled", 2, 2, 3},      {"SetEnabled", 3, 3, 1},       {"AddDelimiter", 2, 2, 4},
    {"ListSaveCaption", 0, 2, 1}, {"OpenUrl", 1, 1, 3},          {"Calc", 1, 1, 4},
    {"SaveScreen", 1, 5, 3},      {"StrToIntDef", 2, 2, 1},      {"StrToFloatDef", 2, 2, 2},
    {"GetVisible", 2, 2, 3},      {"SetVisible", 3, 3, 3},
}};

} // namespace

const TSysFuncInfo* SysFuncInfo(int number) noexcept {
    if (number < 0 || number >= kSysFuncCount) return nullptr;
    return &kTable[static_cast<size_t>(number)];
}

int FindSysFunc(std::string_view name) noexcept {
    for (size_t i = 0; i < kTable.size(); ++i)
        if (kTable[i].name == name) return static_cast<int>(i);
    return -1;
}

} // namespace ruvo
