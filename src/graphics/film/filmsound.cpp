#include "graphics/film/filmsound.hpp"

namespace ruvo {

void TSoundFrameList::SyncOwn(TFilmFields& f) {
    f.Str("name", Name);
    f.Int("volume", StoredVolume);
    f.Int("pan", StoredPan);
    f.Int("fade_in", FadeIn);
    f.Int("fade_out", FadeOut);
    f.Byte("repeat", Repeat, TFilmByte::Flag);
    f.Byte("stop_at_end", StopAtEnd, TFilmByte::Flag);
    if (f.Loading())
        oldScale_ = f.Version() <= 107;
}

} // namespace ruvo
