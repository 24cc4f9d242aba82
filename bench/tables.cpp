// Data tables against the same work on a plain array of structs: a search by a string key over 100,000
// records (std::find_if), a sort by two keys (std::sort), and the load of a 10 MB TSV text.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/vrfilemanager.hpp"
#include "params/datatables.hpp"
#include "params/funcs_owned.hpp"
#include "params/sysfuncs.hpp"
#include "params/values.hpp"
#include "params/varset.hpp"

namespace {

using namespace ruvo;

constexpr int kRecords = 100000;

struct Item {
    int32_t id;
    int32_t group;
    char name[21];
    int32_t price;
};

// The same records as structs and as a table (id int, group int, name str 20, price int), in a shuffled
// order of groups and names.
struct Data {
    std::vector<Item> items;
    TDBTable table{"items", 0};

    Data() {
        std::mt19937 random(7);
        table.Fields.AddField("id", kDBInteger, 0);
        table.Fields.AddField("group", kDBInteger, 0);
        table.Fields.AddField("name", kDBString, 20);
        table.Fields.AddField("price", kDBInteger, 0);
        for (int32_t i = 0; i < kRecords; ++i) {
            Item item{i, static_cast<int32_t>(random() % 100), {}, static_cast<int32_t>(random() % 10000)};
            std::snprintf(item.name, sizeof item.name, "item%08u", static_cast<unsigned>(random() % 100000000));
            items.push_back(item);
            table.Append();
            table.Set(i, 0, item.id);
            table.Set(i, 1, item.group);
            table.Set(i, 2, std::string(item.name));
            table.Set(i, 3, item.price);
        }
    }
    // The name of the last record: a search reads them all.
    std::string LastName() const { return items.back().name; }
};

Data& Shared() {
    static Data data;
    return data;
}

void BM_LocateStructs(benchmark::State& st) {
    const Data& d = Shared();
    const std::string key = d.LastName();
    for (auto _ : st) {
        auto it = std::find_if(d.items.begin(), d.items.end(), [&](const Item& item) { return key == item.name; });
        benchmark::DoNotOptimize(it);
    }
    st.SetItemsProcessed(st.iterations() * kRecords);
}
BENCHMARK(BM_LocateStructs)->Unit(benchmark::kMicrosecond);

void BM_LocateTable(benchmark::State& st) {
    Data& d = Shared();
    TParamStr names("name"), values(d.LastName());
    for (auto _ : st) {
        const TDBSelection found = d.table.Locate(&names, &values, false, false, 1);
        benchmark::DoNotOptimize(found.records.data());
    }
    st.SetItemsProcessed(st.iterations() * kRecords);
}
BENCHMARK(BM_LocateTable)->Unit(benchmark::kMicrosecond);

// The whole function as a script calls it: DBLocate("name", key) on the active table.
void BM_DBLocateCall(benchmark::State& st) {
    Data& d = Shared();
    TDBManager tables;
    tables.CreateTable("items", 0);
    TDBCustomTable& t = *tables.ActiveTable();
    t.Fields.CopyFrom(d.table.Fields);
    t.AppendFrom(d.table, TDBSelection{true, {}});
    TParamCollection vars;
    TSysFuncMan funcs(vars);
    TDeletionList deletions;
    TVrFileManager files(deletions, std::make_unique<TMountTableDiscRoots>(), {});
    RegisterTableFunctions(funcs, tables, TFileAccess{files, {}});
    TParamStr names("name"), values(d.LastName());
    TCustomParam* args[] = {&names, &values};
    for (auto _ : st) {
        TParamFlag dest;
        funcs.Call(sfDBLocate, dest, args);
        if (!dest.AsFlag()) st.SkipWithError("not found");
    }
    st.SetItemsProcessed(st.iterations() * kRecords);
}
BENCHMARK(BM_DBLocateCall)->Unit(benchmark::kMicrosecond);

// Sorted by group ascending, then name descending; every iteration starts from the shuffled order.
void BM_SortStructs(benchmark::State& st) {
    const Data& d = Shared();
    std::vector<Item> items;
    for (auto _ : st) {
        st.PauseTiming();
        items = d.items;
        st.ResumeTiming();
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
            if (a.group != b.group) return a.group < b.group;
            return std::strcmp(a.name, b.name) > 0;
        });
        benchmark::DoNotOptimize(items.data());
    }
    st.SetItemsProcessed(st.iterations() * kRecords);
}
BENCHMARK(BM_SortStructs)->Unit(benchmark::kMillisecond);

void BM_SortTable(benchmark::State& st) {
    Data& d = Shared();
    TDBTable table;
    table.Fields.CopyFrom(d.table.Fields);
    TParamStr names;
    names.SetDims({2});
    names.SetStrAt(0, "group");
    names.SetStrAt(1, "name");
    TParamFlag descending;
    descending.SetDims({2});
    descending.SetFlagAt(1, true);
    for (auto _ : st) {
        st.PauseTiming();
        table.ClearRecords();
        table.AppendFrom(d.table, TDBSelection{true, {}});
        st.ResumeTiming();
        table.Sort(names, descending);
        benchmark::DoNotOptimize(table.Record(0));
    }
    st.SetItemsProcessed(st.iterations() * kRecords);
}
BENCHMARK(BM_SortTable)->Unit(benchmark::kMillisecond);

// About 10 MB: an integer, a string, a real, a flag and a longer string a line, some with escapes.
std::string TsvText() {
    std::string text = "id int\tname str 40\tprice float\tok bool\tnote str 80\r\n";
    char line[256];
    for (int i = 0; text.size() < 10'000'000; ++i) {
        std::snprintf(line, sizeof line, "%d\titem number %d\t%d.%02d\t%s\ta note for item %d, %s\r\n", i, i, i % 1000,
                      i % 100, i % 3 ? "TRUE" : "FALSE", i, i % 10 ? "plain text" : "with \\\"quotes\\\" and \\n a break");
        text += line;
    }
    return text;
}

void BM_LoadTsv10MB(benchmark::State& st) {
    const std::string text = TsvText();
    TDBTable table;
    for (auto _ : st) {
        const TTsvLoad load = table.LoadTsv(text);
        if (!load.loaded) st.SkipWithError("not loaded");
    }
    st.SetBytesProcessed(st.iterations() * static_cast<int64_t>(text.size()));
    st.counters["records"] = table.RecordCount();
}
BENCHMARK(BM_LoadTsv10MB)->Unit(benchmark::kMillisecond);

} // namespace
