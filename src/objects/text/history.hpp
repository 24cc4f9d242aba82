#pragma once
// The message history (backlog): what the message windows have shown, as references to the text-insert
// commands whose texts were shown (script page file and command index), so that earlier text can be
// shown again and counted. With a history font size of 0 it keeps one entry per shown page ("old"
// mode); otherwise it packs the laid-out lines of shown text into history pages of the format's height
// ("page" mode). This is the model and its persisted form; the message windows record into it and lay
// the texts out (the layout is handed in), and showing history again is theirs too.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ruvo {

class TSerializer;

// The history format: the six values the FormatHist command takes from an object, in the order they
// are kept with the variables.
struct THistoryFormat {
    int32_t FontSize = 0;  // 0: old mode
    int32_t BorderWidth = 0;
    int32_t ShadowWidth = 0;
    int32_t PageWidth = 0;
    int32_t PageHeight = 0;
    int32_t LineSpace = 0;

    static THistoryFormat From(const std::array<int32_t, 6>& values) noexcept;
};

// One history page in page mode (also a message window's record of its current text): one piece per
// laid-out line, and the height of them all.
struct TRuvoHistData {
    struct TPiece {
        std::string PageFile;  // empty when equal to the previous piece's
        int32_t CommandIndex = 0;
        int32_t FirstLine = -1;  // text positions; -1: the whole text
        int32_t LastLine = -1;
        int32_t Height = 0;    // of the line, with the line spacing
        std::string Text;      // the shown page's text (saved from version 124)
    };
    std::vector<TPiece> Pieces;
    int32_t TotalHeight = 0;

    // Piece count, pieces, total height.
    void Sync(TSerializer& s);
};

// One entry in old mode.
struct THistoryOldData {
    std::string PageFile;  // empty when equal to the previous entry's
    int32_t CommandIndex = 0;
    int32_t PageIndex = 0;
    int32_t WindowWidth = 0;
    int32_t WindowHeight = 0;
};

// A shown page not recorded yet.
struct THistoryPending {
    std::string WindowName;
    std::string PageFile;  // empty: nothing pending
    int32_t CommandIndex = 0;
    int32_t FirstLine = 0;
    int32_t LastLine = 0;
    std::string Text;
    int32_t WindowWidth = 0;
    int32_t WindowHeight = 0;
    int32_t PageIndex = 0;
};

// One line of a recorded text as the text engine laid it out: its line numbers and height in pixels.
struct THistoryLine {
    int32_t FirstLine = 0;
    int32_t LastLine = 0;
    int32_t Height = 0;
};
// Lays out the pending page's line range from its script page; nullopt when the page file or the
// text-insert command is not there (nothing is recorded then).
using THistoryLayout = std::function<std::optional<std::vector<THistoryLine>>(const THistoryPending&)>;

class TRuvoNewHistory {
public:
    // A message window shows a page: it becomes the pending entry. When the history has no pages yet
    // the engine takes the history format.
    void RecordShown(const THistoryPending& shown, const std::array<int32_t, 6>& format);
    // That window leaves its page: its pending entry, if any, is recorded (page mode lays it out through
    // layout) and the oldest entries beyond the capacity go.
    void CloseEntry(const std::string& windowName, const THistoryLayout& layout);
    // Everything recorded and pending goes (the ClrHist command); the capacity and the format stay.
    void Clear();

    bool PageMode() const noexcept { return Engine.FontSize != 0; }
    // "@HistoryCount": entries in old mode, the height of all pages in page mode.
    int32_t Count() const noexcept;

    // The persisted form inside a saved game, read with the game's version.
    void Sync(TSerializer& s);

    std::vector<THistoryOldData> Entries;
    THistoryPending Pending;
    int32_t Capacity = 0;  // 0 or less: unlimited ("@HistoryMaxCount")
    THistoryFormat Engine;  // the format the history lays out with
    std::vector<TRuvoHistData> Pages;

private:
    void SyncEntries(TSerializer& s);
};

} // namespace ruvo
