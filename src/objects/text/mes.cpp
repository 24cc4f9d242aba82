#include "objects/text/mes.hpp"

#include <algorithm>
#include <optional>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "archive/streams.hpp"
#include "graphics/surface/customdibx.hpp"
#include "objects/text/historylayout.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/text/readmarks.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/varset.hpp"
#include "archive/playerservices.hpp"
#include "text/textlines.hpp"

namespace ruvo {

TRuvoMes::TRuvoMes(TRuvoBaseList* owner) : TRuvoControl(owner), engine_(owner->TextObjects().Text()) {
    engine_.Antialias = 3;
    engine_.Notify = [this](TGxWord&, const std::string& mark) {
        if (!OnNotify.empty()) Raise(kNotify, SplitLines(mark));
    };
}

TRuvoMes::~TRuvoMes() {
    // Pages hold the engine's glyphs: they go first.
    FreePages();
}

TWdPage* TRuvoMes::CurrentPage() const noexcept {
    return index_ >= 0 && index_ < PageCount() ? pages_[static_cast<size_t>(index_)].get() : nullptr;
}

std::string TRuvoMes::PageText() const {
    const TWdPage* page = CurrentPage();
    return page ? page->Text() : std::string();
}

void TRuvoMes::FreePages() { pages_.clear(); }

// ---- the text

void TRuvoMes::SetText(const std::string& text) {
    Invalidate();
    data_.ResetRecord();
    data_.Pieces.clear();
    Text = text;
    CloseEntry();
    StartOffset = 0;
    LayOutLiteral();
    if (!pages_.empty()) {
        NeedsPrepare = Restart = true;
        RaisePageStart();
    }
}

void TRuvoMes::LayOutLiteral() {
    FreePages();
    engine_.Paging = true;
    try {
        engine_.Parse(SplitLines(Text));
    } catch (const ERuvoError&) {
        // A faulty tag ends the text: what came before it is shown.
    }
    engine_.ExpandVars(0, -1);
    engine_.Layout(pages_, 0, -1);
    index_ = 0;
    SetScrollY(0);
}

void TRuvoMes::ShowScriptText(const std::string& pageFile, int32_t commandIndex, bool readMarked) {
    SourceKind = readMarked ? skScript : skLiteral;
    if (readMarked) {
        SourcePage = pageFile;
        SourceIndex = commandIndex;
    }
    data_.ResetRecord();
    data_.Pieces.clear();
    TRuvoHistData::TPiece whole;
    whole.PageFile = pageFile;
    whole.CommandIndex = commandIndex;
    data_.Record.Pieces.push_back(std::move(whole));
    Mode = 0;
    Rebuild(false);
    if (!pages_.empty()) SetIndex(0);
}

void TRuvoMes::ClearText() {
    SourceKind = skLiteral;
    SetText(std::string());
}

void TRuvoMes::Rebuild(bool startEvent) {
    Invalidate();
    Text.clear();
    CloseEntry();
    FreePages();
    index_ = -1;
    // History shown again is one long page that PR_SCROLLY scrolls; story text comes in pages.
    engine_.Paging = SourceKind != skHistory;
    LayOutReferences();
    if (!pages_.empty()) {
        if (startEvent) RaisePageStart();
        NeedsPrepare = Restart = true;
    }
}

namespace {

// Moves the rows of a laid-out page to the end of another, shifted down; the glyphs stay the engine's.
void AppendRows(TWdPage& to, TWdPage& from, int32_t shift) {
    const TGxWord& engine = from.Engine();
    for (const auto& row : from.Rows()) {
        TWdRow& moved = to.AddRow(row->Top + shift, row->Align, row->LeftLimit, row->RightLimit);
        const std::vector<TWdGlyph*> glyphs = row->Glyphs();
        for (TWdGlyph* g : glyphs) {
            // The indent filler belongs to its row, not to the engine: the new row makes its own.
            if (engine.IndexOf(g) < 0) moved.Indent(g->Width);
            else moved.Add(*g);
        }
        moved.ContentWidth = row->ContentWidth;
        moved.Arrange();
    }
}

// Where the next piece starts below the rows already on a page.
int32_t Bottom(const TWdPage& page, int32_t lineSpace) {
    if (page.Rows().empty()) return 0;
    const TWdRow& last = *page.Rows().back();
    return Saturate(int64_t{last.Top} + last.Height() + lineSpace);
}

} // namespace

std::optional<int> TRuvoMes::LoadReference(const std::string& pageFile, int32_t commandIndex, const std::string& frozen) {
    TScriptTexts* scripts = Owner->TextObjects().Scripts;
    const std::optional<std::string> stored = scripts ? scripts->StoredText(pageFile, commandIndex) : std::nullopt;
    if (!stored) return std::nullopt;
    const int first = engine_.GlyphCount();
    engine_.DecorationBase = engine_.Decorations.Count();
    TReadOnlyMemoryStream s(reinterpret_cast<const uint8_t*>(stored->data()), static_cast<int64_t>(stored->size()));
    try {
        engine_.LoadStored(s);
    } catch (const ERuvoError&) {
        // A damaged text shows what could be read of it.
    }
    engine_.VarValues = SplitLines(frozen);
    engine_.ExpandVars(first, -1);
    engine_.VarValues.clear();
    return first;
}

void TRuvoMes::LayOutReferences() {
    engine_.Clear();
    // One text-insert text without a range: its own pages.
    const std::vector<TRuvoHistData::TPiece>& record = data_.Record.Pieces;
    if (record.size() == 1 && record.front().FirstLine < 0) {
        const TRuvoHistData::TPiece& ref = record.front();
        if (LoadReference(ref.PageFile, ref.CommandIndex, ref.Text)) engine_.Layout(pages_, 0, -1);
        return;
    }
    // Pieces of several texts (the history shown again): one page, each piece below the one before.
    // A page that no longer exists ends the text there; history shown again skips it and goes on.
    const bool skipMissing = SourceKind == skHistory;
    auto page = std::make_unique<TWdPage>(engine_);
    std::string pageFile;
    if (!record.empty()) {
        int32_t y = StartOffset;
        for (const TRuvoHistData::TPiece& ref : record) {
            if (!ref.PageFile.empty()) pageFile = ref.PageFile;
            const int base = engine_.PositionOf(nullptr);
            const std::optional<int> first = LoadReference(pageFile, ref.CommandIndex, ref.Text);
            if (!first && skipMissing) continue;
            if (!first) break;
            const int from = ref.FirstLine < 0 ? *first : std::max(*first, engine_.GlyphAtPosition(base + ref.FirstLine));
            std::vector<std::unique_ptr<TWdPage>> laid;
            engine_.LayoutGlyphs(laid, from, ref.LastLine < 0 ? engine_.GlyphCount() - 1 : engine_.LastGlyphAtPosition(base + ref.LastLine));
            for (const auto& part : laid) {
                AppendRows(*page, *part, y);
                y = Bottom(*page, engine_.LineSpace);
            }
        }
    } else {
        for (const TMesData::TPiece& piece : data_.Pieces) {
            if (!piece.PageFile.empty()) pageFile = piece.PageFile;
            const std::optional<int> first = LoadReference(pageFile, piece.CommandIndex, std::string());
            if (!first && skipMissing) continue;
            if (!first) break;
            // Laid out in the window's size of the time, so that the page index finds the same page.
            std::vector<std::unique_ptr<TWdPage>> laid;
            const int32_t width = engine_.AreaWidth, height = engine_.AreaHeight;
            if (piece.X > 0 && piece.Y > 0) {
                engine_.AreaWidth = piece.X;
                engine_.AreaHeight = piece.Y;
            }
            engine_.Layout(laid, *first, -1);
            engine_.AreaWidth = width;
            engine_.AreaHeight = height;
            if (piece.PageIndex >= 0 && piece.PageIndex < static_cast<int32_t>(laid.size()))
                AppendRows(*page, *laid[static_cast<size_t>(piece.PageIndex)], Bottom(*page, engine_.LineSpace));
        }
    }
    if (page->RowCount() == 0) return;
    page->Arrange();
    pages_.push_back(std::move(page));
}

void TRuvoMes::SetIndex(int32_t i) {
    if (i < 0 || i >= PageCount() || i == index_) return;
    if (CurrentPage()) CloseEntry();
    index_ = i;
    SetScrollY(0);
    RaisePageStart();
    if (SourceKind == skScript) RecordShown();
    PlaceEngine();
    pages_[static_cast<size_t>(i)]->Start();
    NeedsPrepare = Restart = true;
    Invalidate();
}

void TRuvoMes::RaisePageStart() {
    if (OnPlayStart.empty()) return;
    const bool read = SourceKind == skScript && IsRead();
    Raise(kPlayStart, {read ? "1" : "0"});
    StartDelay = 1;
}

// ---- per frame

bool TRuvoMes::Update() {
    TRuvoControl::Update();
    if (StartDelay > 0) {
        --StartDelay;
        return false;
    }
    // Typing waits until the page-start handler has finished.
    if (Owner->Events().IndexOfPending(Id(), kPlayStart) >= 0) return false;
    TWdPage* page = CurrentPage();
    PlaceEngine();
    if (NeedsPrepare) {
        if (page) page->Render(Restart);
        NeedsPrepare = Restart = false;
        Invalidate();
    }
    if (page) {
        TStepResult step = page->Step(Owner->Services().FrameTime());
        if (!step.Text.empty()) Raise(kPlaying, {std::move(step.Text)});
        if (step.Ended) {
            CommitReadMark();
            Raise(kPlayEnd);
        }
    }
    TakeChangedRects();
    return false;
}

void TRuvoMes::PlaceEngine() {
    engine_.AreaLeft = ScreenLeft();
    engine_.AreaTop = ScreenTop();
}

void TRuvoMes::TakeChangedRects() {
    TRuvoBase* base = GetBase();
    if (base && GetVisible())
        for (const TRect& r : engine_.ChangedRects) base->AddDirtyRect(Intersect(r, ScreenRect()));
    engine_.ChangedRects.clear();
}

void TRuvoMes::Paint() {
    TCustomDIBX* surface = GetSurface();
    if (surface && GetVisible() && CurrentPage()) {
        PlaceEngine();
        engine_.Target = surface;
        engine_.ClipRect = surface->EffectiveClip();
        CurrentPage()->Paint();
        engine_.Target = nullptr;
    }
    PaintChildren();
}

bool TRuvoMes::Playing() const {
    const TWdPage* page = CurrentPage();
    return page && (index_ + 1 < PageCount() || page->IsTyping());
}

int TRuvoMes::PlayState() const {
    const TWdPage* page = CurrentPage();
    return !page || page->IsFinished() ? 2 : 0;
}

// ---- pointer and links

void TRuvoMes::PointTo(int32_t x, int32_t y) {
    TWdPage* page = CurrentPage();
    if (!page) return;
    PlaceEngine();
    if (Paused || TextPaused || page->IsTyping()) x = y = -1;
    page->SetPointer(x, y);
    TakeChangedRects();
}

void TRuvoMes::MouseMove() {
    if (const TRuvoBase* base = GetBase()) PointTo(base->PointerX, base->PointerY);
    TRuvoControl::MouseMove();
}

void TRuvoMes::MouseLeave() {
    PointTo(-1, -1);
    TRuvoControl::MouseLeave();
}

void TRuvoMes::LeftDown() {
    const TWdPage* page = CurrentPage();
    TRuvoBase* base = GetBase();
    if (base && !OnLink.empty() && page && page->Hover() && Owner->Events().IndexOfPending(Id(), kLink) < 0) {
        std::vector<std::string> parameters{page->LinkText()};
        for (std::string& line : SplitLines(page->Link())) parameters.push_back(std::move(line));
        Raise(kLink, std::move(parameters));
        base->LeftPress = false;
        return;
    }
    TRuvoControl::LeftDown();
}

TRuvoControl* TRuvoMes::HitTest(int32_t x, int32_t y, TMouseMask mask) {
    if (!CaptureLink) return TRuvoControl::HitTest(x, y, mask);
    if (!GetVisible()) return nullptr;
    const TRect r = ScreenRect();
    if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) return nullptr;
    for (auto it = Children().rbegin(); it != Children().rend(); ++it)
        if (TRuvoControl* hit = (*it)->HitTest(x, y, mask)) return hit;
    // Only links catch the pointer; plain text lets it through to what lies beneath.
    TWdPage* page = CurrentPage();
    if (!ModeIn(mask) || !page) return nullptr;
    PlaceEngine();
    const TWdGlyph* g = page->HitTest(x, y);
    return g && !g->Link().empty() ? this : nullptr;
}

