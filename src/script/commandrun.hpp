#pragma once
// What commands do when the interpreter runs them: Begin (once, when the command starts) and Execute
// (every time it runs, until it moves the index or the page). The command table (commandtable.hpp)
// names each code's pair; the behaviours live in one file per family and reach the rest of the player
// through the run context.
namespace ruvo {

class TCommand;
struct TRunContext;

using TBehaviour = void (*)(TCommand& command, TRunContext& context);

void BeginCommand(TCommand& command, TRunContext& context);
void ExecuteCommand(TCommand& command, TRunContext& context);

// Shared by many rows: nothing to begin; go on with the next command.
void NoBegin(TCommand&, TRunContext&);
void ExecStep(TCommand&, TRunContext&);
// The command's effect belongs to a subsystem that does not exist yet: it goes on to the next command.
void StepOver(TCommand&, TRunContext&);

// run_flow.cpp: branches, loops, jumps, calls, waits.
void ExecIf(TCommand&, TRunContext&);
void ExecSkipBranch(TCommand&, TRunContext&);
void ExecWhile(TCommand&, TRunContext&);
void ExecWhileInit(TCommand&, TRunContext&);
void ExecWhileLoop(TCommand&, TRunContext&);
void ExecJump(TCommand&, TRunContext&);
void ExecCall(TCommand&, TRunContext&);
void ExecExit(TCommand&, TRunContext&);
void ExecLoopJump(TCommand&, TRunContext&);
void BeginWait(TCommand&, TRunContext&);
void ExecWait(TCommand&, TRunContext&);

// run_vars.cpp: expressions and variables.
void ExecCalc(TCommand&, TRunContext&);
void ExecVarNew(TCommand&, TRunContext&);
void ExecVarDel(TCommand&, TRunContext&);

// run_reset.cpp: restarting the script and ending the player.
void ExecPCReset(TCommand&, TRunContext&);
void ExecReset(TCommand&, TRunContext&);
void ExecTerminate(TCommand&, TRunContext&);

// run_objects.cpp: objects made from property expressions, deleted, read and written by name; property
// motions, media and menus by name; cabinets.
void ExecCreateObject(TCommand&, TRunContext&);
void ExecObjDel(TCommand&, TRunContext&);
void ExecGetProp(TCommand&, TRunContext&);
void ExecSetProp(TCommand&, TRunContext&);
void ExecPropMotion(TCommand&, TRunContext&);
void ExecMediaPlay(TCommand&, TRunContext&);
void BeginMovieStop(TCommand&, TRunContext&);
void ExecMovieStop(TCommand&, TRunContext&);
void ExecMenuClose(TCommand&, TRunContext&);
void ExecSaveCabinet(TCommand&, TRunContext&);
void ExecLoadCabinet(TCommand&, TRunContext&);

// run_flip.cpp: switching the screens through a transition, carrying objects over.
void BeginFlip(TCommand&, TRunContext&);
void ExecFlip(TCommand&, TRunContext&);

// run_text.cpp: message text into windows and out of them.
void BeginTextIns(TCommand&, TRunContext&);
void ExecTextIns(TCommand&, TRunContext&);
void ExecTextClr(TCommand&, TRunContext&);
void ExecCallHist(TCommand&, TRunContext&);
void ExecClrHist(TCommand&, TRunContext&);
void ExecClrRead(TCommand&, TRunContext&);
void ExecFormatHist(TCommand&, TRunContext&);

// run_saves.cpp: requests for the frame loop to save or load a game.
void ExecGameSave(TCommand&, TRunContext&);
void ExecGameLoad(TCommand&, TRunContext&);

} // namespace ruvo
