// Variable commands: evaluating an expression, creating and deleting variables.
#include "archive/errors.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/commandrun.hpp"
#include "script/commands.hpp"
#include "script/runcontext.hpp"

namespace ruvo {

void ExecCalc(TCommand& c, TRunContext& ctx) {
    ctx.Evaluate(static_cast<TComCalc&>(c).Expression);
    ++ctx.Interpreter->Index;
}

void ExecVarNew(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComVarNew&>(c);
    if (command.VarName.empty()) throw ERuvoError::FromUtf8("変数名がありません");
    ctx.Vars.Declare(command.VarName, command.VarType, static_cast<TVarScope>(command.Scope), [&] {
        const TCustomParam* v = ctx.Evaluate(command.InitialValue);
        return v ? v->Clone() : nullptr;
    });
    ++ctx.Interpreter->Index;
}

// System variables are never deleted.
void ExecVarDel(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComVarDel&>(c);
    if (!command.VarName.empty())
        if (TParamCollectionItem* item = ctx.Vars.Find(command.VarName); item && !item->IsSystem())
            ctx.Vars.DeleteItem(*item);
    ++ctx.Interpreter->Index;
}

} // namespace ruvo
