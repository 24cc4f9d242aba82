// Tab-separated text loaded into a data table as DBLoadTsvFile loads it; what loaded is searched, sorted,
// and its persisted form written and read back to the same bytes.
#include <cstdlib>

#include "params/datatables.hpp"
#include "params/values.hpp"
#include "fuzz_support.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDBManager tables;
    tables.CreateTable("t", 0);
    TDBCustomTable& t = *tables.ActiveTable();
    const TTsvLoad load = t.LoadTsv(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!load.loaded && (t.Fields.Count() != 0 || t.RecordCount() != 0 || load.line <= 0)) std::abort();
    if (t.Fields.Count() > 0) {
        TParamStr names(t.Fields[t.Fields.Count() - 1].Name), values(t.Text(0, 0));
        TParamFlag descending(false);
        t.Locate(&names, &values, false, true);
        t.Sort(names, descending);
    }
    TMemoryStream saved;
    tables.Save(saved, 0);
    saved.SetPosition(0);
    TDBManager back;
    back.Load(saved, 0);
    TMemoryStream again;
    back.Save(again, 0);
    if (fuzz::Bytes(again) != fuzz::Bytes(saved)) std::abort();
    return 0;
}
