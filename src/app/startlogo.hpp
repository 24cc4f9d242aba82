#pragma once
// The player's start-up logo: a short frame list of the player's own (bars that slide in and brighten,
// and a caption under them), carried with a hand cursor as the resource archive "MADEWITH"/"DATA" and
// played in a cinema in the middle of the front screen before the script's first frame. The caption is
// renamed "Label" and shows the hand; a click on it opens the player's web page (when there is one),
// any other left click, space or enter skips the logo. While it plays, the archive is one of the
// game's file sources; it goes with the logo.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/resources.hpp"
#include "objects/base/ruvoobject.hpp"

namespace ruvo {

class TPictureCache;
class TRuvoCinema;
class TRuvoBaseList;
class TVrFileManager;

class TStartLogo {
public:
    static constexpr const char* kFileName = "logo.rmt";
    static constexpr const char* kCursorName = "hand.cur";
    // What a click on the caption opens; empty: nothing.
    static constexpr const char* kWebAddress = "https://ruvoplay.example/";
    static constexpr const char* kCaption = "made with ruvoplay";

    // openUrl: the platform's browser (an address in UTF-8).
    using TOpenUrl = std::function<void(const std::string&)>;
    TStartLogo(TVrFileManager& files, TPictureCache& pictures, TRuvoBaseList& world, TOpenUrl openUrl);
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
    // The first caption of the logo is made the link once; true when this step did that.
    bool PrepareCaption(TRuvoCinema& cinema);

    TVrFileManager& files_;
    TPictureCache& pictures_;
    TRuvoBaseList& world_;
    TOpenUrl openUrl_;
    TResourceRegistry registry_;
    int archive_ = -1;
    TObjectId cinema_ = 0;
};

} // namespace ruvo
