// Preview menu templates: the tag, every count and length of the file; what was read must be written
// back to the same bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.hpp"
#include "objects/choices/prevmenutemplate.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ruvo;
    TMemoryStream input = fuzz::InputStream(data, size);
    fuzz::CheckRewrite(input, [](TStream& s, bool) {
        TPrevMenuTemplate menu;
        menu.LoadFromStream(s);
        TMemoryStream out;
        menu.SaveToStream(out);
        return fuzz::Bytes(out);
    }, "menu template");
    return 0;
}
