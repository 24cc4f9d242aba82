#include "objects/text/history.hpp"

#include "archive/serializer.hpp"

namespace ruvo {

namespace {

// Saved games from this version on store the entries as records (before: one array per field, after a
// string nobody reads), and carry the capacity, the format and the pages.
constexpr int32_t kRecordsSince = 113;
// From this version on pieces and the pending entry carry the shown text.
constexpr int32_t kTextsSince = 124;

// Page file, command index, page index, width, height.
constexpr int64_t kMinEntryBytes = 4 + 4 + 4 + 4 + 4;
// Page file, command index, first and last line, height.
constexpr int64_t kMinPieceBytes = 4 + 4 + 4 + 4 + 4;
// Piece count and total height.
constexpr int64_t kMinPageBytes = 4 + 4;

} // namespace

THistoryFormat THistoryFormat::From(const std::array<int32_t, 6>& v) noexcept {
    return THistoryFormat{v[0], v[1], v[2], v[3], v[4], v[5]};
}

void TRuvoHistData::Sync(TSerializer& s) {
    int32_t count = static_cast<int32_t>(Pieces.size());
    s.Count(count, kMinPieceBytes);
    if (s.Loading()) Pieces.assign(static_cast<size_t>(count), TPiece{});
    for (TPiece& p : Pieces) {
        s.Str(p.PageFile);
        s.Int(p.CommandIndex);
        s.Int(p.FirstLine);
        s.Int(p.LastLine);
        s.Int(p.Height);
        s.Str(p.Text, kTextsSince);
    }
    s.Int(TotalHeight);
}

void TRuvoNewHistory::RecordShown(const THistoryPending& shown, const std::array<int32_t, 6>& format) {
    const bool oldMode = !PageMode();
    const THistoryPending kept = Pending;
    Pending = shown;
    if (!oldMode) {
        // The window's size and the page index only matter to old-mode entries.
        Pending.WindowWidth = kept.WindowWidth;
        Pending.WindowHeight = kept.WindowHeight;
        Pending.PageIndex = kept.PageIndex;
    }
    if (Pages.empty()) Engine = THistoryFormat::From(format);
}

void TRuvoNewHistory::CloseEntry(const std::string& windowName, const THistoryLayout& layout) {
    if (Pending.PageFile.empty() || Pending.WindowName != windowName) return;
    if (PageMode()) {
        const auto lines = layout ? layout(Pending) : std::nullopt;
        for (const THistoryLine& line : lines ? *lines : std::vector<THistoryLine>{}) {
            const int32_t h = line.Height + Engine.LineSpace;
            const bool fits = !Pages.empty() && Pages.back().TotalHeight + h <= Engine.PageHeight;
            if (!fits) Pages.emplace_back();
            TRuvoHistData& page = Pages.back();
            // A page names its file on its first piece, so that it stands on its own when older pages go.
            std::string lastFile;
            for (auto it = page.Pieces.rbegin(); it != page.Pieces.rend() && lastFile.empty(); ++it)
                lastFile = it->PageFile;
            page.Pieces.push_back({Pending.PageFile == lastFile ? std::string() : Pending.PageFile,
                                   Pending.CommandIndex, line.FirstLine, line.LastLine, h, Pending.Text});
            page.TotalHeight += h;
        }
        while (Capacity > 0 && static_cast<size_t>(Capacity) < Pages.size()) Pages.erase(Pages.begin());
    } else {
        std::string lastFile;
        for (auto it = Entries.rbegin(); it != Entries.rend() && lastFile.empty(); ++it) lastFile = it->PageFile;
        Entries.push_back({Pending.PageFile == lastFile ? std::string() : Pending.PageFile, Pending.CommandIndex,
                           Pending.PageIndex, Pending.WindowWidth, Pending.WindowHeight});
        while (Capacity > 0 && static_cast<size_t>(Capacity) < Entries.size()) {
            // The next entry may name its file only through the one going: it names it itself now.
            if (Entries.size() > 1 && Entries[1].PageFile.empty()) Entries[1].PageFile = Entries[0].PageFile;
            Entries.erase(Entries.begin());
        }
    }
    Pending.PageFile.clear();
}

void TRuvoNewHistory::Clear() {
    Entries.clear();
    Pages.clear();
    Pending.PageFile.clear();
    Pending.Text.clear();
}

int32_t TRuvoNewHistory::Count() const noexcept {
    if (!PageMode()) return static_cast<int32_t>(Entries.size());
    int64_t height = 0;
    for (const TRuvoHistData& page : Pages) height += page.TotalHeight;
    return static_cast<int32_t>(height);
}

void TRuvoNewHistory::SyncEntries(TSerializer& s) {
    int32_t count = static_cast<int32_t>(Entries.size());
    if (s.Has(kRecordsSince)) {
        s.Count(count, kMinEntryBytes);
        if (s.Loading()) Entries.assign(static_cast<size_t>(count), THistoryOldData{});
        for (THistoryOldData& e : Entries) {
            s.Str(e.PageFile);
            s.Int(e.CommandIndex);
            s.Int(e.PageIndex);
            s.Int(e.WindowWidth);
            s.Int(e.WindowHeight);
        }
        return;
    }
    // Older games: a string nobody reads, then the fields as arrays.
    std::string unused;
    s.Str(unused);
    s.Count(count, kMinEntryBytes);
    if (s.Loading()) Entries.assign(static_cast<size_t>(count), THistoryOldData{});
    for (THistoryOldData& e : Entries) s.Str(e.PageFile);
    for (THistoryOldData& e : Entries) s.Int(e.CommandIndex);
    for (THistoryOldData& e : Entries) s.Int(e.PageIndex);
    for (THistoryOldData& e : Entries) {
        s.Int(e.WindowWidth);
        s.Int(e.WindowHeight);
    }
}

void TRuvoNewHistory::Sync(TSerializer& s) {
    SyncEntries(s);
    s.Str(Pending.PageFile);
    s.Int(Pending.CommandIndex);
    s.Int(Pending.PageIndex);
    s.Int(Pending.WindowWidth);
    s.Int(Pending.WindowHeight);
    s.Str(Pending.WindowName);
    if (s.Has(kRecordsSince)) {
        s.Int(Capacity);
        for (int32_t* v : {&Engine.FontSize, &Engine.BorderWidth, &Engine.ShadowWidth, &Engine.PageWidth,
                           &Engine.PageHeight, &Engine.LineSpace, &Pending.FirstLine, &Pending.LastLine})
            s.Int(*v);
        int32_t count = static_cast<int32_t>(Pages.size());
        s.Count(count, kMinPageBytes);
        if (s.Loading()) Pages.assign(static_cast<size_t>(count), TRuvoHistData{});
        for (TRuvoHistData& page : Pages) page.Sync(s);
    } else if (s.Loading()) {
        Pages.clear();  // older games kept no pages
    }
    s.Str(Pending.Text, kTextsSince);
}

} // namespace ruvo
