#include "tools/tablelisting.hpp"

#include <algorithm>

#include "params/dbtable.hpp"
#include "params/dbtsv.hpp"
#include "params/valuetext.hpp"

namespace ruvo::tools {

namespace {

std::string Cell(const std::string& sjis) {
    std::string text;
    for (char c : TextLineUtf8(sjis)) {
        if (c == '\t') text += "\\t";
        else text += c;
    }
    return text;
}

} // namespace

std::string ListTable(const TDBCustomTable& table, int64_t maxRecords) {
    std::string out = "table\t" + Cell(table.Name) + "\tstatus=" + std::to_string(table.Status) +
                      " records=" + std::to_string(table.RecordCount()) + " recno=" + std::to_string(table.RecNo()) +
                      "\nfields";
    for (const TDBField& f : table.Fields.Items()) out += "\t" + Cell(TsvFieldText(f));
    out += "\n";
    const int64_t count = table.RecordCount();
    // Records of no fields show nothing but their number.
    const int64_t listed = table.Fields.Count() == 0 ? 0 : count;
    const int64_t shown = maxRecords < 0 ? listed : std::min(listed, maxRecords);
    for (int32_t r = 0; r < shown; ++r) {
        out += "record\t" + std::to_string(r);
        for (int f = 0; f < table.Fields.Count(); ++f) out += "\t" + Cell(table.Text(r, f));
        out += "\n";
    }
    if (shown < listed) out += "... " + std::to_string(listed - shown) + " more records\n";
    return out;
}

} // namespace ruvo::tools
