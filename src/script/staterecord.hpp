#pragma once
// The state records of running commands start with the 7-byte tag "ruvo100"; the digits after
// "ruvo" are the state version. A record without the tag is read as version 0 from where it began.
#include <cstdint>

namespace ruvo {

class TStream;

constexpr int32_t kStateVersion = 100;

void WriteStateTag(TStream& stream);
// The state version; leaves the stream after the tag, or where it was when there is no tag.
int32_t ReadStateVersion(TStream& stream);

} // namespace ruvo
