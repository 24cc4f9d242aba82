#include "objects/choices/prevmenutemplate.hpp"

#include "archive/errors.hpp"
#include "archive/streams.hpp"

namespace ruvo {

namespace {

[[noreturn]] void Damaged(const std::string& what) {
    throw ERuvoError::FromUtf8("メニューテンプレートが壊れています").AddContext(what);
}

// The least a button takes: seven string lengths, two coordinates and the capture-mask byte.
constexpr int64_t kMinButtonBytes = 7 * 4 + 2 * 4 + 1;

} // namespace

bool TPrevMenuTemplate::IsTemplate(TStream& stream) {
    const int64_t at = stream.Position();
    if (stream.Remaining() < static_cast<int64_t>(kTag.size())) return false;
    std::string tag(kTag.size(), '\0');
    stream.ReadBuffer(tag.data(), static_cast<int64_t>(tag.size()));
    stream.SetPosition(at);
    return tag == kTag;
}

void TPrevMenuTemplate::LoadFromStream(TStream& stream) {
    if (!IsTemplate(stream)) Damaged("no template tag");
    stream.SetPosition(stream.Position() + static_cast<int64_t>(kTag.size()));
    const int32_t n = ReadInt(stream);
    if (n < 0 || int64_t{n} * kMinButtonBytes > stream.Remaining()) Damaged("button count " + std::to_string(n));
    std::vector<TPrevMenuButton> buttons(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        WithContext([&] { return "button " + std::to_string(i); }, [&] {
            TPrevMenuButton& b = buttons[static_cast<size_t>(i)];
            b.Caption = ReadStr(stream);
            b.Left = ReadInt(stream);
            b.Top = ReadInt(stream);
            for (std::string& source : b.Sources) source = ReadStr(stream);
            b.DisabledSource = ReadStr(stream);
            b.CaptureMask = ReadByte(stream) != 0;
            b.Cursor = ReadStr(stream);
        });
    Buttons = std::move(buttons);
}

void TPrevMenuTemplate::SaveToStream(TStream& stream) const {
    stream.WriteBuffer(kTag.data(), static_cast<int64_t>(kTag.size()));
    WriteInt(stream, static_cast<int32_t>(Buttons.size()));
    for (const TPrevMenuButton& b : Buttons) {
        WriteStr(stream, b.Caption);
        WriteInt(stream, b.Left);
        WriteInt(stream, b.Top);
        for (const std::string& source : b.Sources) WriteStr(stream, source);
        WriteStr(stream, b.DisabledSource);
        WriteByte(stream, b.CaptureMask ? 1 : 0);
        WriteStr(stream, b.Cursor);
    }
}

} // namespace ruvo
