#pragma once
// A data table as the tools show it: its name and state, its fields in the header form of a TSV file,
// and one line a record with the values as text (UTF-8; backslash, TAB, CR and LF escaped).
#include <cstdint>
#include <string>

namespace ruvo {
class TDBCustomTable;
}

namespace ruvo::tools {

// "table\tNAME\tstatus=S records=N recno=R", "fields\tid int\tname str 80", then "record\tI\tV0\tV1...",
// at most maxRecords of them (negative: all) and "... N more records" after a cut.
std::string ListTable(const TDBCustomTable& table, int64_t maxRecords = -1);

} // namespace ruvo::tools
