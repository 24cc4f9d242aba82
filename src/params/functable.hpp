#pragma once
// The table of the 142 system functions: number, name (case-sensitive in source text), argument bounds
// and result type. The compiler checks names and counts against it, the evaluator types the temporary
// that receives a result by it, and the function manager keeps one handler per row (sysfuncs.hpp).
#include <cstdint>
#include <string_view>

#include "params/valuetypes.hpp"

namespace ruvo {

constexpr int kSysFuncCount = 142;
constexpr int kAnyCount = -1;  // an upper bound of no limit

// X(number, name, minimum arguments, maximum arguments, result type). "Prop": the type of the property
// named by the second argument (GetProp).
#define RUVO_SYSFUNC_TABLE(X) \
    X(0, IntToStr, 1, 2, Str)            \
    X(1, IntToHex, 2, 2, Str)            \
    X(2, GetProp, 2, 2, Prop)            \
    X(3, SetProp, 3, 3, Str)             \
    X(4, GetArraySize, 1, 2, Int)        \
    X(5, Length, 1, 1, Int)              \
    X(6, JLength, 1, 1, Int)             \
    X(7, Copy, 2, 3, Str)                \
    X(8, JCopy, 2, 3, Str)               \
    X(9, Delete, 2, 3, Str)              \
    X(10, JDelete, 2, 3, Str)            \
    X(11, Insert, 3, 3, Str)             \
    X(12, JInsert, 3, 3, Str)            \
    X(13, CompareStr, 2, 2, Int)         \
    X(14, CompareText, 2, 2, Int)        \
    X(15, Pos, 2, 2, Int)                \
    X(16, JPos, 2, 2, Int)               \
    X(17, Trim, 1, 1, Str)               \
    X(18, JTrim, 1, 1, Str)              \
    X(19, Exists, 1, 1, Flag)            \
    X(20, Not, 1, 1, Flag)               \
    X(21, SetArray, 2, kAnyCount, Int)   \
    X(22, FillMem, 2, 2, Int)            \
    X(23, CopyMem, 2, 2, Int)            \
    X(24, GetCheck, 2, 2, Flag)          \
    X(25, SetCheck, 3, 3, Int)           \
    X(26, Random, 1, 1, Int)             \
    X(27, GetSaveCaption, 1, 1, Str)     \
    X(28, ArrayToString, 1, 2, Str)      \
    X(29, StringToArray, 2, 3, Int)      \
    X(30, IndexOfStr, 2, 4, Int)         \
    X(31, SortStr, 1, 1, Int)            \
    X(32, ListCompo, 1, 3, Int)          \
    X(33, ToClientX, 2, 2, Int)          \
    X(34, ToClientY, 2, 2, Int)          \
    X(35, ToScreenX, 2, 2, Int)          \
    X(36, ToScreenY, 2, 2, Int)          \
    X(37, Int, 1, 1, Int)                \
    X(38, Float, 1, 1, Real)             \
    X(39, Sin, 1, 1, Real)               \
    X(40, Cos, 1, 1, Real)               \
    X(41, Tan, 1, 1, Real)               \
    X(42, ArcSin, 1, 1, Real)            \
    X(43, ArcCos, 1, 1, Real)            \
    X(44, ArcTan, 1, 1, Real)            \
    X(45, ArcTan2, 2, 2, Real)           \
    X(46, Hypot, 2, 2, Real)             \
    X(47, IndexOfMenu, 2, 2, Int)        \
    X(48, Abs, 1, 1, Int)                \
    X(49, Fabs, 1, 1, Real)              \
    X(50, VarExists, 1, 1, Flag)         \
    X(51, EncodeDate, 3, 3, Real)        \
    X(52, EncodeTime, 3, 3, Real)        \
    X(53, DecodeDate, 4, 4, Int)         \
    X(54, DecodeTime, 4, 4, Int)         \
    X(55, GetYear, 1, 1, Int)            \
    X(56, GetMonth, 1, 1, Int)           \
    X(57, GetDay, 1, 1, Int)             \
    X(58, GetHour, 1, 1, Int)            \
    X(59, GetMin, 1, 1, Int)             \
    X(60, GetSec, 1, 1, Int)             \
    X(61, GetWeek, 1, 1, Int)            \
    X(62, GetWeekStr, 1, 1, Str)         \
    X(63, GetWeekJStr, 1, 1, Str)        \
    X(64, FixStr, 1, 1, Str)             \
    X(65, GetDisplayMode, 5, 5, Flag)    \
    X(66, AddArray, 2, 2, Int)           \
    X(67, InsertArray, 3, 3, Int)        \
    X(68, DeleteArray, 3, 3, Int)        \
    X(69, InPrimary, 1, 1, Flag)         \
    X(70, CopyArray, 2, 2, Flag)         \
    X(71, FileExists, 1, 1, Flag)        \
    X(72, LoadTextFile, 2, 2, Flag)      \
    X(73, LowerCase, 1, 1, Str)          \
    X(74, UpperCase, 1, 1, Str)          \
    X(75, ExtractFilePath, 1, 1, Str)    \
    X(76, ExtractFileName, 1, 1, Str)    \
    X(77, ExtractFileExt, 1, 1, Str)     \
    X(78, IsPathDelimiter, 2, 2, Flag)   \
    X(79, AddBackSlash, 1, 1, Str)       \
    X(80, ChangeFileExt, 2, 2, Str)      \
    X(81, IsDelimiter, 3, 3, Flag)       \
    X(82, StringOfChar, 2, 2, Str)       \
    X(83, StringReplace, 3, 5, Str)      \
    X(84, AssignTemp, 1, 1, Flag)        \
    X(85, HanToZen, 1, 1, Str)           \
    X(86, ZenToHan, 1, 1, Str)           \
    X(87, DBCreateTable, 2, 2, Flag)     \
    X(88, DBSetActive, 1, 1, Flag)       \
    X(89, DBAddField, 2, 3, Flag)        \
    X(90, DBSetRecNo, 1, 1, Flag)        \
    X(91, DBInsert, 0, kAnyCount, Flag)  \
    X(92, DBDelete, 0, 0, Flag)          \
    X(93, DBGetInt, 1, 1, Int)           \
    X(94, DBSetInt, 2, 2, Flag)          \
    X(95, DBGetFloat, 1, 1, Real)        \
    X(96, DBSetFloat, 2, 2, Flag)        \
    X(97, DBGetBool, 1, 1, Flag)         \
    X(98, DBSetBool, 2, 2, Flag)         \
    X(99, DBGetStr, 1, 1, Str)           \
    X(100, DBSetStr, 2, 2, Flag)         \
    X(101, DBRecordCount, 0, 1, Int)     \
    X(102, DBFindFirst, 0, 0, Flag)      \
    X(103, DBFindLast, 0, 0, Flag)       \
    X(104, DBFindNext, 0, 0, Flag)       \
    X(105, DBFindPrior, 0, 0, Flag)      \
    X(106, DBLocate, 2, 4, Flag)         \
    X(107, DBLoadTsvFile, 1, 1, Flag)    \
    X(108, DBDirectGetInt, 7, 7, Int)    \
    X(109, DBDirectSetInt, 7, 7, Flag)   \
    X(110, DBDirectGetFloat, 7, 7, Real) \
    X(111, DBDirectSetFloat, 7, 7, Flag) \
    X(112, DBDirectGetBool, 7, 7, Flag)  \
    X(113, DBDirectSetBool, 7, 7, Flag)  \
    X(114, DBDirectGetStr, 7, 7, Str)    \
    X(115, DBDirectSetStr, 7, 7, Flag)   \
    X(116, DBCopyTable, 1, 5, Flag)      \
    X(117, DBDeleteTable, 0, 1, Flag)    \
    X(118, DBInsertTable, 1, 5, Flag)    \
    X(119, DBCopy, 1, 1, Flag)           \
    X(120, DBClearTable, 0, 0, Flag)     \
    X(121, DBSort, 2, 2, Flag)           \
    X(122, DBGetActive, 0, 0, Str)       \
    X(123, DBGetRecNo, 0, 1, Int)        \
    X(124, DBClearRecord, 0, 1, Flag)    \
    X(125, SetWallPaper, 2, 2, Flag)     \
    X(126, Min, 2, 2, Int)               \
    X(127, Max, 2, 2, Int)               \
    X(128, Fmin, 2, 2, Real)             \
    X(129, Fmax, 2, 2, Real)             \
    X(130, GetVarType, 1, 1, Int)        \
    X(131, GetEnabled, 2, 2, Flag)       \
    X(132, SetEnabled, 3, 3, Int)        \
    X(133, AddDelimiter, 2, 2, Str)      \
    X(134, ListSaveCaption, 0, 2, Int)   \
    X(135, OpenUrl, 1, 1, Flag)          \
    X(136, Calc, 1, 1, Str)              \
    X(137, SaveScreen, 1, 5, Flag)       \
    X(138, StrToIntDef, 2, 2, Int)       \
    X(139, StrToFloatDef, 2, 2, Real)    \
    X(140, GetVisible, 2, 2, Flag)       \
    X(141, SetVisible, 3, 3, Flag)      

enum TSysFuncNumber : uint8_t {
#define RUVO_SYSFUNC_ENUM(n, Name, minArgs, maxArgs, result) sf##Name = n,
    RUVO_SYSFUNC_TABLE(RUVO_SYSFUNC_ENUM)
#undef RUVO_SYSFUNC_ENUM
};

struct TSysFuncInfo {
    std::string_view name;
    int minArgs;
    int maxArgs;            // kAnyCount: no limit
    TValueType resultType;  // None: the type of the property asked for (GetProp)
};

// Entry n, or null when n is outside 0..141.
const TSysFuncInfo* SysFuncInfo(int number) noexcept;
// Number of the function of that exact name, or -1.
int FindSysFunc(std::string_view name) noexcept;

} // namespace ruvo
