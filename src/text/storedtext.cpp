// The stored glyph form carried by text-insert commands: a "GxWord" header with the version (none before
// version 100), the decorations, then the glyphs, each a kind byte and the kind's fields.
#include <cstring>

#include "archive/streams.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "text/gxword.hpp"
#include "text/storedtext.hpp"

namespace ruvo {

namespace {

constexpr char kMagic[] = "GxWord";
constexpr size_t kMagicSize = 6, kHeaderSize = 9;

// Bytes of the smallest decoration record of a version (both strings empty).
int64_t DecorationRecordSize(int version) { return version >= 100 ? 38 : 27; }

TDecorateStyle ReadDecoration(TStream& s, int version) {
    TDecorateStyle d;
    ReadInt(s);  // the writer's reference count: the glyphs read count their own references
    d.Color = ReadInt(s);
    d.BorderColor = ReadInt(s);
    d.Size = ReadInt(s);
    d.Style = ReadByte(s);
    d.NoBreak = ReadByte(s) != 0;
    d.BorderWidth = version >= 100 ? ReadInt(s) : (ReadByte(s) != 0 ? 1 : 0);
    d.FontName = ReadStr(s);
    d.Ruby = ReadStr(s);
    if (version >= 100) {
        d.ShadowWidth = ReadInt(s);
        d.ShadowColor = ReadInt(s);
    } else {
        d.ShadowWidth = 0;
        d.ShadowColor = 0;
    }
    return d;
}

void WriteDecoration(TStream& s, const TDecorate& d, int version) {
    WriteInt(s, d.RefCount);
    WriteInt(s, d.Style.Color);
    WriteInt(s, d.Style.BorderColor);
    WriteInt(s, d.Style.Size);
    WriteByte(s, d.Style.Style);
    WriteByte(s, d.Style.NoBreak ? 1 : 0);
    if (version >= 100)
        WriteInt(s, d.Style.BorderWidth);
    else  // old records hold an edge flag: set only where the text asks for an edge, not for the default
        WriteByte(s, d.Style.BorderWidth > 0 ? 1 : 0);
    WriteStr(s, d.Style.FontName);
    WriteStr(s, d.Style.Ruby);
    if (version >= 100) {
        WriteInt(s, d.Style.ShadowWidth);
        WriteInt(s, d.Style.ShadowColor);
    }
}

} // namespace

int TGxWord::LoadStored(TStream& s) {
    TStoredContext context;
    context.DecorationBase = DecorationBase;
    const int64_t start = s.Position();
    char header[kHeaderSize];
    if (s.Read(header, kHeaderSize) == int64_t(kHeaderSize) && std::memcmp(header, kMagic, kMagicSize) == 0) {
        for (size_t i = kMagicSize; i < kHeaderSize; ++i) {
            if (header[i] < '0' || header[i] > '9')
                StoredTextError("version of the stored text is not a number");
            context.Version = context.Version * 10 + (header[i] - '0');
        }
    } else {
        s.SetPosition(start);
    }

    const int32_t decorations = ReadInt(s);
    if (decorations < 0 || decorations > s.Remaining() / DecorationRecordSize(context.Version))
        StoredTextError("decoration count " + std::to_string(decorations) + " beyond the text");
    for (int32_t i = 0; i < decorations; ++i)
        Decorations.Append(ReadDecoration(s, context.Version));

    const int32_t glyphs = ReadInt(s);
    if (glyphs < 0 || glyphs > s.Remaining())
        StoredTextError("glyph count " + std::to_string(glyphs) + " beyond the text");
    for (int32_t i = 0; i < glyphs; ++i) {
        const uint8_t kind = ReadByte(s);
        std::unique_ptr<TWdGlyph> glyph = CreateGlyph(*this, kind);
        if (!glyph)
            continue;
        WithContext([&] { return "glyph " + std::to_string(i) + " (kind " + std::to_string(kind) + ")"; },
                    [&] { glyph->ReadFrom(s, context); });
        AppendGlyph(std::move(glyph));
    }
    return context.Version;
}

void TGxWord::WriteStored(TStream& s, int version) const {
    if (version < 0 || version > 999)
        throw std::invalid_argument("stored text versions run from 0 to 999");
    if (version > 0) {
        char header[kHeaderSize + 1];
        std::snprintf(header, sizeof header, "%s%03d", kMagic, version);
        s.WriteBuffer(header, kHeaderSize);
    }
    TStoredContext context;
    context.Version = version;
    WriteInt(s, Decorations.Count());
    for (int i = 0; i < Decorations.Count(); ++i)
        WriteDecoration(s, *Decorations.At(i), version);
    int32_t count = 0;
    for (const auto& g : glyphs_)
        count += g->Weight() > 0;
    WriteInt(s, count);
    for (const auto& g : glyphs_) {
        if (g->Weight() == 0)
            continue;  // what variables inserted comes back when they are expanded
        WriteByte(s, uint8_t(g->Kind()));
        g->WriteTo(s, context);
    }
}

} // namespace ruvo
