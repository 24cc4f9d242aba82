#include "app/player.hpp"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/pngfile.hpp"
#include "params/functable.hpp"
#include "params/valuetext.hpp"
#include "params/varset.hpp"

namespace ruvo {

namespace fs = std::filesystem;
using platform::MessageAnswer;

namespace {

bool EndsWithArchiveTag(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char tag[2] = {};
    return in.seekg(-2, std::ios::end) && in.read(tag, 2) && tag[0] == 'r' && tag[1] == 'v';
}

} // namespace

using platform::MessageButtons;
using platform::MessageIcon;
using platform::PlatformEvent;

TPlayer::TPlayer(TPlayerOptions options, platform::TPlatform& platform, fs::path playerFile)
    : options_(std::move(options)),
      platform_(platform),
      playerFile_(std::move(playerFile)),
      playerFolder_(playerFile_.parent_path()) {}

TPlayer::~TPlayer() {
    if (trace_) std::fclose(trace_);
}

int TPlayer::Run() {
    try {
        StartUp();
        if (!terminating_) FrameLoop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ruvoplay: %s\n", e.what());
        exitCode_ = 1;
    }
    ShutDown();
    return exitCode_;
}

platform::MessageAnswer TPlayer::Box(const std::string& sjisText, const std::string& sjisCaption,
                                      MessageButtons buttons, MessageIcon icon) {
    // A box stops the world: the time it stays open is not game time.
    const MessageAnswer answer = platform_.ShowMessage(SjisToUtf8Lossy(sjisText), SjisToUtf8Lossy(sjisCaption), buttons, icon);
    clock_.Resume(platform_.Ticks());
    return answer;
}

// ---- start-up and shut-down, in their fixed orders

void TPlayer::StartUp() {
    std::error_code ec;
    fs::remove(playerFolder_ / "ruvoplay.log", ec);
    ini_ = LoadGameIni(playerFolder_ / "game.ini");
    if (!options_.traceFile.empty()) {
        trace_ = std::fopen(options_.traceFile.c_str(), "wb");
        if (!trace_) throw std::runtime_error("cannot write the trace file " + options_.traceFile.string());
    }
    runFolder_ = std::make_unique<TRunFolder>();
    if (!runFolder_->Problem().empty())
        std::fprintf(stderr, "ruvoplay: %s; archive entries cannot be copied to files\n", runFolder_->Problem().c_str());
    files_ = std::make_unique<TVrFileManager>(deletions_, std::make_unique<TMountTableDiscRoots>(), runFolder_->Path());
    files_->AddArchive({});  // the memory-file collection comes first
    RegisterDataSources();
    vars_ = std::make_unique<TParamCollection>(static_cast<TSystemState&>(*this));
    funcs_ = std::make_unique<TSysFuncMan>(*vars_, static_cast<TSysFuncHost&>(*this));
    project_ = std::make_unique<TProject>(static_cast<TProjectHost&>(*this), *files_, *vars_, *funcs_);
    if (terminating_) {
        exitCode_ = 1;
        return;
    }
    const TProjectFile& p = project_->Settings;
    screen_.SetSize(std::max(p.ScreenWidth, 1), std::max(p.ScreenHeight, 1), 32);
    screen_.Clear(0);
    platform_.OpenWindow({SjisToUtf8Lossy(p.Title), screen_.GetWidth(), screen_.GetHeight()});
    if (options_.fullScreen) platform_.SetFullScreen(true);
}

void TPlayer::RegisterDataSources() {
    if (options_.gameFolders.empty()) {
        files_->SetBaseFolder(playerFolder_);
        // A player made with the game appended ends in "rv"; other data is found by LocateData.
        if (EndsWithArchiveTag(playerFile_)) files_->AddArchive(playerFile_);
        return;
    }
    files_->SetBaseFolder(options_.gameFolders.front());
    for (const std::string& folder : options_.gameFolders) {
        std::error_code ec;
        const fs::path data = fs::path(folder) / "game.dat";
        if (fs::is_regular_file(data, ec)) files_->AddArchive(data);
    }
}

void TPlayer::ShutDown() {
    project_.reset();  // runs the exit page
    if (vars_ && !options_.dumpVarsFile.empty()) DumpVariables(options_.dumpVarsFile);
    if (!options_.screenshotFile.empty()) SaveScreenshot(options_.screenshotFile);
    funcs_.reset();
    vars_.reset();
    files_.reset();
    deletions_.DeleteAll();
    runFolder_.reset();
}

bool TPlayer::LocateData() {
    TMountTableDiscRoots discs;
    return ruvo::LocateData(*files_, playerFolder_, discs, *this);
}

// ---- the frame loop

void TPlayer::FrameLoop() {
    Present(true);
    clock_.Resume(platform_.Ticks());
    long long frames = 0;
    const bool headless = platform_.Name() == "headless";
    while (!closeRequested_ && !terminating_) {
        PumpEvents();
        if (closeRequested_ || terminating_) break;
        if (!active_) {
            platform_.Sleep(16);  // nothing runs without focus; wait for it to come back
            continue;
        }
        const uint32_t start = platform_.Ticks();
        if (clock_.BeginFrame(start)) {
            FrameStep();
            ++frames;
        }
        platform_.FrameDone();
        if (options_.frames >= 0 && frames >= options_.frames) break;
        if (headless && ScriptEnded()) break;
        if (project_->Settings.IdleSleep && !headless)
            platform_.Sleep(TFrameClock::SleepAfter(start, platform_.Ticks()));
    }
}

void TPlayer::FrameStep() {
    deletions_.DeleteAll();
    project_->CallMan->RunFrame();
    if (terminating_) return;
    clock_.CountUpdate();
    input_.EndFrame();
    Present(false);
}

bool TPlayer::ScriptEnded() const {
    const TCallMan& cm = *project_->CallMan;
    return !cm.CurrentPage && cm.State == 0;
}

void TPlayer::Present(bool whole) {
    const platform::PictureView view{screen_.LockPixel(0, 0), screen_.GetWidth(), screen_.GetHeight(), screen_.GetRowStride()};
    const platform::Rect all{0, 0, screen_.GetWidth(), screen_.GetHeight()};
    platform_.Present(view, whole ? std::span<const platform::Rect>(&all, 1) : std::span<const platform::Rect>());
}

void TPlayer::PumpEvents() {
    PlatformEvent e;
    while (platform_.PollEvent(e)) {
        switch (e.kind) {
        case PlatformEvent::Kind::CloseRequest: Terminate(); break;
        case PlatformEvent::Kind::QuitButton: AskQuit(); break;
        case PlatformEvent::Kind::ScreenSwitch: SetFullScreen(!platform_.FullScreen()); break;
        case PlatformEvent::Kind::FocusLost:
            active_ = false;
            input_.ReleaseAll();
            break;
        case PlatformEvent::Kind::FocusGained:
            active_ = true;
            clock_.Resume(platform_.Ticks());
            break;
        case PlatformEvent::Kind::MouseDown:
            if (e.button != platform::MouseButton::Middle)
                input_.MouseDown(e.button == platform::MouseButton::Left, e.x, e.y);
            break;
        case PlatformEvent::Kind::MouseUp: input_.MouseUp(); break;
        case PlatformEvent::Kind::MouseMove: input_.MouseMove(e.x, e.y); break;
        case PlatformEvent::Kind::Wheel: input_.Wheel(e.delta); break;
        case PlatformEvent::Kind::KeyDown: input_.KeyDown(e.key, e.repeat); break;
        case PlatformEvent::Kind::KeyUp: input_.KeyUp(e.key); break;
        }
    }
}

void TPlayer::AskQuit() {
    const bool was = terminating_;
    terminating_ = true;
    const std::string title = project_ ? project_->Settings.Title : std::string();
    const MessageAnswer a = Box(SysMessage("「%s」を終了しますか？", {title}), title, MessageButtons::YesNo,
                                MessageIcon::Question);
    if (a == MessageAnswer::Yes) closeRequested_ = true;
    else terminating_ = was;
}

void TPlayer::Terminate() {
    terminating_ = true;
    closeRequested_ = true;
}

// ---- what the script and the project ask of the player

bool TPlayer::FileAvailable(std::string_view name) { return project_ && project_->FileAvailable(name); }

void TPlayer::ResetGameState() { vars_->Reset(); }

void TPlayer::Trace(std::string_view line) {
    const std::string text = SjisToUtf8Lossy(line);
    std::fprintf(trace_, "%s\n", text.c_str());
}

void TPlayer::ShowWarning(const std::string& sjisText) {
    Box(sjisText, Utf8ToSjis("警告"), MessageButtons::Ok, MessageIcon::Warning);
}

void TPlayer::SetTitle(const std::string& sjisTitle) { platform_.SetTitle(SjisToUtf8Lossy(sjisTitle)); }

bool TPlayer::OkCancel(const std::string& caption, const std::string& text) {
    return Box(text, caption, MessageButtons::OkCancel, MessageIcon::Information) == MessageAnswer::Ok;
}

void TPlayer::Reinstall() {
    Box(Utf8ToSjis("インストールし直してください"), Utf8ToSjis("情報"), MessageButtons::Ok, MessageIcon::Information);
}

bool TPlayer::InsertDisc() {
    return Box(Utf8ToSjis("ディスクを入れてください"), Utf8ToSjis("情報"), MessageButtons::OkCancel,
               MessageIcon::Information) != MessageAnswer::Cancel;
}

bool TPlayer::Quit() {
    const TProjectFile& p = project_ ? project_->Settings : TProjectFile{};
    return Box(p.QuitPrompt, p.Title, MessageButtons::OkCancel, MessageIcon::Information) == MessageAnswer::Ok;
}

TCustomParam* TPlayer::CallResult() {
    return project_ && project_->CallMan ? project_->CallMan->ResultHolder() : nullptr;
}

std::vector<std::string> TPlayer::CallParams() {
    return project_ && project_->CallMan ? project_->CallMan->Args : std::vector<std::string>{};
}

std::string TPlayer::SenderName() {
    return project_ && project_->CallMan ? project_->CallMan->SenderName() : std::string();
}

int32_t TPlayer::ScreenWidth() { return project_ ? project_->Settings.ScreenWidth : 640; }
int32_t TPlayer::ScreenHeight() { return project_ ? project_->Settings.ScreenHeight : 480; }
std::string TPlayer::Title() { return project_ ? project_->Settings.Title : std::string(); }

void TPlayer::SetFullScreen(bool on) {
    platform_.SetFullScreen(on);
    clock_.Resume(platform_.Ticks());
}

void TPlayer::Call(int number, TCustomParam& dest, TArgs args) {
    if (number == sfOpenUrl && !args.empty()) {
        const std::string url = args[0]->AsStr();
        if (url.rfind("http", 0) == 0 || url.rfind("ftp", 0) == 0) platform_.OpenUrl(SjisToUtf8Lossy(url));
        dest.SetFlag(false);
    }
}

// ---- what a run leaves behind for tests and authors

void TPlayer::DumpVariables(const fs::path& path) const {
    std::map<std::string, std::string> lines;  // sorted by name as shown
    for (int i = 0; i < vars_->Count(); ++i) {
        const TParamCollectionItem& item = (*vars_)[i];
        if (item.IsSystem() || item.Name().empty() || item.Name().rfind("____", 0) == 0) continue;
        lines[SjisToUtf8Lossy(item.Name())] = ValueTextUtf8(item.Value());
    }
    std::ofstream out(path, std::ios::binary);
    for (const auto& [name, value] : lines) out << name << '=' << value << '\n';
    if (!out) std::fprintf(stderr, "ruvoplay: cannot write %s\n", path.c_str());
}

void TPlayer::SaveScreenshot(const fs::path& path) {
    platform::TPlatform::Capture shot;
    if (!platform_.CaptureWindow(shot) || shot.width <= 0 || shot.height <= 0) {
        std::fprintf(stderr, "ruvoplay: there is no picture to save\n");
        return;
    }
    TDIBX surface;
    surface.SetSize(shot.width, shot.height, 32);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            surface.SetPixel(x, y, shot.pixels[static_cast<size_t>(y) * shot.width + x]);
    try {
        SavePng(surface, path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ruvoplay: %s\n", e.what());
    }
}

} // namespace ruvo
