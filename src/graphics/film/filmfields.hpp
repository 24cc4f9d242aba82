#pragma once
// The fields of frame-list records (".rmt"). Every record class walks its fields once, in file order,
// through a TFilmFields; the same walk reads a file, writes one, lists it for people and turns it
// into builder source and back, so these can never disagree about a record's layout.
#include <cstdint>
#include <string>

#include "archive/errors.hpp"

namespace ruvo {

class TStream;

// Files are written as version 108; versions 100..108 are read.
constexpr int32_t kFilmMinVersion = 100;
constexpr int32_t kFilmMaxVersion = 108;
// Version 106 and earlier count time in units of two frames.
constexpr int32_t kFilmLastHalfRateVersion = 106;

// How a byte field is meant, for people reading a listing or writing source.
enum class TFilmByte { Number, Flag, Ease };

class TFilmFields {
public:
    explicit TFilmFields(int32_t version) : version_(version) {}
    virtual ~TFilmFields() = default;

    int32_t Version() const noexcept { return version_; }
    // Whether the record holds a field that first appears in version `since`.
    bool Has(int32_t since) const noexcept { return version_ >= since; }
    // True while the walk fills the record (from a file or from source), false while it writes or lists it.
    virtual bool Loading() const noexcept { return false; }

    virtual void Int(const char* name, int32_t& value) = 0;
    // A time in frames of 1/60 s; files of version 106 and earlier store half of it.
    virtual void Time(const char* name, int32_t& value) = 0;
    virtual void Byte(const char* name, uint8_t& value, TFilmByte meaning = TFilmByte::Number) = 0;
    // A real stored in 8 bytes (IEEE double).
    virtual void Real(const char* name, double& value) = 0;
    // Shift-JIS text or a file name, stored as a 32-bit byte count and the bytes.
    virtual void Str(const char* name, std::string& value) = 0;

private:
    int32_t version_;
};

// "フレームリストが壊れています" with what is wrong as context.
ERuvoError FilmDamaged(std::string why);

// Reads fields from a stream; a record cut short or a string longer than the data is damage.
class TFilmReader final : public TFilmFields {
public:
    TFilmReader(TStream& stream, int32_t version) : TFilmFields(version), stream_(stream) {}
    bool Loading() const noexcept override { return true; }
    void Int(const char* name, int32_t& value) override;
    void Time(const char* name, int32_t& value) override;
    void Byte(const char* name, uint8_t& value, TFilmByte meaning) override;
    void Real(const char* name, double& value) override;
    void Str(const char* name, std::string& value) override;

private:
    TStream& stream_;
};

// Writes fields to a stream. A time that a half-rate version cannot hold (an odd number of frames)
// throws ERuvoError rather than being written changed.
class TFilmWriter final : public TFilmFields {
public:
    TFilmWriter(TStream& stream, int32_t version) : TFilmFields(version), stream_(stream) {}
    void Int(const char* name, int32_t& value) override;
    void Time(const char* name, int32_t& value) override;
    void Byte(const char* name, uint8_t& value, TFilmByte meaning) override;
    void Real(const char* name, double& value) override;
    void Str(const char* name, std::string& value) override;

private:
    TStream& stream_;
};

} // namespace ruvo
