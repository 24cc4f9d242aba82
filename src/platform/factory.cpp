#include <cstdlib>
#include <stdexcept>

#include "platform/headless.hpp"
#include "platform/platform.hpp"

namespace ruvo::platform {

#ifdef RUVO_HAVE_SDL
std::unique_ptr<TPlatform> CreateSdlPlatform();
#endif

std::unique_ptr<TPlatform> CreatePlatform(std::string_view name, const HeadlessOptions& headless) {
    if (name == "headless") return std::make_unique<THeadlessPlatform>(ParseInputScript(headless.inputScript));
#ifdef RUVO_HAVE_SDL
    if (name == "sdl") return CreateSdlPlatform();
#endif
    throw std::runtime_error("no platform back end named \"" + std::string(name) + "\" in this build");
}

std::string DefaultPlatformName() {
#ifdef RUVO_HAVE_SDL
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x && *x) || (wayland && *wayland)) return "sdl";
#endif
    return "headless";
}

} // namespace ruvo::platform
