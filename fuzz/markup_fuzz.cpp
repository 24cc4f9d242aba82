// Markup set at run time: tokenized, parsed into glyphs, stored and read back, laid out and played.
#include <cstdlib>
#include <string>

#include "text_support.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TTextWorld& world = fuzz::World();
    TGxWord engine(world.services);
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += char(data[i]);
    }
    try {
        engine.Parse(lines);
    } catch (const ERuvoError&) {
        // A link without target: the glyphs before it stay and are used.
    }
    // Whatever was parsed is a valid stored text.
    TMemoryStream stored;
    engine.WriteStored(stored);
    stored.SetPosition(0);
    TGxWord loaded(world.services);
    loaded.LoadStored(stored);
    if (loaded.GlyphCount() != engine.GlyphCount())
        std::abort();
    try {
        fuzz::Play(engine);
    } catch (const ERuvoError&) {
    }
    return 0;
}