// ---- settings

void TRuvoMes::SetPaused(bool paused, bool text) {
    const bool was = Paused || TextPaused;
    (text ? TextPaused : Paused) = paused;
    engine_.Paused = Paused || TextPaused;
    if (was && !engine_.Paused)
        if (TWdPage* page = CurrentPage()) page->Resume();
}

void TRuvoMes::SetScrollY(int32_t y) {
    scrollY_ = y;
    if (TWdPage* page = CurrentPage()) {
        page->ScrollY = y;
        page->Resume();
    }
    Invalidate();
}

void TRuvoMes::SetOnNotify(std::string handler) {
    OnNotify = std::move(handler);
    engine_.NotifyEnabled = !OnNotify.empty();
}

void TRuvoMes::SetArea(bool height, int32_t v) {
    if (height) {
        SetHeight(v);
        engine_.AreaHeight = v;
    } else {
        SetWidth(v);
        engine_.AreaWidth = v;
    }
}

// ---- the history and the read marks

TRuvoReadList* TRuvoMes::ReadMarks() const { return Owner->TextObjects().ReadMarks; }
TRuvoNewHistory* TRuvoMes::History() const { return Owner->TextObjects().History; }

std::string TRuvoMes::FrozenValues(const TWdPage& page) {
    std::vector<std::string> lines;
    page.CollectVarValues(lines);
    return JoinLines(lines);
}

