#include "graphics/film/filmmanager.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/film/filmkinds.hpp"
#include "graphics/film/filmsound.hpp"
#include "graphics/film/filmtransition.hpp"

namespace ruvo {

namespace {

constexpr size_t kSignatureSize = 13;
constexpr const char* kCinemaPrefix = "RuvoCinema";
constexpr const char* kMotionPrefix = "RuvoMotion";
// Kind byte and the common record: the least a track takes in a file.
constexpr int64_t kMinTrackBytes = 1 + 6 * 4 + 3;

int32_t ClampToInt32(int64_t v) noexcept {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The version of a signature, or 0 when it is none of ours.
int32_t SignatureVersion(const char (&sig)[kSignatureSize], bool& cinema) {
    const size_t prefix = std::strlen(kCinemaPrefix);
    cinema = std::memcmp(sig, kCinemaPrefix, prefix) == 0;
    if (!cinema && std::memcmp(sig, kMotionPrefix, prefix) != 0)
        return 0;
    int32_t version = 0;
    for (size_t i = prefix; i < kSignatureSize; ++i) {
        if (sig[i] < '0' || sig[i] > '9')
            return 0;
        version = version * 10 + (sig[i] - '0');
    }
    return version >= kFilmMinVersion && version <= kFilmMaxVersion ? version : 0;
}

// Tracks whose parent chain comes back to themselves; linear in the number of tracks.
std::vector<bool> TracksOnCycles(const std::vector<int32_t>& parent) {
    const size_t n = parent.size();
    std::vector<uint8_t> state(n, 0);  // 0 unseen, 1 on the walk now, 2 done
    std::vector<bool> onCycle(n, false);
    std::vector<size_t> walk;
    for (size_t i = 0; i < n; ++i) {
        walk.clear();
        int64_t at = int64_t(i);
        while (at >= 0 && state[size_t(at)] == 0) {
            state[size_t(at)] = 1;
            walk.push_back(size_t(at));
            at = parent[size_t(at)];
        }
        if (at >= 0 && state[size_t(at)] == 1)
            for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
                onCycle[*it] = true;
                if (*it == size_t(at))
                    break;
            }
        for (size_t k : walk)
            state[k] = 2;
    }
    return onCycle;
}

} // namespace

TFilmManager::~TFilmManager() = default;

void TFilmManager::SyncHeader(TFilmFields& f) {
    f.Int("stage_width", StageWidth);
    f.Int("stage_height", StageHeight);
    f.Int("color", Color);
    if (f.Has(102))
        f.Byte("relative", PositionRelative, TFilmByte::Flag);
    if (f.Has(104)) {
        f.Int("offset_x", OffsetX);
        f.Int("offset_y", OffsetY);
    }
    if (f.Has(106))
        f.Time("loop_start", LoopStart);
}

void TFilmManager::Clear() {
    tracks_.clear();
    drawOrder_.clear();
    transitions_.clear();
    soundTracks_.clear();
    length_ = 0;
    Cinema = false;
    Version = kFilmMaxVersion;
    StageWidth = StageHeight = 0;
    Color = -1;
    PositionRelative = 0;
    OffsetX = OffsetY = LoopStart = 0;
    Folder.clear();
    updated_ = false;
    lastTime_ = 0;
    lastTransition_ = nullptr;
    baseIndex_ = 0;
}

bool TFilmManager::LoadFromStream(TStream& stream, std::string_view name) {
    Clear();
    char sig[kSignatureSize];
    if (stream.Read(sig, kSignatureSize) != int64_t(kSignatureSize))
        return false;
    bool cinema = false;
    const int32_t version = SignatureVersion(sig, cinema);
    if (!version)
        return false;
    try {
        Cinema = cinema;
        Version = version;
        Folder = TVrFileManager::FolderOf(name);
        TFilmReader reader(stream, version);
        SyncHeader(reader);
        const int32_t count = ReadInt(stream);
        if (count < 0 || count > stream.Remaining() / kMinTrackBytes)
            throw FilmDamaged("a count of " + std::to_string(count) + " tracks does not fit the file");
        tracks_.reserve(size_t(count));
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t kindByte = ReadByte(stream);
            const TFilmTrackKind* kind = FindFilmTrackKind(kindByte);
            if (!kind)
                throw FilmDamaged("track " + std::to_string(i) + " has the unknown kind " + std::to_string(kindByte & 0x7F));
            std::unique_ptr<TCustomFrameList> track = kind->Create();
            track->KindByte = kindByte;
            WithContext([&] { return "reading track " + std::to_string(i) + " (" + kind->Word + ")"; },
                        [&] { track->Sync(reader); });
            tracks_.push_back(std::move(track));
        }
    } catch (ERuvoError& e) {
        Clear();
        e.AddContext("reading frame list " + SjisToUtf8Lossy(name));
        throw;
    }
    Resolve();
    return true;
}

bool TFilmManager::LoadFromFile(TVrFileManager& files, std::string_view name) {
    TMemoryStream content;
    files.Load(content, name);
    return LoadFromStream(content, name);
}

void TFilmManager::SaveToStream(TStream& stream) {
    if (Version < kFilmMinVersion || Version > kFilmMaxVersion)
        throw ERuvoError::FromUtf8("フレームリストのバージョンが不正です").AddContext(std::to_string(Version));
    const std::string sig = std::string(Cinema ? kCinemaPrefix : kMotionPrefix) + std::to_string(Version);
    stream.WriteBuffer(sig.data(), int64_t(sig.size()));
    TFilmWriter writer(stream, Version);
    SyncHeader(writer);
    WriteInt(stream, int32_t(tracks_.size()));
    for (size_t i = 0; i < tracks_.size(); ++i) {
        WriteByte(stream, tracks_[i]->KindByte);
        WithContext([&] { return "writing track " + std::to_string(i); }, [&] { tracks_[i]->Sync(writer); });
    }
}

