// ruvotool image: inspect pictures (layered images and loose PNG, BMP, TGA, ICO, CUR files), export
// their frames as PNG, and pack PNG pictures into a layered image.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "archive/deletionlist.hpp"
#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "archive/vrfiles.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephfile.hpp"
#include "graphics/images/zephframes.hpp"
#include "script/project.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"
#include "tools/gamefiles.hpp"
#include "tools/picturepack.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

// Loose pictures go to their readers, anything else is read as a layered image, as the player does.
TZephFrameList ReadPicture(const TInput& in, uint32_t key, bool withPixels) {
    TZephFrameList frames(key);
    WithContext([&] { return "reading " + SjisToUtf8Lossy(in.Name); }, [&] {
        const std::string ext = PictureExtension(in.Name);
        if (IsLoosePictureExtension(ext))
            frames.LoadPictureBytes(in.Bytes, ext);
        else
            frames.LoadFromBytes(in.Bytes, false, false, withPixels);
    });
    return frames;
}

// A key as decimal or 0x-prefixed hexadecimal, negative values as their 32-bit pattern.
uint32_t ParseKey(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(hex ? digits.substr(2) : digits, &used, hex ? 16 : 10);
    } catch (const std::exception&) {
        used = std::string::npos;
    }
    if (digits.empty() || used != digits.size() - (hex ? 2 : 0) || value > (negative ? 0x80000000ull : 0xFFFFFFFFull))
        throw EUsageError("--key: \"" + text + "\" is not a 32-bit number");
    return negative ? uint32_t(0u - uint32_t(value)) : uint32_t(value);
}

const char* ModeName(TZephMode mode) {
    return mode == TZephMode::Raw ? "raw" : mode == TZephMode::Jpeg ? "jpeg" : "deflate";
}

void Info(const TInput& in, const std::optional<uint32_t>& key) {
    const std::string ext = PictureExtension(in.Name);
    TZephFrameList frames = ReadPicture(in, key.value_or(0), false);
    const TZephHeader& h = frames.Header;
    std::printf("file: %s\n", SjisToUtf8Lossy(in.Name).c_str());
    if (IsLoosePictureExtension(ext)) {
        const TZephFrame& f = frames.Frames[0];
        std::printf("format: %s picture\nsize: %d x %d\nbit count: %d\nframes: 1\nmask: %s\ntransparent value: %d\n",
                    ext.substr(1).c_str(), f.Width(), f.Height(), f.BitCount(), f.Mask ? "yes" : "no", f.TransparentValue);
        return;
    }
    std::printf("format: layered image\nversion: %d\nsize: %d x %d\nbit count: %d\nframes: %zu\n", h.Version, h.Width,
                h.Height, h.BitCount, frames.Frames.size());
    std::printf("compression: %s\n", ModeName(h.Mode));
    if (h.Mode == TZephMode::Jpeg)
        std::printf("jpeg quality: %d\n", h.JpegQuality);
    if (h.TileWidth > 0 && h.TileHeight > 0)
        std::printf("tiles: %d x %d\n", h.TileWidth, h.TileHeight);
    else
        std::printf("tiles: none\n");
    std::printf("permuted: %s\nbackground: 0x%06X\nfirst layer opaque: %s\n", h.Permuted ? "yes" : "no",
                unsigned(h.BackgroundColor), h.FirstLayerOpaque ? "yes" : "no");
    for (size_t i = 0; i < frames.Frames.size(); ++i) {
        const TZephFrame& f = frames.Frames[i];
        std::printf("frame %zu: name \"%s\", delay %d ms, transparent value %d, %zu layer%s\n", i,
                    SjisToUtf8Lossy(f.Name).c_str(), f.Delay, f.TransparentValue, f.Layers.size(),
                    f.Layers.size() == 1 ? "" : "s");
        for (size_t j = 0; j < f.Layers.size(); ++j) {
            const TZephLayer& l = f.Layers[j];
            std::printf("  layer %zu: %s, opacity %d, mask %s, transparent value %d, colour %lld bytes, mask %lld bytes\n", j,
                        l.Visible ? "visible" : "hidden", l.Opacity, l.MaskBytes == 0 ? "none" : l.MaskUsed ? "used" : "unused",
                        l.TransparentValue, static_cast<long long>(l.ColourBytes), static_cast<long long>(l.MaskBytes));
        }
    }
    if (key) {
        ReadPicture(in, *key, true);
        std::printf("decoded with key %u: ok\n", *key);
    }
}

// The composed frame as RGBA: alpha from the frame's mask, else 0 where the picture holds the
// transparent value.
TPngPicture Rgba(const TZephFrame& f) {
    TPngPicture out{f.Width(), f.Height(), true, std::vector<uint32_t>(size_t(f.Width()) * size_t(f.Height()))};
    for (int32_t y = 0; y < f.Height(); ++y)
        for (int32_t x = 0; x < f.Width(); ++x) {
            const uint32_t p = StoragePixel(*f.Picture, x, y);
            const uint32_t c = ColourOfPixel(*f.Picture, p);
            const uint32_t alpha = f.Mask ? f.Mask->Row(y)[x] : f.TransparentValue >= 0 && p == uint32_t(f.TransparentValue) ? 0 : 255;
            out.argb[size_t(y) * f.Width() + x] = alpha << 24 | uint32_t(ColorRed(c)) << 16 | uint32_t(ColorGreen(c)) << 8 | ColorBlue(c);
        }
    return out;
}

