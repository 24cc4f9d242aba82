#include "graphics/film/filmtrack.hpp"

#include <algorithm>
#include <vector>

#include "archive/sjis.hpp"

namespace ruvo {

namespace {

// Folder parts of a Shift-JIS name ("\" and "/" part them; a trail byte 0x5C is no separator), without
// empty and "." parts.
std::vector<std::string_view> Parts(std::string_view name) {
    std::vector<std::string_view> parts;
    size_t begin = 0;
    auto flush = [&](size_t end) {
        const std::string_view part = name.substr(begin, end - begin);
        if (!part.empty() && part != ".")
            parts.push_back(part);
    };
    for (size_t i = 0; i < name.size();) {
        const size_t n = CharLength(name, i);
        if (n == 1 && (name[i] == '\\' || name[i] == '/')) {
            flush(i);
            begin = i + 1;
        }
        i += n;
    }
    flush(name.size());
    return parts;
}

std::string Join(const std::vector<std::string_view>& parts) {
    std::string out;
    for (std::string_view part : parts) {
        if (!out.empty())
            out += '\\';
        out += part;
    }
    return out;
}

bool IsAbsolute(std::string_view name) {
    return (!name.empty() && (name[0] == '\\' || name[0] == '/')) || (name.size() >= 2 && name[1] == ':');
}

} // namespace

void TCustomFrameList::Sync(TFilmFields& f) {
    f.Int("parent", ParentIndex);
    f.Time("length", Length);
    f.Int("priority", Priority);
    f.Time("start", OwnStart);
    f.Time("loop", LoopPeriod);
    f.Int("mouse", MouseMode);
    f.Byte("flip_h", FlipH, TFilmByte::Flag);
    f.Byte("flip_v", FlipV, TFilmByte::Flag);
    f.Byte("hold", Hold, TFilmByte::Flag);
    SyncOwn(f);
}

int32_t TCustomFrameList::Steps() const noexcept {
    return follower_ && Length < INT32_MAX ? Length + 1 : Length;
}

void TCustomFrameList::UpdateTo(int32_t time) {
    const int64_t d = int64_t(time) - start_;
    if (d >= 0 && d < Length) {
        active_ = true;
        step_ = int32_t(d);
    } else {
        active_ = Hold && d >= 0;
        step_ = int32_t(std::max<int64_t>(int64_t(Steps()) - 1, 0));  // a damaged length may be negative
    }
    if (active_)
        Pose(step_, Steps());
}

std::string ResolveFilmName(std::string_view folder, std::string_view stored) {
    if (stored.empty())
        return {};
    std::vector<std::string_view> parts;
    if (IsAbsolute(stored)) {
        if (stored.size() >= 2 && stored[1] == ':')
            stored.remove_prefix(2);
    } else {
        parts = Parts(folder);
    }
    for (std::string_view part : Parts(stored)) {
        if (part != "..")
            parts.push_back(part);
        else if (!parts.empty())
            parts.pop_back();
    }
    return Join(parts);
}

std::string RelativeFilmName(std::string_view folder, std::string_view gameName) {
    const std::vector<std::string_view> from = Parts(folder), to = Parts(gameName);
    if (to.empty())
        return {};
    // The file's own name is never a shared folder.
    size_t common = 0;
    while (common < from.size() && common + 1 < to.size() && SameTextSjis(from[common], to[common]))
        ++common;
    std::string out;
    for (size_t i = common; i < from.size(); ++i)
        out += "..\\";
    return out + Join(std::vector<std::string_view>(to.begin() + ptrdiff_t(common), to.end()));
}

} // namespace ruvo
