#pragma once
// Limits that no real game comes near. A script that passes one has run away (an endless recursion, a
// loop that never waits, a string doubled without end) and would otherwise freeze the player or eat the
// machine; so would running out of memory. These are fatal: neither the evaluator nor the interpreter
// swallow them as they do ordinary command errors; the interpreter names the page and line, and the
// player reports it and closes. docs/limits.md lists them for authors.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/errors.hpp"

namespace ruvo {

// Bytes of one string value (a variable, an array element, a joined or built string).
constexpr size_t kMaxStringLength = size_t{64} << 20;
// Parentheses and brackets inside one another in one expression.
constexpr int kMaxExpressionNesting = 1000;
// Calls (and event handlers) inside one another on the interpreter's stack.
constexpr int kMaxCallDepth = 10000;
// Commands the interpreter runs in one frame without a command that ends the frame.
constexpr int64_t kMaxCommandsPerFrame = 10'000'000;

class EScriptLimit : public ERuvoError {
public:
    using ERuvoError::ERuvoError;
    // "メモリが足りません": the machine refused memory (std::bad_alloc and its kind).
    static EScriptLimit OutOfMemory();
};

// Throws the string-length EScriptLimit when a string of n bytes would pass kMaxStringLength.
void CheckStringLength(size_t n);

} // namespace ruvo
