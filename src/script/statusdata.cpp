#include "script/statusdata.hpp"

#include <cstring>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "archive/streams.hpp"

namespace ruvo {

namespace {

constexpr char kTag[] = "Status";
constexpr size_t kTagSize = sizeof kTag - 1;
// Status data tables are kept from this version on.
constexpr int32_t kTablesSince = 103;

// The version after the tag, or 0 with the stream back at its start when there is no tag.
int32_t ReadStatusVersion(TStream& in) {
    const int64_t start = in.Position();
    char head[kTagSize + 3] = {};
    if (in.Read(head, sizeof head) != static_cast<int64_t>(sizeof head) || std::memcmp(head, kTag, kTagSize) != 0) {
        in.SetPosition(start);
        return 0;
    }
    int32_t version = 0;
    for (size_t i = kTagSize; i < sizeof head; ++i) {
        if (head[i] < '0' || head[i] > '9')
            throw std::move(TSerializer::Damaged().AddContext("the status data's version is not three digits"));
        version = version * 10 + (head[i] - '0');
    }
    if (version > kStatusVersion)
        throw std::move(TSerializer::Damaged().AddContext("status data of version " + std::to_string(version) +
                                                          " (this player reads up to " + std::to_string(kStatusVersion) + ")"));
    return version;
}

} // namespace

void WriteStatusEntry(TStream& out, const TStatusParts& parts, int32_t version) {
    if (version != 0 && (version < 100 || version > kStatusVersion))
        throw ERuvoError("status data cannot be written as version " + std::to_string(version));
    if (version != 0) {
        const std::string tag = kTag + std::to_string(version);
        out.WriteBuffer(tag.data(), static_cast<int64_t>(tag.size()));
    }
    parts.Vars.SaveStatus(out);
    TSerializer s = TSerializer::Writer(out, version);
    parts.ReadMarks.Sync(s);
    parts.ImageSettings.Sync(s);
    if (version >= kTablesSince) parts.Tables.Save(out, 1);
}

TLoadedStatus::TLoadedStatus(TStream& in, const TStatusParts& running) {
    Version = ReadStatusVersion(in);
    WithContext([] { return std::string("status variables"); }, [&] { Variables = running.Vars.ReadStatus(in); });
    TSerializer s = TSerializer::Reader(in, Version);
    WithContext([] { return std::string("read marks"); }, [&] { ReadMarks.Sync(s); });
    ImageSettings = running.ImageSettings;
    WithContext([] { return std::string("layered-image settings"); }, [&] { ImageSettings.Sync(s); });
    if (Version >= kTablesSince)
        WithContext([] { return std::string("data tables"); }, [&] { Tables = running.Tables.Read(in, 1); });
}

void TLoadedStatus::Commit(const TStatusParts& running) {
    running.Vars.ApplyStatus(std::move(Variables));
    running.ReadMarks = std::move(ReadMarks);
    running.ImageSettings = ImageSettings;
    if (Tables) running.Tables.Apply(std::move(*Tables), 1);
}

} // namespace ruvo
