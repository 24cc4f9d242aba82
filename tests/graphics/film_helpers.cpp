#include "film_helpers.hpp"

#include "archive/streams.hpp"
#include "graphics/film/filmkinds.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo::test {

std::vector<uint8_t> FilmBytes(TFilmManager& film) {
    TMemoryStream stream;
    film.SaveToStream(stream);
    return stream.Bytes();
}

bool ReadFilm(TFilmManager& film, const std::vector<uint8_t>& bytes, const std::string& name) {
    TMemoryStream stream(bytes);
    return film.LoadFromStream(stream, name);
}

std::unique_ptr<TCustomFrameList> NewTrack(uint8_t kind, int32_t start, int32_t length, int32_t parent) {
    auto track = FindFilmTrackKind(kind)->Create();
    track->KindByte = kind;
    track->OwnStart = start;
    track->Length = length;
    track->ParentIndex = parent;
    return track;
}

TPicture SolidPicture(int32_t width, int32_t height, const std::vector<uint32_t>& colours, int32_t delay) {
    TPicture picture;
    for (uint32_t colour : colours) {
        TPictureFrame frame;
        frame.Colour = NewStorage(width, height, 32);
        FillStorage(*frame.Colour, colour);
        frame.Delay = delay;
        picture.TotalDelay += delay;
        picture.Frames.push_back(std::move(frame));
    }
    picture.Width = width;
    picture.Height = height;
    return picture;
}

std::shared_ptr<const TPicture> TTestPictures::Picture(const std::string& gameName) {
    Asked.push_back(gameName);
    for (const auto& [name, picture] : Pictures)
        if (name == gameName)
            return picture;
    return nullptr;
}

} // namespace ruvo::test
