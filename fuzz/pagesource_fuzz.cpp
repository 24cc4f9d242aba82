// Pages of any bytes: what the page reader accepts, ruvotool dump --source writes as builder source,
// and that source must build the same page bytes again. Readers' refusals (ERuvoError) are expected;
// anything else, or a page that does not come back, is a fault.
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "script/page.hpp"
#include "tools/pagesource.hpp"

namespace {

std::string Bytes(ruvo::TPage& page) {
    ruvo::TMemoryStream s;
    page.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ruvo::TReadOnlyMemoryStream in(data, static_cast<int64_t>(size));
    ruvo::TPage page;
    try {
        page.LoadFromStream("fuzz.rsb", in);
    } catch (const ruvo::ERuvoError&) {
        return 0;
    }
    if (page.Version > ruvo::kPageMaxVersion) return 0;  // read as empty; there is nothing to write
    const std::string source = ruvo::tools::WritePageSource(page);
    std::unique_ptr<ruvo::TPage> rebuilt;
    try {
        rebuilt = ruvo::tools::BuildPageSource(source, "fuzz.rvs", "fuzz.rsb");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "the written source does not build: %s\n%s", e.what(), source.c_str());
        std::abort();
    }
    if (Bytes(*rebuilt) != Bytes(page)) {
        std::fprintf(stderr, "the written source builds other bytes:\n%s", source.c_str());
        std::abort();
    }
    return 0;
}
