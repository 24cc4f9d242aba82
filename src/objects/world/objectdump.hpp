#pragma once
// The world as text for people and tests (ruvoplay --dump-objects; docs/objects-dump.md): the screens
// with their objects in drawing order, children indented under their parent, then the controls without
// a parent and the components.
#include <string>

namespace ruvo {

class TRuvoBaseList;

// UTF-8 text, one line per object.
std::string DumpObjects(TRuvoBaseList& world);

} // namespace ruvo
