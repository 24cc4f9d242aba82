// Saved variables: the first byte chooses the status data or a saved game (and its version, 107 to
// 134); the rest is read into a variable set, written again and read back.
#include "fuzz_support.hpp"

using namespace ruvo;

namespace {

constexpr int kOldestGame = 107, kNewestGame = 134;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int version = data[0] % 2 == 0 ? 0 : kOldestGame + data[0] / 2 % (kNewestGame - kOldestGame + 1);
    TMemoryStream input = fuzz::InputStream(data + 1, size - 1);
    fuzz::CheckRewrite(input, [&](TStream& s, bool again) {
        TParamCollection vars;
        TMemoryStream output;
        if (version == 0) {
            vars.LoadStatus(s);
            vars.SaveStatus(output);
        } else {
            vars.LoadGame(s, again ? kNewestGame : version);  // games are written in the newest form
            vars.SaveGame(output);
        }
        return fuzz::Bytes(output);
    }, "saved variables");
    return 0;
}
