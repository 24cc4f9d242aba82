#include "script/gameproject.hpp"

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfilemanager.hpp"
#include "params/varset.hpp"

namespace ruvo {

TProject::TProject(TProjectHost& host, TVrFileManager& files, TParamCollection& vars, TSysFuncMan& funcs)
    : host_(host), files_(files), vars_(vars), funcs_(funcs) {
    Settings.Title = Utf8ToSjis("情報");
    Settings.StreamedExts = "wav.wma.ogg";
    Settings.DiscPrompt = Utf8ToSjis("ディスク%dを入れてから[OK]をクリックしてください");
    Settings.QuitPrompt = Utf8ToSjis("終了します");
    host_.SetTerminating(true);
    try {
        loaded_ = Load();
    } catch (...) {
        loaded_ = false;  // an unreadable project ends the start quietly
    }
    host_.SetTerminating(!loaded_);
}

TProject::~TProject() {
    if (!CallMan || Settings.ExitPage.empty() || !loaded_) return;
    try {
        CallMan->ResetTo(Settings.ExitPage);
        host_.SetTerminating(false);
        CallMan->RunFrame();
    } catch (...) {
        // The exit page is a courtesy: the player closes whatever it does.
    }
    host_.SetTerminating(true);
}

TDiscTexts TProject::DiscTexts() const { return TDiscTexts{Settings.Title, Settings.DiscPrompt, Settings.QuitPrompt}; }

bool TProject::FileAvailable(std::string_view name) {
    return files_.EnsureAvailable(name, FolderDisks, Settings.StreamedExts, DiscTexts(), host_.DiscPrompt());
}

bool TProject::Load() {
    if (!host_.GameFolderGiven() && !host_.LocateData()) return false;
    TMemoryStream file;
    files_.Load(file, kProjectFileName);
    if (file.Size() == 0) {
        host_.ShowWarning(Utf8ToSjis("プロジェクトがありません"));
        return false;
    }
    TProjectFile read = Settings;
    if (!read.LoadFromStream(file)) return false;  // a newer project than this player knows
    Settings = std::move(read);
    host_.SetTitle(Settings.Title);
    DefineVariables();
    FolderDisks = Settings.FolderDisks;

    if (files_.Exists(kOriginalProjectFileName)) {
        TMemoryStream original;
        files_.Load(original, kOriginalProjectFileName);
        TFolderDiskList map;
        if (ReadFolderDisks(original, map)) FolderDisks = std::move(map);
    }

    CallMan = std::make_unique<TCallMan>(host_, vars_, funcs_, [this](const std::string& name) {
        auto stream = std::make_unique<TMemoryStream>();
        files_.Load(*stream, name);
        return std::unique_ptr<TStream>(std::move(stream));
    });
    if (!files_.Exists(Settings.StartPage)) {
        host_.ShowWarning(Utf8ToSjis("スタートページがありません"));
        return false;
    }
    CallMan->ResetTo(Settings.StartPage);
    return true;
}

// Project variables are created once; a variable that already exists (restored from the status data)
// keeps its value.
void TProject::DefineVariables() {
    for (const TProjectVariable& v : Settings.Variables) {
        if (v.Type < 1 || v.Type > 4 || vars_.FindGlobal(v.Name)) continue;
        TParamCollectionItem& item = vars_.AddNamed(v.Name, v.Type);
        item.status = 1;
        TCustomParam& value = item.Value();
        switch (v.Type) {
        case 1: value.SetInt(v.IntValue); break;
        case 2: value.SetFloat(v.RealValue); break;
        case 3: value.SetFlag(v.FlagValue != 0); break;
        default: value.SetStr(v.StringValue); break;
        }
    }
}

} // namespace ruvo
