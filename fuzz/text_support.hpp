#pragma once
// What the message text targets share: an engine with the system fonts, a few variables and a picture
// source, and a run of a laid-out text through rendering, output and its play state.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "text/gxword.hpp"
#include "text/inlinepicture.hpp"
#include "text/page.hpp"

namespace ruvo::fuzz {

// "pic" is a 12 x 20 picture; every other name is missing.
class TOnePicture : public TInlinePictureSource {
public:
    std::unique_ptr<TInlinePicture> Load(std::string_view name) override {
        if (name != "pic") return nullptr;
        class TSolid : public TInlinePicture {
        public:
            TSolid() { frame_.SetSize(12, 20, 32); frame_.Clear(0x123456); }
            int32_t Width() const override { return 12; }
            int32_t Height() const override { return 20; }
            bool Animates() const override { return true; }
            bool Advance(int32_t) override { return true; }
            TCustomDIBX* Frame() override { return &frame_; }
            TCustomDIBX* Mask() override { return nullptr; }

        private:
            TDIBX frame_;
        };
        return std::make_unique<TSolid>();
    }
};

struct TTextWorld {
    TTextWorld() {
        vars.Declare("a", 1, TVarScope::Global).Value().SetInt(7);
        vars.Declare("s", 4, TVarScope::Global).Value().SetStr("x\ry");
    }
    TSystemFontCatalog catalog;
    TFontPixelManager fonts{catalog};
    TParamCollection vars;
    TSysFuncMan funcs{vars};
    TOnePicture pictures;
    TTextServices services{fonts, &vars, &funcs, &pictures, 32};
};

inline TTextWorld& World() {
    static TTextWorld world;
    return world;
}

// Lays the engine's glyphs out and plays every page as a message window would.
inline void Play(TGxWord& engine) {
    engine.ExpandVars(0, -1);
    engine.AreaWidth = 160;
    engine.AreaHeight = 60;
    engine.NotifyEnabled = true;
    engine.Notify = [](TGxWord&, const std::string&) {};
    TDIBX target;
    target.SetSize(200, 100, 32);
    engine.Target = &target;
    engine.ClipRect = Bounds(0, 0, 200, 100);
    std::vector<std::unique_ptr<TWdPage>> pages;
    engine.Layout(pages, 0, -1);
    for (auto& page : pages) {
        page->Render(true);
        page->Start();
        for (int frame = 0; frame < 8 && !page->Step(16).Ended; ++frame) page->Paint();
        page->SetPointer(20, 10);
        page->SetPointer(-1, -1);
        TMemoryStream state;
        page->SaveState(state);
        state.SetPosition(0);
        page->LoadState(state);
        page->ShownText();
    }
}

} // namespace ruvo::fuzz
