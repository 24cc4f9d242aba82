#pragma once
// The root of the display-object tree. Scripts address objects by name; whatever keeps an object for
// later (an event's sender, a call frame's sender) keeps its id and asks the registry for it on use,
// so a destroyed object is never reached through a stale pointer.
#include <cstdint>
#include <string>

namespace ruvo {

// Issued by the registry when an object is registered, never reused within a run; 0 is no object.
using TObjectId = uint64_t;

class TRuvoObject {
public:
    virtual ~TRuvoObject() = default;
    TObjectId Id() const noexcept { return id_; }

    std::string Name;

private:
    friend class TObjectRegistry;
    TObjectId id_ = 0;
};

} // namespace ruvo
