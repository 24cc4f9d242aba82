#pragma once
// What commands do when the interpreter runs them: one row per command code with its Begin (once, when
// the command starts) and Execute (every time it runs until it moves the index or the page).
namespace ruvo {

class TCommand;
class TCallMan;

void BeginCommand(TCommand& command, TCallMan& interpreter);
void ExecuteCommand(TCommand& command, TCallMan& interpreter);

} // namespace ruvo
