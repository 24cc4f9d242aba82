#include "app/runtime.hpp"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "app/locatedata.hpp"
#include "app/savescreen.hpp"
#include "app/textsupport.hpp"
#include "archive/deletionlist.hpp"
#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/images/imagesettings.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/text/history.hpp"
#include "objects/text/readmarks.hpp"
#include "objects/world/savedworld.hpp"
#include "objects/world/world.hpp"
#include "objects/world/worldbindings.hpp"
#include "params/datatables.hpp"
#include "params/expr.hpp"
#include "params/funcs_owned.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "script/gameproject.hpp"
#include "script/savedgames.hpp"
#include "script/runcontext.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

// A player carrying a game ends with the 6-byte trailer: the archive's position and "rv".
bool EndsWithArchiveTag(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char tag[2] = {};
    return in.seekg(-2, std::ios::end) && in.read(tag, 2) && tag[0] == 'r' && tag[1] == 'v';
}

} // namespace

TRuntime::TRuntime(TRuntimeSetup setup, TPlayerServices& services, TLocatePrompts& prompts, TDeletionList& deletions)
    : setup_(std::move(setup)),
      playerFolder_(setup_.playerFile.parent_path()),
      services_(services),
      prompts_(prompts),
      deletions_(deletions) {
    endDeletions_ = std::make_unique<TDeletionList>();
    files_ = std::make_unique<TVrFileManager>(deletions_, std::make_unique<TMountTableDiscRoots>(), setup_.tempFolder);
    files_->AddArchive({});  // the memory-file collection comes first
    RegisterDataSources();
    vars_ = std::make_unique<TParamCollection>();
    funcs_ = std::make_unique<TSysFuncMan>(*vars_);
    context_ = std::make_unique<TRunContext>(TRunContext{services_, *vars_, *funcs_});
    RegisterFileFunctions(*funcs_, GameFiles());
    pictures_ = std::make_unique<TPictureCache>(*files_, 32);
    context_->Pictures = pictures_.get();
    text_ = std::make_unique<TTextSupport>(*files_, *vars_, *funcs_, *pictures_);
    CreateMedia();
    world_ = std::make_unique<TRuvoBaseList>(services_, *vars_);
    world_->SetMedia(media_.get());
    text_->Attach(*world_);
    world_->SetPictures(pictures_.get());
    world_->SetEvaluator([this](TRuvoParser& e) {
        e.Evaluate(*vars_, *funcs_);
        return e.Result() ? e.Result()->AsInt() : 0;
    });
    worldBindings_ = std::make_unique<TWorldBindings>(*world_, vars_->SystemVars(), *funcs_);
    RegisterSaveScreen(*funcs_, *world_, *files_, *pictures_, *endDeletions_);
    context_->World = world_.get();
    savedWorld_ = std::make_unique<TSavedWorld>(*world_);
    CreateCompanions();
    project_ = std::make_unique<TProject>(*context_, *files_, setup_.limits);
    const fs::path gameFolder = setup_.gameFolders.empty() ? playerFolder_ : fs::path(setup_.gameFolders.front());
    saves_ = std::make_unique<TSavedGames>(TSaveSetup{gameFolder, setup_.saveDir, DefaultDataHome()}, *project_,
                                           TGameParts{*context_, *savedWorld_, *history_, *project_->CallMan, *vars_, *tables_},
                                           TStatusParts{*vars_, *readMarks_, *imageSettings_, *tables_});
}

TRuntime::~TRuntime() {
    CloseProject();
    FreeCompanions();
    context_->World = nullptr;
    savedWorld_.reset();
    funcs_->Unregister(sfSaveScreen);
    UnregisterFileFunctions(*funcs_);
    worldBindings_.reset();
    world_.reset();
    media_.reset();
    text_.reset();
    context_->Pictures = nullptr;
    pictures_.reset();
    funcs_.reset();
    vars_.reset();
    files_.reset();
}

// The managers of every kind of sound with their mixer. A sound that cannot be played is told once on the
// trace and on stderr; the sound switch @SoundON turns them all off and on.
void TRuntime::CreateMedia() {
    TMediaSetup setup = setup_.media;
    setup.gameFolder = setup_.gameFolders.empty() ? playerFolder_ : fs::path(setup_.gameFolders.front());
    media_ = std::make_unique<TMediaSet>(setup, *files_, [this](const std::string& name, const std::string& reason) {
        const std::string line = "sound " + SjisToUtf8Lossy(name) + ": " + reason;
        std::fprintf(stderr, "ruvoplay: %s\n", line.c_str());
        if (services_.Tracing()) services_.Trace(Utf8ToSjisLossy(line));
    });
    media_->SetAvailability([this](std::string_view name) { return project_ && project_->FileAvailable(name); });
    TMediaSet& media = *media_;
    vars_->SystemVars().BindFlag(TSystemVar::SoundON, [&media] { return media.Enabled(); },
                                 [&media](bool on) { media.SetEnabled(on); });
}

