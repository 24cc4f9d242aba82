// Frame lists: the header and every track record of every version, the chaining of start times, and
// a few updates (no pictures are loaded).
#include <cstddef>
#include <cstdint>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "graphics/film/filmmanager.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ruvo::TReadOnlyMemoryStream stream(data, int64_t(size));
    try {
        ruvo::TFilmManager film;
        if (film.LoadFromStream(stream, "anim\\fuzz.rmt"))
            for (int32_t time : {0, 1, film.Length() / 2, film.Length() - 1, film.Length()})
                film.Update(time);
    } catch (const ruvo::ERuvoError&) {
    }
    return 0;
}