void TRuvoMes::RecordShown() {
    const TWdPage* page = CurrentPage();
    if (!page) return;
    if (TRuvoNewHistory* history = History()) {
        // The history holds one pending page: another window's goes in now rather than being lost.
        if (history->Pending.WindowName != Name) CloseEntryOf(history->Pending.WindowName);
        THistoryPending shown;
        shown.WindowName = Name;
        shown.PageFile = SourcePage;
        shown.CommandIndex = SourceIndex;
        shown.FirstLine = engine_.PositionOf(page->FirstWeighted());
        shown.LastLine = engine_.PositionOf(page->LastWeighted());
        shown.Text = FrozenValues(*page);
        shown.WindowWidth = Width;
        shown.WindowHeight = Height;
        shown.PageIndex = index_;
        const TParamCollection* vars = engine_.Services().Vars;
        history->RecordShown(shown, vars ? vars->HistoryFormat() : std::array<int32_t, 6>{});
    }
    SetPendingReadMark();
}

void TRuvoMes::CloseEntry() { CloseEntryOf(Name); }

void TRuvoMes::CloseEntryOf(const std::string& windowName) {
    TRuvoNewHistory* history = History();
    if (!history) return;
    history->CloseEntry(windowName, [this, history](const THistoryPending& shown) {
        return LayOutHistoryLines(engine_.Services(), Owner->TextObjects().Scripts, history->Engine, shown);
    });
}

