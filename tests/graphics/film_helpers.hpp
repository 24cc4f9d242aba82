#pragma once
// Frame lists for tests: tracks filled with distinct values, files in memory, and pictures made of
// plain colours.
#include <memory>
#include <string>
#include <vector>

#include "graphics/film/filmmanager.hpp"
#include "graphics/images/picture.hpp"

namespace ruvo::test {

// Gives every field of a record a value of its own (times even, so every version can hold them).
class TFilmFiller final : public TFilmFields {
public:
    explicit TFilmFiller(int32_t version, int seed = 1) : TFilmFields(version), next_(seed * 1000) {}
    bool Loading() const noexcept override { return true; }
    void Int(const char*, int32_t& v) override { v = next_++ - 500; }
    void Time(const char*, int32_t& v) override { v = 2 * (next_++ % 300); }
    void Byte(const char*, uint8_t& v, TFilmByte) override { v = uint8_t(next_++ % 3); }
    void Real(const char*, double& v) override { v = (next_++ % 50) / 8.0; }
    void Str(const char*, std::string& v) override { v = "s" + std::to_string(next_++); }

private:
    int next_;
};

// "name=value" of every field of a record, in order.
class TFilmCollector final : public TFilmFields {
public:
    explicit TFilmCollector(int32_t version) : TFilmFields(version) {}
    std::vector<std::string> Lines;
    void Int(const char* n, int32_t& v) override { Add(n, std::to_string(v)); }
    void Time(const char* n, int32_t& v) override { Add(n, std::to_string(v)); }
    void Byte(const char* n, uint8_t& v, TFilmByte) override { Add(n, std::to_string(v)); }
    void Real(const char* n, double& v) override { Add(n, std::to_string(v)); }
    void Str(const char* n, std::string& v) override { Add(n, v); }

private:
    void Add(const char* n, const std::string& v) { Lines.push_back(std::string(n) + "=" + v); }
};

std::vector<uint8_t> FilmBytes(TFilmManager& film);
// Reads bytes into the manager (name "anim\\test.rmt" unless given); answers LoadFromStream's result.
bool ReadFilm(TFilmManager& film, const std::vector<uint8_t>& bytes, const std::string& name = "anim\\test.rmt");

// A new track of a kind with the common record set.
std::unique_ptr<TCustomFrameList> NewTrack(uint8_t kind, int32_t start, int32_t length, int32_t parent = -1);

// A picture of frames of one colour each (32-bit pixels 0x00RRGGBB), width x height, with delays.
TPicture SolidPicture(int32_t width, int32_t height, const std::vector<uint32_t>& colours, int32_t delay = 100);

// Hands out the pictures it was given by game name (case-sensitive here); null for others.
class TTestPictures final : public TFilmResources {
public:
    std::vector<std::pair<std::string, std::shared_ptr<const TPicture>>> Pictures;
    std::vector<std::string> Asked;
    std::shared_ptr<const TPicture> Picture(const std::string& gameName) override;
};

} // namespace ruvo::test
