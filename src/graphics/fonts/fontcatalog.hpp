#pragma once
// Where glyph outlines come from. Games name Windows faces ("ＭＳ ゴシック", "ＭＳ Ｐ明朝", ...); those
// resolve through one substitution table to free Japanese fonts, any other name goes to fontconfig, and
// a name that matches nothing installed falls back to the substitute of "ＭＳ ゴシック".
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct _FcConfig;

namespace ruvo {

// One face inside a font file (collections hold several).
struct TFontFile {
    std::string Path;
    int Index = 0;
    bool operator==(const TFontFile&) const = default;
};

// The face every glyph falls back to, and the default of the text engine.
inline constexpr std::string_view kDefaultFaceUtf8 = "ＭＳ ゴシック";

// Names compare after folding full-width Latin letters to ASCII, dropping spaces (half and full width)
// and lower-casing: authors write "ＭＳ Ｐゴシック", "MS Pゴシック" or "ＭＳＰゴシック" for one face.
std::string FoldFaceName(std::string_view utf8);

// The installed families tried, in order, for a Windows face name (folded); empty when the name is
// not one of the substituted faces.
std::span<const std::string_view> SubstituteFamilies(std::string_view foldedName);

class TFontCatalog {
public:
    virtual ~TFontCatalog() = default;
    // The font file for a face name (Shift-JIS); nothing when no installed face has that name.
    virtual std::optional<TFontFile> Find(std::string_view sjisFace) = 0;
};

// A catalog without fonts: every glyph is empty (the builder's measuring, worlds without a display).
class TEmptyFontCatalog final : public TFontCatalog {
public:
    std::optional<TFontFile> Find(std::string_view) override { return std::nullopt; }
};

// Substitution table first, then fontconfig; answers are remembered per name. The catalog loads its
// own fontconfig configuration and frees it with itself.
class TSystemFontCatalog : public TFontCatalog {
public:
    TSystemFontCatalog();
    ~TSystemFontCatalog() override;
    TSystemFontCatalog(const TSystemFontCatalog&) = delete;
    TSystemFontCatalog& operator=(const TSystemFontCatalog&) = delete;

    std::optional<TFontFile> Find(std::string_view sjisFace) override;
    // A family installed under exactly this name (UTF-8); nothing for near matches.
    std::optional<TFontFile> FindFamily(std::string_view utf8Family);

private:
    _FcConfig* config_;
    std::map<std::string, std::optional<TFontFile>, std::less<>> known_;
};

} // namespace ruvo