void TRuvoMes::ShowHistory(const TRuvoNewHistory& history, int32_t first, int32_t count) {
    SourceKind = skHistory;
    data_.ResetRecord();
    data_.Pieces.clear();
    StartOffset = 0;
    const int64_t from = std::max<int64_t>(first, 0);
    const int64_t to = from + std::max<int64_t>(count, 0);
    if (!history.PageMode()) {
        // Old mode: the entries, each naming its page file (or taking the nearest earlier one's).
        std::string pageFile;
        for (size_t i = 0; i < history.Entries.size() && static_cast<int64_t>(i) < to; ++i) {
            const THistoryOldData& e = history.Entries[i];
            if (!e.PageFile.empty()) pageFile = e.PageFile;
            if (static_cast<int64_t>(i) >= from)
                data_.Pieces.push_back({pageFile, e.CommandIndex, e.PageIndex, e.WindowWidth, e.WindowHeight});
        }
        SetScrollY(0);
    } else {
        // Page mode: first and count are pixels of the history's pages laid one below the other; every
        // piece that reaches into [from, to) is shown, the first one moved up to the start.
        int64_t top = 0;
        bool started = false;
        for (const TRuvoHistData& page : history.Pages) {
            std::string pageFile;
            for (const TRuvoHistData::TPiece& piece : page.Pieces) {
                if (!piece.PageFile.empty()) pageFile = piece.PageFile;
                const int64_t bottom = top + piece.Height;
                if (bottom > from && top < to) {
                    if (!started) StartOffset = static_cast<int32_t>(top - from);
                    data_.Record.Pieces.push_back({started && piece.PageFile.empty() ? std::string() : pageFile,
                                            piece.CommandIndex, piece.FirstLine, piece.LastLine, piece.Height, piece.Text});
                    started = true;
                }
                top = bottom;
            }
        }
    }
    Rebuild(false);
    index_ = -1;
    SetIndex(0);
}

bool TRuvoMes::IsRead() const {
    const TRuvoReadList* marks = ReadMarks();
    return marks && marks->IsRead(SourcePage, SourceIndex, index_);
}

