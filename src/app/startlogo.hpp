#pragma once
// The player's start-up logo: a short frame list of the player's own (bars that slide in and brighten),
// carried as the resource archive "MADEWITH"/"DATA" and played in a cinema in the middle of the front
// screen before the script's first frame. A left click, space or enter skips it. While it plays, the
// archive is one of the game's file sources; it goes with the logo.
#include <cstdint>
#include <vector>

#include "archive/resources.hpp"
#include "objects/ruvoobject.hpp"

namespace ruvo {

class TPictureCache;
class TRuvoBaseList;
class TVrFileManager;

class TStartLogo {
public:
    static constexpr const char* kFileName = "logo.rmt";

    TStartLogo(TVrFileManager& files, TPictureCache& pictures, TRuvoBaseList& world);
    ~TStartLogo();
    TStartLogo(const TStartLogo&) = delete;
    TStartLogo& operator=(const TStartLogo&) = delete;

    // One frame of the logo in place of the script's (input, skipping). False once the cinema has gone:
    // the archive is removed then, and the script runs from the next frame.
    bool Step();

    // The logo's archive (a frame list named kFileName).
    static std::vector<uint8_t> ArchiveBytes();

private:
    void Finish();

    TVrFileManager& files_;
    TPictureCache& pictures_;
    TRuvoBaseList& world_;
    TResourceRegistry registry_;
    int archive_ = -1;
    TObjectId cinema_ = 0;
};

} // namespace ruvo
