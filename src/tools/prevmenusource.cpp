#include "tools/prevmenusource.hpp"

#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

TPrevMenuButton ParseButton(std::string_view line) {
    if (line.front() != '"') throw std::runtime_error("a button starts with its caption in quotes");
    size_t pos = 0;
    TPrevMenuButton button;
    button.Caption = ParseStringLiteral(line, pos);
    const std::vector<std::string> pieces = SplitTopLevel(line.substr(pos));
    if (pieces.size() < 2) throw std::runtime_error("a button takes its caption, then x, y");
    button.Left = WholeNumber(pieces[0]);
    button.Top = WholeNumber(pieces[1]);
    std::string* pictures[] = {&button.Sources[0], &button.Sources[1], &button.Sources[2], &button.Sources[3],
                               &button.DisabledSource};
    size_t picture = 0;
    for (size_t i = 2; i < pieces.size(); ++i) {
        const std::string_view piece = pieces[i];
        if (piece == "mask") {
            button.CaptureMask = true;
        } else if (piece.starts_with("cursor")) {
            button.Cursor = StringLiteralValue(Trim(piece.substr(6)));
        } else if (piece.starts_with("\"")) {
            if (picture == std::size(pictures))
                throw std::runtime_error("a button has five pictures at most: normal, hover, pressed, clicked, disabled");
            *pictures[picture++] = StringLiteralValue(piece);
        } else {
            throw std::runtime_error("\"" + std::string(piece) + "\" is not a picture, mask or cursor \"file\"");
        }
    }
    return button;
}

} // namespace

TPrevMenuTemplate BuildPrevMenuSource(std::string_view utf8Source, const std::string& file) {
    TPrevMenuTemplate menu;
    ForEachSourceLine(utf8Source, file, [&](std::string_view line) { menu.Buttons.push_back(ParseButton(line)); });
    return menu;
}

std::string WritePrevMenuButton(const TPrevMenuButton& button) {
    std::string line = FormatStringLiteral(button.Caption) + " " + std::to_string(button.Left) + ", " +
                       std::to_string(button.Top);
    const std::string* pictures[] = {&button.Sources[0], &button.Sources[1], &button.Sources[2], &button.Sources[3],
                                     &button.DisabledSource};
    size_t shown = std::size(pictures);
    while (shown > 0 && pictures[shown - 1]->empty()) --shown;
    for (size_t i = 0; i < shown; ++i) line += ", " + FormatStringLiteral(*pictures[i]);
    if (button.CaptureMask) line += ", mask";
    if (!button.Cursor.empty()) line += ", cursor " + FormatStringLiteral(button.Cursor);
    return line;
}

std::string WritePrevMenuSource(const TPrevMenuTemplate& menu) {
    std::string out;
    for (const TPrevMenuButton& button : menu.Buttons) out += WritePrevMenuButton(button) + "\n";
    return out;
}

} // namespace ruvo::tools
