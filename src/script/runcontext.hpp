#pragma once
// What a command reaches when it runs: the interpreter, the variables, the system functions, the project,
// the player's services and the display world. The runtime (app/runtime.hpp) fills it in as it creates
// those objects and clears each entry before the object goes; an entry that does not exist yet is null.
// Command behaviours take (TCommand&, TRunContext&); later subsystems (message history, read marks,
// data tables, media) get their entries here.
#include <string>
#include <string_view>

namespace ruvo {

class TCallMan;
class TCustomParam;
class TParamCollection;
class TPictureCache;
class TRuvoParser;
class TPlayerServices;
class TProject;
class TRuvoBaseList;
class TSysFuncMan;

struct TRunContext {
    TPlayerServices& Services;
    TParamCollection& Vars;
    TSysFuncMan& Funcs;
    TCallMan* Interpreter = nullptr;  // set by the interpreter while it exists
    TProject* Project = nullptr;      // set by the project while it exists
    TRuvoBaseList* World = nullptr;   // null until the display world exists
    TPictureCache* Pictures = nullptr;  // the decoded pictures objects share

    // Whether the game file can be used now (the project's check, which may ask for a disc); false
    // without a project.
    bool FileAvailable(std::string_view name) const;
    // An expression's value, or null when it yields nothing (an empty expression, or one that failed).
    const TCustomParam* Evaluate(TRuvoParser& expression) const;
    // A condition: an expression that yields nothing counts as false.
    bool Holds(TRuvoParser& expression) const;
    // An expression's value as a string; empty when it yields nothing.
    std::string EvaluateStr(TRuvoParser& expression) const;
};

} // namespace ruvo
