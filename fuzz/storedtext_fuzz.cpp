// The stored glyph form of text-insert commands: read, written back (the rewrite must be stable), laid
// out and played.
#include <cstdio>
#include <cstdlib>

#include "text_support.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::TTextWorld& world = fuzz::World();
    TGxWord engine(world.services);
    TMemoryStream input(std::vector<uint8_t>(data, data + size));
    int version = 0;
    try {
        version = engine.LoadStored(input);
    } catch (const ERuvoError&) {
        return 0;
    }
    TMemoryStream first;
    engine.WriteStored(first, version);
    TGxWord again(world.services);
    first.SetPosition(0);
    again.LoadStored(first);
    TMemoryStream second;
    again.WriteStored(second, version);
    if (first.Bytes() != second.Bytes()) {
        std::fprintf(stderr, "stored text: rewriting changed %lld bytes into %lld\n", (long long)first.Size(),
                     (long long)second.Size());
        std::abort();
    }
    try {
        fuzz::Play(engine);
    } catch (const ERuvoError&) {
    }
    return 0;
}