void WriteOutput(const std::string& output, const std::vector<uint8_t>& bytes) {
    TOutputFile out(output);
    out.Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    out.Close();
}

void Export(const TInput& in, uint32_t key, const std::string& output, int frame, bool all) {
    const TZephFrameList frames = ReadPicture(in, key, true);
    if (all) {
        fs::create_directories(output);
        const std::string stem = fs::path(SjisToUtf8Lossy(in.Name)).stem().string();
        for (size_t i = 0; i < frames.Frames.size(); ++i) {
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, "-%03zu.png", i);
            WriteOutput((fs::path(output) / (stem + suffix)).string(), EncodePngArgb(Rgba(frames.Frames[i])));
        }
        return;
    }
    if (frame < 0 || size_t(frame) >= frames.Frames.size())
        throw std::runtime_error("the picture has no frame " + std::to_string(frame) + " (it has " +
                                 std::to_string(frames.Frames.size()) + ")");
    WriteOutput(output, EncodePngArgb(Rgba(frames.Frames[size_t(frame)])));
}

void Pack(const std::vector<std::string>& inputs, const std::string& output, const TZephWriteOptions& options, int32_t delay) {
    std::vector<TPackInput> pictures;
    for (const std::string& input : inputs) {
        TInput in = ReadInput(input, nullptr);
        pictures.push_back(TPackInput{std::move(in.Name), std::move(in.Bytes), delay});
    }
    WriteOutput(output, PackPictures(pictures, options));
}

std::pair<int32_t, int32_t> ParseTile(const std::string& text) {
    int w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X') || w <= 0 || h <= 0)
        throw EUsageError("--tile: \"" + text + "\" is not WIDTHxHEIGHT");
    return {w, h};
}

} // namespace

int RunImage(const Args& args) {
    TVerbCommandLine line("ruvotool image", "Inspects, exports and packs pictures.");
    CLI::App& app = line.App();
    app.require_subcommand(1);
    std::string input, output, keyText, game, modeText = "deflate", tileText;
    std::vector<std::string> inputs;
    int frame = 0, quality = 90, delay = 100;
    bool all = false;

    CLI::App* info = app.add_subcommand("info", "version, size, frames and layers of a picture");
    info->add_option("FILE", input, "FILE or ARCHIVE:NAME")->required();
    info->add_option("--key", keyText, "the project's ImageKey: also decode every frame with it");

    CLI::App* exp = app.add_subcommand("export", "a composed frame as an RGBA PNG");
    exp->add_option("FILE", input, "FILE or ARCHIVE:NAME (or a name of the --game's files)")->required();
    exp->add_option("-o,--output", output, "the PNG to write, or - for standard output; with --all a folder")
        ->type_name("OUT.png|-|DIR")
        ->required();
    exp->add_option("--frame", frame, "frame number, from 0");
    exp->add_flag("--all", all, "every frame, as DIR/NAME-000.png ...");
    exp->add_option("--key", keyText, "the project's ImageKey (decimal or 0x...)");
    exp->add_option("--game", game, "a game folder: its project's ImageKey, and its files")->type_name("FOLDER");

    CLI::App* pack = app.add_subcommand("pack", "pictures into a layered image of version 106, one frame each");
    pack->add_option("IN", inputs, "IN.png [IN.png ...] (BMP, TGA, ICO and CUR files too)")->required();
    pack->add_option("-o,--output", output, "the layered image to write, or - for standard output")
        ->type_name("OUT.zph|-")
        ->required();
    pack->add_option("--mode", modeText, "deflate, raw or jpeg")->check(CLI::IsMember({"deflate", "raw", "jpeg"}));
    pack->add_option("--quality", quality, "JPEG quality, 1 to 100")->check(CLI::Range(1, 100));
    pack->add_option("--tile", tileText, "tile size (not with jpeg)")->type_name("WxH");
    pack->add_option("--key", keyText, "store rows or tiles in this key's order");
    pack->add_option("--delay", delay, "display time of each frame in ms");

    if (auto exit = line.Parse(args)) return *exit;
    const std::string command = "ruvotool image " + app.get_subcommands().front()->get_name();
    try {
        const std::optional<uint32_t> key = keyText.empty() ? std::nullopt : std::optional(ParseKey(keyText));
        if (info->parsed()) {
            Info(ReadInput(input, nullptr), key);
        } else if (exp->parsed()) {
            std::optional<TGameFiles> files;
            if (!game.empty())
                files.emplace(game);
            if (all && TOutputFile::IsStandardOutput(output))
                throw EUsageError("--all writes files into a folder, not to standard output");
            const uint32_t k = key ? *key : files ? files->ImageKey() : 0;
            Export(ReadInput(input, files ? &*files : nullptr), k, output, frame, all);
        } else {
            TZephWriteOptions o;
            o.Mode = modeText == "raw" ? TZephMode::Raw : modeText == "jpeg" ? TZephMode::Jpeg : TZephMode::Deflate;
            o.JpegQuality = quality;
            o.Key = key.value_or(0);
            if (!tileText.empty())
                std::tie(o.TileWidth, o.TileHeight) = ParseTile(tileText);
            if (o.Mode == TZephMode::Jpeg && o.TileWidth > 0)
                throw EUsageError("--tile: JPEG pictures are not tiled");
            Pack(inputs, output, o, delay);
        }
        return kExitOk;
    } catch (const EUsageError& e) {
        return ReportUsageError(command, e.what());
    }
}

} // namespace ruvo::tools
