#include "graphics/wipes/wipes.hpp"

#include <algorithm>
#include <type_traits>

#include "graphics/wipes/wipecrack.hpp"
#include "graphics/wipes/wipefades.hpp"
#include "graphics/wipes/wipemask.hpp"
#include "graphics/wipes/wipemotion.hpp"
#include "graphics/wipes/wipepixels.hpp"
#include "graphics/wipes/wipeshapes.hpp"

namespace ruvo {

namespace {

// The pictures must match the target pixel for pixel, and the target may not be one of them.
bool SurfacesFit(const TWipeSurfaces& s, int32_t w, int32_t h) {
    TCustomDIBX &t = s.Target, &b = s.Before, &a = s.After;
    if (&t == &b || &t == &a || t.IsEmpty() || t.Format().StorageBits() < 8)
        return false;
    for (TCustomDIBX* p : {&t, &b, &a})
        if (p->GetWidth() != w || p->GetHeight() != h || !(p->Format() == t.Format()))
            return false;
    return true;
}

template <class T>
std::unique_ptr<TCustomWipe> New(const TWipeSurfaces& s, const TRandomFunction& random) {
    if constexpr (std::is_constructible_v<T, const TWipeSurfaces&, const TRandomFunction&>)
        return std::make_unique<T>(s, random);
    else
        return std::make_unique<T>(s);
}

const TWipeType kWipeTypes[] = {
    {1, "TWipeFade", "TCustomWipe", 0, 0, New<TWipeFade>},
    {2, "TWipeBlindH", "TWipeMask", 20, 1, New<TWipeBlindH>},
    {3, "TWipeBlindV", "TWipeMask", 20, 1, New<TWipeBlindV>},
    {4, "TWipeCurtainH", "TWipeOrderHMask", 30, 1, New<TWipeCurtainH>},
    {5, "TWipeCurtainV", "TWipeOrderVMask", 30, 1, New<TWipeCurtainV>},
    {6, "TWipeScrollH", "TCustomWipe", 0, 0, New<TWipeScrollH>},
    {7, "TWipeScrollV", "TCustomWipe", 0, 0, New<TWipeScrollV>},
    {8, "TWipeGrid", "TWipeMask", 80, 30, New<TWipeGrid>},
    {9, "TWipeGridH", "TWipeGrid", 80, 30, New<TWipeGridH>},
    {10, "TWipeGridV", "TWipeGrid", 80, 30, New<TWipeGridV>},
    {11, "TWipeDither", "TWipeMask", 0, 0, New<TWipeDither>},
    {12, "TWipeWhite", "TCustomWipe", 0, 0, New<TWipeWhite>},
    {13, "TWipeBlack", "TCustomWipe", 0, 0, New<TWipeBlack>},
    {14, "TWipeFlash", "TCustomWipe", 0, 0, New<TWipeFlash>},
    {15, "TWipeMosaic", "TCustomWipe", 0, 0, New<TWipeMosaic>},
    {16, "TWipeSudareH", "TCustomWipe", 0, 0, New<TWipeSudareH>},
    {17, "TWipeSudareV", "TCustomWipe", 0, 0, New<TWipeSudareV>},
    {18, "TWipeSpot", "TCustomWipe", 0, 0, New<TWipeSpot>},
    {19, "TWipeShadow", "TWipeMask", 0, 0, New<TWipeShadow>},
    {20, "TWipeShadowWhite", "TCustomWipe", 0, 0, New<TWipeShadowWhite>},
    {21, "TWipeShadowBlack", "TWipeShadowWhite", 0, 0, New<TWipeShadowBlack>},
    {22, "TWipeSmall", "TCustomWipe", 0, 0, New<TWipeSmall>},
    {23, "TWipeBig", "TCustomWipe", 0, 0, New<TWipeBig>},
    {24, "TWipeRipple", "TCustomWipe", 5, 0, New<TWipeRipple>},
    {25, "TWipeBlurWhite", "TCustomWipe", 0, 0, New<TWipeBlurWhite>},
    {26, "TWipeBlurBlack", "TWipeBlurWhite", 0, 0, New<TWipeBlurBlack>},
    {27, "TWipeTwistH", "TCustomWipe", 0, 0, New<TWipeTwistH>},
    {28, "TWipeTwistV", "TCustomWipe", 0, 0, New<TWipeTwistV>},
    {29, "TWipeCrack", "TCustomWipe", 64, 3, New<TWipeCrack>},
    {30, "TWipeZoomin", "TCustomWipe", 0, 0, New<TWipeZoomin>},
    {31, "TWipeClockhand", "TWipeMask", 0, 0, New<TWipeClockhand>},
    {32, "TWipeRubberH", "TCustomWipe", 0, 0, New<TWipeRubberH>},
    {33, "TWipeRubberV", "TCustomWipe", 0, 0, New<TWipeRubberV>},
    {34, "TWipeFan", "TWipeMask", 0, 0, New<TWipeFan>},
    {35, "TWipeWFan", "TWipeMask", 0, 0, New<TWipeWFan>},
    {36, "TWipeCircle", "TWipeMask", 0, 0, New<TWipeCircle>},
    {37, "TWipeBlockCoil", "TWipeMask", 60, 0, New<TWipeBlockCoil>},
    {38, "TWipeBlockRandom", "TWipeMask", 60, 0, New<TWipeBlockRandom>},
};

} // namespace

TCustomWipe::TCustomWipe(const TWipeSurfaces& s)
    : Target(s.Target), Before(s.Before), After(s.After), W(s.Target.GetWidth()), H(s.Target.GetHeight()) {}

void TCustomWipe::SetParam(int i, int32_t value) {
    if (i == 0 || i == 1)
        Params[size_t(i)] = value;
}

bool TCustomWipe::Step() {
    if (Duration <= 0 || Elapsed >= Duration || !SurfacesFit({Target, Before, After}, W, H))
        return true;
    Params[2] = 0, Params[3] = 0, Params[4] = W, Params[5] = H;
    Target.AddClipRect(TRect{0, 0, W, H});
    DrawFrame(std::max<int64_t>(Elapsed, 0), Duration);
    return false;
}

std::span<const TWipeType> WipeTypes() { return kWipeTypes; }

const TWipeType* FindWipeType(int number) {
    for (const TWipeType& type : kWipeTypes)
        if (type.Number == number)
            return &type;
    return nullptr;
}

TWipeStart StartWipe(const TWipeSettings& settings, const TWipeSurfaces& surfaces, const TRandomFunction& random) {
    const TWipeType* type = FindWipeType(settings.Type);
    if (!type || settings.Duration <= 0 ||
        !SurfacesFit(surfaces, surfaces.Target.GetWidth(), surfaces.Target.GetHeight()))
        return {};
    std::unique_ptr<TCustomWipe> wipe = type->Create(surfaces, random);
    wipe->SetParam(0, type->Param0);
    wipe->SetParam(1, type->Param1);
    wipe->Duration = settings.Duration;
    wipe->SetReverse(settings.Reverse);
    wipe->SetRule(settings.Rule);
    if (settings.Param0)
        wipe->SetParam(0, *settings.Param0);
    if (settings.Param1)
        wipe->SetParam(1, *settings.Param1);
    wipe->Prepare();
    return {std::move(wipe)};
}

} // namespace ruvo
