#include "app/player.hpp"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <system_error>
#include <unistd.h>

#include "app/displaymodes.hpp"
#include "app/runtime.hpp"
#include "app/startlogo.hpp"
#include "app/stopsignals.hpp"
#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "graphics/images/picturecache.hpp"
#include "graphics/images/pngfile.hpp"
#include "objects/world/objectdump.hpp"
#include "objects/world/world.hpp"
#include "params/sysfuncs.hpp"
#include "params/vardump.hpp"
#include "params/varset.hpp"
#include "script/gameproject.hpp"

namespace ruvo {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::PlatformEvent;

namespace {

// "@Fonts": one name a line, CR LF between them, in Shift-JIS.
std::string JoinLines(const std::vector<std::string>& utf8Names) {
    std::string text;
    for (const std::string& name : utf8Names) {
        if (!text.empty()) text += "\r\n";
        text += Utf8ToSjisLossy(name);
    }
    return text;
}

} // namespace

TPlayer::TPlayer(TPlayerOptions options, platform::TPlatform& platform, fs::path playerFile)
    : options_(std::move(options)),
      platform_(platform),
      playerFile_(std::move(playerFile)),
      playerFolder_(playerFile_.parent_path()) {}

TPlayer::~TPlayer() {
    runtime_.reset();
    if (trace_ && trace_ != stdout) std::fclose(trace_);
}

int TPlayer::Run() {
    stopSignals_ = std::make_unique<TStopSignals>();
    try {
        StartUp();
    } catch (const EGameStart& e) {
        ReportFailure(e, e.BoxShown());
        exitCode_ = 1;
    } catch (const std::exception& e) {
        ReportFailure(e, false);
        exitCode_ = 1;
    }
    if (exitCode_ == 0 && !terminating_) {
        try {
            FrameLoop();
        } catch (const std::exception& e) {
            // A script that ran away (limits.hpp), or anything else that ends the run.
            ReportFailure(e, false);
            exitCode_ = 1;
        }
    }
    ShutDown();
    return exitCode_;
}

bool TPlayer::Windowed() const { return platform_.Name() != "headless"; }

void TPlayer::ReportFailure(const std::exception& error, bool boxShown) {
    std::fprintf(stderr, "ruvoplay: %s\n", error.what());
    if (Windowed() && !boxShown) {
        terminating_ = true;
        platform_.ShowMessage(error.what(), "警告", MessageButtons::Ok, MessageIcon::Warning);
    }
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
        trace_ = NamesStandardOutput(options_.traceFile) ? stdout : std::fopen(options_.traceFile.c_str(), "wb");
        if (!trace_) throw std::runtime_error("cannot write the trace file " + options_.traceFile.string());
    }
    sound_ = std::make_unique<TSoundOutput>(platform_, ini_, Windowed(), options_.audioOutFile);
    runFolder_ = std::make_unique<TRunFolder>();
    if (!runFolder_->Problem().empty())
        std::fprintf(stderr, "ruvoplay: %s; archive entries cannot be copied to files\n", runFolder_->Problem().c_str());
    const TMediaSetup media{sound_->DevicePulls(), options_.soundFont, options_.cdDir, {}};
    runtime_ = std::make_unique<TRuntime>(TRuntimeSetup{options_.gameFolders, playerFile_, options_.saveDir, {},
                                                        runFolder_->Path(), media},
                                          static_cast<TPlayerServices&>(*this), static_cast<TLocatePrompts&>(*this),
                                          deletions_);
    BindPlayerState();
    sound_->Attach(runtime_->Media().Mixer(), platform_.Ticks());
    runtime_->Start();
    if ((Windowed() && !options_.noLogo) || options_.logo)
        logo_ = std::make_unique<TStartLogo>(runtime_->Pictures().Files(), runtime_->Pictures(), runtime_->World(),
                                             [this](const std::string& url) { platform_.OpenUrl(url); });
    const TProjectFile& p = runtime_->Project()->Settings;
    const TRuvoBaseList& world = runtime_->World();
    platform_.OpenWindow({SjisToUtf8Lossy(p.Title), world.Width(), world.Height()});
    if (options_.fullScreen) platform_.SetFullScreen(true);
}

