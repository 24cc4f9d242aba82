#pragma once
// What saved games need of the display world: its section of a saved game (the screens with every
// object, the top-level components, the event queue and the focus) written from the running world, and
// read into a new world that replaces the running one only when the whole saved game has been read.
// The world implements it; the runtime hands it to the saved games while the world exists.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ruvo {

class TRuvoBaseList;
class TStream;

// A world read from a saved game, not running yet.
class TLoadedWorld {
public:
    virtual ~TLoadedWorld() = default;
    // Its registry and event queue: the interpreter's section, read next, finds its senders here by
    // name. The ids it issues stay valid once it runs.
    virtual TRuvoBaseList& World() = 0;
    // Replaces the running world by this one; called once every section has been read. Must not fail.
    virtual void Commit() = 0;
};

class TSavedWorld {
public:
    virtual ~TSavedWorld() = default;
    // Writes the running world's section (saved-game version 134).
    virtual void Save(TStream& out) = 0;
    // Reads a section of that saved-game version into a new world, leaving the running one as it is;
    // throws ERuvoError for a damaged section.
    virtual std::unique_ptr<TLoadedWorld> Load(TStream& in, int32_t version) = 0;
};

// For `ruvotool save dump`: reads a world section of that version, without a running game, and answers
// it in the `--dump-objects` form (UTF-8 lines); throws ERuvoError for a damaged section.
using TWorldSectionDumper = std::function<std::string(TStream& in, int32_t version)>;

} // namespace ruvo