void TFilmManager::AddTrack(std::unique_ptr<TCustomFrameList> track) { tracks_.push_back(std::move(track)); }

void TFilmManager::Resolve() {
    const size_t n = tracks_.size();
    std::vector<int32_t> parent(n);
    for (size_t i = 0; i < n; ++i) {
        const int32_t p = tracks_[i]->ParentIndex;
        parent[i] = p >= 0 && size_t(p) < n && size_t(p) != i ? p : -1;
    }
    const std::vector<bool> onCycle = TracksOnCycles(parent);
    for (size_t i = 0; i < n; ++i) {
        if (onCycle[i])
            parent[i] = -1;
        TCustomFrameList& t = *tracks_[i];
        t.parent_ = parent[i] >= 0 ? tracks_[size_t(parent[i])].get() : nullptr;
        t.follower_ = false;
    }
    for (size_t i = 0; i < n; ++i)
        if (parent[i] >= 0)
            tracks_[size_t(parent[i])]->follower_ = true;
    // Start times, parents first: each chain is walked up to a track already done, then down again.
    std::vector<bool> done(n, false);
    std::vector<size_t> chain;
    for (size_t i = 0; i < n; ++i) {
        chain.clear();
        for (int64_t at = int64_t(i); at >= 0 && !done[size_t(at)]; at = parent[size_t(at)])
            chain.push_back(size_t(at));
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            TCustomFrameList& t = *tracks_[*it];
            t.start_ = t.parent_ ? ClampToInt32(t.parent_->End()) : t.OwnStart;
            done[*it] = true;
        }
    }
    transitions_.clear();
    soundTracks_.clear();
    drawOrder_.clear();
    length_ = 0;
    for (auto& track : tracks_) {
        track->SetStartValues(track->parent_);
        length_ = std::max(length_, ClampToInt32(track->End()));
        if (auto* w = dynamic_cast<TWipeFrameList*>(track.get()))
            transitions_.push_back(w);
        else if (auto* s = dynamic_cast<TSoundFrameList*>(track.get()))
            soundTracks_.push_back(s);
        if (track->Visual())
            drawOrder_.push_back(track.get());
    }
    // A track draws on the base that the transitions begun by its start lead to.
    std::vector<int32_t> transitionStarts;
    for (const TWipeFrameList* w : transitions_)
        transitionStarts.push_back(w->Start());
    std::sort(transitionStarts.begin(), transitionStarts.end());
    for (auto& track : tracks_) {
        const auto begun = std::upper_bound(transitionStarts.begin(), transitionStarts.end(), track->Start());
        track->base_ = int((begun - transitionStarts.begin()) % 2);
    }
    std::stable_sort(drawOrder_.begin(), drawOrder_.end(),
                     [](const TCustomFrameList* a, const TCustomFrameList* b) { return a->Priority < b->Priority; });
    updated_ = false;
    lastTransition_ = nullptr;
    baseIndex_ = 0;
}

void TFilmManager::LoadResources(TFilmResources& resources) {
    for (auto& track : tracks_)
        WithContext([&] { return "loading what frame list " + SjisToUtf8Lossy(Folder) + " shows"; },
                    [&] { track->LoadResources(resources, Folder); });
}

TCustomFrameList* TFilmManager::FirstRootTrack() const noexcept {
    for (const auto& track : tracks_)
        if (track->Start() == 0)
            return track.get();
    return nullptr;
}

void TFilmManager::Update(int32_t time) {
    for (auto& track : tracks_)
        track->UpdateTo(time);
    UpdateSounds(time);
    if (stage_ && !PartOfCinema)
        UpdateTransitions(time);
    updated_ = true;
    lastTime_ = time;
}

void TFilmManager::UpdateSounds(int32_t time) {
    if (!sounds_)
        return;
    const bool jumpedBack = updated_ && time < lastTime_;
    for (const TSoundFrameList* s : soundTracks_) {
        const bool inside = time >= s->Start() && time < s->End();
        const bool wasInside = updated_ && lastTime_ >= s->Start() && lastTime_ < s->End();
        if (inside && (!wasInside || jumpedBack))
            sounds_->StartSound(*s, ResolveFilmName(Folder, s->Name));
        else if (!inside && wasInside && s->StopAtEnd)
            sounds_->StopSound(*s);
    }
}

void TFilmManager::UpdateTransitions(int32_t time) {
    const TWipeFrameList* active = nullptr;
    for (const TWipeFrameList* w : transitions_)
        if (w->Length > 0 && time >= w->Start() && time < w->End()) {
            active = w;
            break;
        }
    // Every transition whose last frame has come has swapped the bases; the running one still goes
    // from the base shown before it, even on its last frame.
    int flips = 0;
    for (const TWipeFrameList* w : transitions_)
        if (w->FlipTime() <= time)
            ++flips;
    baseIndex_ = flips % 2;
    if (active) {
        const int from = (flips - (active->FlipTime() <= time ? 1 : 0)) % 2;
        stage_->ShowTransition(*active, from, time - active->Start(), active != lastTransition_);
    }
    else
        stage_->ShowBase(baseIndex_);
    lastTransition_ = active;
}

void TFilmManager::Draw(const TFilmCanvas& canvas, int base) const {
    for (const TCustomFrameList* track : drawOrder_)
        if (track->Base() == base && track->Active())
            track->Draw(canvas);
}

void TFilmManager::DrawAll(const TFilmCanvas& canvas) const {
    for (const TCustomFrameList* track : drawOrder_)
        if (track->Active())
            track->Draw(canvas);
}

} // namespace ruvo
