#include "app/startlogo.hpp"

#include <memory>

#include "archive/bigstreams.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "archive/vrfiles.hpp"
#include "graphics/filmmanager.hpp"
#include "graphics/filmrect.hpp"
#include "graphics/picturecache.hpp"
#include "objects/cinema.hpp"
#include "objects/propaccess.hpp"
#include "objects/screen.hpp"
#include "objects/world.hpp"

namespace ruvo {

namespace {

constexpr int32_t kStageWidth = 240, kStageHeight = 80;
constexpr int kKeySpace = 32, kKeyEnter = 13;

// A bar sliding from the left to its place while brightening, then resting there.
void AddBar(TFilmManager& film, int32_t start, int32_t top, int32_t height, int32_t width, int32_t colour) {
    auto slide = std::make_unique<TBoxFrameList>();
    slide->KindByte = 2;
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
    rest->ParentIndex = film.Count() - 1;
    rest->Length = 90 - start - 30;
    rest->EndLeft = (kStageWidth - width) / 2;
    rest->EndTop = top;
    rest->EndWidth = width;
    rest->EndHeight = height;
    rest->StartColor = rest->EndColor = colour;
    film.AddTrack(std::move(rest));
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
    film.Resolve();
    TVrFileCollection archive;
    film.SaveToStream(*archive.AddMemoryFile(kFileName).Data);
    TGxBigMemoryStream out;
    archive.WriteTo(out);
    return out.Memory().Bytes();
}

TStartLogo::TStartLogo(TVrFileManager& files, TPictureCache& pictures, TRuvoBaseList& world)
    : files_(files), pictures_(pictures), world_(world) {
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
    TRuvoObject* cinema = cinema_ ? world_.Lookup(cinema_) : nullptr;
    if (!cinema) {
        Finish();
        return false;
    }
    if (world_.ActiveScreen().LeftPress || world_.Keys().WasHit(kKeySpace) || world_.Keys().WasHit(kKeyEnter))
        world_.Destroy(*cinema);
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
