#include "script/commandrun.hpp"

#include <array>

#include "script/callman.hpp"
#include "script/commands.hpp"
#include "script/commandtable.hpp"
#include "script/runcontext.hpp"

namespace ruvo {

namespace {

struct TBehaviours {
    TBehaviour begin = NoBegin;
    TBehaviour execute = StepOver;
};

// Row code & 0x7F of the table; codes without a row step over themselves.
const std::array<TBehaviours, 128>& Behaviours() {
    static const std::array<TBehaviours, 128> table = [] {
        std::array<TBehaviours, 128> t{};
#define RUVO_BEHAVIOURS(code, Name, Class, begin, execute, cont, defaults) t[code] = {begin, execute};
        RUVO_COMMAND_TABLE(RUVO_BEHAVIOURS)
#undef RUVO_BEHAVIOURS
        return t;
    }();
    return table;
}

} // namespace

void NoBegin(TCommand&, TRunContext&) {}

void ExecStep(TCommand&, TRunContext& ctx) { ++ctx.Interpreter->Index; }

void StepOver(TCommand& command, TRunContext& ctx) { ExecStep(command, ctx); }

void BeginCommand(TCommand& command, TRunContext& ctx) { Behaviours()[command.Code() & 0x7F].begin(command, ctx); }

void ExecuteCommand(TCommand& command, TRunContext& ctx) { Behaviours()[command.Code() & 0x7F].execute(command, ctx); }

} // namespace ruvo
