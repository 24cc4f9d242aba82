#include "objects/world/objectdump.hpp"

#include <cstdio>

#include "archive/sjis.hpp"
#include "objects/images/box.hpp"
#include "objects/text/cglabel.hpp"
#include "objects/images/cinema.hpp"
#include "objects/images/cinemaworld.hpp"
#include "objects/text/label.hpp"
#include "objects/text/mes.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {

// A name or text in double quotes: UTF-8, with control bytes, quotes and backslashes escaped.
std::string Quoted(const std::string& sjisName) {
    std::string out = "\"";
    for (const char ch : SjisToUtf8Lossy(sjisName)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            if (c == '"' || c == '\\') out += '\\';
            out += ch;
        }
    }
    return out + "\"";
}

std::string Colour(int32_t c) {
    char text[16];
    if (c >= 0) std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(c));
    else std::snprintf(text, sizeof text, "%d", c);
    return text;
}

void Control(std::string& out, const TRuvoControl& c, int depth) {
    out += std::string(2 * static_cast<size_t>(depth), ' ') + Quoted(c.Name) + " type=" + std::to_string(c.GetCompoType()) +
           " left=" + std::to_string(c.Left) + " top=" + std::to_string(c.Top) + " width=" + std::to_string(c.Width) +
           " height=" + std::to_string(c.Height) + " priority=" + std::to_string(c.Priority) +
           " visible=" + (c.OwnVisible ? "1" : "0");
    if (const auto* box = dynamic_cast<const TRuvoBox*>(&c))
        out += " color=" + Colour(box->Color) + " alpha=" + std::to_string(box->Alpha);
    else if (const auto* mes = dynamic_cast<const TRuvoMes*>(&c))
        out += " index=" + std::to_string(mes->Index()) + " pages=" + std::to_string(mes->PageCount()) +
               " text=" + Quoted(mes->PageText());
    else if (const auto* label = dynamic_cast<const TRuvoLabel*>(&c))
        out += " text=" + Quoted(label->Text());
    else if (const auto* cg = dynamic_cast<const TRuvoCGLabel*>(&c))
        out += " text=" + Quoted(cg->Text);
    else if (const auto* cinema = dynamic_cast<const TRuvoCinema*>(&c))
        out += " frame=" + std::to_string(cinema->Frame()) + " count=" + std::to_string(cinema->Length());
    out += '\n';
    // A cinema's track objects, in its own world, before the controls placed over its stage.
    if (const auto* cinema = dynamic_cast<const TRuvoCinema*>(&c); cinema && cinema->Tracks())
        for (int base = 0; base < 2; ++base)
            for (const TRuvoControl* track : cinema->Tracks()->World().Screen(base).Children()) {
                out += std::string(2 * static_cast<size_t>(depth + 1), ' ') + "track base=" + std::to_string(base) + " ";
                Control(out, *track, 0);
            }
    for (const TRuvoControl* child : c.Children())
        if (!child->PendingDelete) Control(out, *child, depth + 1);
}

} // namespace

std::string DumpObjects(TRuvoBaseList& world) {
    std::string out;
    for (int i = 0; i < 2; ++i) {
        const TRuvoBase& s = world.Screen(i);
        out += "screen " + std::to_string(i) + (i == world.ActiveIndex() ? " front" : " back") +
               " width=" + std::to_string(s.Width) + " height=" + std::to_string(s.Height) +
               " color=" + Colour(s.Color) + " visible=" + (s.OwnVisible ? "1" : "0") + '\n';
        for (const TRuvoControl* child : s.Children())
            if (!child->PendingDelete) Control(out, *child, 1);
    }
    out += "without parent\n";
    for (const TRuvoObject* o : world.Objects())
        if (const TRuvoControl* c = o->AsControl(); c && !c->Parent() && !c->PendingDelete) Control(out, *c, 1);
    out += "components\n";
    for (const TRuvoObject* o : world.Objects())
        if (!o->AsControl() && !o->PendingDelete)
            out += "  " + Quoted(o->Name) + " type=" + std::to_string(o->GetCompoType()) +
                   " priority=" + std::to_string(o->Priority) + '\n';
    return out;
}

} // namespace ruvo
