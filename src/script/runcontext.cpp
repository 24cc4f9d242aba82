#include "script/runcontext.hpp"

#include "params/expr.hpp"
#include "params/values.hpp"
#include "script/gameproject.hpp"

namespace ruvo {

bool TRunContext::FileAvailable(std::string_view name) const { return Project && Project->FileAvailable(name); }

const TCustomParam* TRunContext::Evaluate(TRuvoParser& expression) const {
    if (expression.Empty()) return nullptr;
    expression.Evaluate(Vars, Funcs);
    return expression.Result();
}

bool TRunContext::Holds(TRuvoParser& expression) const {
    const TCustomParam* v = Evaluate(expression);
    return v && v->AsFlag();
}

std::string TRunContext::EvaluateStr(TRuvoParser& expression) const {
    const TCustomParam* v = Evaluate(expression);
    return v ? v->AsStr() : std::string();
}

} // namespace ruvo
