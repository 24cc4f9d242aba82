#include "params/varset.hpp"

#include <algorithm>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/sysstate.hpp"
#include "params/sysvars.hpp"

namespace ruvo {

namespace {
// Smallest stored record: type byte, empty name, no dimensions, one flag, status, reserved, frame, local.
constexpr int64_t kMinRecordSize = 1 + 4 + 4 + 4 + 1 + 1 + 1 + 4 + 1;
} // namespace

int TParamCollectionItem::ClassCode() const { return reference_ ? 0 : value_->TypeCode(); }

void TParamCollectionItem::SaveToStream(TStream& s) const {
    WriteStr(s, Name());
    value_->SaveToStream(s);
    WriteByte(s, status);
    WriteByte(s, reserved);
    WriteInt(s, frame);
    WriteByte(s, local);
}

void TParamCollectionItem::LoadFromStream(TStream& s) {
    SetName(ReadStr(s));
    WithContext([&] { return "variable \"" + SjisToUtf8Lossy(Name()) + "\""; },
                [&] { value_->LoadFromStream(s); });
    status = ReadByte(s);
    reserved = ReadByte(s);
    frame = ReadInt(s);
    local = ReadByte(s);
}

TParamCollection::TParamCollection(TSystemState& state) : state_(state) {
    for (int i = 0; i < kSystemVarCount; ++i) {
        auto item = std::make_unique<TParamCollectionItem>(std::make_unique<TParamSystem>(*this, i));
        item->SetName(std::string(SystemVarName(i)));
        item->system_ = true;
        Insert(std::move(item));
    }
}

TParamCollection::~TParamCollection() { references_.clear(); }

TParamCollectionItem& TParamCollection::Insert(std::unique_ptr<TParamCollectionItem> item) {
    item->reference_ = dynamic_cast<TParamVar*>(item->value_.get()) != nullptr;
    TParamCollectionItem& added = THashCollectionOf::Add(std::move(item));
    if (added.reference_) references_.push_back(&added);
    return added;
}

TParamCollectionItem* TParamCollection::Find(std::string_view name) const noexcept {
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
    Delete(item.Index());
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
    textDelay_ = 50;
    cursorFile_.clear();
    historyFormat_.fill(0);
}

// Records in set order; a reference waits until the variable it refers to has been written, so that
// reading binds it. References whose target is not in the list at all go last, unbound on reading.
void TParamCollection::WriteList(TStream& s, const std::vector<const TParamCollectionItem*>& records) const {
    WriteInt(s, static_cast<int32_t>(records.size()));
    std::vector<const TParamCollectionItem*> pending = records;
    std::vector<const TParamCollectionItem*> written;
    auto writeOne = [&](const TParamCollectionItem* item) {
        WriteByte(s, static_cast<uint8_t>(item->ClassCode()));
        item->SaveToStream(s);
        written.push_back(item);
    };
    while (!pending.empty()) {
        std::vector<const TParamCollectionItem*> next;
        for (const auto* item : pending) {
            const TParamCollectionItem* target =
                item->IsReference() ? static_cast<TParamVar&>(item->Value()).Target() : nullptr;
            const bool waits = target && std::find(written.begin(), written.end(), target) == written.end() &&
                               std::find(pending.begin(), pending.end(), target) != pending.end();
            if (waits) next.push_back(item);
            else writeOne(item);
        }
        if (next.size() == pending.size()) {  // references in a cycle: write them as they are
            for (const auto* item : next) writeOne(item);
            next.clear();
        }
        pending = std::move(next);
    }
}

void TParamCollection::ReadList(TStream& s) {
    const int32_t n = ReadInt(s);
    if (n < 0 || n > s.Remaining() / kMinRecordSize) throw ERuvoError::FromUtf8("変数の数が不正です");
    for (int32_t i = 0; i < n; ++i) {
        WithContext([&] { return "variable record " + std::to_string(i); }, [&] {
            const int type = ReadByte(s);
            auto value = NewParam(type);
            if (!value) throw ERuvoError(SysMessage("変数の型[%s]が不正です", {std::to_string(type)}));
            auto item = std::make_unique<TParamCollectionItem>(std::move(value));
            item->LoadFromStream(s);
            if (item->Name().empty()) return;  // read and dropped
            TParamCollectionItem& added = Insert(std::move(item));
            if (added.IsReference()) {
                auto& var = static_cast<TParamVar&>(added.Value());
                TParamCollectionItem* target = var.ReferencedName().empty() ? nullptr : Find(var.ReferencedName());
                if (target && target != &added) var.Bind(target, var.Position());
            }
        });
    }
}

void TParamCollection::SaveGame(TStream& s) const {
    std::vector<const TParamCollectionItem*> records;
    for (int i = 0; i < Count(); ++i)
        if (!(*this)[i].IsSystem() && !(*this)[i].status) records.push_back(&(*this)[i]);
    WriteList(s, records);
    WriteInt(s, textDelay_);
    WriteStr(s, cursorFile_);
    WriteStr(s, selStr_);
    WriteInt(s, selIndex_);
    for (int32_t v : historyFormat_) WriteInt(s, v);
    WriteStr(s, tempName_);
}

void TParamCollection::LoadGame(TStream& s, int version) {
    DeleteWhere([](const TParamCollectionItem& item) { return !item.IsSystem() && !item.status; });
    ReadList(s);
    textDelay_ = ReadInt(s);
    cursorFile_ = ReadStr(s);
    if (version > 102) {
        selStr_ = ReadStr(s);
        selIndex_ = ReadInt(s);
    }
    if (version > 112)
        for (int32_t& v : historyFormat_) v = ReadInt(s);
    else
        historyFormat_.fill(0);
    tempName_ = version > 120 ? ReadStr(s) : std::string();
}

void TParamCollection::SaveStatus(TStream& s) const {
    std::vector<const TParamCollectionItem*> records;
    for (int i = 0; i < Count(); ++i)
        if (!(*this)[i].IsSystem() && (*this)[i].status) records.push_back(&(*this)[i]);
    WriteList(s, records);
}

void TParamCollection::LoadStatus(TStream& s) { ReadList(s); }

} // namespace ruvo
