// Saved variables: the first byte chooses the status data or a saved game (and its version, 107 to
// 134); the rest is read into a variable set, written again and read back.
#include "fuzz_support.hpp"
#include "params/sysstate.hpp"
#include "params/varset.hpp"

using namespace ruvo;

namespace {

constexpr int kOldestGame = 107, kNewestGame = 134;

std::string Rewritten(TStream& input, int version) {
    TSystemState state;
    TParamCollection vars(state);
    TMemoryStream output;
    if (version == 0) {
        vars.LoadStatus(input);
        vars.SaveStatus(output);
    } else {
        vars.LoadGame(input, version);
        vars.SaveGame(output);
    }
    return fuzz::Bytes(output);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int version = data[0] % 2 == 0 ? 0 : kOldestGame + data[0] / 2 % (kNewestGame - kOldestGame + 1);
    TMemoryStream input = fuzz::InputStream(data + 1, size - 1);
    std::string first;
    if (fuzz::Refused([&] { first = Rewritten(input, version); })) return 0;
    TMemoryStream again(std::vector<uint8_t>(first.begin(), first.end()));
    fuzz::ExpectStable(first, Rewritten(again, version == 0 ? 0 : kNewestGame), "saved variables");
    return 0;
}
