#include "app/startlogo.hpp"

#include <memory>

#include "archive/bigstreams.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "archive/vrfiles.hpp"
#include "graphics/film/filmlabel.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/film/filmrect.hpp"
#include "graphics/images/iconfile.hpp"
#include "graphics/images/picturecache.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "objects/images/cinema.hpp"
#include "objects/images/cinemaworld.hpp"
#include "objects/text/label.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {

constexpr int32_t kStageWidth = 240, kStageHeight = 88;
constexpr int kKeySpace = 32, kKeyEnter = 13;
constexpr int32_t kLength = 90;  // frames
constexpr uint8_t kTransparent = 1;  // IM_ALL: clicks on the bars skip the logo

// A bar sliding from the left to its place while brightening, then resting there.
void AddBar(TFilmManager& film, int32_t start, int32_t top, int32_t height, int32_t width, int32_t colour) {
    auto slide = std::make_unique<TBoxFrameList>();
    slide->KindByte = 2;
    slide->MouseMode = kTransparent;
    slide->OwnStart = start;
    slide->Length = 30;
    slide->StartLeft = -width;
    slide->EndLeft = (kStageWidth - width) / 2;
    slide->StartTop = slide->EndTop = top;
    slide->StartWidth = slide->EndWidth = width;
    slide->StartHeight = slide->EndHeight = height;
    slide->EasePos = 2;  // decelerating
    slide->StartColor = 0x202020;
    slide->EndColor = colour;
    film.AddTrack(std::move(slide));
    auto rest = std::make_unique<TBoxFrameList>();
    rest->KindByte = 2;
    rest->MouseMode = kTransparent;
    rest->ParentIndex = film.Count() - 1;
    rest->Length = kLength - start - 30;
    rest->EndLeft = (kStageWidth - width) / 2;
    rest->EndTop = top;
    rest->EndWidth = width;
    rest->EndHeight = height;
    rest->StartColor = rest->EndColor = colour;
    film.AddTrack(std::move(rest));
}

// The caption under the bars, fading in once they are there.
void AddCaption(TFilmManager& film) {
    auto caption = std::make_unique<TLabelFrameList>();
    caption->KindByte = 1;
    caption->MouseMode = kTransparent;  // until the logo makes it the link
    caption->OwnStart = 30;
    caption->Length = kLength - 30;
    caption->Hold = 1;
    caption->AnchorX = 0;
    caption->StartX = caption->EndX = 66;
    caption->StartY = caption->EndY = 68;
    caption->StartAlpha = 1;
    caption->EndAlpha = 255;
    caption->Text = TStartLogo::kCaption;
    caption->FontHeight = 12;
    caption->FontColor = 0xC0C0C0;
    film.AddTrack(std::move(caption));
}

// A 16 × 16 pointing hand, white with a black outline, pointing at (5, 0).
std::vector<uint8_t> HandCursor() {
    static constexpr const char* kRows[16] = {
        "    ##          ", "   #..#         ", "   #..#         ", "   #..#         ",
        "   #..###       ", "   #..#..###    ", "   #..#..#..##  ", "## #..#..#..#.# ",
        "#..#........#.# ", "#...#.........# ", " #............# ", " #...........#  ",
        "  #..........#  ", "   #.........#  ", "   #........#   ", "   ##########   ",
    };
    TIconImage image;
    image.Picture = NewStorage(16, 16, 32);
    image.Mask = NewStorage(16, 16, 8);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const char c = kRows[y][x];
            SetStoragePixel(*image.Picture, x, y, c == '.' ? 0xFFFFFF : 0);
            SetStoragePixel(*image.Mask, x, y, c == ' ' ? 0 : 255);
        }
    image.WithAlpha = true;
    image.HotSpotX = 5;
    image.HotSpotY = 0;
    return WriteIcon(std::span(&image, 1), true);
}

} // namespace

