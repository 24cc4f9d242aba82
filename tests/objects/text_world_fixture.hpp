#pragma once
// The display world with the system fonts for its text objects, script texts compiled from UTF-8
// markup and kept by page file and command index, and helpers that look at the painted screen.
#include <map>
#include <utility>

#include "archive/streams.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "objects/text/mes.hpp"
#include "objects/text/textservices.hpp"
#include "text/gxword.hpp"
#include "world_fixture.hpp"

namespace ruvo::testing {

// One font manager for the whole test program: fontconfig and FreeType start once.
inline TFontPixelManager& SharedWorldFonts() {
    static TSystemFontCatalog catalog;
    static TFontPixelManager fonts(catalog);
    return fonts;
}

// Text-insert texts by (page file, command index); a page that was "deleted" has none.
class FakeScripts : public TScriptTexts {
public:
    explicit FakeScripts(TTextServices& services) : services_(services) {}
    void Add(const std::string& page, int32_t command, const std::string& utf8Markup) {
        TGxWord engine(services_);
        std::vector<std::string> lines;
        for (size_t start = 0;;) {
            const size_t end = utf8Markup.find('\n', start);
            lines.push_back(Utf8ToSjis(utf8Markup.substr(start, end - start)));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        engine.Parse(lines);
        TMemoryStream s;
        engine.WriteStored(s);
        texts_[{page, command}] = std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    }
    void RemovePage(const std::string& page) {
        std::erase_if(texts_, [&](const auto& entry) { return entry.first.first == page; });
    }
    std::optional<std::string> StoredText(std::string_view page, int32_t command) override {
        auto it = texts_.find({std::string(page), command});
        if (it == texts_.end()) return std::nullopt;
        return it->second;
    }

private:
    TTextServices& services_;
    std::map<std::pair<std::string, int32_t>, std::string> texts_;
};

class TextWorldFixture : public WorldFixture {
protected:
    TextWorldFixture() {
        world.TextObjects().SetText(&services);
        world.TextObjects().Scripts = &scripts;
    }
    // The text objects go before the services they use.
    ~TextWorldFixture() override { world.Reset(); }

    TRuvoMes& Window(const std::string& name, int left, int top, int width, int height) {
        auto& w = static_cast<TRuvoMes&>(*world.CreateByType(13));
        w.SetName(name);
        w.SetParent(&world.ActiveScreen());
        SetProperty(w, PR_LEFT, left);
        SetProperty(w, PR_TOP, top);
        SetProperty(w, PR_WIDTH, width);
        SetProperty(w, PR_HEIGHT, height);
        SetProperty(w, PR_FONTHEIGHT, 20);
        SetProperty(w, PR_FONTCOLOR, 0xFFFFFF);
        return w;
    }

    // Pixels of the painted picture (32 bits, 0x00RRGGBB) in a rectangle that have exactly this colour
    // (0x00BBGGRR).
    int CountColour(uint32_t colour, const TRect& r) {
        TDIBX& s = world.Surface();
        const uint32_t pixel = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
        int n = 0;
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            for (int32_t x = r.Left; x < r.Right; ++x) n += (s.GetPixel(x, y) & 0xFFFFFF) == pixel;
        return n;
    }
    // The world's saved form, and the world read back from it.
    std::string Saved() {
        TMemoryStream s;
        world.SaveToStream(s);
        return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    }
    void Load(const std::string& bytes) {
        TMemoryStream s;
        s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        s.SetPosition(0);
        world.LoadFromStream(s, kSaveVersion);
    }
    // Repaints the whole screen.
    void PaintAll() {
        world.ActiveScreen().AddWhole();
        world.Paint();
    }

    TTextServices services{SharedWorldFonts(), &vars, &funcs};
    FakeScripts scripts{services};
};

} // namespace ruvo::testing
