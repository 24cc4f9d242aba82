// A page's output: the character-by-character reveal timed by the game clock, fades, event marks,
// the caret, links under the pointer, and the play state of saved games.
#include <algorithm>

#include "archive/streams.hpp"
#include "text/gxword.hpp"
#include "text/page.hpp"
#include "text/storedtext.hpp"

namespace ruvo {

void TWdPage::Start() {
    row_ = index_ = 0;
    budget_ = fadeAcc_ = 0;
    Resume();
    ended_ = false;
    fading_.clear();
    ticking_.clear();
}

void TWdPage::Resume() {
    budget_ = fadeAcc_ = 0;
    skip_ = engine_.FadeTime > 0 ? 1 : 0;
}

bool TWdPage::IsFinished() const noexcept { return row_ >= RowCount() && fading_.empty(); }

bool TWdPage::IsTyping() const noexcept {
    if (!fading_.empty())
        return true;
    if (row_ >= RowCount())
        return false;
    if (engine_.Paging)
        return !engine_.Paused;
    const TWdRow& row = *rows_[size_t(row_)];
    return engine_.AreaHeight >= row.Top + row.Height() - ScrollY;
}

TWdGlyph* TWdPage::GlyphAt(int row, int index) const {
    for (; row < RowCount(); ++row, index = 0)
        if (index < int(rows_[size_t(row)]->Glyphs().size()))
            return rows_[size_t(row)]->Glyphs()[size_t(index)];
    return nullptr;
}

void TWdPage::UpdateCaret(TWdGlyph& revealed) {
    TGxWord& e = engine_;
    const int32_t pageTop = e.AreaTop - (e.Paging ? 0 : ScrollY);
    TWdGlyph* next = GlyphAt(row_, index_);
    const TWdGlyph& at = next ? *next : revealed;
    const TWdRow* row = at.Row();
    e.CaretX = (next ? next->ScreenX() : revealed.ScreenX() + revealed.Width) - e.AreaLeft;
    e.CaretY = pageTop + (row ? row->Top : 0) - e.AreaTop;
    e.CaretHeight = row ? row->Height() : 0;
}

TStepResult TWdPage::Step(int32_t frameTime) {
    TGxWord& e = engine_;
    TStepResult result;
    result.Ended = !ended_ && IsFinished();
    if (result.Ended)
        ended_ = true;
    e.ChangedRects.clear();
    if (skip_ >= 1) {
        --skip_;
        return result;
    }
    int64_t elapsed = frameTime;
    if (row_ < RowCount() && !e.Paused && pending_.empty()) {
        if (row_ == 0 && index_ == 0) {
            budget_ = fadeAcc_ = 0;
            elapsed = 0;
        } else if (justNotified_) {
            justNotified_ = false;
            elapsed = 0;
        }
        budget_ -= elapsed;
        while (row_ < RowCount() && budget_ <= 0) {
            const TWdRow& row = *rows_[size_t(row_)];
            if (e.AreaHeight < row.Top - ScrollY)
                break;  // the row begins below the visible area
            if (index_ >= int(row.Glyphs().size())) {
                ++row_;
                index_ = 0;
                continue;
            }
            TWdGlyph& g = *row.Glyphs()[size_t(index_)];
            g.SetAlpha(0);
            const int64_t wait = g.Wait();
            if (wait >= 0)
                budget_ += wait * std::max(0, e.DelayRate) / 256;
            else if (e.DelayRate >= 0)
                budget_ -= wait;  // negative waits are milliseconds, not scaled
            fading_.push_back(&g);
            if (g.NeedsTick())
                ticking_.push_back(&g);
            if (++index_ >= int(row.Glyphs().size())) {
                index_ = 0;
                ++row_;
            }
            UpdateCaret(g);
            if (g.Kind() == gkEvent) {
                if (!e.NotifyEnabled)
                    continue;
                if (!pending_.empty())
                    pending_ += '\t';
                pending_ += g.Value();
                justNotified_ = true;
                const TWdGlyph* next = GlyphAt(row_, index_);
                if (g.Wait() > 0 || (next && next->Kind() != gkEvent))
                    break;
            } else if (g.Kind() == gkChar) {
                result.Text += g.Text();
            } else if (g.Kind() == gkImg) {
                result.Text += '*';
            }
        }
    }
    fadeAcc_ += elapsed * 256;
    const int64_t d = e.FadeTime > 0 ? fadeAcc_ / e.FadeTime : 255;
    if (d > 0) {
        fadeAcc_ %= std::max(e.FadeTime, 1);
        for (size_t k = fading_.size(); k-- > 0;) {
            TWdGlyph& g = *fading_[k];
            g.SetAlpha(int(std::min<int64_t>(255, g.Alpha() + d)));
            g.Invalidate();
            if (g.Alpha() > 254)
                fading_.erase(fading_.begin() + ptrdiff_t(k));
        }
    }
    for (TWdGlyph* g : ticking_)
        g->Tick(frameTime);
    if (!pending_.empty() && fading_.empty()) {
        std::vector<std::string> parts;
        for (size_t start = 0; start < pending_.size();) {
            const size_t tab = pending_.find('\t', start);
            parts.push_back(pending_.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            start = tab == std::string::npos ? pending_.size() : tab + 1;
        }
        pending_.clear();
        // The call-back may replace this page: nothing of it is touched afterwards.
        const auto notify = e.Notify;
        if (notify)
            for (const std::string& part : parts)
                notify(e, part);
    }
    return result;
}

TWdGlyph* TWdPage::HitTest(int32_t x, int32_t y) const {
    const TGxWord& e = engine_;
    const int32_t px = x - e.AreaLeft, py = y - e.AreaTop;
    if (px < 0 || px >= e.AreaWidth || py < 0 || py >= e.AreaHeight)
        return nullptr;
    const int32_t d = ScrollY + py;
    for (const auto& row : rows_)
        if (row->Top <= d && d < row->Top + row->Height())
            if (TWdGlyph* g = row->HitTest(px, d - row->Top))
                return g;
    return nullptr;
}

std::vector<TWdGlyph*> TWdPage::LinkRun() const {
    std::vector<TWdGlyph*> run;
    for (TWdGlyph* g = hover_; g && g->Page() == this && g->Link() == hover_->Link(); g = engine_.NextInLine(*g))
        run.push_back(g);
    return run;
}

void TWdPage::SwitchLink(bool on) {
    const std::vector<TWdGlyph*> run = LinkRun();
    if (run.empty())
        return;
    TWdGlyph* after = engine_.Glyph(engine_.IndexOf(run.back()) + 1);
    if (after && after->Page() != this)
        after = nullptr;
    for (TWdGlyph* g : run) {
        g->Erase();
        g->Render(false);
        g->Invalidate();
    }
    if (after)
        after->Erase();
    for (TWdGlyph* g : run) {
        g->SetHover(on);
        g->Erase();
        g->Render(false);
        g->Invalidate();
    }
    if (after) {
        after->Render(false);
        after->Invalidate();
    }
}

void TWdPage::SetPointer(int32_t x, int32_t y) {
    TWdGlyph* g = x < 0 || y < 0 ? nullptr : HitTest(x, y);
    if (g && !g->Link().empty()) {
        // The link's first glyph stands for the whole link.
        for (TWdGlyph* p = engine_.PreviousInLine(*g); p && p->Link() == g->Link() && p->Page() == this;
             p = engine_.PreviousInLine(*p))
            g = p;
    } else {
        g = nullptr;
    }
    if (g == hover_)
        return;
    if (hover_)
        SwitchLink(false);
    hover_ = g;
    if (hover_)
        SwitchLink(true);
}

std::string TWdPage::Link() const { return hover_ ? hover_->Link() : std::string(); }

std::string TWdPage::LinkText() const {
    std::string text;
    for (const TWdGlyph* g : LinkRun())
        text += g->Text();
    return text;
}

void TWdPage::SaveState(TStream& s) const {
    WriteInt(s, ScrollY);
    WriteInt(s, row_);
    WriteInt(s, index_);
    WriteByte(s, ended_ ? 1 : 0);
    WriteStr(s, pending_);
    auto stored = [&](const TWdGlyph& g) {
        return std::find(fading_.begin(), fading_.end(), &g) != fading_.end() ? 255 : g.Alpha();
    };
    for (const auto& row : rows_)
        for (const TWdGlyph* g : row->Glyphs()) {
            if (g->Weight() == 0)
                continue;  // inserted characters follow their variable glyph
            if (g->Kind() == gkChar || g->Kind() == gkImg) {
                WriteInt(s, stored(*g));
            } else if (g->Kind() == gkVar) {
                const auto& inserted = static_cast<const TWdOpeVar*>(g)->Inserted();
                WriteInt(s, inserted.empty() ? 0 : stored(*inserted.front()));
            }
        }
}

void TWdPage::LoadState(TStream& s) {
    const int32_t scroll = ReadInt(s), row = ReadInt(s), index = ReadInt(s);
    if (row < 0 || row > RowCount() ||
        (row < RowCount() && (index < 0 || index >= int(rows_[size_t(row)]->Glyphs().size()))))
        StoredTextError("play state at row " + std::to_string(row) + ", glyph " + std::to_string(index) +
                        " does not fit the page");
    ScrollY = scroll;
    row_ = row;
    index_ = row < RowCount() ? index : 0;
    ended_ = ReadByte(s) != 0;
    pending_ = ReadStr(s);
    fading_.clear();
    ticking_.clear();
    for (const auto& r : rows_)
        for (TWdGlyph* g : r->Glyphs()) {
            if (g->Weight() == 0)
                continue;
            if (g->Kind() == gkChar || g->Kind() == gkImg) {
                g->SetAlpha(ReadInt(s));
            } else if (g->Kind() == gkVar) {
                const int32_t alpha = ReadInt(s);
                for (TWdGlyph* inserted : static_cast<TWdOpeVar*>(g)->Inserted())
                    inserted->SetAlpha(alpha);
            }
        }
    for (const auto& r : rows_)
        for (TWdGlyph* g : r->Glyphs())
            if (g->Alpha() > 0 && g->NeedsTick())
                ticking_.push_back(g);
}

} // namespace ruvo
