#pragma once
// The status data, the entry "STATUSSAVEDATA" that outlives each game: "Status" and the version in three
// digits (103 written), then the status variables, the read marks, the layered-image settings and, from
// version 103, the status data tables. An entry without the tag is version 0 from its first byte. It is
// read into objects of its own and put in place only when the whole entry could be read.
#include <cstdint>
#include <optional>

#include "graphics/images/imagesettings.hpp"
#include "objects/text/readmarks.hpp"
#include "params/datatables.hpp"
#include "params/varset.hpp"

namespace ruvo {

class TStream;

constexpr int32_t kStatusVersion = 103;

// The running player's parts, in the order of their sections.
struct TStatusParts {
    TParamCollection& Vars;
    TRuvoReadList& ReadMarks;
    TLayeredImageSettings& ImageSettings;
    TDBManager& Tables;
};

// Writes the entry at version 0 (no tag) or 100 to 103, each section holding what that version has.
void WriteStatusEntry(TStream& out, const TStatusParts& parts, int32_t version = kStatusVersion);

class TLoadedStatus {
public:
    // Reads the whole entry; throws ERuvoError for anything it cannot use.
    TLoadedStatus(TStream& in, const TStatusParts& running);
    // Adds the status variables (nothing is deleted), replaces the read marks, the settings and, when
    // the entry has them, the status tables. Cannot fail.
    void Commit(const TStatusParts& running);

    int32_t Version = 0;
    TVariableRecords Variables;
    TRuvoReadList ReadMarks;
    TLayeredImageSettings ImageSettings;
    std::optional<TDBSection> Tables;
};

} // namespace ruvo
