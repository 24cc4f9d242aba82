#include "script/page.hpp"

#include <algorithm>

#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/varset.hpp"

namespace ruvo {

namespace {

[[noreturn]] void BadPage(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("読み込みエラー").AddContext(why));
}

constexpr int64_t kSmallestCommand = 11;  // code byte and base record

} // namespace

EPageRebuild::EPageRebuild(std::string_view pageName)
    : ERuvoError(std::string(pageName) + "\r\n" + SysMessage("リビルドしてください")) {}

TPage::~TPage() {
    Commands.clear();
    if (!vars_) return;
    if (TParamCollectionItem* own = vars_->Find("\x01" + FileName)) vars_->DeleteItem(*own);
}

std::unique_ptr<TCommand> TPage::CreateCommand(int code) { return CreateCommandOfCode(this, code); }

int TPage::IndexOf(const TCommand* command) const noexcept {
    for (size_t i = 0; i < Commands.size(); ++i)
        if (Commands[i].get() == command) return static_cast<int>(i);
    return -1;
}

int TPage::FindLabel(std::string_view name) const noexcept {
    for (size_t i = 0; i < Commands.size(); ++i)
        if (Commands[i]->IsLabel(name)) return static_cast<int>(i);
    return -1;
}

void TPage::LoadFromStream(std::string_view name, TStream& s) {
    Commands.clear();
    FileName = std::string(name);
    WithContext([&] { return "page " + SjisToUtf8Lossy(FileName); }, [&] {
        Version = ReadInt(s);
        if (Version > kPageMaxVersion) return;
        if (Version < kPageMinVersion) throw EPageRebuild(FileName);
        ReturnType = ReadByte(s);

        for (auto& mask : PropertyMasks) mask.fill(0);
        int32_t maskCount = ReadInt(s);
        int32_t maskSize = ReadInt(s);
        if (maskCount < 0 || maskSize < 0 || int64_t(maskCount) * maskSize > s.Remaining())
            BadPage("mask table of " + std::to_string(maskCount) + " × " + std::to_string(maskSize) +
                    " bytes does not fit the page");
        StoredMaskCount = std::min(maskCount, kMaskCount);
        const int32_t kept = std::min(maskSize, kMaskBytes);
        for (int32_t i = 0; i < StoredMaskCount; ++i) {
            s.ReadBuffer(PropertyMasks[i].data(), kept);
            s.Seek(maskSize - kept, SeekOrigin::Current);
        }
        // Masks of codes that do not exist are skipped at once: a count of 2^31 with a size of 0 is no work.
        s.Seek(int64_t{maskCount - StoredMaskCount} * maskSize, SeekOrigin::Current);

        int32_t count = ReadInt(s);
        if (count < 0 || count > s.Remaining() / kSmallestCommand)
            BadPage("command count " + std::to_string(count) + " does not fit the page");
        Commands.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            uint8_t code = 0xFF;
            WithContext([&] {
                const char* name = CommandName(code & 0x7F);
                return "command " + std::to_string(i) + (name ? std::string(" (") + name + ")" : std::string());
            }, [&] {
                code = ReadByte(s);
                auto command = CreateCommand(code);
                command->Load(s);
                Commands.push_back(std::move(command));
            });
        }
    });
}

void TPage::SaveToStream(TStream& s) {
    WriteInt(s, Version);
    if (Version > kPageMaxVersion || Version < kPageMinVersion) return;
    WriteByte(s, ReturnType);
    WriteInt(s, StoredMaskCount);
    WriteInt(s, kMaskBytes);
    for (int32_t i = 0; i < StoredMaskCount; ++i) s.WriteBuffer(PropertyMasks[i].data(), kMaskBytes);
    WriteInt(s, Count());
    for (auto& command : Commands) {
        WriteByte(s, command->Code());
        command->Save(s);
    }
}

} // namespace ruvo
