#pragma once
// Tab-separated text as data tables read it. The first line names the fields, one per TAB-separated
// part: "name type length" (the type word "int", "float" or "bool", anything else a string; the max
// length of a string, 80 when absent). Every further line that is not empty is a record: backslash
// escapes (\" \\ \n) are taken out, then the parts go to the fields in order. docs/tables.md.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

struct TDBField;

constexpr int32_t kTsvDefaultLength = 80;

// The parts of a line between TABs, Shift-JIS aware (a TAB after a lead byte is that character's second
// byte); a TAB at the very end gives no empty last part, and an empty line no part.
void SplitTsvLine(std::string_view line, std::vector<std::string_view>& parts);
// The line with \" made ", \\ made \ and \n made CR LF, Shift-JIS aware; any other backslash stays.
// Returns a view of the line itself when it holds no backslash, else of `buffer`.
std::string_view UnescapeTsvLine(std::string_view line, std::string& buffer);

struct TTsvField {
    std::string name;       // empty: the header is faulty
    int type = 4;           // field type code
    int32_t maxLength = kTsvDefaultLength;
};
// One part of the header: the text up to the first space, trimmed, is the name; the next word the
// type; the rest, trimmed, the max length by the integer conversion (80 when it does not convert).
TTsvField ParseTsvField(std::string_view part);
// A field as a header part that reads back as the same field: "id int", "rate float", "ok bool",
// "name str 20".
std::string TsvFieldText(const TDBField& field);

} // namespace ruvo
