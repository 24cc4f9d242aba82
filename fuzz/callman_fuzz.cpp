// The interpreter's state in a saved game: the input carries a page (int32 length, then its bytes), the
// saved-game version (int32) and the state; the page is served for every page name the state asks for,
// so the state records of the page's commands are read too. The state is written again and read back.
#include "fuzz_support.hpp"
#include "params/sysfuncs.hpp"
#include "params/sysstate.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/scripthost.hpp"

using namespace ruvo;

namespace {

class Host final : public TScriptHost {
public:
    bool FileAvailable(std::string_view) override { return true; }
    int32_t GameClock() const override { return 0; }
    int32_t FrameTime() const override { return 16; }
    bool Terminating() const override { return false; }
    void Terminate() override {}
    TScriptWorld* World() const override { return nullptr; }
    void ResetGameState() override {}
};

std::string Rewritten(const std::string& page, TStream& state, int32_t version) {
    Host host;
    TSystemState system;
    TParamCollection vars(system);
    TSysFuncHost funcHost;
    TSysFuncMan funcs(vars, funcHost);
    TCallMan interpreter(host, vars, funcs, [&](const std::string&) {
        return std::make_unique<TMemoryStream>(std::vector<uint8_t>(page.begin(), page.end()));
    });
    interpreter.LoadFrom(state, version);
    TMemoryStream output;
    interpreter.SaveTo(output);
    return fuzz::Bytes(output);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    std::string page;
    int32_t version = 0;
    if (fuzz::Refused([&] {
            page = ReadStr(input);
            version = ReadInt(input);
        }))
        return 0;
    std::string first;
    if (fuzz::Refused([&] { first = Rewritten(page, input, version); })) return 0;
    TMemoryStream again(std::vector<uint8_t>(first.begin(), first.end()));
    fuzz::ExpectStable(first, Rewritten(page, again, TCallMan::kLevelSavedFrom), "interpreter state");
    return 0;
}
