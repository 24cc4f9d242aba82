#include "params/varset.hpp"

#include <algorithm>
#include <atomic>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/serializer.hpp"
#include "archive/streams.hpp"
#include "params/sysvars.hpp"

namespace ruvo {

namespace {
// Smallest stored record: type byte, empty name, no dimensions, one flag, status, reserved, frame, local.
constexpr int64_t kMinRecordSize = 1 + 4 + 4 + 4 + 1 + 1 + 1 + 4 + 1;
} // namespace

bool IsValueTemporaryName(std::string_view name) noexcept {
    if (name.size() <= kTempPrefix.size() || !IsTemporaryName(name)) return false;
    for (char c : name.substr(kTempPrefix.size()))
        if (c < '0' || c > '9') return false;
    return true;
}

int TParamCollectionItem::ClassCode() const { return reference_ ? 0 : value_->TypeCode(); }

void TParamCollectionItem::Sync(TSerializer& s) {
    std::string name = Name();
    s.Str(name);
    if (s.Loading()) SetName(std::move(name));
    WithContext([&] { return "variable \"" + SjisToUtf8Lossy(Name()) + "\""; }, [&] {
        if (s.Loading()) value_->LoadFromStream(s.Stream());
        else value_->SaveToStream(s.Stream());
    });
    s.Byte(status);
    s.Byte(reserved);
    s.Int(frame);
    s.Byte(local);
}

TParamCollection::TParamCollection() {
    for (int i = 0; i < kSystemVarCount; ++i) {
        auto item = std::make_unique<TParamCollectionItem>(std::make_unique<TParamSystem>(systemVars_, i));
        item->SetName(std::string(SystemVarName(i)));
        item->system_ = true;
        Insert(std::move(item));
    }
    // The values kept beside the set, and the constants.
    TSystemVars& sv = systemVars_;
    sv.BindInt(TSystemVar::TextDelay, [this] { return kept_.TextDelay; }, [this](int32_t v) { kept_.TextDelay = v; });
    sv.BindStr(TSystemVar::Cursor, [this] { return kept_.CursorFile; },
               [this](std::string v) { kept_.CursorFile = std::move(v); });
    sv.BindStr(TSystemVar::SelStr, [this] { return kept_.SelStr; }, [this](std::string v) { kept_.SelStr = std::move(v); });
    sv.BindInt(TSystemVar::SelIndex, [this] { return kept_.SelIndex; }, [this](int32_t v) { kept_.SelIndex = v; });
    sv.BindReal(TSystemVar::Pi, [] { return 3.14159265358979323846264338327950288L; });
    sv.BindReal(TSystemVar::OneHour, [] { return 1.0L / 24; });
    sv.BindReal(TSystemVar::OneMin, [] { return 1.0L / (24 * 60); });
    sv.BindReal(TSystemVar::OneSec, [] { return 1.0L / (24 * 60 * 60); });
    sv.BindHolder(TSystemVar::Temp, [this]() -> TCustomParam* {
        TParamCollectionItem* item = kept_.TempName.empty() ? nullptr : Find(kept_.TempName);
        return item ? &item->Value() : nullptr;
    });
}

TParamCollection::~TParamCollection() { references_.clear(); }

TParamCollectionItem& TParamCollection::Insert(std::unique_ptr<TParamCollectionItem> item) {
    item->reference_ = dynamic_cast<TParamVar*>(item->value_.get()) != nullptr;
    TParamCollectionItem& added = THashCollectionOf::Add(std::move(item));
    if (added.reference_) references_.push_back(&added);
    if (IsTemporaryName(added.Name())) ++indexedTempNames_;
    generation_ = NewGeneration();
    return added;
}

uint64_t TParamCollection::NewGeneration() noexcept {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

TParamCollectionItem* TParamCollection::FindTemporary(std::string_view name) const noexcept {
    for (auto it = temporaries_.rbegin(); it != temporaries_.rend(); ++it)
        if (SameTextSjis((*it)->Name(), name)) return it->get();
    return nullptr;
}

TParamCollectionItem* TParamCollection::Find(std::string_view name) const noexcept {
    if (IsTemporaryName(name)) {
        if (auto* temp = FindTemporary(name)) return temp;
        if (indexedTempNames_ == 0) return nullptr;
    }
    return FindIndexed(name);
}

TParamCollectionItem* TParamCollection::Find(std::string_view name, TLookupMemo& memo) const noexcept {
    if (IsTemporaryName(name)) {
        if (auto* temp = FindTemporary(name)) return temp;
        if (indexedTempNames_ == 0) return nullptr;
    }
    if (memo.generation != generation_) {
        memo.item = FindIndexed(name);
        memo.generation = generation_;
    }
    return memo.item;
}

TParamCollectionItem* TParamCollection::FindIndexed(std::string_view name) const noexcept {
    TParamCollectionItem* global = nullptr;
    for (auto* p = FindItem(name); p; p = FindNextItem(*p, name)) {
        auto* item = static_cast<TParamCollectionItem*>(p);
        if (!item->local) global = item;  // the walk goes newest first: the last one met is kept
        else if (item->frame == depth_) return item;
    }
    return global;
}

TParamCollectionItem* TParamCollection::FindLocal(std::string_view name) const noexcept {
    for (auto* p = FindItem(name); p; p = FindNextItem(*p, name)) {
        auto* item = static_cast<TParamCollectionItem*>(p);
        if (item->local && item->frame == depth_) return item;
    }
    return nullptr;
}

TParamCollectionItem* TParamCollection::FindGlobal(std::string_view name) const noexcept {
    TParamCollectionItem* global = nullptr;
    for (auto* p = FindItem(name); p; p = FindNextItem(*p, name)) {
        auto* item = static_cast<TParamCollectionItem*>(p);
        if (!item->local) global = item;
    }
    return global;
}

TParamCollectionItem& TParamCollection::Add(int typeCode) {
    auto value = NewParam(typeCode);
    if (!value) throw ERuvoError::FromUtf8("内部エラー");
    return Insert(std::make_unique<TParamCollectionItem>(std::move(value)));
}

TParamCollectionItem& TParamCollection::AddNamed(std::string name, int typeCode) {
    auto value = NewParam(typeCode);
    if (!value) throw ERuvoError::FromUtf8("内部エラー");
    auto item = std::make_unique<TParamCollectionItem>(std::move(value));
    item->SetName(std::move(name));
    return Insert(std::move(item));
}

void TParamCollection::DeleteItem(TParamCollectionItem& item) {
    if (!references_.empty()) {
        for (auto* ref : references_) {
            auto& var = static_cast<TParamVar&>(ref->Value());
            if (var.Target() == &item) var.Unbind();
        }
        if (item.reference_) references_.erase(std::find(references_.begin(), references_.end(), &item));
    }
    if (IsTemporaryName(item.Name())) --indexedTempNames_;
    generation_ = NewGeneration();
    Delete(item.Index());
}

TParamCollectionItem& TParamCollection::AddTemporary(std::string_view name, int typeCode) {
    if (typeCode < 0 || typeCode > 4) throw ERuvoError::FromUtf8("内部エラー");
    auto& spare = spareTemporaries_[static_cast<size_t>(typeCode)];
    std::unique_ptr<TParamCollectionItem> item;
    if (spare.empty()) {
        item = std::make_unique<TParamCollectionItem>(NewParam(typeCode));
        item->reference_ = typeCode == 0;
    } else {
        item = std::move(spare.back());
        spare.pop_back();
    }
    item->SetName(std::string(name));
    temporaries_.push_back(std::move(item));
    return *temporaries_.back();
}

void TParamCollection::DeleteTemporary(TParamCollectionItem& item) {
    auto it = std::find_if(temporaries_.rbegin(), temporaries_.rend(), [&](const auto& p) { return p.get() == &item; });
    if (it == temporaries_.rend()) return;
    std::unique_ptr<TParamCollectionItem> owned = std::move(*it);
    temporaries_.erase(std::next(it).base());
    // Back to a new holder's state before it is handed out again.
    TCustomParam& v = owned->Value();
    switch (owned->ClassCode()) {
    case 0: static_cast<TParamVar&>(v).Bind(nullptr, 0); break;
    case 1: v.SetInt(0); break;
    case 2: v.SetFloat(0); break;
    case 3: v.SetFlag(false); break;
    default: v.SetStr({}); break;
    }
    owned->reserved = owned->status = owned->local = 0;
    owned->frame = -1;
    const auto code = static_cast<size_t>(owned->ClassCode());
    spareTemporaries_[code].push_back(std::move(owned));
}

void TParamCollection::DeleteWhere(const std::function<bool(const TParamCollectionItem&)>& pred) {
    for (int i = Count() - 1; i >= 0; --i) {
        auto& item = (*this)[i];
        if (pred(item)) DeleteItem(item);
    }
}

void TParamCollection::CheckName(std::string_view name) {
    const bool bad = name.empty() || name.find(' ') != std::string_view::npos || (name[0] >= '0' && name[0] <= '9');
    if (bad) throw ERuvoError(SysMessage("\"%s\"：変数名が不正です", {name}));
}

TParamCollectionItem& TParamCollection::Declare(const std::string& name, int typeCode, TVarScope scope,
                                                const std::function<std::unique_ptr<TCustomParam>()>& initial) {
    CheckName(name);
    if (typeCode < 1 || typeCode > 4) throw ERuvoError::FromUtf8("内部エラー");
    TParamCollectionItem* item = scope == TVarScope::Local ? FindLocal(name) : FindGlobal(name);
    if (!item) {
        item = &AddNamed(name, typeCode);
        if (scope == TVarScope::CallBound || scope == TVarScope::Local) item->frame = depth_;
        item->local = scope == TVarScope::Local;
        item->status = scope == TVarScope::Status;
        generation_ = NewGeneration();  // frame and local changed after the record was added
    } else if (item->status) {
        return *item;  // a status variable keeps its value
    }
    if (!initial) return *item;
    const auto value = initial();
    if (!value) return *item;
    TCustomParam& target = item->Value();
    switch (typeCode) {
    case 1: target.SetInt(value->AsInt()); break;
    case 2: target.SetFloat(value->AsFloat()); break;
    case 3: target.SetFlag(value->AsFlag()); break;
    default: target.SetStr(value->AsStr()); break;
    }
    return *item;
}

std::unique_ptr<TCustomParam> TParamCollection::Snapshot(std::string_view name) const {
    const TParamCollectionItem* item = Find(name);
    if (!item) return nullptr;
    auto copy = NewParam(item->Value().TypeCode());
    if (!copy || item->Value().TypeCode() == 0) throw ERuvoError(SysMessage("%s:不正な変数です", {name}));
    copy->AssignConverted(item->Value());
    return copy;
}

void TParamCollection::DeleteFrame(int depth) {
    DeleteWhere([depth](const TParamCollectionItem& item) { return !item.IsSystem() && item.frame == depth; });
}

void TParamCollection::Reset() {
    DeleteWhere([](const TParamCollectionItem& item) { return !item.IsSystem() && !item.status; });
    kept_.TextDelay = 50;
    kept_.CursorFile.clear();
    kept_.HistoryFormat.fill(0);
}

void TKeptValues::Sync(TSerializer& s) {
    s.Int(TextDelay);
    s.Str(CursorFile);
    s.Str(SelStr, 103);
    s.Int(SelIndex, 103);
    for (int32_t& v : HistoryFormat) s.Int(v, 113);
    s.Str(TempName, 121);
}

// Records in set order; a reference waits until the variable it refers to has been written, so that
// reading binds it. References whose target is not in the list at all go last, unbound on reading.
void TParamCollection::WriteList(TSerializer& s, const std::vector<TParamCollectionItem*>& records) const {
    int32_t count = static_cast<int32_t>(records.size());
    s.Count(count, kMinRecordSize);
    std::vector<TParamCollectionItem*> pending = records;
    std::vector<const TParamCollectionItem*> written;
    auto writeOne = [&](TParamCollectionItem* item) {
        uint8_t type = static_cast<uint8_t>(item->ClassCode());
        s.Byte(type);
        item->Sync(s);
        written.push_back(item);
    };
    while (!pending.empty()) {
        std::vector<TParamCollectionItem*> next;
        for (auto* item : pending) {
            const TParamCollectionItem* target =
                item->IsReference() ? static_cast<TParamVar&>(item->Value()).Target() : nullptr;
            const bool waits = target && std::find(written.begin(), written.end(), target) == written.end() &&
                               std::find(pending.begin(), pending.end(), target) != pending.end();
            if (waits) next.push_back(item);
            else writeOne(item);
        }
        if (next.size() == pending.size()) {  // references in a cycle: write them as they are
            for (auto* item : next) writeOne(item);
            next.clear();
        }
        pending = std::move(next);
    }
}

TVariableRecords TParamCollection::ReadList(TSerializer& s, bool statusList) {
    int32_t n = 0;
    s.Count(n, kMinRecordSize);
    TVariableRecords records;
    for (int32_t i = 0; i < n; ++i) {
        WithContext([&] { return "variable record " + std::to_string(i); }, [&] {
            uint8_t type = 0;
            s.Byte(type);
            auto value = NewParam(type);
            if (!value) throw ERuvoError(SysMessage("変数の型[%s]が不正です", {std::to_string(type)}));
            auto item = std::make_unique<TParamCollectionItem>(std::move(value));
            item->Sync(s);
            // Read and dropped: records without a name, and records of the other list, which only damaged
            // data holds (the writers never put them there, and keeping one would change which list it is
            // written to next time).
            if (!item->Name().empty() && (item->status != 0) == statusList) records.push_back(std::move(item));
        });
    }
    return records;
}

void TParamCollection::InsertRecords(TVariableRecords records) {
    for (auto& record : records) {
        TParamCollectionItem& added = Insert(std::move(record));
        if (!added.IsReference()) continue;
        auto& var = static_cast<TParamVar&>(added.Value());
        TParamCollectionItem* target = var.ReferencedName().empty() ? nullptr : Find(var.ReferencedName());
        if (target && target != &added) var.Bind(target, var.Position());
    }
}

void TParamCollection::SyncGame(TSerializer& s) {
    if (s.Loading()) {
        ApplyGame(ReadGame(s));
        return;
    }
    std::vector<TParamCollectionItem*> records;
    for (int i = 0; i < Count(); ++i)
        if (!(*this)[i].IsSystem() && !(*this)[i].status) records.push_back(&(*this)[i]);
    WriteList(s, records);
    kept_.Sync(s);
}

TGameVariables TParamCollection::ReadGame(TSerializer& s) const {
    TGameVariables game{ReadList(s, false), kept_};
    game.Kept.Sync(s);
    return game;
}

void TParamCollection::ApplyGame(TGameVariables game) {
    DeleteWhere([](const TParamCollectionItem& item) { return !item.IsSystem() && !item.status; });
    InsertRecords(std::move(game.Records));
    kept_ = std::move(game.Kept);
}

void TParamCollection::SaveGame(TStream& stream) {
    TSerializer s = TSerializer::Writer(stream, kSaveVersion);
    SyncGame(s);
}

void TParamCollection::LoadGame(TStream& stream, int version) {
    TSerializer s = TSerializer::Reader(stream, version);
    SyncGame(s);
}

void TParamCollection::SaveStatus(TStream& stream) const {
    std::vector<TParamCollectionItem*> records;
    for (int i = 0; i < Count(); ++i)
        if (!(*this)[i].IsSystem() && (*this)[i].status) records.push_back(&(*this)[i]);
    TSerializer s = TSerializer::Writer(stream, kSaveVersion);
    WriteList(s, records);
}

void TParamCollection::LoadStatus(TStream& stream) { ApplyStatus(ReadStatus(stream)); }

TVariableRecords TParamCollection::ReadStatus(TStream& stream) const {
    TSerializer s = TSerializer::Reader(stream, kSaveVersion);
    return ReadList(s, true);
}

void TParamCollection::ApplyStatus(TVariableRecords records) { InsertRecords(std::move(records)); }

} // namespace ruvo
