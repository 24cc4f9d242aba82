#pragma once
// The one table of command codes. A row tells everything known of a code: its name (as the dump and the
// builder write it), its record class (commands.hpp), its Begin and Execute behaviours (commandrun.hpp,
// one file per family: run_flow, run_vars, run_reset, run_saves, run_objects, run_flip, run_text),
// whether a source line that does not say has its continue flag on (Cont) or ends the frame (EndsFrame),
// and the field values the builder gives a line that leaves them out (TrueCondition: an empty condition
// would never act). The factory,
// the name lookups, the interpreter and the tools all expand this table, so they cannot drift apart.
// Commands whose effects come with later subsystems step over themselves (StepOver) until then.
#define RUVO_COMMAND_TABLE(X)                                                                    \
    X(0, If, TComIf, NoBegin, ExecIf, Cont, NoDefaults)                                \
    X(1, Elseif, TComElseif, NoBegin, ExecSkipBranch, Cont, NoDefaults)                \
    X(2, Else, TComElse, NoBegin, ExecSkipBranch, Cont, NoDefaults)                    \
    X(3, Label, TComLabel, NoBegin, ExecStep, Cont, NoDefaults)                        \
    X(4, Jump, TComJump, NoBegin, ExecJump, Cont, TrueCondition)                       \
    X(5, Call, TComCall, NoBegin, ExecCall, Cont, TrueCondition)                       \
    X(6, Exit, TComExit, NoBegin, ExecExit, Cont, TrueCondition)                       \
    X(7, Wait, TComWait, BeginWait, ExecWait, EndsFrame, NoDefaults)                   \
    X(8, BoxNew, TComBoxNew, NoBegin, ExecCreateObject, Cont, NoDefaults)              \
    X(9, ImgNew, TComImgNew, NoBegin, ExecCreateObject, Cont, NoDefaults)              \
    X(10, MesNew, TComMesNew, NoBegin, ExecCreateObject, Cont, NoDefaults)             \
    X(11, Timer, TComTimer, NoBegin, ExecCreateObject, Cont, NoDefaults)               \
    X(12, Movie, TComMovie, NoBegin, ExecCreateObject, Cont, NoDefaults)               \
    X(13, Flip, TComFlip, BeginFlip, ExecFlip, EndsFrame, NoDefaults)                  \
    X(14, Calc, TComCalc, NoBegin, ExecCalc, Cont, NoDefaults)                         \
    X(15, VarNew, TComVarNew, NoBegin, ExecVarNew, Cont, NoDefaults)                   \
    X(16, VarDel, TComVarDel, NoBegin, ExecVarDel, Cont, NoDefaults)                   \
    X(17, GetProp, TComGetProp, NoBegin, ExecGetProp, Cont, NoDefaults)                \
    X(18, SetProp, TComSetProp, NoBegin, ExecSetProp, Cont, NoDefaults)                \
    X(19, ObjDel, TComObjDel, NoBegin, ExecObjDel, Cont, NoDefaults)                   \
    X(20, TextIns, TComTextIns, BeginTextIns, ExecTextIns, EndsFrame, NoDefaults)      \
    X(21, MovieStop, TComMovieStop, BeginMovieStop, ExecMovieStop, EndsFrame, NoDefaults) \
    X(22, ClrHist, TComClrHist, NoBegin, ExecClrHist, Cont, NoDefaults)                   \
    X(23, Cinema, TComCinema, NoBegin, ExecCreateObject, Cont, NoDefaults)             \
    X(24, Caption, TComCaption, NoBegin, ExecCreateObject, Cont, NoDefaults)           \
    X(25, Menu, TComMenu, NoBegin, ExecCreateObject, Cont, NoDefaults)                 \
    X(26, MenuClose, TComMenuClose, NoBegin, ExecMenuClose, EndsFrame, NoDefaults)     \
    X(27, Comment, TComComment, NoBegin, ExecStep, EndsFrame, NoDefaults)              \
    X(28, TextClr, TComTextClr, NoBegin, ExecTextClr, Cont, NoDefaults)                \
    X(29, CallHist, TComCallHist, NoBegin, ExecCallHist, Cont, NoDefaults)                 \
    X(30, Button, TComBtnNew, NoBegin, ExecCreateObject, Cont, NoDefaults)             \
    X(31, While, TComWhile, NoBegin, ExecWhile, Cont, NoDefaults)                      \
    X(32, WhileInit, TComWhileInit, NoBegin, ExecWhileInit, Cont, NoDefaults)          \
    X(33, WhileLoop, TComWhileLoop, NoBegin, ExecWhileLoop, Cont, NoDefaults)          \
    X(34, Break, TComBreak, NoBegin, ExecLoopJump, Cont, TrueCondition)                \
    X(35, Continue, TComContinue, NoBegin, ExecLoopJump, Cont, TrueCondition)          \
    X(36, ParticleNew, TComParticleNew, NoBegin, ExecCreateObject, Cont, NoDefaults)   \
    X(37, FireNew, TComFireNew, NoBegin, ExecCreateObject, Cont, NoDefaults)           \
    X(38, GameSave, TComGameSave, NoBegin, ExecGameSave, EndsFrame, NoDefaults)        \
    X(39, GameLoad, TComGameLoad, NoBegin, ExecGameLoad, EndsFrame, NoDefaults)        \
    X(40, PCReset, TComPCReset, NoBegin, ExecPCReset, Cont, NoDefaults)                \
    X(41, Reset, TComReset, NoBegin, ExecReset, Cont, NoDefaults)                      \
    X(42, Sound, TComSound, NoBegin, ExecCreateObject, Cont, NoDefaults)               \
    X(43, EditNew, TComEditNew, NoBegin, ExecCreateObject, Cont, NoDefaults)           \
    X(44, MemoNew, TComMemoNew, NoBegin, ExecCreateObject, Cont, NoDefaults)           \
    X(45, Terminate, TComTerminate, NoBegin, ExecTerminate, Cont, NoDefaults)          \
    X(46, DoEvent, TComDoEvent, NoBegin, ExecStep, EndsFrame, NoDefaults)              \
    X(47, ClrRead, TComClrRead, NoBegin, ExecClrRead, Cont, NoDefaults)                   \
    X(48, MapImgNew, TComMapImgNew, NoBegin, ExecCreateObject, Cont, NoDefaults)       \
    X(49, WaveNew, TComWaveNew, NoBegin, ExecCreateObject, Cont, NoDefaults)           \
    X(50, TileNew, TComTileNew, NoBegin, ExecCreateObject, Cont, NoDefaults)           \
    X(51, SliderNew, TComSliderNew, NoBegin, ExecCreateObject, Cont, NoDefaults)       \
    X(52, ScrollbarNew, TComScrollbarNew, NoBegin, ExecCreateObject, Cont, NoDefaults) \
    X(53, GaugeNew, TComGaugeNew, NoBegin, ExecCreateObject, Cont, NoDefaults)         \
    X(54, CGCaption, TComCGCaption, NoBegin, ExecCreateObject, Cont, NoDefaults)       \
    X(55, MediaPlay, TComMediaPlay, NoBegin, ExecMediaPlay, Cont, NoDefaults)          \
    X(56, PrevMenuNew, TComPrevMenuNew, NoBegin, ExecCreateObject, Cont, NoDefaults)   \
    X(57, PropMotion, TComPropMotion, NoBegin, ExecPropMotion, Cont, NoDefaults)       \
    X(58, FormatHist, TComEntryHist, NoBegin, ExecFormatHist, Cont, NoDefaults)              \
    X(59, SaveCabinet, TComCabinetSave, NoBegin, ExecSaveCabinet, Cont, NoDefaults)    \
    X(60, LoadCabinet, TComCabinetLoad, NoBegin, ExecLoadCabinet, Cont, NoDefaults)
