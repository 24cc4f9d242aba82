#include "graphics/fonts/fontcatalog.hpp"

#include <fontconfig/fontconfig.h>

#include <array>
#include <memory>

#include "archive/sjis.hpp"

namespace ruvo {

namespace {

// The Windows faces games ask for and the free fonts that stand in for them. Each row lists the
// names (folded, see FoldFaceName) in their Japanese and ASCII spellings and the families tried in
// order: IPA fonts (Debian fonts-ipafont-gothic, fonts-ipafont-mincho), then IPAex and Noto CJK.
// Proportional faces take the proportional IPA families; "MS UI Gothic" is proportional too.
struct TSubstitution {
    std::array<std::string_view, 2> Names;
    std::array<std::string_view, 4> Families;
};
constexpr TSubstitution kSubstitutions[] = {
    {{"msゴシック", "msgothic"}, {"IPAGothic", "IPAexGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP"}},
    {{"mspゴシック", "mspgothic"}, {"IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "IPAGothic"}},
    {{"ms明朝", "msmincho"}, {"IPAMincho", "IPAexMincho", "Noto Serif CJK JP", "IPAGothic"}},
    {{"msp明朝", "mspmincho"}, {"IPAPMincho", "IPAexMincho", "Noto Serif CJK JP", "IPAPGothic"}},
    {{"msuigothic", "msuiゴシック"}, {"IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "IPAGothic"}},
};

// Appends the UTF-8 form of code point c.
void PutUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

struct TPatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using TPattern = std::unique_ptr<FcPattern, TPatternDeleter>;

} // namespace

std::string FoldFaceName(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t b = uint8_t(utf8[i]);
        const size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (i + n > utf8.size()) {
            out.append(utf8.substr(i));
            break;
        }
        uint32_t c = n == 1 ? b : b & (0xFF >> (n + 1));
        for (size_t k = 1; k < n; ++k)
            c = c << 6 | (uint8_t(utf8[i + k]) & 0x3F);
        i += n;
        if (c >= 0xFF01 && c <= 0xFF5E)  // full-width Latin
            c -= 0xFF01 - 0x21;
        if (c == ' ' || c == 0x3000 || c == '\t')
            continue;
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
        PutUtf8(out, c);
    }
    return out;
}

std::span<const std::string_view> SubstituteFamilies(std::string_view foldedName) {
    for (const TSubstitution& s : kSubstitutions)
        for (std::string_view name : s.Names)
            if (name == foldedName)
                return s.Families;
    return {};
}

TSystemFontCatalog::TSystemFontCatalog() : config_(FcInitLoadConfigAndFonts()) {}

TSystemFontCatalog::~TSystemFontCatalog() {
    if (config_)
        FcConfigDestroy(config_);
}

std::optional<TFontFile> TSystemFontCatalog::FindFamily(std::string_view utf8Family) {
    if (utf8Family.empty() || !config_)
        return std::nullopt;
    TPattern pattern(FcPatternCreate());
    if (!pattern)
        return std::nullopt;
    const std::string family(utf8Family);
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(config_, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    TPattern match(FcFontMatch(config_, pattern.get(), &result));
    if (!match || result != FcResultMatch)
        return std::nullopt;
    // fontconfig always answers with its best guess; only a face that carries the name counts.
    const std::string wanted = FoldFaceName(utf8Family);
    bool named = false;
    FcChar8* name = nullptr;
    for (int i = 0; !named && FcPatternGetString(match.get(), FC_FAMILY, i, &name) == FcResultMatch; ++i)
        named = FoldFaceName(reinterpret_cast<const char*>(name)) == wanted;
    FcChar8* file = nullptr;
    if (!named || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
        return std::nullopt;
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    return TFontFile{reinterpret_cast<const char*>(file), index};
}

std::optional<TFontFile> TSystemFontCatalog::Find(std::string_view sjisFace) {
    if (auto it = known_.find(sjisFace); it != known_.end())
        return it->second;
    const std::string utf8 = SjisToUtf8Lossy(sjisFace);
    std::optional<TFontFile> found;
    const auto families = SubstituteFamilies(FoldFaceName(utf8));
    for (std::string_view family : families)
        if ((found = FindFamily(family)))
            break;
    if (families.empty())
        found = FindFamily(utf8);
    known_.emplace(std::string(sjisFace), found);
    return found;
}

} // namespace ruvo
