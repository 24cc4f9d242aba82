#include "objects/world/savedworld.hpp"

#include "objects/world/world.hpp"

namespace ruvo {

TLoadedWorld::TLoadedWorld(TRuvoBaseList& running, std::unique_ptr<TRuvoBaseList> loaded)
    : running_(running), loaded_(std::move(loaded)) {}

TLoadedWorld::~TLoadedWorld() = default;

void TLoadedWorld::Commit() { running_.TakeOver(*loaded_); }

void TSavedWorld::Save(TStream& out, int32_t version) const { running_.SaveToStream(out, version); }

std::unique_ptr<TLoadedWorld> TSavedWorld::Load(TStream& in, int32_t version) const {
    return std::make_unique<TLoadedWorld>(running_, running_.ReadSaved(in, version));
}

} // namespace ruvo
