#pragma once
// The glyphs of message text: characters, inline pictures and layout operations, in the engine's list
// in reading order. Each kind code (the stored form's) has one class; the rows and pages that lay the
// glyphs out are in text/page.hpp.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface/pixelformat.hpp"
#include "text/decorate.hpp"

namespace ruvo {

class TGxWord;
class TWdPage;
class TWdRow;
class TStream;
class TRuvoParser;
class TInlinePicture;
class TWdOpeVar;

enum TGlyphKind : int {
    gkNone = 0, gkChar = 1, gkAlign = 2, gkReturn = 3, gkIndent = 4, gkUndent = 5, gkEvent = 6, gkVar = 7, gkImg = 9,
};
// Alignment values of rows, alignment glyphs (1..3) and pictures (3..5).
enum TTextAlign : int { taNone = 0, taLeft = 1, taRight = 2, taCenter = 3, taTop = 4, taBottom = 5 };

// What reading and writing a stored text share: its version and the decorations' places.
struct TStoredContext {
    int Version = 0;
    int DecorationBase = 0;  // reading: engine index of the text's decoration 0
};

class TWdGlyph {
public:
    explicit TWdGlyph(TGxWord& engine) : engine_(engine) {}
    // Leaves its row (and the row's page forgets it).
    virtual ~TWdGlyph();
    TWdGlyph(const TWdGlyph&) = delete;
    TWdGlyph& operator=(const TWdGlyph&) = delete;

    TGxWord& Engine() const noexcept { return engine_; }
    // The row that holds the glyph since the last layout; none when not laid out.
    TWdRow* Row() const noexcept { return row_; }
    TWdPage* Page() const noexcept;

    // Position relative to the row, and size (Measure).
    int32_t X = 0, Y = 0, Width = 0, Height = 0;

    virtual int Kind() const = 0;
    // Share in text positions: 1 for what parsing or a stored text makes, 0 for what variables insert.
    virtual int Weight() const { return 1; }
    // Revealed by the output and painted: characters and pictures.
    virtual bool Visible() const { return false; }

    virtual uint16_t Code() const { return 0; }
    // One or two bytes of the code; a single byte 0 for glyphs without one.
    std::string Text() const;
    // As shown: a character its text, a line break CR LF, others nothing.
    virtual std::string ShownText() const { return {}; }
    // The style of characters and variable glyphs; none for the others.
    virtual TDecorate* Decoration() const { return nullptr; }
    virtual const std::string& Link() const;
    virtual int32_t Wait() const { return 0; }
    // Reveal opacity 0..255; 255 for glyphs that hold none.
    virtual int Alpha() const { return 255; }
    virtual void SetAlpha(int) {}
    virtual bool Hover() const { return false; }
    virtual void SetHover(bool) {}
    virtual int Align() const { return taNone; }
    virtual bool Clear() const { return false; }
    // Picture name, event value or variable expression text.
    virtual const std::string& Value() const;

    // Screen and page positions (through the row, its page and the engine's area).
    int32_t PageX() const noexcept { return X; }
    int32_t PageY() const noexcept;
    int32_t ScreenX() const noexcept;
    int32_t ScreenY() const noexcept;

    // Size from style or picture (Measure), the page image (Render, Erase), the target (Paint).
    virtual void Measure() {}
    virtual void Render(bool restart);
    virtual void Erase() {}
    virtual void Paint() {}
    // The screen rectangle to repaint when the glyph changed; empty when there is nothing to show.
    virtual TRect ScreenRect() const;
    // Adds ScreenRect to the engine's changed rectangles when it is not empty.
    void Invalidate();

    // Animated pictures: the frame clock.
    virtual bool NeedsTick() const { return false; }
    virtual void Tick(int32_t /*ms*/) {}
    virtual void ReleaseSurfaces() {}
    virtual void RestoreSurfaces() {}

    // The kind's fields of the stored form (without the kind byte).
    virtual void WriteTo(TStream&, const TStoredContext&) const {}
    virtual void ReadFrom(TStream&, const TStoredContext&) {}
    // A copy of a glyph of the same kind (from any engine) into this one.
    virtual void CopyFrom(const TWdGlyph& source);

    // Variable insertion (variable glyphs only).
    virtual void Expand() {}
    virtual void Collapse() {}

private:
    friend class TWdRow;
    friend class TGxWord;
    TGxWord& engine_;
    TWdRow* row_ = nullptr;
    mutable int listIndex_ = -1;  // place in the engine's list when it is numbered
};

// A reference from a glyph to a decoration of its engine's list.
class TDecorationRef {
public:
    explicit TDecorationRef(TDecorateList& list) : list_(list) {}
    ~TDecorationRef() { list_.Release(decoration_); }
    TDecorationRef(const TDecorationRef&) = delete;
    TDecorationRef& operator=(const TDecorationRef&) = delete;

