#pragma once
// The root of the display-object tree and the components. Every object a running game shows or plays
// belongs to one world (world.hpp), which registers it, names it and owns it; scripts address objects by
// name and read and write them through the numbered properties (propaccess.hpp). Whatever keeps an
// object for later (an event's sender, a call frame's sender, the key focus) keeps its id and asks the
// registry for it on use, so a destroyed object is never reached through a stale pointer.
#include <cstdint>
#include <string>
#include <vector>

namespace ruvo {

class TPropertyMap;
class TRuvoBaseList;
class TRuvoControl;
class TRuvoParser;
class TSerializer;

// Issued by the registry when an object is registered, never reused within a run; 0 is no object.
using TObjectId = uint64_t;

// Names beginning with this byte mark the player's own objects: they sort before their siblings and
// are not saved as components.
constexpr char kInternalMark = '\x01';

class TRuvoObject {
public:
    // owner: the world the object will be registered in; null only for test doubles outside a world.
    explicit TRuvoObject(TRuvoBaseList* owner) : Owner(owner) {}
    virtual ~TRuvoObject() = default;
    TRuvoObject(const TRuvoObject&) = delete;
    TRuvoObject& operator=(const TRuvoObject&) = delete;

    TObjectId Id() const noexcept { return id_; }
    bool IsInternal() const noexcept { return !Name.empty() && Name[0] == kInternalMark; }

    // The type code of the object's class (LT_BOX 2 ...); 0 for classes never saved.
    virtual uint8_t GetCompoType() const { return 0; }
    virtual TRuvoControl* AsControl() noexcept { return nullptr; }
    const TRuvoControl* AsControl() const noexcept { return const_cast<TRuvoObject*>(this)->AsControl(); }

    // Renaming. An object that is not a control takes a name held by another object by deleting that
    // object; controls rename the holder instead (control.hpp).
    virtual void SetName(const std::string& name);
    virtual bool NeedsAutoName() const { return true; }
    // Priority changes reset the motion's sub-priority; controls re-sort among their siblings.
    virtual void SetPriority(int32_t priority);

    // What the world asks of every object each frame.
    virtual bool IsPaused() const { return false; }
    virtual bool IsClosing() const { return false; }
    virtual bool InsideCabinet() const { return false; }
    // Steps the object by the frame's time; true asks the world to destroy it now.
    virtual bool Update() { return false; }

    // What the object commands hand to the classes that want it: expressions kept for later (an
    // animation's last-frame wait, a particle emitter's position), the play mode of media objects and
    // menus (0 start, 1 start with a fade or open, 2 stop, 3 stop with a fade or close), and the
    // resumption of paused playback (MediaPlay).
    virtual void TakeCreationExpression(int, const TRuvoParser&) {}
    virtual void SetPlayMode(int) {}
    virtual void ResumePlayback() {}

    // The class's property table (propaccess.hpp): name, priority, type code and tag here.
    static const TPropertyMap& ClassProperties();
    virtual const TPropertyMap& Properties() const { return ClassProperties(); }
    // The persisted form: this class's fields after its base's, in file order (Name, Priority,
    // SubPriority from 104, Tag from 120 here).
    virtual void Sync(TSerializer& s);

    TRuvoBaseList* Owner;
    std::string Name;  // unique within the world; empty once deletion was asked for
    std::string Tag;
    int32_t Priority = 0;
    int32_t SubPriority = 0;
    bool PendingDelete = false;  // kept by the world

private:
    friend class TObjectRegistry;
    TObjectId id_ = 0;
};

// An object registered in a world that can queue script events. Its pending events go with it.
class TRuvoComponent : public TRuvoObject {
public:
    using TRuvoObject::TRuvoObject;
    ~TRuvoComponent() override;

    // Queues the handler of event code (the identifier of its handler property) with the world's rules
    // (world.hpp); false when nothing was queued.
    bool Raise(uint8_t code, std::vector<std::string> parameters = {});
    // The same without the test for an entry of this code already queued.
    bool RaiseAgain(uint8_t code, std::vector<std::string> parameters = {});
};

} // namespace ruvo
