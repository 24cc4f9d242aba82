#include "graphics/film/filmkinds.hpp"

#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmlabel.hpp"
#include "graphics/film/filmrect.hpp"
#include "graphics/film/filmsound.hpp"
#include "graphics/film/filmtransition.hpp"

namespace ruvo {

namespace {

template <class T>
std::unique_ptr<TCustomFrameList> New() {
    return std::make_unique<T>();
}

const TFilmTrackKind kKinds[] = {
    {0, "TImageFrameList", "TCustomImageFrameList", "image", New<TImageFrameList>},
    {1, "TLabelFrameList", "TCustomImageFrameList", "label", New<TLabelFrameList>},
    {2, "TBoxFrameList", "TRectFrameList", "box", New<TBoxFrameList>},
    {3, "TWipeFrameList", "TCustomFrameList", "transition", New<TWipeFrameList>},
    {4, "TSoundFrameList", "TCustomFrameList", "sound", New<TSoundFrameList>},
    {5, "TTileFrameList", "TImageFrameList", "tile", New<TTileFrameList>},
    {6, "TParticleFrameList", "TRectFrameList", "particle", New<TParticleFrameList>},
    {7, "TFireFrameList", "TRectFrameList", "fire", New<TFireFrameList>},
};

} // namespace

std::span<const TFilmTrackKind> FilmTrackKinds() { return kKinds; }

const TFilmTrackKind* FindFilmTrackKind(uint8_t kindByte) {
    const uint8_t kind = kindByte & 0x7F;
    return kind < std::size(kKinds) ? &kKinds[kind] : nullptr;
}

const TFilmTrackKind* FindFilmTrackKind(std::string_view word) {
    for (const TFilmTrackKind& k : kKinds)
        if (word == k.Word)
            return &k;
    return nullptr;
}

} // namespace ruvo
