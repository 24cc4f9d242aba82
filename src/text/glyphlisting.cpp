#include "text/glyphlisting.hpp"

#include <cstdio>

#include "archive/sjis.hpp"
#include "text/gxword.hpp"

namespace ruvo {

namespace {

std::string Hex(uint8_t b) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "\\x%02X", b);
    return buf;
}

// Shift-JIS text in UTF-8, control bytes (and spaces when asked) as \xHH; bytes that are no character
// are written as \xHH too.
std::string Readable(std::string_view sjis, bool escapeSpaces) {
    std::string out;
    for (size_t i = 0; i < sjis.size(); i = NextCharPos(sjis, i)) {
        const std::string_view c = sjis.substr(i, CharLength(sjis, i));
        const uint8_t b = uint8_t(c[0]);
        if (c.size() == 1 && (b < 0x20 || b == 0x7F || (escapeSpaces && b == ' '))) {
            out += Hex(b);
            continue;
        }
        try {
            const std::string utf8 = SjisToUtf8(c);
            out += utf8.empty() ? Hex(b) : utf8;
        } catch (const EConvertError&) {
            for (char x : c)
                out += Hex(uint8_t(x));
        }
    }
    return out;
}

std::string Colour(int32_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return buf;
}

std::string AlignName(int align) {
    switch (align) {
    case taLeft: return "LEFT";
    case taRight: return "RIGHT";
    case taCenter: return "CENTER";
    case taTop: return "TOP";
    case taBottom: return "BOTTOM";
    default: return std::to_string(align);
    }
}

std::string StyleText(const TGxWord& engine, const TWdGlyph& g) {
    std::string out;
    auto add = [&](const char* key, const std::string& value) {
        if (!out.empty())
            out += ' ';
        out += key;
        out += '=';
        out += value;
    };
    if (const TDecorate* d = g.Decoration()) {
        const TDecorateStyle& s = d->Style;
        if (s.Size != 0) add("size", std::to_string(s.Size));
        if (s.Color != -1) add("color", Colour(s.Color));
        if (s.BorderColor != -1) add("bcolor", Colour(s.BorderColor));
        if (s.ShadowColor != -1) add("scolor", Colour(s.ShadowColor));
        if (!s.FontName.empty()) add("face", Readable(s.FontName, true));
        if (s.Style & 1) add("b", "1");
        if (s.Style & 2) add("i", "1");
        if (s.Style & 4) add("u", "1");
        if (s.Style & 8) add("s", "1");
        if (s.NoBreak) add("nobr", "1");
        if (!s.Ruby.empty()) add("ruby", Readable(s.Ruby, true));
        if (s.BorderWidth != -1) add("border", std::to_string(s.BorderWidth));
        if (s.ShadowWidth != -1) add("shadow", std::to_string(s.ShadowWidth));
    }
    if (!g.Link().empty())
        add("link", Readable(g.Link(), true));
    const bool waits = g.Visible() || g.Kind() == gkVar;
    if (waits && g.Wait() != engine.DefaultWait())
        add("wait", std::to_string(g.Wait()));
    return out;
}

std::string TextOf(const TWdGlyph& g) {
    switch (g.Kind()) {
    case gkChar: return Readable(g.Text(), false);
    case gkAlign: return AlignName(g.Align());
    case gkReturn: return g.Clear() ? "clear" : "";
    case gkEvent: {
        const auto& e = static_cast<const TWdOpeEvent&>(g);
        return Readable((e.Stop() ? "\x01" : "") + e.Value(), false);
    }
    case gkVar:
    case gkImg: return Readable(g.Value(), false);
    default: return {};
    }
}

} // namespace

std::string GlyphListing(const TGxWord& engine) {
    std::string out;
    int position = 0, lastWeighted = 0;
    for (int i = 0; i < engine.GlyphCount(); ++i) {
        const TWdGlyph& g = *engine.Glyph(i);
        // What a variable inserted shows at its variable's position.
        const int shown = g.Weight() > 0 ? position : lastWeighted;
        if (g.Weight() > 0)
            lastWeighted = position;
        position += g.Weight();
        out += std::to_string(shown) + '\t' + std::to_string(g.Kind()) + '\t' + TextOf(g) + '\t' + StyleText(engine, g) + '\n';
    }
    return out;
}

} // namespace ruvo
