// ruvotool text: the message text engine from the command line. "glyphs" lists the glyphs markup parses
// to; "render" draws one laid-out page into an RGBA picture, as a message window would.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "graphics/images/pngfile.hpp"
#include "params/convert.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "text/glyphlisting.hpp"
#include "text/gxword.hpp"
#include "text/page.hpp"
#include "tools/cli.hpp"

namespace ruvo::tools {

namespace {

struct TTextOptions {
    std::string markup, file;
    std::vector<std::string> vars;
    std::string out;
    int32_t width = 0, height = 0, page = 0, size = 12, edge = 0, shadow = 0, lineSpace = 0;
    std::string font, color = "#000000", edgeColor = "#808080", shadowColor = "#000000";
};

// The markup as Shift-JIS lines: UTF-8 from the command line; a file in UTF-8, or in Shift-JIS when it
// is not UTF-8.
std::vector<std::string> MarkupLines(const TTextOptions& o) {
    std::string text = o.markup;
    if (!o.file.empty()) {
        std::ifstream in(o.file, std::ios::binary);
        if (!in)
            throw ERuvoError(SysMessage("%s:ファイルがありません", {Utf8ToSjisLossy(o.file)}));
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::string sjis;
    try {
        sjis = Utf8ToSjis(text);
    } catch (const EConvertError&) {
        if (o.file.empty())
            throw;
        sjis = text;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = sjis.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(sjis.substr(start, nl - start));
    lines.push_back(sjis.substr(start));
    for (std::string& line : lines)
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    if (!o.file.empty() && lines.size() > 1 && lines.back().empty())
        lines.pop_back();  // the file's last line break ends its last line
    return lines;
}

// "#RRGGBB" as a colour value 0x00BBGGRR; nothing for other text.
std::optional<int32_t> ColourOption(const std::string& text) {
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    const auto rgb = TryTextToInt("$" + text.substr(1));
    if (!rgb)
        return std::nullopt;
    return int32_t((*rgb & 0xFF) << 16 | (*rgb & 0xFF00) | ((*rgb >> 16) & 0xFF));
}

// NAME=VALUE: an integer variable when VALUE is an integer, else a string one.
void DeclareVariables(TParamCollection& vars, const std::vector<std::string>& declarations) {
    for (const std::string& d : declarations) {
        const size_t eq = d.find('=');
        if (eq == std::string::npos || eq == 0)
            throw CLI::ValidationError("--var", "expected NAME=VALUE, got " + d);
        const std::string name = Utf8ToSjis(d.substr(0, eq)), value = Utf8ToSjis(d.substr(eq + 1));
        try {
            TParamCollection::CheckName(name);
        } catch (const ERuvoError& e) {
            throw CLI::ValidationError("--var", e.what());
        }
        if (const auto n = TryTextToInt(value))
            vars.Declare(name, 1, TVarScope::Global).Value().SetInt(*n);
        else
            vars.Declare(name, 4, TVarScope::Global).Value().SetStr(value);
    }
}

void AddSource(CLI::App& cmd, TTextOptions& o) {
    cmd.add_option("markup", o.markup, "the markup text (UTF-8)");
    cmd.add_option("--file", o.file, "read the markup from a file (UTF-8 or Shift-JIS)");
    cmd.add_option("--var", o.vars, "a variable for VAR tags: NAME=VALUE (repeatable)")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

int Glyphs(const TTextOptions& o, TTextServices& services, TParamCollection& vars) {
    DeclareVariables(vars, o.vars);
    TGxWord engine(services);
    engine.Parse(MarkupLines(o));
    engine.ExpandVars(0, -1);
    std::fputs(GlyphListing(engine).c_str(), stdout);
    return 0;
}

int Render(const TTextOptions& o, TTextServices& services, TParamCollection& vars) {
    const auto color = ColourOption(o.color), edgeColor = ColourOption(o.edgeColor),
               shadowColor = ColourOption(o.shadowColor);
    if (!color || !edgeColor || !shadowColor)
        throw CLI::ValidationError("colours are written #RRGGBB");
    DeclareVariables(vars, o.vars);
    TGxWord engine(services);
    engine.AreaWidth = o.width;
    engine.AreaHeight = o.height;
    engine.FontSize = o.size;
    if (!o.font.empty())
        engine.FontName = Utf8ToSjis(o.font);
    engine.TextColor = *color;
    engine.BorderWidth = o.edge;
    engine.BorderColor = *edgeColor;
    engine.ShadowWidth = o.shadow;
    engine.ShadowColor = *shadowColor;
    engine.LineSpace = o.lineSpace;
    engine.Parse(MarkupLines(o));
    engine.ExpandVars(0, -1);
    std::vector<std::unique_ptr<TWdPage>> pages;
    engine.Layout(pages, 0, -1);
    if (o.page >= int32_t(pages.size())) {
        std::fprintf(stderr, "ruvotool text: page %d asked for, the text has %zu\n", o.page, pages.size());
        return 1;
    }
    TPngPicture picture;
    picture.width = o.width;
    picture.height = o.height;
    picture.hasAlpha = true;
    picture.argb.assign(size_t(o.width) * size_t(o.height), 0);
    if (!pages.empty()) {
        pages[size_t(o.page)]->Render(false);
        for (int32_t y = 0; y < o.height; ++y)
            for (int32_t x = 0; x < o.width; ++x)
                picture.argb[size_t(y) * size_t(o.width) + size_t(x)] =
                    engine.OpacitySurface.GetPixel(x, y) << 24 | (engine.ColorSurface.GetPixel(x, y) & 0xFFFFFF);
    }
    SavePngArgb(picture, o.out == "-" ? "/dev/stdout" : o.out);
    return 0;
}

} // namespace

int RunText(const Args& args) {
    TVerbCommandLine line("ruvotool text", "The message text engine: parse markup into glyphs, or render a page of it.");
    CLI::App& app = line.App();
    app.require_subcommand(1);
    TTextOptions o;
    CLI::App* glyphs = app.add_subcommand("glyphs", "list the glyphs: POSITION, KIND, TEXT, STYLE (tab-separated)");
    AddSource(*glyphs, o);
    CLI::App* render = app.add_subcommand("render", "draw one page into an RGBA PNG (colour and opacity)");
    AddSource(*render, o);
    render->add_option("-o", o.out, "the picture to write (- for standard output)")->required();
    render->add_option("--width", o.width, "width of the text area")->required()->check(CLI::Range(1, 8192));
    render->add_option("--height", o.height, "height of the text area")->required()->check(CLI::Range(1, 8192));
    render->add_option("--page", o.page, "the page to draw, counting from 0")->check(CLI::NonNegativeNumber);
    render->add_option("--font", o.font, "default face (Windows names resolve to installed fonts)");
    render->add_option("--size", o.size, "default font size in pixels")->check(CLI::Range(1, int(kMaxFontHeight)));
    render->add_option("--color", o.color, "text colour #RRGGBB");
    render->add_option("--edge", o.edge, "edge width")->check(CLI::Range(0, int(kMaxEdgeWidth)));
    render->add_option("--edge-color", o.edgeColor, "edge colour #RRGGBB");
    render->add_option("--shadow", o.shadow, "shadow offset")->check(CLI::Range(0, int(kMaxEdgeWidth)));
    render->add_option("--shadow-color", o.shadowColor, "shadow colour #RRGGBB");
    render->add_option("--line-space", o.lineSpace, "pixels between rows");
    for (CLI::App* cmd : {glyphs, render})
        cmd->callback([cmd, &o] {
            if (o.markup.empty() == o.file.empty())
                throw CLI::ValidationError(cmd->get_name() + ": give the markup or --file, not both");
        });

    if (auto exit = line.Parse(args)) return *exit;

    TParamCollection vars;
    TSysFuncMan funcs(vars);
    TSystemFontCatalog catalog;
    TFontPixelManager fonts(catalog);
    TTextServices services{fonts, &vars, &funcs, nullptr, 32};
    try {
        return glyphs->parsed() ? Glyphs(o, services, vars) : Render(o, services, vars);
    } catch (const CLI::ValidationError& e) {
        return ReportUsageError("ruvotool text", e.what());
    } catch (const ERuvoError& e) {
        std::fprintf(stderr, "ruvotool text: %s\n", e.what());
        return 1;
    } catch (const EConvertError& e) {
        std::fprintf(stderr, "ruvotool text: %s\n", e.what());
        return 1;
    }
}

} // namespace ruvo::tools
