#pragma once
// The full-screen display modes a game is offered (@DisplayModeCount, GetDisplayMode): the platform's
// modes at least as large as the game screen and of 16 bits a pixel or more, in the platform's order.
#include <functional>
#include <span>
#include <vector>

#include "platform/platform.hpp"

namespace ruvo {

class TSysFuncMan;

std::vector<platform::DisplayMode> FullScreenModes(std::span<const platform::DisplayMode> modes, int screenWidth,
                                                   int screenHeight);

// GetDisplayMode (index, var width, var height, var bits, var refresh): false for an index out of range.
void RegisterGetDisplayMode(TSysFuncMan& funcs, std::function<std::vector<platform::DisplayMode>()> modes);

} // namespace ruvo
