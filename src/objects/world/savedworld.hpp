#pragma once
// The display world's section of a saved game: the screens with every object, the top-level components,
// the event queue and the focus, written from the running world, and read into a new world that takes
// the running one's place only once the whole saved game has been read.
#include <cstdint>
#include <memory>

namespace ruvo {

class TRuvoBaseList;
class TStream;

// A world read from a saved game, not running yet.
class TLoadedWorld {
public:
    TLoadedWorld(TRuvoBaseList& running, std::unique_ptr<TRuvoBaseList> loaded);
    ~TLoadedWorld();
    TLoadedWorld(const TLoadedWorld&) = delete;
    TLoadedWorld& operator=(const TLoadedWorld&) = delete;

    // Its registry and event queue: the interpreter's section, read next, finds its senders here by
    // name. The ids it issued stay valid once it runs.
    TRuvoBaseList& World() const noexcept { return *loaded_; }
    // The running world takes over this one's contents; called once every section has been read.
    void Commit();

private:
    TRuvoBaseList& running_;
    std::unique_ptr<TRuvoBaseList> loaded_;
};

class TSavedWorld {
public:
    explicit TSavedWorld(TRuvoBaseList& running) noexcept : running_(running) {}

    // Writes the running world's section as a saved game of that version has it.
    void Save(TStream& out, int32_t version) const;
    // Reads a section of that saved-game version into a new world, leaving the running one as it is;
    // throws ERuvoError for a damaged section.
    std::unique_ptr<TLoadedWorld> Load(TStream& in, int32_t version) const;

private:
    TRuvoBaseList& running_;
};

} // namespace ruvo
