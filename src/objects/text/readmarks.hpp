#pragma once
// The read marks: which pages of which text-insert commands the player has read to their end, kept by
// script page file, so that scripts can let already-read text be skipped. The page a message window is
// typing out is a pending mark; it becomes a mark when the window has shown the page to its end. The
// marks belong to the status data, which outlives each game.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ruvo {

class TSerializer;

// The marks of one script page: parallel arrays, a pair (command index, page index) per read page.
struct TRuvoRead {
    std::string PageName;
    std::vector<int32_t> CommandIndexes;
    std::vector<int32_t> PageIndexes;

    bool Holds(int32_t command, int32_t page) const noexcept;
};

class TRuvoReadList {
public:
    // The page being typed out, not read yet.
    struct TPending {
        std::string PageName;  // empty: none
        int32_t CommandIndex = 0;
        int32_t PageIndex = 0;
        std::string WindowName;
    };

    bool IsRead(std::string_view pageName, int32_t command, int32_t page) const;
    // Replaces any earlier pending mark.
    void SetPending(std::string windowName, std::string pageName, int32_t page, int32_t command);
    // When that window's page is pending: marks it read (once) and clears the pending page.
    void CommitPending(std::string_view windowName);
    // Forgets every mark and the pending one (the ClrRead command).
    void Clear();

    const std::vector<TRuvoRead>& Items() const noexcept { return items_; }
    const TPending& Pending() const noexcept { return pending_; }

    // The persisted form, read with the status data's version: items (page name, pair count, command
    // indexes, page indexes), then the pending mark. Reading starts from an empty register and reads
    // nothing below version 100.
    void Sync(TSerializer& s);

private:
    TRuvoRead* Find(std::string_view pageName);
    const TRuvoRead* Find(std::string_view pageName) const;
    TRuvoRead& Add(std::string pageName);

    std::vector<TRuvoRead> items_;  // in the order they were added, as saved
    // Page names are compared without regard to case; among equal names the one added last counts.
    std::unordered_map<std::string, size_t> index_;
    TPending pending_;
};

} // namespace ruvo