// The history, the read marks, the layered-image settings and the data tables, which the saved games
// and the status data hold; the history and the settings own system variables.
void TRuntime::CreateCompanions() {
    history_ = std::make_unique<TRuvoNewHistory>();
    readMarks_ = std::make_unique<TRuvoReadList>();
    imageSettings_ = std::make_unique<TLayeredImageSettings>();
    tables_ = std::make_unique<TDBManager>();
    RegisterTableFunctions(*funcs_, *tables_, GameFiles());
    TSystemVars& sv = vars_->SystemVars();
    TRuvoNewHistory& history = *history_;
    sv.BindInt(TSystemVar::HistoryCount, [&history] { return history.Count(); });
    sv.BindInt(TSystemVar::HistoryMaxCount, [&history] { return history.Capacity; },
               [&history](int32_t v) { history.Capacity = v; });
    TLayeredImageSettings& images = *imageSettings_;
    // Pictures already on the screens are redrawn with the display world.
    sv.BindFlag(TSystemVar::CGDither, [&images] { return images.Dither; }, [&images](bool on) { images.Dither = on; });
    context_->History = history_.get();
    context_->ReadMarks = readMarks_.get();
    context_->Tables = tables_.get();
    world_->TextObjects().History = history_.get();
    world_->TextObjects().ReadMarks = readMarks_.get();
}

// The game's files as functions reach them; whether a file can be used asks the project, which may ask
// for its disc.
TFileAccess TRuntime::GameFiles() const {
    return TFileAccess{*files_, [context = context_.get()](std::string_view name) { return context->FileAvailable(name); }};
}

void TRuntime::FreeCompanions() {
    world_->TextObjects().History = nullptr;
    world_->TextObjects().ReadMarks = nullptr;
    context_->History = nullptr;
    context_->ReadMarks = nullptr;
    context_->Tables = nullptr;
    TSystemVars& sv = vars_->SystemVars();
    for (TSystemVar v : {TSystemVar::HistoryCount, TSystemVar::HistoryMaxCount, TSystemVar::CGDither}) sv.Unbind(v);
    UnregisterTableFunctions(*funcs_);
    tables_.reset();
    imageSettings_.reset();
    readMarks_.reset();
    history_.reset();
}

void TRuntime::CloseProject() {
    if (project_) {
        project_->RunExitPage();
        if (project_->Loaded()) saves_->SaveStatus();
    }
    saves_.reset();
    project_.reset();
}

bool TRuntime::ProcessPendingSaves() { return saves_->ProcessPending(); }

TInputSink& TRuntime::Input() const noexcept { return *world_; }

void TRuntime::RegisterDataSources() {
    if (setup_.gameFolders.empty()) {
        files_->SetBaseFolder(playerFolder_);
        // A player made with the game appended carries the trailer, whatever the executable is called.
        if (EndsWithArchiveTag(setup_.playerFile)) files_->AddArchive(setup_.playerFile, TContainerKind::AppendedToProgram);
        return;
    }
    const fs::path base = setup_.gameFolders.front();
    std::error_code ec;
    if (!fs::is_directory(base, ec))
        throw std::move(ERuvoError::FromUtf8("フォルダがありません").AddContext("game folder " + base.string()));
    files_->SetBaseFolder(base);
    for (const std::string& folder : setup_.gameFolders) {
        const fs::path data = fs::path(folder) / "game.dat";
        if (fs::is_regular_file(data, ec)) files_->AddArchive(data);
    }
}

bool TRuntime::LocateData() {
    TMountTableDiscRoots discs;
    return ruvo::LocateData(*files_, playerFolder_, discs, prompts_);
}

void TRuntime::Start() {
    const bool installed = setup_.gameFolders.empty();
    const std::string where = installed ? "player folder " + playerFolder_.string()
                                        : "game folder " + setup_.gameFolders.front();
    WithContext([&] { return where; }, [&] {
        project_->Load(installed ? std::function<bool()>([this] { return LocateData(); }) : nullptr,
                       [this] { saves_->Open(project_->Settings); });
    });
    world_->SetSize(project_->Settings.ScreenWidth, project_->Settings.ScreenHeight);
    pictures_->SetKey(static_cast<uint32_t>(project_->Settings.ImageKey));
}

void TRuntime::RunScript() {
    deletions_.DeleteAll();
    world_->ProcessInput();
    project_->CallMan->RunFrame();
}

void TRuntime::UpdateWorld() { world_->Update(); }

bool TRuntime::ScriptEnded() const {
    const TCallMan& cm = *project_->CallMan;
    return !cm.CurrentPage && cm.State == 0;
}

} // namespace ruvo
