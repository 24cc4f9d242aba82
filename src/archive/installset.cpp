#include "archive/installset.hpp"

#include <cstdio>
#include <stdexcept>

#include "archive/errors.hpp"

namespace ruvo {

namespace {

ERuvoError Damaged(const std::string& why) {
    return std::move(ERuvoError::FromUtf8("読み込みエラー").AddContext("install.dat: " + why));
}

// A count of items that each take at least minBytes, checked against what the stream still holds.
int32_t ReadCount(TStream& s, int64_t minBytes, const char* what) {
    const int32_t count = ReadInt(s);
    if (count < 0 || count > s.Remaining() / minBytes)
        throw Damaged(std::string(what) + " count " + std::to_string(count) + " runs past the end");
    return count;
}

int64_t ReadValue(TStream& s, int version) { return version >= 100 ? ReadInt64(s) : ReadInt(s); }
void WriteValue(TStream& s, int version, int64_t v) {
    if (version >= 100)
        WriteInt64(s, v);
    else
        WriteInt(s, static_cast<int32_t>(v));
}

} // namespace

void TRuvoInstallSet::LoadFromStream(TStream& s) {
    *this = TRuvoInstallSet();
    const int64_t start = s.Position();
    char sig[5];
    if (s.Read(sig, 5) == 5 && sig[0] == 'i' && sig[1] == 's') {
        Version = 0;
        for (int i = 2; i < 5; ++i) {
            if (sig[i] < '0' || sig[i] > '9') throw Damaged("the signature carries no version number");
            Version = Version * 10 + (sig[i] - '0');
        }
    } else {
        s.SetPosition(start);
        Version = 0;
    }
    const int v = Version;
    DiscIndex = ReadInt(s);
    Title = ReadStr(s);
    for (auto& t : Texts4to6) t = ReadStr(s);
    Flag7 = ReadByte(s);
    Text8 = ReadStr(s);
    Flag9 = ReadByte(s);
    const int64_t valueSize = v >= 100 ? 8 : 4;
    const int32_t groups = ReadInt(s);
    Text11 = ReadStr(s);
    Value12 = ReadInt(s);
    for (auto& f : Flags13to14) f = ReadByte(s);
    for (auto& t : Texts15to16) t = ReadStr(s);
    if (groups < 0 || groups > s.Remaining() / (4 * valueSize))
        throw Damaged("group count " + std::to_string(groups) + " runs past the end");
    Groups17.resize(static_cast<size_t>(groups));
    for (auto& g : Groups17)
        for (auto& value : g) value = ReadValue(s, v);
    for (auto& value : Values18) value = ReadValue(s, v);
    Flag19 = ReadByte(s);
    if (v >= 101) Flag20 = ReadByte(s);
    if (v >= 102) {
        const int32_t n = ReadCount(s, 4, "created files");
        for (int32_t i = 0; i < n; ++i) {
            std::string path = ReadStr(s);
            if (!path.empty()) CreatedFiles.push_back(std::move(path));
        }
    }
    if (v >= 103) InstalledWhole = ReadByte(s) != 0;
    if (v >= 104) Flag23 = ReadByte(s);
    if (v >= 105) Flag24 = ReadByte(s);
    if (v >= 106) {
        const int32_t n = ReadCount(s, 4, "text list");
        for (int32_t i = 0; i < n; ++i) Texts25.push_back(ReadStr(s));
    }
    if (v >= 107) Text26 = ReadStr(s);
    if (v > kNewestVersion) {
        Tail.resize(static_cast<size_t>(s.Remaining()));
        s.ReadBuffer(Tail.data(), static_cast<int64_t>(Tail.size()));
    }
}

void TRuvoInstallSet::SaveToStream(TStream& s) const {
    const int v = Version;
    if (v < 0 || v > 999) throw std::invalid_argument("install.dat version out of range");
    if (v > 0) {
        char sig[8];
        std::snprintf(sig, sizeof sig, "is%03d", v);
        s.WriteBuffer(sig, 5);
    }
    WriteInt(s, DiscIndex);
    WriteStr(s, Title);
    for (const auto& t : Texts4to6) WriteStr(s, t);
    WriteByte(s, Flag7);
    WriteStr(s, Text8);
    WriteByte(s, Flag9);
    WriteInt(s, static_cast<int32_t>(Groups17.size()));
    WriteStr(s, Text11);
    WriteInt(s, Value12);
    for (auto f : Flags13to14) WriteByte(s, f);
    for (const auto& t : Texts15to16) WriteStr(s, t);
    for (const auto& g : Groups17)
        for (auto value : g) WriteValue(s, v, value);
    for (auto value : Values18) WriteValue(s, v, value);
    WriteByte(s, Flag19);
    if (v >= 101) WriteByte(s, Flag20);
    if (v >= 102) {
        WriteInt(s, static_cast<int32_t>(CreatedFiles.size()));
        for (const auto& path : CreatedFiles) WriteStr(s, path);
    }
    if (v >= 103) WriteByte(s, InstalledWhole ? 1 : 0);
    if (v >= 104) WriteByte(s, Flag23);
    if (v >= 105) WriteByte(s, Flag24);
    if (v >= 106) {
        WriteInt(s, static_cast<int32_t>(Texts25.size()));
        for (const auto& t : Texts25) WriteStr(s, t);
    }
    if (v >= 107) WriteStr(s, Text26);
    if (v > kNewestVersion) s.WriteBuffer(Tail.data(), static_cast<int64_t>(Tail.size()));
}

void TRuvoInstallSet::LoadFromFile(const std::filesystem::path& path) {
    TMemoryStream m;
    m.LoadFromFile(path);
    LoadFromStream(m);
}

void TRuvoInstallSet::SaveToFile(const std::filesystem::path& path) const {
    TMemoryStream m;
    SaveToStream(m);
    m.SaveToFile(path);
}

} // namespace ruvo