// The system variables of the screen, the clock and the fonts, and the system services the player offers
// to scripts (the web browser, the display modes; no wallpaper).
void TPlayer::BindPlayerState() {
    TSystemVars& sv = runtime_->Vars().SystemVars();
    sv.BindFlag(TSystemVar::FullScr, [this] { return platform_.FullScreen(); }, [this](bool on) {
        platform_.SetFullScreen(on);
        clock_.Resume(platform_.Ticks());
    });
    sv.BindInt(TSystemVar::DisplayModeCount, [this] { return static_cast<int32_t>(DisplayModes().size()); });
    sv.BindInt(TSystemVar::TickCount, [this] { return clock_.GameClock(); });
    sv.BindInt(TSystemVar::UpdateCount, [this] { return clock_.UpdateCount(); });
    sv.BindInt(TSystemVar::PCTickCount, [] {
        using namespace std::chrono;
        const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        return static_cast<int32_t>(static_cast<uint32_t>(ms));
    });
    const std::pair<TSystemVar, int TLocalTime::*> dateParts[] = {
        {TSystemVar::Year, &TLocalTime::year}, {TSystemVar::Month, &TLocalTime::month},
        {TSystemVar::Day, &TLocalTime::day},   {TSystemVar::Week, &TLocalTime::week},
        {TSystemVar::Hour, &TLocalTime::hour}, {TSystemVar::Min, &TLocalTime::minute},
        {TSystemVar::Sec, &TLocalTime::second},
    };
    for (const auto& [var, part] : dateParts) sv.BindInt(var, [this, part = part] { return localTime_.*part; });
    for (const bool fixed : {false, true}) {
        sv.BindStr(fixed ? TSystemVar::FixedFonts : TSystemVar::Fonts, [this, fixed] {
            if (!fontsRead_[fixed]) {
                fonts_[fixed] = JoinLines(platform_.FontFaces(fixed));
                fontsRead_[fixed] = true;
            }
            return fonts_[fixed];
        });
    }
    runtime_->Funcs().Register(sfOpenUrl, [this](const TFuncCall& c) {
        const std::string url = c.Str(0);
        if (url.rfind("http", 0) == 0 || url.rfind("ftp", 0) == 0) platform_.OpenUrl(SjisToUtf8Lossy(url));
    });
    RegisterGetDisplayMode(runtime_->Funcs(), [this] { return DisplayModes(); });
    // No desktop here takes a wallpaper from a game: SetWallPaper answers false and changes nothing.
    runtime_->Funcs().Register(sfSetWallPaper, [](const TFuncCall& c) { c.dest.SetFlag(false); });
}

std::vector<platform::DisplayMode> TPlayer::DisplayModes() {
    const TRuvoBaseList& world = runtime_->World();
    return FullScreenModes(platform_.DisplayModes(), world.Width(), world.Height());
}

void TPlayer::ShutDown() {
    if (runtime_) {
        runtime_->CloseProject();  // runs the exit page
        // An output that was asked for and not written fails the run as a usage problem would.
        if (!options_.dumpVarsFile.empty() && !DumpVariables(options_.dumpVarsFile)) exitCode_ = kPlayerExitUsage;
        if (!options_.dumpObjectsFile.empty() &&
            !WriteOutput(options_.dumpObjectsFile, DumpObjects(runtime_->World())))
            exitCode_ = kPlayerExitUsage;
    }
    if (!options_.screenshotFile.empty() && !SaveScreenshot(options_.screenshotFile)) exitCode_ = kPlayerExitUsage;
    if (trace_ && std::fflush(trace_) != 0) exitCode_ = kPlayerExitUsage;
    FinishSound();
    logo_.reset();
    runtime_.reset();
    sound_.reset();
    deletions_.DeleteAll();
    if (trace_) {
        std::fclose(trace_);
        trace_ = nullptr;
    }
    runFolder_.reset();
}

// The recording is complete, the device stops pulling, and the figures asked for are told.
void TPlayer::FinishSound() {
    if (!sound_) return;
    try {
        sound_->Finish();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ruvoplay: %s\n", e.what());
        exitCode_ = kPlayerExitUsage;
    }
    if (options_.audioStats && runtime_)
        std::fprintf(stderr, "ruvoplay: sound: %llu underruns (mixer), %llu (device)\n",
                     static_cast<unsigned long long>(runtime_->Media().Mixer().Underruns()),
                     static_cast<unsigned long long>(sound_->DeviceUnderruns()));
    sound_->Detach();
}

// ---- the frame loop

