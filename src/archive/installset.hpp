#pragma once
// The installation record "install.dat": which disc this is, the game's title, whether the game was
// installed whole, and the files the game created in its folder. The player uses few of the fields but
// keeps them all, so that a record it changes (the created-files list) is written back intact.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/streams.hpp"

namespace ruvo {

class TRuvoInstallSet {
public:
    static constexpr int kNewestVersion = 107;

    int Version = kNewestVersion;  // 0: no signature
    int32_t DiscIndex = 0;         // 0-based number of the disc the record sits on
    std::string Title;             // compared with the running game's title
    std::array<std::string, 3> Texts4to6;
    uint8_t Flag7 = 0;
    std::string Text8;
    uint8_t Flag9 = 0;
    std::string Text11;
    int32_t Value12 = 0;
    std::array<uint8_t, 2> Flags13to14{};
    std::array<std::string, 2> Texts15to16;
    std::vector<std::array<int64_t, 4>> Groups17;  // stored as 8-byte values from version 100, else 4
    std::array<int64_t, 4> Values18{};
    uint8_t Flag19 = 0;
    uint8_t Flag20 = 0;                    // version 101
    std::vector<std::string> CreatedFiles; // version 102: files the game made in its folder
    bool InstalledWhole = false;           // version 103
    uint8_t Flag23 = 0;                    // version 104
    uint8_t Flag24 = 0;                    // version 105
    std::vector<std::string> Texts25;      // version 106
    std::string Text26;                    // version 107
    std::vector<uint8_t> Tail;             // bytes of a newer record after the fields known here

    // Throws ERuvoError for a truncated or damaged record.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::filesystem::path& path);
    void SaveToFile(const std::filesystem::path& path) const;
};

} // namespace ruvo
