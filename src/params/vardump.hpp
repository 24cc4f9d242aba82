#pragma once
// The variables as people and tests read them (ruvoplay --dump-vars, ruvotool save dump): one line
// NAME=VALUE per variable in UTF-8, sorted by name, the value in the form of valuetext.hpp. System
// variables, nameless records and the evaluator's temporaries are left out.
#include <string>

namespace ruvo {

class TParamCollection;

std::string FormatVariableDump(const TParamCollection& vars);

} // namespace ruvo