void TPlayer::FrameLoop() {
    Present(true);
    clock_.Resume(platform_.Ticks());
    long long frames = 0;
    const bool headless = !Windowed();
    const long long limit = options_.frames >= 0 ? options_.frames : headless ? kHeadlessFrameLimit : -1;
    while (!closeRequested_ && !terminating_) {
        if (const int signal = stopSignals_->Received()) {
            std::fprintf(stderr, "ruvoplay: stopped by %s\n", TStopSignals::Name(signal));
            exitCode_ = 128 + signal;
            break;
        }
        PumpEvents();
        if (closeRequested_ || terminating_) break;
        if (!active_) {
            // Nothing runs without focus; wait for it to come back. Headless time goes on meanwhile (the
            // scripted input that gives the focus back is at a later frame), and so does the recording.
            if (headless) {
                platform_.FrameDone();
                ++frames;
            } else {
                platform_.Sleep(16);
            }
            sound_->Advance(platform_.Ticks());
            if (limit >= 0 && frames >= limit) break;
            continue;
        }
        const uint32_t start = platform_.Ticks();
        if (clock_.BeginFrame(start)) {
            FrameStep(frames);
            ++frames;
        }
        platform_.FrameDone();
        sound_->Advance(platform_.Ticks());
        if (limit >= 0 && frames >= limit) {
            if (options_.frames < 0)
                std::fprintf(stderr, "ruvoplay: stopped after %lld frames, the limit of a headless run without --frames\n",
                             frames);
            break;
        }
        if (headless && !logo_ && runtime_->ScriptEnded()) break;
        if (runtime_->Project()->Settings.IdleSleep && !headless)
            platform_.Sleep(TFrameClock::SleepAfter(start, platform_.Ticks()));
    }
}

void TPlayer::FrameStep(long long frame) {
    localTime_ = LocalTimeNow();
    // The script's first frame is the one after the logo has gone.
    if (logo_) {
        if (!logo_->Step()) logo_.reset();
    } else {
        runtime_->RunScript();
    }
    if (trace_) std::fflush(trace_);  // a trace can be followed while the game runs
    if (terminating_) return;
    runtime_->UpdateWorld();
    clock_.CountUpdate();
    // The frame in which a game is loaded is not drawn.
    if (!runtime_->ProcessPendingSaves()) {
        runtime_->World().Paint();
        Present(false);
    }
    for (const TPlayerOptions::TShot& shot : options_.screenshotsAt)
        if (shot.frame == frame && !WritePicture(runtime_->World().Surface(), shot.file)) exitCode_ = kPlayerExitUsage;
}

// The world's picture: everything, or the rectangles painted since the last time.
void TPlayer::Present(bool whole) {
    TRuvoBaseList& world = runtime_->World();
    TDIBX& surface = world.Surface();
    const platform::PictureView view{surface.LockPixel(0, 0), surface.GetWidth(), surface.GetHeight(),
                                     surface.GetRowStride()};
    std::vector<platform::Rect> rects;
    if (whole) rects.push_back({0, 0, surface.GetWidth(), surface.GetHeight()});
    else
        for (const TRect& r : world.TakeDirtyRects()) rects.push_back({r.Left, r.Top, r.Right, r.Bottom});
    if (!rects.empty()) platform_.Present(view, rects);
    surface.Unlock();
}

void TPlayer::PumpEvents() {
    TInputSink& input = runtime_->Input();
    PlatformEvent e;
    while (platform_.PollEvent(e)) {
        switch (e.kind) {
        case PlatformEvent::Kind::CloseRequest: Terminate(); break;
        case PlatformEvent::Kind::QuitButton: AskQuit(); break;
        case PlatformEvent::Kind::ScreenSwitch:
            platform_.SetFullScreen(!platform_.FullScreen());
            clock_.Resume(platform_.Ticks());
            break;
        case PlatformEvent::Kind::FocusLost:
            if (!active_) break;
            active_ = false;
            runtime_->Media().PauseAll();
            input.ReleaseAll();
            break;
        case PlatformEvent::Kind::FocusGained:
            if (active_) break;
            active_ = true;
            clock_.Resume(platform_.Ticks());
            runtime_->Media().ResumeAll();
            break;
        case PlatformEvent::Kind::MouseDown:
            if (e.button != platform::MouseButton::Middle) input.MouseDown(e.button == platform::MouseButton::Left, e.x, e.y);
            break;
        case PlatformEvent::Kind::MouseUp: input.MouseUp(); break;
        case PlatformEvent::Kind::MouseMove: input.MouseMove(e.x, e.y); break;
        case PlatformEvent::Kind::Wheel: input.Wheel(e.delta); break;
        case PlatformEvent::Kind::KeyDown: input.KeyDown(e.key, e.repeat); break;
        case PlatformEvent::Kind::KeyUp: input.KeyUp(e.key); break;
        }
    }
}

