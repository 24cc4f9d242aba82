#include "app/displaymodes.hpp"

#include "params/funcs_impl.hpp"
#include "params/sysfuncs.hpp"

namespace ruvo {

std::vector<platform::DisplayMode> FullScreenModes(std::span<const platform::DisplayMode> modes, int screenWidth,
                                                   int screenHeight) {
    std::vector<platform::DisplayMode> usable;
    for (const platform::DisplayMode& m : modes)
        if (m.width >= screenWidth && m.height >= screenHeight && m.bitsPerPixel >= 16) usable.push_back(m);
    return usable;
}

void RegisterGetDisplayMode(TSysFuncMan& funcs, std::function<std::vector<platform::DisplayMode>()> modes) {
    funcs.Register(sfGetDisplayMode, [modes = std::move(modes)](const TFuncCall& c) {
        const int32_t index = c.Int(0);
        const std::vector<platform::DisplayMode> list = modes();
        if (index < 0 || static_cast<size_t>(index) >= list.size()) return;
        const platform::DisplayMode& m = list[static_cast<size_t>(index)];
        funcs::WriteInt(*c.args[1], m.width);
        funcs::WriteInt(*c.args[2], m.height);
        funcs::WriteInt(*c.args[3], m.bitsPerPixel);
        funcs::WriteInt(*c.args[4], m.refreshRate);
        c.dest.SetFlag(true);
    });
}

} // namespace ruvo
