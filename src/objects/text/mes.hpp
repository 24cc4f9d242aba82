#pragma once
// The message window (LT_MES): story text in the tag markup, laid out into pages by its own text
// engine and typed out page by page. A text comes either literally (PR_TEXT) or from a text-insert
// command of a script page, which the window references by page file and command index rather than
// copying, so a saved game keeps the reference and lays the text out again on loading. The window
// raises the page start (PR_ONPLAYSTART, "1" when the page was read before), the revealed text
// (PR_ONPLAYING), the end of a page (PR_ONPLAYEND), link clicks (PR_ONLINK) and the text's marks
// (PR_ONNOTIFY), and records what the player read.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "objects/base/control.hpp"
#include "objects/text/history.hpp"
#include "text/gxword.hpp"
#include "text/page.hpp"

namespace ruvo {

class TRuvoReadList;

// Where a text shown by a window comes from: pieces of text-insert texts, each with the page of its
// layout it starts on and the point its layout starts at; and the record of the current text in the
// history's form, one piece per laid-out part of a text-insert text (a range of -1: the whole text).
struct TMesData {
    struct TPiece {
        std::string PageFile;
        int32_t CommandIndex = 0;
        int32_t PageIndex = 0;
        int32_t X = 0, Y = 0;
    };
    std::vector<TPiece> Pieces;
    TRuvoHistData Record;

    void ResetRecord() { Record = TRuvoHistData{}; }
};

class TRuvoMes : public TRuvoControl {
public:
    // Source kinds: a literal text, a text-insert text that is read-marked, history shown again.
    enum : uint8_t { skLiteral = 0, skScript = 1, skHistory = 2 };
    // The event codes the window raises (the identifiers of their handler properties).
    static constexpr uint8_t kPlaying = 32, kNotify = 33, kPlayEnd = 43, kLink = 46, kPlayStart = 101;

    explicit TRuvoMes(TRuvoBaseList* owner);
    ~TRuvoMes() override;

    uint8_t GetCompoType() const override { return 13; }
    bool IsPaused() const override { return Paused; }
    int32_t ScrollY() const override { return scrollY_; }
    bool Update() override;
    void Paint() override;
    TRuvoControl* HitTest(int32_t x, int32_t y, TMouseMask mask) override;
    void MouseMove() override;
    void MouseLeave() override;
    void LeftDown() override;
    bool Playing() const override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the control part: the engine's style, the references, the literal text, the page, the
    // handlers, the pause flags and the source; loading lays the pages out again and restores how far
    // each had been typed.
    void Sync(TSerializer& s) override;

    TGxWord& Engine() noexcept { return engine_; }
    // ---- the text
    // A literal markup text (PR_TEXT): never read-marked.
    void SetText(const std::string& text);
    // The text of a text-insert command; with readMarked its pages are marked read as they end.
    void ShowScriptText(const std::string& pageFile, int32_t commandIndex, bool readMarked);
    // Lays the pages out again from the references.
    void Rebuild(bool startEvent);
    // Shows page i (ignored outside the pages and for the current one).
    void SetIndex(int32_t i);
    // Shows the history again (the CallHist command): old-mode entries [first, first + count), or in
    // page mode the recorded lines from pixel first on for count pixels. Never read-marked.
    void ShowHistory(const TRuvoNewHistory& history, int32_t first, int32_t count);
    // Clears the text (the TextClr command).
    void ClearText();
    int PageCount() const noexcept { return static_cast<int>(pages_.size()); }
    int32_t Index() const noexcept { return index_; }
    TWdPage* CurrentPage() const noexcept;
    std::string PageText() const;
    TMesData& Data() noexcept { return data_; }
    // The media state the media-stop command asks for: 2 when no page shows or it has ended, else 0.
    int PlayState() const;

    // ---- settings a script changes
    // A style field of the engine: the page is prepared again and repainted.
    template <class T>
    void Restyle(T& field, T value) {
        field = std::move(value);
        NeedsPrepare = true;
        Invalidate();
    }
    void SetPaused(bool paused, bool text);
    void SetScrollY(int32_t y);
    void SetOnNotify(std::string handler);
    void SetArea(bool height, int32_t v);

    std::array<std::string, 3> Reserved;
    int32_t ReservedInt = 0;
    std::string OnPlaying, OnPlayStart, OnPlayEnd, OnLink, OnNotify, OnIdle;
    bool Paused = false, TextPaused = false;
    uint8_t SourceKind = skLiteral;
    std::string SourcePage;
    int32_t SourceIndex = 0;
    std::string Text;  // the literal text last given
    int32_t StartDelay = 0;
    uint8_t Mode = 0;
    int32_t StartOffset = 0;
    bool NeedsPrepare = false, Restart = false;
    bool CaptureLink = false;

private:
    void FreePages();
    // Lays Text out into the pages and shows the first.
    void LayOutLiteral();
    void RaisePageStart();
    // The current page is shown: the history gets it and its read mark is pending.
    void RecordShown();
    // The window leaves its page: the history records it (or the page a window of that name left).
    void CloseEntry();
    void CloseEntryOf(const std::string& windowName);
    TRuvoReadList* ReadMarks() const;
    TRuvoNewHistory* History() const;
    // "expression=value" lines of the page's variables, as the history keeps them.
    static std::string FrozenValues(const TWdPage& page);
    // The read marks of the current page of a read-marked text.
    bool IsRead() const;
    void SetPendingReadMark();
    void CommitReadMark();
    // Lays out the references of the record (or the pieces) into the pages.
    void LayOutReferences();
    // Appends a text-insert text to the engine, variables expanded (with frozen "expression=value"
    // lines where given); its first glyph's index, or nothing when the text is not there.
    std::optional<int> LoadReference(const std::string& pageFile, int32_t commandIndex, const std::string& frozen);
    // Positions the engine on the screen for drawing, stepping and the pointer.
    void PlaceEngine();
    void TakeChangedRects();
    void PointTo(int32_t x, int32_t y);

    TGxWord engine_;
    std::vector<std::unique_ptr<TWdPage>> pages_;
    int32_t index_ = -1;
    int32_t scrollY_ = 0;
    TMesData data_;
};

} // namespace ruvo