    TDecorate* Get() const noexcept { return decoration_; }
    // The style held; the default style without a decoration.
    const TDecorateStyle& Style() const noexcept;
    // Holds a decoration of this style (the sharing rule of TDecorateList::Change).
    void Set(const TDecorateStyle& style) { decoration_ = list_.Change(decoration_, style); }
    // Holds this decoration of the list (a stored text's).
    void Bind(TDecorate* d) noexcept;

private:
    TDecorateList& list_;
    TDecorate* decoration_ = nullptr;
};

// Glyphs the output reveals: link, hover flag, reveal opacity and wait.
class TWdReal : public TWdGlyph {
public:
    using TWdGlyph::TWdGlyph;
    bool Visible() const override { return true; }
    const std::string& Link() const override { return link_; }
    void SetLink(std::string link) { link_ = std::move(link); }
    int32_t Wait() const override { return wait_; }
    void SetWait(int32_t wait) noexcept { wait_ = wait; }
    int Alpha() const override { return alpha_; }
    void SetAlpha(int alpha) override;
    bool Hover() const override { return hover_; }
    void SetHover(bool hover) override { hover_ = hover; }
    void Render(bool restart) override;
    void CopyFrom(const TWdGlyph& source) override;

private:
    std::string link_;
    bool hover_ = false;
    int alpha_ = 255;
    int32_t wait_ = 0;
};

class TWdChar : public TWdReal {
public:
    explicit TWdChar(TGxWord& engine);
    int Kind() const override { return gkChar; }
    uint16_t Code() const override { return code_; }
    void SetCode(uint16_t code) noexcept { code_ = code; }
    std::string ShownText() const override { return Text(); }
    TDecorate* Decoration() const override { return decoration_.Get(); }
    const TDecorateStyle& Style() const noexcept { return decoration_.Style(); }
    void SetStyle(const TDecorateStyle& style) { decoration_.Set(style); }
    // Where the last Render drew, in page coordinates.
    const TRect& Rendered() const noexcept { return rendered_; }

