#pragma once
// SDL key events to the Windows virtual-key codes that game scripts test (Return 13, Space 32, 'A' 65 ...).
#include <SDL.h>

namespace ruvo::platform {

// 0 when the key has no virtual-key code the scripts could know.
int VirtualKeyOf(const SDL_Keysym& key);

} // namespace ruvo::platform
