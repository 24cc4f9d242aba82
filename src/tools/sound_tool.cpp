// ruvotool sound: what a sound file is (format, rate, channels, length), and the sound rendered through
// the player's own decoders, resampler and mixer into a WAV file, with a volume and a pan as a sound
// object would give them.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfiles.hpp"
#include "media/mediaitem.hpp"
#include "media/mediaset.hpp"
#include "media/midisource.hpp"
#include "media/mixer.hpp"
#include "media/mixrate.hpp"
#include "media/voice.hpp"
#include "media/wavwriter.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"
#include "tools/gamefiles.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

// Renders longer than this need --to: a damaged MIDI file may claim days of silence.
constexpr int64_t kMaxRenderMs = 60LL * 60 * 1000;

struct TSoundInput {
    std::string name;  // UTF-8, for messages and the extension
    std::unique_ptr<TStream> stream;
};

// FILE, or ARCHIVE:NAME read in place when the entry is stored as it is (as the player plays it).
TSoundInput OpenInput(const std::string& arg) {
    std::error_code ec;
    if (fs::is_regular_file(arg, ec)) return {arg, std::make_unique<TFileStream>(arg, FileOpen::Read)};
    const size_t colon = arg.rfind(':');
    if (colon != std::string::npos && colon > 0 && fs::is_regular_file(arg.substr(0, colon), ec)) {
        const std::string name = GameName(arg.substr(colon + 1));
        TVrFileCollection archive;
        archive.Open(arg.substr(0, colon));
        const TVrFile* entry = archive.HasContainer() ? archive.Find(name) : nullptr;
        if (!entry) throw ERuvoError(SysMessage("%s:ファイルがありません", {Utf8ToSjisLossy(arg)}));
        if (entry->Raw) return {arg.substr(colon + 1), archive.OpenRange(name)};
        auto content = std::make_unique<TMemoryStream>();
        archive.Extract(name, *content);
        content->SetPosition(0);
        return {arg.substr(colon + 1), std::move(content)};
    }
    throw ERuvoError(SysMessage("%s:ファイルがありません", {Utf8ToSjisLossy(arg)}));
}

std::unique_ptr<TPcmSource> OpenSource(const std::string& arg, const std::string& soundFont) {
    TSoundInput in = OpenInput(arg);
    const std::string ext = fs::path(in.name).extension().string();
    try {
        return OpenSoundStream(ext, std::move(in.stream), soundFont.empty() ? FindSoundFont() : fs::path(soundFont));
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(in.name + ": " + e.what());
    }
}

void Info(const std::string& input, const std::string& soundFont) {
    const auto source = OpenSource(input, soundFont);
    std::printf("file: %s\nformat: %s\nrate: %d\nchannels: %d\nlength: %lld ms\n", input.c_str(), source->Format().c_str(),
                source->Rate(), source->Channels(), static_cast<long long>(source->LengthMs()));
}

// The sound from `from` to `to` ms (the end when negative) through a voice of the mixer, at the volume
// (an attenuation) and pan a media item would have.
void Render(const std::string& input, const std::string& output, int64_t from, int64_t to, int32_t volume, int32_t pan,
            const std::string& soundFont) {
    auto source = OpenSource(input, soundFont);
    const bool midi = fs::path(input).extension() == ".mid" || fs::path(input).extension() == ".MID";
    const int64_t length = source->LengthMs();
    if (to < 0) {
        if (length > kMaxRenderMs) throw EUsageError("the sound lasts over an hour: give --to");
        to = length;
    }
    if (to < from) throw EUsageError("--to comes before --from");
    TMixer mixer(false);
    auto voice = std::make_shared<TVoice>(std::make_unique<TVoiceFeed>(std::move(source)), mixer.VoiceCapacity());
    float left, right;
    TVoiceItem::Gains(volume, pan, midi ? TGainScale::Linear : TGainScale::Decibels, left, right);
    voice->SetGains(left, right);
    voice->SetPosition(MixFrameAt(from));
    voice->Play();
    mixer.Add(voice);
    if (output != "-" ) {
        std::string why;
        const fs::path folder = fs::path(output).has_parent_path() ? fs::path(output).parent_path() : fs::path(".");
        if (!fs::is_directory(folder)) throw EUsageError("cannot write " + output + ": the folder does not exist");
    }
    TWavWriter wav(output == "-" ? fs::path("/dev/stdout") : fs::path(output));
    std::vector<int16_t> block(8192 * kMixChannels);
    for (int64_t done = 0, total = MixFrameAt(to) - MixFrameAt(from); done < total;) {
        const int64_t n = std::min<int64_t>(total - done, 8192);
        mixer.MixNow(block.data(), n);
        wav.Write(block.data(), n);
        done += n;
    }
    wav.Close();
    mixer.Remove(voice.get());
}

} // namespace

int RunSound(const Args& args) {
    TVerbCommandLine line("ruvotool sound", "Inspects and renders sounds through the player's decoders and mixer.");
    CLI::App& app = line.App();
    app.require_subcommand(1);
    std::string input, output, soundFont;
    int64_t from = 0, to = -1;
    int32_t volume = 0, pan = 0;
    CLI::App* info = app.add_subcommand("info", "format, rate, channels and length in ms of a sound");
    info->add_option("FILE", input, "FILE or ARCHIVE:NAME (ogg, wav, wma, asf, mid, flac, mp3)")->required();
    info->add_option("--soundfont", soundFont, "the General MIDI sound font for MIDI files")->check(CLI::ExistingFile);
    CLI::App* render = app.add_subcommand("render", "the sound as 16-bit stereo WAV at 44100 Hz");
    render->add_option("FILE", input, "FILE or ARCHIVE:NAME")->required();
    render->add_option("-o,--output", output, "the WAV to write")->required();
    render->add_option("--from", from, "start at MS")->type_name("MS")->check(CLI::NonNegativeNumber);
    render->add_option("--to", to, "end at MS (default: the end of the sound)")->type_name("MS")->check(CLI::NonNegativeNumber);
    render->add_option("--volume", volume, "attenuation in 1/100 dB, 0 (full) to -10000 (silent)")
        ->type_name("A")
        ->check(CLI::Range(-10000, 0));
    render->add_option("--pan", pan, "-10000 (left only) to 10000 (right only)")->check(CLI::Range(-10000, 10000));
    render->add_option("--soundfont", soundFont, "the General MIDI sound font for MIDI files")->check(CLI::ExistingFile);
    if (auto exit = line.Parse(args)) return *exit;
    const std::string command = "ruvotool sound " + app.get_subcommands().front()->get_name();
    try {
        if (info->parsed()) Info(input, soundFont);
        else Render(input, output, from, to, volume, pan, soundFont);
        return kExitOk;
    } catch (const EUsageError& e) {
        return ReportUsageError(command, e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", command.c_str(), e.what());
        return kExitFailure;
    }
}

} // namespace ruvo::tools
