#include "objects/base/ruvoobject.hpp"

#include "archive/serializer.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

void TRuvoObject::SetName(const std::string& name) {
    if (name == Name || name.empty()) return;
    if (!Owner) {
        Name = name;
        return;
    }
    if (TRuvoObject* holder = Owner->FindObject(name); holder && holder != this && Owner->IsRegistered(holder))
        Owner->ScheduleDelete(*holder);
    Owner->AssignName(*this, name);
}

void TRuvoObject::SetPriority(int32_t priority) {
    Priority = priority;
    SubPriority = 0;
}

const TPropertyMap& TRuvoObject::ClassProperties() {
    static const TPropertyMap map = [] {
        TPropertyMap m;
        m.Str<TRuvoObject>(PR_NAME, [](TRuvoObject& o) { return o.Name; },
                           [](TRuvoObject& o, std::string v) { o.SetName(v); });
        m.Int<TRuvoObject>(PR_PRIORITY, [](TRuvoObject& o) { return o.Priority; },
                           [](TRuvoObject& o, int32_t v) { o.SetPriority(v); });
        m.Int<TRuvoObject>(PR_COMPOTYPE, [](TRuvoObject& o) { return int32_t(o.GetCompoType()); });
        m.Str<TRuvoObject>(PR_TAG, [](TRuvoObject& o) { return o.Tag; }, [](TRuvoObject& o, std::string v) { o.Tag = v; });
        return m;
    }();
    return map;
}

void TRuvoObject::Sync(TSerializer& s) {
    std::string name = Name;
    s.Str(name);
    if (s.Loading()) {
        if (Owner) Owner->AssignName(*this, std::move(name));
        else Name = std::move(name);
    }
    s.Int(Priority);
    s.Int(SubPriority, 104);
    s.Str(Tag, 120);
}

TRuvoComponent::~TRuvoComponent() {
    if (Owner && Id()) Owner->Events().RemovePendingOf(Id());
}

bool TRuvoComponent::Raise(uint8_t code, std::vector<std::string> parameters) {
    return Owner && Owner->Queue(*this, code, std::move(parameters), TRuvoBaseList::TestsDuplicates(code));
}

bool TRuvoComponent::RaiseAgain(uint8_t code, std::vector<std::string> parameters) {
    return Owner && Owner->Queue(*this, code, std::move(parameters), false);
}

} // namespace ruvo
