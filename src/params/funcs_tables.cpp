// The DB functions: create, fill, browse, search, sort and copy the data tables. "Active" is the
// active table; a function that needs it returns its type's zero value without one.
#include <cstdint>
#include <string>
#include <type_traits>

#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "params/datatables.hpp"
#include "params/funcs_impl.hpp"
#include "params/funcs_owned.hpp"

namespace ruvo {

namespace {

struct TTableCall {
    TDBManager& db;
    const TFileAccess& files;
    const TFuncCall& c;

    TDBCustomTable* Active() const noexcept { return db.ActiveTable(); }
    // The table named by the first argument, or the active one without it.
    TDBCustomTable* NamedOrActive() const { return c.Has(0) ? db.Table(c.Str(0)) : db.ActiveTable(); }
    // An array argument (names, values, flags); none when absent.
    const TCustomParam* Array(size_t i) const { return c.Has(i) ? &funcs::Whole(*c.args[i]) : nullptr; }
    bool Flag(size_t i) const { return c.FlagOr(i, false); }
    // The records of `table` matching the names and values of arguments i and i + 1, with the ignore
    // case and substring flags after them.
    TDBSelection Matching(const TDBCustomTable& table, size_t i, int64_t limit = INT64_MAX) const {
        return table.Locate(Array(i), Array(i + 1), Flag(i + 2), Flag(i + 3), limit);
    }
};

using TTableHandler = void (*)(const TTableCall&);

struct TTableFunction {
    TSysFuncNumber number;
    TTableHandler run;
};

template <class T>
T Arg(const TFuncCall& c, size_t i) {
    if constexpr (std::is_same_v<T, int32_t>) return c.Int(i);
    else if constexpr (std::is_same_v<T, Real>) return c.Float(i);
    else if constexpr (std::is_same_v<T, bool>) return c.args[i]->AsFlag();
    else return c.Str(i);
}

void Put(TCustomParam& dest, int32_t v) { dest.SetInt(v); }
void Put(TCustomParam& dest, Real v) { dest.SetFloat(v); }
void Put(TCustomParam& dest, bool v) { dest.SetFlag(v); }
void Put(TCustomParam& dest, std::string v) { dest.SetStr(std::move(v)); }

// DBGetInt .. DBGetStr (field name): the field of the current record.
template <class T>
void Get(const TTableCall& t) {
    const TDBCustomTable* table = t.Active();
    if (!table) return;
    T value{};
    if (table->Get(table->RecNo(), table->Fields.IndexOf(t.c.Str(0)), value)) Put(t.c.dest, std::move(value));
}

// DBSetInt .. DBSetStr (field name, value).
template <class T>
void Set(const TTableCall& t) {
    TDBCustomTable* table = t.Active();
    if (!table || table->RecNo() < 0) return;
    t.c.dest.SetFlag(table->Set(table->RecNo(), table->Fields.IndexOf(t.c.Str(0)), Arg<T>(t.c, 1)));
}

// DBDirectGetInt .. (table, names, values, ignore case, substring, field, default): no current record moves.
template <class T>
void DirectGet(const TTableCall& t) {
    T value = Arg<T>(t.c, 6);
    if (const auto found = t.db.DirectFind(t.c.Str(0), t.Array(1), t.Array(2), t.Flag(3), t.Flag(4), t.c.Str(5)))
        found->table->Get(found->record, found->field, value);
    Put(t.c.dest, std::move(value));
}

// DBDirectSetInt .. (table, names, values, ignore case, substring, field, value).
template <class T>
void DirectSet(const TTableCall& t) {
    if (const auto found = t.db.DirectFind(t.c.Str(0), t.Array(1), t.Array(2), t.Flag(3), t.Flag(4), t.c.Str(5)))
        t.c.dest.SetFlag(found->table->Set(found->record, found->field, Arg<T>(t.c, 6)));
}

// DBInsert (values...): a new current record; value i goes to field i by its own type.
void Insert(const TTableCall& t) {
    TDBCustomTable* table = t.Active();
    if (!table || !table->Append()) return;
    const int32_t r = table->RecNo();
    for (size_t i = 0; i < t.c.args.size() && i < static_cast<size_t>(table->Fields.Count()); ++i) {
        const int field = static_cast<int>(i);
        switch (t.c.args[i]->TypeCode()) {
        case 1: table->Set(r, field, Arg<int32_t>(t.c, i)); break;
        case 2: table->Set(r, field, Arg<Real>(t.c, i)); break;
        case 3: table->Set(r, field, Arg<bool>(t.c, i)); break;
        case 4: table->Set(r, field, Arg<std::string>(t.c, i)); break;
        default: break;  // a reference to no variable has no value
        }
    }
    t.c.dest.SetFlag(true);
}

// DBLocate (names, values [, ignore case [, substring]]): the first match becomes current.
void Locate(const TTableCall& t) {
    TDBCustomTable* table = t.Active();
    if (!table) return;
    const TDBSelection found = t.Matching(*table, 0, 1);
    if (found.Count(*table) > 0) t.c.dest.SetFlag(table->SetRecNo(found.At(0)));
}

// DBLoadTsvFile (file): the active table from a tab-separated file of the game.
void LoadTsvFile(const TTableCall& t) {
    TDBCustomTable* table = t.Active();
    const std::string name = t.c.Str(0);
    if (!table || name.empty() || !t.files.available(name)) return;
    TMemoryStream content;
    t.files.files.Load(content, name);
    if (content.Size() == 0) return;
    const std::string_view text(reinterpret_cast<const char*>(content.Memory()), static_cast<size_t>(content.Size()));
    t.c.dest.SetFlag(table->LoadTsv(text).loaded);
}

// DBCopyTable (destination [, names, values, ignore case, substring]): the active table's matching
// records (all without names or values) replace the destination's.
void CopyTable(const TTableCall& t) {
    const TDBCustomTable* table = t.Active();
    if (table) t.c.dest.SetFlag(t.db.CopyTo(t.c.Str(0), t.Matching(*table, 1)));
}

// DBInsertTable (source [, names, values, ignore case, substring]): the source's matching records are
// appended to the active table.
void InsertTable(const TTableCall& t) {
    const std::string name = t.c.Str(0);
    const TDBCustomTable* source = t.db.Table(name);
    if (t.Active() && source) t.c.dest.SetFlag(t.db.InsertFrom(name, t.Matching(*source, 1)));
}

// DBCopy (destination): the current record appended to a table of the same fields, where it is current.
void CopyRecord(const TTableCall& t) {
    const TDBCustomTable* table = t.Active();
    TDBCustomTable* dest = t.db.Table(t.c.Str(0));
    if (!table || table->RecNo() < 0 || !dest || !SameFields(table->Fields, dest->Fields)) return;
    t.c.dest.SetFlag(dest->AppendFrom(*table, TDBSelection{false, {table->RecNo()}}));
}

// DBDeleteTable ([name]): the named table, or the active one.
void DeleteTable(const TTableCall& t) {
    const TDBCustomTable* table = t.NamedOrActive();
    if (table) t.c.dest.SetFlag(t.db.DeleteTable(std::string(table->Name)));
}

// DBSort (names, descending flags).
void Sort(const TTableCall& t) {
    TDBCustomTable* table = t.Active();
    if (!table) return;
    table->Sort(*t.Array(0), *t.Array(1));
    t.c.dest.SetFlag(true);
}

const TTableFunction kTableFunctions[] = {
    {sfDBCreateTable, [](const TTableCall& t) { t.c.dest.SetFlag(t.db.CreateTable(t.c.Str(0), t.Flag(1) ? 1 : 0) >= 0); }},
    {sfDBSetActive, [](const TTableCall& t) { t.c.dest.SetFlag(t.db.SetActive(t.c.Str(0))); }},
    {sfDBAddField, [](const TTableCall& t) {
         if (TDBCustomTable* table = t.Active())
             t.c.dest.SetFlag(table->Fields.AddField(t.c.Str(0), t.c.Int(1), t.c.IntOr(2, 0)) >= 0);
     }},
    {sfDBSetRecNo, [](const TTableCall& t) {
         if (TDBCustomTable* table = t.Active()) t.c.dest.SetFlag(table->SetRecNo(t.c.Int(0)));
     }},
    {sfDBInsert, Insert},
    {sfDBDelete, [](const TTableCall& t) {
         if (TDBCustomTable* table = t.Active()) t.c.dest.SetFlag(table->DeleteCurrent());
     }},
    {sfDBGetInt, Get<int32_t>},
    {sfDBSetInt, Set<int32_t>},
    {sfDBGetFloat, Get<Real>},
    {sfDBSetFloat, Set<Real>},
    {sfDBGetBool, Get<bool>},
    {sfDBSetBool, Set<bool>},
    {sfDBGetStr, Get<std::string>},
    {sfDBSetStr, Set<std::string>},
    {sfDBRecordCount, [](const TTableCall& t) {
         const TDBCustomTable* table = t.NamedOrActive();
         t.c.dest.SetInt(table ? table->RecordCount() : -1);
     }},
    {sfDBFindFirst, [](const TTableCall& t) { t.c.dest.SetFlag(t.Active() && t.Active()->First()); }},
    {sfDBFindLast, [](const TTableCall& t) { t.c.dest.SetFlag(t.Active() && t.Active()->Last()); }},
    {sfDBFindNext, [](const TTableCall& t) { t.c.dest.SetFlag(t.Active() && t.Active()->Next()); }},
    {sfDBFindPrior, [](const TTableCall& t) { t.c.dest.SetFlag(t.Active() && t.Active()->Prior()); }},
    {sfDBLocate, Locate},
    {sfDBLoadTsvFile, LoadTsvFile},
    {sfDBDirectGetInt, DirectGet<int32_t>},
    {sfDBDirectSetInt, DirectSet<int32_t>},
    {sfDBDirectGetFloat, DirectGet<Real>},
    {sfDBDirectSetFloat, DirectSet<Real>},
    {sfDBDirectGetBool, DirectGet<bool>},
    {sfDBDirectSetBool, DirectSet<bool>},
    {sfDBDirectGetStr, DirectGet<std::string>},
    {sfDBDirectSetStr, DirectSet<std::string>},
    {sfDBCopyTable, CopyTable},
    {sfDBDeleteTable, DeleteTable},
    {sfDBInsertTable, InsertTable},
    {sfDBCopy, CopyRecord},
    {sfDBClearTable, [](const TTableCall& t) { t.db.Clear(); }},  // the result stays false
    {sfDBSort, Sort},
    {sfDBGetActive, [](const TTableCall& t) {
         if (const TDBCustomTable* table = t.Active()) t.c.dest.SetStr(table->Name);
     }},
    {sfDBGetRecNo, [](const TTableCall& t) { t.c.dest.SetInt(t.Active() ? t.Active()->RecNo() : -1); }},
    {sfDBClearRecord, [](const TTableCall& t) {
         TDBCustomTable* table = t.NamedOrActive();
         if (!table) return;
         table->ClearRecords();
         t.c.dest.SetFlag(true);
     }},
};

} // namespace

void RegisterTableFunctions(TSysFuncMan& funcs, TDBManager& tables, TFileAccess files) {
    for (const TTableFunction& f : kTableFunctions) {
        funcs.Register(f.number, [&tables, files, run = f.run](const TFuncCall& c) {
            try {
                run(TTableCall{tables, files, c});
            } catch (const std::exception&) {
                // A failure is the function's result: the destination keeps its initial value.
            }
        });
    }
}

void UnregisterTableFunctions(TSysFuncMan& funcs) {
    for (const TTableFunction& f : kTableFunctions) funcs.Unregister(f.number);
}

} // namespace ruvo
