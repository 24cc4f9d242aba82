#pragma once
// Saved records described once. A record's class writes one Sync(TSerializer&) that walks its fields in
// file order, naming the version each field first appears in; the same walk reads a record of any
// version (fields the version lacks keep the value they had) and writes the newest one. Variables, the
// interpreter's state, the commands' running states and the display objects are stored this way, so a
// reader and its writer cannot disagree.
#include <cstdint>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/streams.hpp"

namespace ruvo {

// Saved games are written as version 134; the records inside one are read with the game's version.
constexpr int32_t kSaveVersion = 134;

class TSerializer {
public:
    static TSerializer Reader(TStream& stream, int32_t version) { return TSerializer(stream, version, true); }
    static TSerializer Writer(TStream& stream, int32_t version) { return TSerializer(stream, version, false); }

    bool Loading() const noexcept { return loading_; }
    int32_t Version() const noexcept { return version_; }
    TStream& Stream() const noexcept { return stream_; }
    // Whether the record holds a field that appears in version `since`.
    bool Has(int32_t since) const noexcept { return version_ >= since; }

    void Int(int32_t& v, int32_t since = 0) {
        if (!Has(since)) return;
        if (loading_) v = ReadInt(stream_);
        else WriteInt(stream_, v);
    }
    void Byte(uint8_t& v, int32_t since = 0) {
        if (!Has(since)) return;
        if (loading_) v = ReadByte(stream_);
        else WriteByte(stream_, v);
    }
    // One byte; any value but 0 reads as true.
    void Bool(bool& v, int32_t since = 0) {
        if (!Has(since)) return;
        if (loading_) v = ReadByte(stream_) != 0;
        else WriteByte(stream_, v ? 1 : 0);
    }
    // int32 byte count and the bytes (Shift-JIS text, or any bytes kept as they are).
    void Str(std::string& v, int32_t since = 0) {
        if (!Has(since)) return;
        if (loading_) v = ReadStr(stream_);
        else WriteStr(stream_, v);
    }
    // int32 count, then the strings.
    void Strings(std::vector<std::string>& list, int32_t since = 0) {
        if (!Has(since)) return;
        int32_t n = static_cast<int32_t>(list.size());
        Count(n, 4);
        if (loading_) {
            list.clear();
            list.reserve(static_cast<size_t>(n));
            for (int32_t i = 0; i < n; ++i) list.push_back(ReadStr(stream_));
        } else {
            for (const auto& item : list) WriteStr(stream_, item);
        }
    }
    // An int32 count of items that follow, each taking at least minItemBytes: a count the rest of the
    // data cannot hold is damage, refused before anything is allocated for it.
    void Count(int32_t& n, int64_t minItemBytes) {
        if (!loading_) {
            WriteInt(stream_, n);
            return;
        }
        n = ReadInt(stream_);
        if (n < 0 || (minItemBytes > 0 && n > stream_.Remaining() / minItemBytes))
            throw std::move(Damaged().AddContext("a count of " + std::to_string(n) + " does not fit the data"));
    }

    // "セーブデータが壊れています": what readers of saved records raise for data they cannot use.
    static ERuvoError Damaged() { return ERuvoError::FromUtf8("セーブデータが壊れています"); }

private:
    TSerializer(TStream& stream, int32_t version, bool loading) : stream_(stream), version_(version), loading_(loading) {}
    TStream& stream_;
    int32_t version_;
    bool loading_;
};

} // namespace ruvo