std::vector<uint8_t> TStartLogo::ArchiveBytes() {
    TFilmManager film;
    film.Cinema = true;
    film.StageWidth = kStageWidth;
    film.StageHeight = kStageHeight;
    film.Color = 0;
    AddBar(film, 0, 16, 10, 200, 0x3050E0);
    AddBar(film, 10, 35, 10, 160, 0x40C0F0);
    AddBar(film, 20, 54, 10, 120, 0xF0F0F0);
    AddCaption(film);
    film.Resolve();
    TVrFileCollection archive;
    film.SaveToStream(*archive.AddMemoryFile(kFileName).Data);
    const std::vector<uint8_t> hand = HandCursor();
    archive.AddMemoryFile(kCursorName).Data->WriteBuffer(hand.data(), static_cast<int64_t>(hand.size()));
    TGxBigMemoryStream out;
    archive.WriteTo(out);
    return out.Memory().Bytes();
}

TStartLogo::TStartLogo(TVrFileManager& files, TPictureCache& pictures, TRuvoBaseList& world, TOpenUrl openUrl)
    : files_(files), pictures_(pictures), world_(world), openUrl_(std::move(openUrl)) {
    registry_.AddCopy("MADEWITH", "DATA", ArchiveBytes());
    archive_ = files_.AddResourceArchive(registry_, "MADEWITH", "DATA");
    auto* cinema = dynamic_cast<TRuvoCinema*>(world_.CreateByType(4));
    if (!cinema) return;
    cinema->SetParent(&world_.ActiveScreen());
    SetProperty(*cinema, PR_SOURCE, std::string(kFileName));
    SetProperty(*cinema, PR_IGNOREMOUSE, 1);
    SetProperty(*cinema, PR_AUTOSCRAP, true);
    SetProperty(*cinema, PR_REPEAT, false);
    SetProperty(*cinema, PR_LEFT, (world_.Width() - cinema->Width) / 2);
    SetProperty(*cinema, PR_TOP, (world_.Height() - cinema->Height) / 2);
    cinema_ = cinema->Id();
}

TStartLogo::~TStartLogo() { Finish(); }

bool TStartLogo::Step() {
    world_.ProcessInput();
    TRuvoObject* found = cinema_ ? world_.Lookup(cinema_) : nullptr;
    auto* cinema = dynamic_cast<TRuvoCinema*>(found);
    if (!cinema) {
        Finish();
        return false;
    }
    if (PrepareCaption(*cinema)) return true;
    const TRuvoBase& screen = world_.ActiveScreen();
    if (screen.LeftPress) {
        // The caption takes every event but the left button's, so the press is still there for it.
        const TRuvoControl* under = cinema->TrackAt(screen.PointerX, screen.PointerY, kHoverMask);
        if (under && under->GetCompoType() == 9) {
            if (openUrl_ && *kWebAddress) openUrl_(kWebAddress);
            return true;
        }
    }
    if (screen.LeftPress || world_.Keys().WasHit(kKeySpace) || world_.Keys().WasHit(kKeyEnter))
        world_.Destroy(*cinema);
    return true;
}

bool TStartLogo::PrepareCaption(TRuvoCinema& cinema) {
    TRuvoLabel* caption = cinema.Tracks() ? cinema.Tracks()->FirstLabel() : nullptr;
    if (!caption || !caption->IsInternal()) return false;
    caption->SetName("Label");
    caption->Cursor = kCursorName;
    caption->MouseMode = 3;  // IM_LCLICK: hovered (the hand), the left press left to the logo
    return true;
}

void TStartLogo::Finish() {
    if (cinema_) {
        if (TRuvoObject* cinema = world_.Lookup(cinema_)) world_.Destroy(*cinema);
        cinema_ = 0;
    }
    if (archive_ >= 0) {
        files_.RemoveArchive(archive_);
        archive_ = -1;
        pictures_.Trim();
    }
}

} // namespace ruvo
