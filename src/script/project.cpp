#include "script/project.hpp"

#include "archive/errors.hpp"
#include "archive/streams.hpp"

namespace ruvo {

namespace {

[[noreturn]] void BadCount(const char* what, int32_t count) {
    throw std::move(ERuvoError::FromUtf8("読み込みエラー")
                        .AddContext(std::string(what) + " count " + std::to_string(count) + " does not fit the file"));
}

TProjectVariable ReadVariable(TStream& s) {
    TProjectVariable v;
    v.Type = ReadByte(s);
    v.Name = ReadStr(s);
    switch (v.Type) {
    case 1: v.IntValue = ReadInt(s); break;
    case 2: v.RealValue = ReadReal(s); break;
    case 3: v.FlagValue = ReadByte(s); break;
    case 4: v.StringValue = ReadStr(s); break;
    default: break;
    }
    return v;
}

void WriteVariable(TStream& s, const TProjectVariable& v) {
    WriteByte(s, v.Type);
    WriteStr(s, v.Name);
    switch (v.Type) {
    case 1: WriteInt(s, v.IntValue); break;
    case 2: WriteReal(s, v.RealValue); break;
    case 3: WriteByte(s, v.FlagValue); break;
    case 4: WriteStr(s, v.StringValue); break;
    default: break;
    }
}

// Reads every field up to the folder-to-disc map into p; false for a version above 110.
bool ReadProject(TStream& s, TProjectFile& p) {
    if (s.Remaining() == 0) throw ERuvoError::FromUtf8("プロジェクトがありません");
    int32_t version = ReadInt(s);
    if (version > kProjectMaxVersion) return false;
    p.Version = version;
    p.Title = ReadStr(s);
    p.ScreenWidth = ReadInt(s);
    p.ScreenHeight = ReadInt(s);
    p.FullScreenWidth = ReadInt(s);
    p.FullScreenHeight = ReadInt(s);
    p.StartPage = ReadStr(s);
    p.ExitPage = version >= 110 ? ReadStr(s) : std::string();
    p.RegistryKey = ReadStr(s);
    p.ImageKey = ReadInt(s);
    p.WriteStatus = version >= 104 ? ReadByte(s) : 1;
    p.IdleSleep = version >= 106 ? ReadByte(s) : 0;
    p.StreamedExts = version >= 109 ? ReadStr(s) : std::string(kOldStreamedExts);
    p.DiscPrompt = ReadStr(s);
    p.QuitPrompt = ReadStr(s);
    int32_t count = ReadInt(s);
    // A definition takes at least its type byte and its name's length.
    if (count < 0 || count > s.Remaining() / 5) BadCount("variable", count);
    p.Variables.clear();
    for (int32_t i = 0; i < count; ++i)
        WithContext([&] { return "variable " + std::to_string(i); }, [&] { p.Variables.push_back(ReadVariable(s)); });
    return true;
}

} // namespace

bool TProjectFile::LoadFromStream(TStream& s) {
    return WithContext([] { return std::string("project file"); }, [&] {
        TProjectFile read;
        if (!ReadProject(s, read)) return false;
        read.FolderDisks.ReadFrom(s);
        *this = std::move(read);
        return true;
    });
}

void TProjectFile::SaveToStream(TStream& s) const {
    WriteInt(s, Version);
    WriteStr(s, Title);
    WriteInt(s, ScreenWidth);
    WriteInt(s, ScreenHeight);
    WriteInt(s, FullScreenWidth);
    WriteInt(s, FullScreenHeight);
    WriteStr(s, StartPage);
    if (Version >= 110) WriteStr(s, ExitPage);
    WriteStr(s, RegistryKey);
    WriteInt(s, ImageKey);
    if (Version >= 104) WriteByte(s, WriteStatus);
    if (Version >= 106) WriteByte(s, IdleSleep);
    if (Version >= 109) WriteStr(s, StreamedExts);
    WriteStr(s, DiscPrompt);
    WriteStr(s, QuitPrompt);
    WriteInt(s, static_cast<int32_t>(Variables.size()));
    for (const auto& v : Variables) WriteVariable(s, v);
    FolderDisks.WriteTo(s);
}

bool ReadFolderDisks(TStream& s, TFolderDiskList& map) {
    return WithContext([] { return std::string("original project file"); }, [&] {
        TProjectFile other;
        if (!ReadProject(s, other)) return false;
        TFolderDiskList read;  // the old map stays when the new one is damaged
        read.ReadFrom(s);
        map = std::move(read);
        return true;
    });
}

} // namespace ruvo
