#include "objects/base/factory.hpp"

#include <array>

#include "objects/images/box.hpp"
#include "objects/choices/button.hpp"
#include "objects/base/cabinet.hpp"
#include "objects/text/cglabel.hpp"
#include "objects/images/cinema.hpp"
#include "objects/images/images.hpp"
#include "objects/text/label.hpp"
#include "objects/choices/mapimage.hpp"
#include "objects/choices/menu.hpp"
#include "objects/text/mes.hpp"
#include "objects/choices/prevmenu.hpp"
#include "objects/media/sound.hpp"
#include "objects/motion/propmotion.hpp"
#include "objects/base/standin.hpp"
#include "objects/images/tile.hpp"
#include "objects/motion/timer.hpp"

namespace ruvo {

namespace {

template <class T>
std::unique_ptr<TRuvoObject> Make(TRuvoBaseList& world, uint8_t) {
    return std::make_unique<T>(&world);
}

// Classes built on the common part of a control or a component until their own behaviour exists.
std::unique_ptr<TRuvoObject> Control(TRuvoBaseList& world, uint8_t code) {
    return std::make_unique<TRuvoStandInControl>(&world, code);
}
std::unique_ptr<TRuvoObject> Component(TRuvoBaseList& world, uint8_t code) {
    return std::make_unique<TRuvoStandInComponent>(&world, code);
}

constexpr TObjectClass kClasses[] = {
    {2, "TRuvoBox", Make<TRuvoBox>},
    {3, "TRuvoButton", Make<TRuvoButton>},
    {4, "TRuvoCinema", Make<TRuvoCinema>},
    {5, "TRuvoEdit", Control},
    {6, "TRuvoFire", Control},
    {7, "TRuvoHttp", Component},
    {8, "TRuvoImages", Make<TRuvoImages>},
    {9, "TRuvoLabel", Make<TRuvoLabel>},
    {11, "TRuvoMemo", Control},
    {12, "TRuvoMenu", Make<TRuvoMenu>},
    {13, "TRuvoMes", Make<TRuvoMes>},
    {14, "TRuvoParticle", Control},
    {15, "TRuvoTimer", Make<TRuvoTimer>},
    {16, "TRuvoVideo", Control},
    {17, "TRuvoSound", Make<TRuvoSound>},
    {18, "TRuvoMapImage", Make<TRuvoMapImage>},
    {19, "TRuvoWave", Control},
    {20, "TRuvoTile", Make<TRuvoTile>},
    {21, "TRuvoSlider", Control},
    {22, "TRuvoScrollbar", Control},
    {23, "TRuvoGauge", Control},
    {24, "TRuvoCGLabel", Make<TRuvoCGLabel>},
    {25, "TRuvoPrevMenu", Make<TRuvoPrevMenu>},
    {26, "TRuvoPropMotion", Make<TRuvoPropMotion>},
    {27, "TRuvoCabinet", Make<TRuvoCabinet>},
};

} // namespace

const TObjectClass* ObjectClassOf(int code) noexcept {
    static const std::array<const TObjectClass*, 128> byCode = [] {
        std::array<const TObjectClass*, 128> t{};
        for (const TObjectClass& c : kClasses) t[c.code] = &c;
        return t;
    }();
    return byCode[static_cast<size_t>(code & 0x7F)];
}

} // namespace ruvo
