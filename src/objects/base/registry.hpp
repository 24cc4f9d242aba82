#pragma once
// What the rest of the player needs of the display world's registry: objects by name, and objects by the
// id the registry issued when it registered them. The display world (world.hpp) implements it; the
// interpreter and the event queue hold ids, never pointers.
#include <string>
#include <string_view>

#include "objects/base/ruvoobject.hpp"

namespace ruvo {

class TObjectRegistry {
public:
    virtual ~TObjectRegistry() = default;
    // The registered object holding that id, or null (0, never issued, or destroyed since).
    virtual TRuvoObject* Lookup(TObjectId id) const = 0;
    // The first registered object of that name (case-sensitive), or null.
    virtual TRuvoObject* FindObject(std::string_view name) const = 0;

    // The name of the object holding that id, or "" when it no longer exists.
    std::string NameOf(TObjectId id) const {
        const TRuvoObject* object = id ? Lookup(id) : nullptr;
        return object ? object->Name : std::string();
    }

protected:
    // A registry whose first id follows `lastIssued`: a world read from a saved game issues none of the
    // ids that the world it replaces issued.
    explicit TObjectRegistry(TObjectId lastIssued = 0) noexcept : lastId_(lastIssued) {}
    TObjectId LastIssued() const noexcept { return lastId_; }
    // Gives a newly registered object its id: one more than the last one this registry issued.
    void Issue(TRuvoObject& object) noexcept { object.id_ = ++lastId_; }
    // Goes on after `last` when another registry has issued that far.
    void IssueAfter(TObjectId last) noexcept {
        if (last > lastId_) lastId_ = last;
    }

private:
    TObjectId lastId_ = 0;
};

} // namespace ruvo
