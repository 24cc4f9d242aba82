#include "graphics/film/filmfields.hpp"

#include <bit>
#include <limits>

#include "archive/streams.hpp"

namespace ruvo {

namespace {

bool HalfRate(int32_t version) noexcept { return version <= kFilmLastHalfRateVersion; }

} // namespace

ERuvoError FilmDamaged(std::string why) {
    ERuvoError error = ERuvoError::FromUtf8("フレームリストが壊れています");
    error.AddContext(std::move(why));
    return error;
}

void TFilmReader::Int(const char*, int32_t& value) { value = ReadInt(stream_); }

void TFilmReader::Time(const char* name, int32_t& value) {
    const int32_t stored = ReadInt(stream_);
    if (!HalfRate(Version())) {
        value = stored;
        return;
    }
    const int64_t doubled = int64_t(stored) * 2;
    if (doubled > std::numeric_limits<int32_t>::max() || doubled < std::numeric_limits<int32_t>::min())
        throw FilmDamaged(std::string(name) + " " + std::to_string(stored) + " is too large a time");
    value = int32_t(doubled);
}

void TFilmReader::Byte(const char*, uint8_t& value, TFilmByte) { value = ReadByte(stream_); }

void TFilmReader::Real(const char*, double& value) {
    uint8_t bytes[8];
    stream_.ReadBuffer(bytes, 8);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | bytes[i];
    value = std::bit_cast<double>(bits);
}

void TFilmReader::Str(const char*, std::string& value) { value = ReadStr(stream_); }

void TFilmWriter::Int(const char*, int32_t& value) { WriteInt(stream_, value); }

void TFilmWriter::Time(const char* name, int32_t& value) {
    if (!HalfRate(Version())) {
        WriteInt(stream_, value);
        return;
    }
    if (value % 2 != 0)
        throw FilmDamaged(std::string(name) + " " + std::to_string(value) + " is odd: version " +
                          std::to_string(Version()) + " counts time in units of two frames");
    WriteInt(stream_, value / 2);
}

void TFilmWriter::Byte(const char*, uint8_t& value, TFilmByte) { WriteByte(stream_, value); }

void TFilmWriter::Real(const char*, double& value) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i, bits >>= 8)
        bytes[i] = uint8_t(bits);
    stream_.WriteBuffer(bytes, 8);
}

void TFilmWriter::Str(const char*, std::string& value) { WriteStr(stream_, value); }

} // namespace ruvo