void TPlayer::AskQuit() {
    const bool was = terminating_;
    terminating_ = true;
    const std::string title = runtime_->Project()->Settings.Title;
    const MessageAnswer a = Box(SysMessage("「%s」を終了しますか？", {title}), title, MessageButtons::YesNo,
                                MessageIcon::Question);
    if (a == MessageAnswer::Yes) closeRequested_ = true;
    else terminating_ = was;
}

// ---- services to the game

void TPlayer::Terminate() {
    terminating_ = true;
    closeRequested_ = true;
}

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
    const TProjectFile& p = runtime_->Project()->Settings;
    return Box(p.QuitPrompt, p.Title, MessageButtons::OkCancel, MessageIcon::Information) == MessageAnswer::Ok;
}

// ---- what a run leaves behind for tests and authors

bool TPlayer::DumpVariables(const fs::path& path) const {
    return WriteOutput(path, FormatVariableDump(runtime_->Vars()));
}

void TPlayer::ShowCursorFile(const std::string& file) {
    std::shared_ptr<const TPicture> picture;
    if (!file.empty() && runtime_) {
        try {
            picture = runtime_->Pictures().Acquire(file);
        } catch (const ERuvoError& e) {
            std::fprintf(stderr, "ruvoplay: cursor %s: %s\n", SjisToUtf8Lossy(file).c_str(), e.what());
        }
    }
    if (!picture || !picture->Found || picture->Frames.empty()) {
        platform_.SetCursorPicture(nullptr, 0, 0);
        return;
    }
    const TPictureFrame& frame = picture->Frames.front();
    const std::vector<uint32_t> pixels = frame.Argb();
    const platform::PictureView view{reinterpret_cast<const uint8_t*>(pixels.data()), frame.Colour->Width(),
                                     frame.Colour->Height(), std::ptrdiff_t(frame.Colour->Width()) * 4};
    platform_.SetCursorPicture(&view, picture->HotSpotX, picture->HotSpotY);
}

bool TPlayer::SaveScreenshot(const fs::path& path) {
    platform::TPlatform::Capture shot;
    if (!platform_.CaptureWindow(shot) || shot.width <= 0 || shot.height <= 0) {
        std::fprintf(stderr, "ruvoplay: there is no picture to save\n");
        return false;
    }
    TDIBX surface;
    surface.SetSize(shot.width, shot.height, 32);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            surface.SetPixel(x, y, shot.pixels[static_cast<size_t>(y) * shot.width + x]);
    return WritePicture(surface, path);
}

bool TPlayer::WritePicture(TCustomDIBX& surface, const fs::path& path) {
    try {
        if (!NamesStandardOutput(path)) {
            SavePng(surface, path);
            return true;
        }
        // The PNG writer wants a file: one in the temporary folder, copied out.
        std::string temp = (fs::temp_directory_path() / "ruvoplay-shot-XXXXXX").string();
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) throw std::runtime_error("cannot make a temporary file for the screenshot");
        ::close(fd);
        std::error_code ec;
        try {
            SavePng(surface, temp);
        } catch (...) {
            fs::remove(temp, ec);
            throw;
        }
        std::ifstream in(temp, std::ios::binary);
        std::cout << in.rdbuf();
        std::cout.flush();
        in.close();
        fs::remove(temp, ec);
        if (!std::cout) throw std::runtime_error("cannot write the screenshot to standard output");
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ruvoplay: %s\n", e.what());
        return false;
    }
}

bool TPlayer::WriteOutput(const fs::path& path, const std::string& text) const {
    std::ofstream file;
    if (!NamesStandardOutput(path)) file.open(path, std::ios::binary);
    std::ostream& out = NamesStandardOutput(path) ? std::cout : file;
    out << text;
    out.flush();
    if (out) return true;
    std::fprintf(stderr, "ruvoplay: cannot write %s\n", path.c_str());
    return false;
}

} // namespace ruvo
