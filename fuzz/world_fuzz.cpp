// The display world's section of a saved game: the first byte picks the version the record is read
// with, the rest is the record. A record the reader accepts is written again and read back.
#include <array>
#include <cstddef>
#include <cstdint>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "objects/world/world.hpp"
#include "params/varset.hpp"
#include "script/quietservices.hpp"

namespace {

// The versions whose records differ.
constexpr std::array<int32_t, 10> kVersions = {101, 103, 107, 113, 117, 118, 119, 125, 129, 134};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    ruvo::TQuietServices services;
    ruvo::TParamCollection vars;
    ruvo::TRuvoBaseList world(services, vars);
    ruvo::TReadOnlyMemoryStream record(data + 1, static_cast<int64_t>(size - 1));
    try {
        world.LoadFromStream(record, kVersions[data[0] % kVersions.size()]);
        world.ProcessInput();
        world.Update();
        world.Paint();
        ruvo::TMemoryStream again;
        world.SaveToStream(again);
        again.SetPosition(0);
        world.LoadFromStream(again, ruvo::kSaveVersion);
    } catch (const ruvo::ERuvoError&) {
    }
    return 0;
}
