#pragma once
// The project file "ruvo.rpb": title, screen size, start and exit pages, the project's variables and
// the folder-to-disc map. The project object that runs the game is built on this record.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/discs.hpp"
#include "archive/extended.hpp"

namespace ruvo {

class TStream;

constexpr int32_t kProjectMaxVersion = 110;
constexpr const char* kProjectFileName = "ruvo.rpb";
// A project file whose folder-to-disc map replaces the game's own (installed games keep it there).
constexpr const char* kOriginalProjectFileName = "/original_ruvo.rpb";
// StreamedExts of files older than 109.
constexpr const char* kOldStreamedExts = ".wav.wma.ogg.mid";

// One project variable definition: type byte (1 int, 2 float, 3 flag, 4 string), name, initial value.
// Other type bytes carry no value.
struct TProjectVariable {
    uint8_t Type = 1;
    std::string Name;
    int32_t IntValue = 0;
    Real RealValue = 0;
    uint8_t FlagValue = 0;
    std::string StringValue;
};


struct TProjectFile {
    int32_t Version = kProjectMaxVersion;
    std::string Title;
    int32_t ScreenWidth = 640, ScreenHeight = 480;
    int32_t FullScreenWidth = 640, FullScreenHeight = 480;
    std::string StartPage;
    std::string ExitPage;      // version >= 110
    std::string RegistryKey;
    int32_t ImageKey = 0;
    uint8_t WriteStatus = 1;   // version >= 104, else 1
    uint8_t IdleSleep = 1;     // version >= 106, else 0
    std::string StreamedExts = kOldStreamedExts;  // version >= 109
    std::string DiscPrompt;
    std::string QuitPrompt;
    std::vector<TProjectVariable> Variables;
    TFolderDiskList FolderDisks;  // folder (Shift-JIS, "\" separators) -> 1-based disc

    // Reads a project file. An empty file throws "プロジェクトがありません"; a version above 110
    // answers false and leaves the record as it was (the player then stops without a message).
    bool LoadFromStream(TStream& stream);
    // Writes the fields the version carries; a file read and written again gives the same bytes.
    void SaveToStream(TStream& stream) const;
};

// The folder-to-disc map of another project file ("/original_ruvo.rpb"), read with that file's own
// version guards; false (map untouched) for a version above 110.
bool ReadFolderDisks(TStream& stream, TFolderDiskList& map);

} // namespace ruvo