    void Measure() override;
    void Render(bool restart) override;
    void Erase() override;
    void Paint() override;
    TRect ScreenRect() const override;
    void WriteTo(TStream& s, const TStoredContext& c) const override;
    void ReadFrom(TStream& s, const TStoredContext& c) override;
    void CopyFrom(const TWdGlyph& source) override;

private:
    uint16_t code_ = 0;
    TDecorationRef decoration_;
    TRect rendered_;
};

// A character a variable glyph inserted; it tells its variable glyph when it goes.
class TWdVarChar : public TWdChar {
public:
    TWdVarChar(TGxWord& engine, TWdOpeVar& owner) : TWdChar(engine), owner_(&owner) {}
    ~TWdVarChar() override;
    int Weight() const override { return 0; }

private:
    friend class TWdOpeVar;
    TWdOpeVar* owner_;
};

class TWdImg : public TWdReal {
public:
    explicit TWdImg(TGxWord& engine);
    ~TWdImg() override;
    int Kind() const override { return gkImg; }
    const std::string& Value() const override { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    int Align() const override { return align_; }
    void SetAlign(int align) noexcept { align_ = align; }
    // The frames, loaded by Measure; none for a picture that does not exist.
    TInlinePicture* Picture() const noexcept { return picture_.get(); }

    void Measure() override;
    void Paint() override;
    bool NeedsTick() const override;
    void Tick(int32_t ms) override;
    void ReleaseSurfaces() override;
    void RestoreSurfaces() override;
    void WriteTo(TStream& s, const TStoredContext& c) const override;
    void ReadFrom(TStream& s, const TStoredContext& c) override;
    void CopyFrom(const TWdGlyph& source) override;

private:
    std::string name_;
    int align_ = taBottom;
    std::unique_ptr<TInlinePicture> picture_;
};

// The indent filler at the start of a row; only its width counts.
class TWdSpace : public TWdGlyph {
public:
    using TWdGlyph::TWdGlyph;
    int Kind() const override { return gkNone; }
    int Weight() const override { return 0; }
};

class TWdOpeReturn : public TWdGlyph {
public:
    using TWdGlyph::TWdGlyph;
    int Kind() const override { return gkReturn; }
    std::string ShownText() const override { return "\r\n"; }
    // The break also ends the page.
    bool Clear() const override { return clear_; }
    void SetClear(bool clear) noexcept { clear_ = clear; }
    void WriteTo(TStream& s, const TStoredContext& c) const override;
    void ReadFrom(TStream& s, const TStoredContext& c) override;
    void CopyFrom(const TWdGlyph& source) override;

private:
    bool clear_ = false;
};

// A line break a variable glyph inserted.
class TWdVarReturn : public TWdOpeReturn {
public:
    TWdVarReturn(TGxWord& engine, TWdOpeVar& owner) : TWdOpeReturn(engine), owner_(&owner) {}
    ~TWdVarReturn() override;
    int Weight() const override { return 0; }
    bool Clear() const override { return false; }

private:
    friend class TWdOpeVar;
    TWdOpeVar* owner_;
};

class TWdOpeAlign : public TWdGlyph {
public:
    using TWdGlyph::TWdGlyph;
    int Kind() const override { return gkAlign; }
    int Align() const override { return align_; }
    void SetAlign(int align) noexcept { align_ = align; }
    void WriteTo(TStream& s, const TStoredContext& c) const override;
    void ReadFrom(TStream& s, const TStoredContext& c) override;
    void CopyFrom(const TWdGlyph& source) override;

private:
    int align_ = taNone;
};

class TWdOpeIndent : public TWdGlyph {
public:
    using TWdGlyph::TWdGlyph;
    int Kind() const override { return gkIndent; }
};

class TWdOpeUndent : public TWdGlyph {
public:
    using TWdGlyph::TWdGlyph;
    int Kind() const override { return gkUndent; }
};

// An event mark: its value goes to the owner when the output reaches it; with the stop flag the output
// waits there.
class TWdOpeEvent : public TWdGlyph {
public:
    using TWdGlyph::TWdGlyph;
    int Kind() const override { return gkEvent; }
    const std::string& Value() const override { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }
    bool Stop() const noexcept { return stop_; }
    void SetStop(bool stop) noexcept { stop_ = stop; }
    int32_t Wait() const override { return stop_ ? 1 : 0; }
    void WriteTo(TStream& s, const TStoredContext& c) const override;
    void ReadFrom(TStream& s, const TStoredContext& c) override;
    void CopyFrom(const TWdGlyph& source) override;

private:
    std::string value_;
    bool stop_ = false;
};

// A variable: Expand inserts its value as characters and line breaks after it.
class TWdOpeVar : public TWdGlyph {
public:
    explicit TWdOpeVar(TGxWord& engine);
    ~TWdOpeVar() override;
    int Kind() const override { return gkVar; }
    const std::string& Value() const override { return expression_; }
    void SetExpression(std::string text) { expression_ = std::move(text); }
    TDecorate* Decoration() const override { return decoration_.Get(); }
    const TDecorateStyle& Style() const noexcept { return decoration_.Style(); }
    void SetStyle(const TDecorateStyle& style) { decoration_.Set(style); }
    const std::string& Link() const override { return link_; }
    void SetLink(std::string link) { link_ = std::move(link); }
    int32_t Wait() const override { return wait_; }
    void SetWait(int32_t wait) noexcept { wait_ = wait; }
    // The compiled expression of stored texts older than version 102 (none otherwise).
    const TRuvoParser* Compiled() const noexcept { return compiled_.get(); }
    // The glyphs the last Expand inserted, in order.
    const std::vector<TWdGlyph*>& Inserted() const noexcept { return inserted_; }

    void Expand() override;
    void Collapse() override;
    void WriteTo(TStream& s, const TStoredContext& c) const override;
    void ReadFrom(TStream& s, const TStoredContext& c) override;
    void CopyFrom(const TWdGlyph& source) override;

private:
    friend class TWdVarChar;
    friend class TWdVarReturn;
    // The value to insert: frozen, evaluated, or nothing.
    std::string Evaluate() const;
    std::string TrimmedExpression() const;
    // The expression text compiled for stored forms before version 102 (empty when it does not compile).
    TRuvoParser CompiledExpression() const;
    void Forget(TWdGlyph* inserted) noexcept;

    std::string expression_;
    TDecorationRef decoration_;
    std::string link_;
    int32_t wait_ = 0;
    std::unique_ptr<TRuvoParser> compiled_;
    std::vector<TWdGlyph*> inserted_;  // owned by the engine's list
};

// A new glyph of the class of a kind (its low 7 bits); none for kinds without a class.
std::unique_ptr<TWdGlyph> CreateGlyph(TGxWord& engine, int kind);

// Characters of a value may be inserted at most this many at a time (docs/text.md).
constexpr size_t kMaxVarChars = 4096;

} // namespace ruvo