void TRuvoMes::SetPendingReadMark() {
    if (TRuvoReadList* marks = ReadMarks()) marks->SetPending(Name, SourcePage, index_, SourceIndex);
}

void TRuvoMes::CommitReadMark() {
    if (TRuvoReadList* marks = ReadMarks()) marks->CommitPending(Name);
}

// ---- properties

const TPropertyMap& TRuvoMes::ClassProperties() {
    static const TPropertyMap map = [] {
        using M = TRuvoMes;
        TPropertyMap m(TRuvoControl::ClassProperties());
        auto style = [&m](int id, auto field) {
            m.Int<M>(id, [field](M& w) { return w.engine_.*field; }, [field](M& w, int32_t v) { w.Restyle(w.engine_.*field, v); });
        };
        style(PR_FONTHEIGHT, &TGxWord::FontSize);
        style(PR_FONTCOLOR, &TGxWord::TextColor);
        style(PR_FONTLINKCOLOR, &TGxWord::LinkColor);
        style(PR_FONTHOVERCOLOR, &TGxWord::HoverColor);
        style(PR_FONTBORDERCOLOR, &TGxWord::BorderColor);
        style(PR_FONTSHADOWCOLOR, &TGxWord::ShadowColor);
        style(PR_FONTBORDER, &TGxWord::BorderWidth);
        style(PR_FONTSHADOW, &TGxWord::ShadowWidth);
        style(PR_ALPHA, &TGxWord::Alpha);
        style(PR_LINESPACE, &TGxWord::LineSpace);
        m.Str<M>(PR_FONTNAME, [](M& w) { return w.engine_.FontName; }, [](M& w, std::string v) {
            w.engine_.FontName = std::move(v);
            if (w.CurrentPage()) w.NeedsPrepare = true;
            w.Invalidate();
        });
        m.Flag<M>(PR_ANTIALIAS, [](M& w) { return w.engine_.Antialias > 0; }, [](M& w, bool v) {
            w.engine_.Antialias = v ? 3 : 0;
            if (w.CurrentPage()) w.NeedsPrepare = true;
            w.Invalidate();
        });
        m.Int<M>(PR_DELAY, [](M& w) { return w.engine_.FadeTime; }, [](M& w, int32_t v) { w.engine_.FadeTime = std::max(v, 0); });
        m.Int<M>(PR_TEXTDELAY, [](M& w) { return w.engine_.DelayRate; }, [](M& w, int32_t v) { w.engine_.DelayRate = v; });
        m.Int<M>(PR_WIDTH, [](M& w) { return w.Width; }, [](M& w, int32_t v) { w.SetArea(false, v); });
        m.Int<M>(PR_HEIGHT, [](M& w) { return w.Height; }, [](M& w, int32_t v) { w.SetArea(true, v); });
        m.Int<M>(PR_COUNT, [](M& w) { return w.PageCount(); });
        m.Str<M>(PR_TEXT, [](M& w) { return w.PageText(); }, [](M& w, std::string v) {
            w.SourceKind = skLiteral;
            w.SetText(v);
        });
        m.Int<M>(PR_INDEX, [](M& w) { return w.index_; }, [](M& w, int32_t v) { w.SetIndex(v); });
        m.Int<M>(PR_SCROLLY, [](M& w) { return w.scrollY_; }, [](M& w, int32_t v) { w.SetScrollY(v); });
        m.Int<M>(PR_CARETX, [](M& w) { return w.engine_.CaretX; });
        m.Int<M>(PR_CARETY, [](M& w) { return w.engine_.CaretY; });
        m.Int<M>(PR_CARETHEIGHT, [](M& w) { return w.engine_.CaretHeight; });
        m.Flag<M>(PR_PAUSED, [](M& w) { return w.Paused; }, [](M& w, bool v) { w.SetPaused(v, false); });
        m.Flag<M>(PR_TEXTPAUSED, [](M& w) { return w.TextPaused; }, [](M& w, bool v) { w.SetPaused(v, true); });
        m.Flag<M>(PR_CAPTURELINK, [](M& w) { return w.CaptureLink; }, [](M& w, bool v) { w.CaptureLink = v; });
        m.Str<M>(PR_ONPLAYING, [](M& w) { return w.OnPlaying; }, [](M& w, std::string v) { w.OnPlaying = std::move(v); });
        m.Str<M>(PR_ONPLAYSTART, [](M& w) { return w.OnPlayStart; }, [](M& w, std::string v) { w.OnPlayStart = std::move(v); });
        m.Str<M>(PR_ONPLAYEND, [](M& w) { return w.OnPlayEnd; }, [](M& w, std::string v) { w.OnPlayEnd = std::move(v); });
        m.Str<M>(PR_ONLINK, [](M& w) { return w.OnLink; }, [](M& w, std::string v) { w.OnLink = std::move(v); });
        m.Str<M>(PR_ONNOTIFY, [](M& w) { return w.OnNotify; }, [](M& w, std::string v) { w.SetOnNotify(std::move(v)); });
        m.Str<M>(PR_ONIDLE, [](M& w) { return w.OnIdle; }, [](M& w, std::string v) { w.OnIdle = std::move(v); });
        return m;
    }();
    return map;
}

