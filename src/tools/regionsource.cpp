#include "tools/regionsource.hpp"

#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

int32_t Coordinate(std::string_view text) {
    const int32_t v = WholeNumber(text);
    if (v < -TRegionMap::kMaxCoordinate || v > TRegionMap::kMaxCoordinate)
        throw std::runtime_error(std::string(text) + " is beyond the coordinates a region map holds");
    return v;
}

TMapRegion ParseRegion(std::string_view line) {
    size_t pos = 0;
    if (line.front() != '"') throw std::runtime_error("a region starts with its name in quotes");
    TMapRegion region;
    region.Name = ParseStringLiteral(line, pos);
    std::string_view rest = Trim(line.substr(pos));
    const size_t space = rest.find_first_of(" \t");
    const std::string_view shape = rest.substr(0, space);
    std::vector<int32_t> values;
    if (space != std::string_view::npos)
        for (const std::string& piece : SplitTopLevel(rest.substr(space))) values.push_back(Coordinate(piece));
    if (shape == "rect" || shape == "ellipse") {
        region.Kind = shape == "rect" ? TMapRegion::kRectangle : TMapRegion::kEllipse;
        if (values.size() != 4) throw std::runtime_error(std::string(shape) + " takes left, top, right, bottom");
        region.Left = values[0], region.Top = values[1], region.Right = values[2], region.Bottom = values[3];
        if (region.Right < region.Left || region.Bottom < region.Top)
            throw std::runtime_error(std::string(shape) + " has its right edge left of its left or its bottom above its top");
    } else if (shape == "polygon") {
        region.Kind = 2;
        if (values.size() < 6 || values.size() % 2 != 0)
            throw std::runtime_error("polygon takes at least three x, y pairs");
        for (size_t i = 0; i < values.size(); i += 2) region.Points.push_back({values[i], values[i + 1]});
    } else {
        throw std::runtime_error("unknown shape \"" + std::string(shape) + "\" (rect, ellipse or polygon)");
    }
    return region;
}

} // namespace

TRegionMap BuildRegionSource(std::string_view utf8Source, const std::string& file) {
    TRegionMap map;
    ForEachSourceLine(utf8Source, file, [&](std::string_view line) { map.Regions.push_back(ParseRegion(line)); });
    return map;
}

} // namespace ruvo::tools
