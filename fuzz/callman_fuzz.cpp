// The interpreter's state in a saved game: the input carries a page (int32 length, then its bytes), the
// saved-game version (int32) and the state; the page is served for every page name the state asks for,
// so the state records of the page's commands are read too. The state is written again and read back.
#include "fuzz_support.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    std::string page;
    int32_t version = 0;
    if (fuzz::Refused([&] {
            page = ReadStr(input);
            version = ReadInt(input);
        }))
        return 0;
    fuzz::CheckRewrite(input, [&](TStream& s, bool again) {
        fuzz::TInterpreter rig(page);
        rig.interpreter.LoadFrom(s, again ? TCallMan::kLevelSavedFrom : version);  // written in the newest form
        TMemoryStream output;
        rig.interpreter.SaveTo(output);
        return fuzz::Bytes(output);
    }, "interpreter state");
    return 0;
}
