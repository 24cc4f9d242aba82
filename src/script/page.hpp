#pragma once
// A script page: a flat list of typed commands, each with its nesting depth, plus the property
// masks that tell the object-creating commands which expressions their records carry.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/errors.hpp"
#include "script/commands.hpp"
#include "script/propertymask.hpp"

namespace ruvo {

class TParamCollection;
class TStream;

// Pages are read from version 103 on; anything newer than 110 loads as an empty page.
constexpr int32_t kPageMinVersion = 103;
constexpr int32_t kPageMaxVersion = 110;

// A page older than the player reads: the game must be rebuilt. The message is the page name, CR LF
// and "リビルドしてください"; the player shows it as a warning and closes.
class EPageRebuild : public ERuvoError {
public:
    explicit EPageRebuild(std::string_view pageName);
};

using TComList = std::vector<std::unique_ptr<TCommand>>;

class TPage {
public:
    // vars: the variable store, whose variable 0x01 + FileName (the page's own data) goes with the page.
    explicit TPage(TParamCollection* vars = nullptr) : vars_(vars) {}
    ~TPage();
    TPage(const TPage&) = delete;
    TPage& operator=(const TPage&) = delete;

    // Clears the page, remembers the name and reads the page file from the stream.
    void LoadFromStream(std::string_view name, TStream& stream);
    // Writes the page file; a page read and written again gives the same bytes.
    void SaveToStream(TStream& stream);

    // A new command of the code (bit 7 ignored) owned by this page, not yet added; throws "不正なコマンド".
    std::unique_ptr<TCommand> CreateCommand(int code);

    int Count() const noexcept { return static_cast<int>(Commands.size()); }
    TCommand* Items(int index) const { return Commands.at(static_cast<size_t>(index)).get(); }
    int IndexOf(const TCommand* command) const noexcept;
    // Index of the first command whose label text is exactly name (labels and comments), or -1.
    int FindLabel(std::string_view name) const noexcept;

    uint8_t ReturnType = 1;
    TComList Commands;
    std::string FileName;
    std::array<TPropertyMask, kMaskCount> PropertyMasks{};
    int32_t Version = 104;
    // Masks the file carried (at most 61); written back so that a page keeps its bytes.
    int32_t StoredMaskCount = kMaskCount;

    // The variable store the page's own variable lives in (a page read apart goes to the running one).
    void SetVars(TParamCollection* vars) noexcept { vars_ = vars; }

private:
    TParamCollection* vars_;
};

} // namespace ruvo
