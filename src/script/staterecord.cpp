#include "script/staterecord.hpp"

#include <cstring>

#include "archive/streams.hpp"

namespace ruvo {

void WriteStateTag(TStream& stream) { stream.WriteBuffer("ruvo100", 7); }

int32_t ReadStateVersion(TStream& stream) {
    int64_t start = stream.Position();
    char tag[7];
    if (stream.Read(tag, 7) == 7 && std::memcmp(tag, "ruvo", 4) == 0) {
        int32_t version = 0;
        bool digits = true;
        for (int i = 4; i < 7; ++i) {
            if (tag[i] < '0' || tag[i] > '9') digits = false;
            version = version * 10 + (tag[i] - '0');
        }
        // Letters after "ruvo" are not a version: the record is an old one that happens to start so.
        if (digits) return version;
    }
    stream.SetPosition(start);
    return 0;
}

} // namespace ruvo
