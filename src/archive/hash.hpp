#pragma once
// An ordered collection of named items with a 256-bucket index on the case-folded name. Among equal
// names the item added or renamed most recently is found, as the archive and variable rules need.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

class THashCollection;

class THashCollectionItem {
public:
    THashCollectionItem() = default;
    virtual ~THashCollectionItem() = default;
    THashCollectionItem(const THashCollectionItem&) = delete;
    THashCollectionItem& operator=(const THashCollectionItem&) = delete;

    const std::string& Name() const noexcept { return name_; }
    // Renaming moves the item to the head of its new bucket's chain.
    void SetName(std::string name);
    int Index() const noexcept { return index_; }
    THashCollection* Collection() const noexcept { return owner_; }

private:
    friend class THashCollection;
    std::string name_;
    THashCollection* owner_ = nullptr;
    THashCollectionItem* next_ = nullptr;  // next in the bucket chain
    int index_ = -1;
    uint8_t bucket_ = 0;
};

class THashCollection {
public:
    THashCollection() { heads_.fill(nullptr); }
    virtual ~THashCollection() = default;
    THashCollection(const THashCollection&) = delete;
    THashCollection& operator=(const THashCollection&) = delete;

    static uint8_t BucketOf(std::string_view name) noexcept;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    THashCollectionItem& ItemAt(int index) const { return *items_.at(static_cast<size_t>(index)); }

    // Appends the item (owned from now on) and indexes it under its current name.
    THashCollectionItem& AddItem(std::unique_ptr<THashCollectionItem> item);
    // The newest item of that name (case-insensitive), or null.
    THashCollectionItem* FindItem(std::string_view name) const noexcept;
    // The next older item of the same name after `after` (from FindItem or an earlier call), or null;
    // lets callers walk every item of a name, newest first.
    THashCollectionItem* FindNextItem(const THashCollectionItem& after, std::string_view name) const noexcept;
    int IndexOf(std::string_view name) const noexcept;
    void Delete(int index);
    void Clear() noexcept;

private:
    friend class THashCollectionItem;
    void Unlink(THashCollectionItem& item) noexcept;
    void Link(THashCollectionItem& item) noexcept;

    std::vector<std::unique_ptr<THashCollectionItem>> items_;
    std::array<THashCollectionItem*, 256> heads_;
};

// Typed view for collections whose items are all of type T.
template <class T>
class THashCollectionOf : public THashCollection {
public:
    T& operator[](int index) const { return static_cast<T&>(ItemAt(index)); }
    T& Add(std::unique_ptr<T> item) { return static_cast<T&>(AddItem(std::move(item))); }
    template <class... Args>
    T& Emplace(std::string name, Args&&... args) {
        auto item = std::make_unique<T>(std::forward<Args>(args)...);
        item->SetName(std::move(name));
        return Add(std::move(item));
    }
    T* Find(std::string_view name) const noexcept { return static_cast<T*>(FindItem(name)); }
};

} // namespace ruvo