// ---- the persisted form

namespace {

void SyncPieces(TSerializer& s, TMesData& data) {
    int32_t n = static_cast<int32_t>(data.Pieces.size());
    s.Count(n, 4 + 4 + 4 + 8);
    if (s.Loading()) data.Pieces.assign(static_cast<size_t>(n), TMesData::TPiece{});
    for (auto& p : data.Pieces) s.Str(p.PageFile);
    for (auto& p : data.Pieces) s.Int(p.CommandIndex);
    for (auto& p : data.Pieces) s.Int(p.PageIndex);
    for (auto& p : data.Pieces) {
        s.Int(p.X);
        s.Int(p.Y);
    }
    if (s.Version() > 112) data.Record.Sync(s);
}

} // namespace

void TRuvoMes::Sync(TSerializer& s) {
    TRuvoControl::Sync(s);
    if (s.Loading()) engine_.LoadStyle(s.Stream(), s.Version());
    else engine_.SaveStyle(s.Stream(), s.Version());
    // The variables' values as shown are kept with the reference, so that the text comes back as it was.
    if (!s.Loading() && CurrentPage() && data_.Record.Pieces.size() == 1) {
        std::vector<std::string> frozen;
        for (const auto& page : pages_) page->CollectVarValues(frozen);
        data_.Record.Pieces.front().Text = JoinLines(frozen);
    }
    SyncPieces(s, data_);
    s.Byte(Mode);
    if (s.Version() > 112) s.Int(StartOffset);
    s.Str(Text);
    if (s.Loading()) {
        engine_.AreaWidth = Width;
        engine_.AreaHeight = Height;
        FreePages();
        if (data_.Record.Pieces.empty() && data_.Pieces.empty()) {
            LayOutLiteral();
        } else {
            index_ = -1;
            LayOutReferences();
        }
    }
    int32_t index = index_;
    s.Int(index);
    s.Int(scrollY_);
    s.Int(ReservedInt);
    for (std::string* h : {&Reserved[0], &Reserved[1], &Reserved[2], &OnPlaying, &OnPlayStart, &OnPlayEnd, &OnLink, &OnNotify})
        s.Str(*h);
    s.Bool(Paused);
    s.Bool(TextPaused);
    s.Int(engine_.DelayRate);
    s.Byte(SourceKind);
    s.Str(SourcePage);
    s.Int(SourceIndex);
    if (s.Version() > 103) s.Str(OnIdle);
    if (s.Version() >= 120) s.Bool(CaptureLink);

    // How far each page had been typed.
    TMemoryStream states;
    if (!s.Loading())
        for (const auto& page : pages_) page->SaveState(states);
    int32_t size = static_cast<int32_t>(states.Size());
    s.Count(size, 1);
    if (!s.Loading()) {
        s.Stream().WriteBuffer(states.Memory(), size);
        return;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0) s.Stream().ReadBuffer(bytes.data(), size);
    engine_.NotifyEnabled = !OnNotify.empty();
    engine_.Paused = Paused || TextPaused;
    index_ = index;
    if (TWdPage* page = CurrentPage()) {
        PlaceEngine();
        page->Start();
        page->ScrollY = scrollY_;
        page->Render(false);
    }
    TMemoryStream in(std::move(bytes));
    try {
        for (const auto& page : pages_) page->LoadState(in);
    } catch (const ERuvoError&) {
        // The script's text changed since the game was saved: its pages start from the beginning.
        for (const auto& page : pages_) page->Start();
    }
    if (TWdPage* page = CurrentPage()) page->Render(false);
    NeedsPrepare = Restart = false;
}

} // namespace ruvo
