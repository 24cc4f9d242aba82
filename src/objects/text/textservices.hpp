#pragma once
// What the text objects (message windows, captions) need of the player besides the world: fonts and
// variables for the text engine, the stored texts of the script's text-insert commands, the read marks
// and the message history. The runtime fills it in as those
// objects come and go; a world without fonts (tool and test worlds) gets a text engine that lays out
// with empty glyphs, so that every object can still be made, named and saved.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>


namespace ruvo {

class TRuvoNewHistory;
class TRuvoReadList;
struct TTextServices;

// The stored text of a text-insert command, found by its script page's file name and its index in the
// page; nothing when the page does not exist or the command is not a text insert.
class TScriptTexts {
public:
    virtual ~TScriptTexts() = default;
    virtual std::optional<std::string> StoredText(std::string_view pageFile, int32_t commandIndex) = 0;
};

class TTextObjectServices {
public:
    TTextObjectServices();
    ~TTextObjectServices();
    TTextObjectServices(const TTextObjectServices&) = delete;
    TTextObjectServices& operator=(const TTextObjectServices&) = delete;

    // The engine services given, or the ones without fonts.
    TTextServices& Text();
    void SetText(TTextServices* text) noexcept { text_ = text; }
    // Everything as from has it, so that a world read from a saved game uses the running world's
    // services (which outlive it) when it takes its place.
    void ShareWith(TTextObjectServices& from) {
        text_ = &from.Text();
        Scripts = from.Scripts;
        ReadMarks = from.ReadMarks;
        History = from.History;
    }

    TScriptTexts* Scripts = nullptr;
    TRuvoReadList* ReadMarks = nullptr;
    TRuvoNewHistory* History = nullptr;

private:
    struct TNoFonts;
    TTextServices* text_ = nullptr;
    std::unique_ptr<TNoFonts> noFonts_;
};

} // namespace ruvo
