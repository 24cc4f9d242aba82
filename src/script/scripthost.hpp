#pragma once
// What the interpreter needs of the rest of the player: the project's file check, the clock, the
// close path, the display world with its event queue, and the trace.
#include <cstdint>
#include <string>
#include <string_view>

namespace ruvo {

class TRuvoObject;
class TTimerList;

// The display world as the interpreter sees it.
class TScriptWorld {
public:
    virtual ~TScriptWorld() = default;
    // Whether the object still exists.
    virtual bool Contains(const TRuvoObject* object) const = 0;
    virtual TRuvoObject* FindObject(std::string_view name) = 0;
    virtual TTimerList& Events() = 0;
};

class TScriptHost {
public:
    virtual ~TScriptHost() = default;
    // True when the file can be read now (may ask for a disc).
    virtual bool FileAvailable(std::string_view name) = 0;
    virtual int32_t GameClock() const = 0;
    virtual int32_t FrameTime() const = 0;
    virtual bool Terminating() const = 0;
    // Raises the stop flag and asks the player to close.
    virtual void Terminate() = 0;
    // Null until the display world exists.
    virtual TScriptWorld* World() const = 0;
    // The Reset command: every object, the variables, the data tables and the message history.
    virtual void ResetGameState() = 0;
    // Trace lines (Shift-JIS); Tracing() false means nobody reads them.
    virtual bool Tracing() const { return false; }
    virtual void Trace(std::string_view) {}
};

// A host without a player around it (benchmarks, fuzzing): every file is there, the clock stands at 0,
// there is no display world, and closing is ignored.
class TDetachedScriptHost final : public TScriptHost {
public:
    bool FileAvailable(std::string_view) override { return true; }
    int32_t GameClock() const override { return 0; }
    int32_t FrameTime() const override { return 16; }
    bool Terminating() const override { return false; }
    void Terminate() override {}
    TScriptWorld* World() const override { return nullptr; }
    void ResetGameState() override {}
};

} // namespace ruvo
