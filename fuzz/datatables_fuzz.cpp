// The data tables' persisted form: the first byte picks the section (0 game data, 1 status data), the
// rest is read apart from a manager, put in place, searched, sorted and read as text, and written again.
#include "params/datatables.hpp"
#include "params/values.hpp"
#include "fuzz_support.hpp"

using namespace ruvo;

namespace {

// What scripts do with loaded tables, bounded so that a table of very many empty records stays quick.
void UseTables(TDBManager& tables) {
    for (const auto& table : tables.Tables) {
        TDBCustomTable& t = *table;
        if (t.Fields.Count() == 0) continue;
        TParamStr names(t.Fields[0].Name), values(t.Text(0, 0));
        TParamFlag descending(true);
        t.Locate(&names, &values, true, true, 10);
        t.Sort(names, descending);
        for (int32_t r = 0; r < std::min(t.RecordCount(), 50); ++r)
            for (int f = 0; f < std::min(t.Fields.Count(), 50); ++f) t.Text(r, f);
        t.Append();
        t.Set(t.RecNo(), 0, std::string("0123456789abcdefghij"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t status = data[0] & 1;
    TMemoryStream input = fuzz::InputStream(data + 1, size - 1);
    fuzz::CheckRewrite(input, [status](TStream& s, bool again) {
        TDBManager tables;
        tables.Load(s, status);
        if (!again) UseTables(tables);
        TMemoryStream output;
        tables.Save(output, status);
        return fuzz::Bytes(output);
    }, "data tables");
    return 0;
}
