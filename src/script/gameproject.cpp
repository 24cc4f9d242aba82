#include "script/gameproject.hpp"

#include "archive/sjis.hpp"
#include "archive/vrfilemanager.hpp"
#include "params/varset.hpp"
#include "script/runcontext.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

TProject::TProject(TRunContext& context, TVrFileManager& files, TScriptLimits limits)
    : context_(context), files_(files) {
    Settings.Title = Utf8ToSjis("情報");
    Settings.StreamedExts = "wav.wma.ogg";
    Settings.DiscPrompt = Utf8ToSjis("ディスク%dを入れてから[OK]をクリックしてください");
    Settings.QuitPrompt = Utf8ToSjis("終了します");
    CallMan = std::make_unique<TCallMan>(context_, [this](const std::string& name) {
        auto stream = std::make_unique<TMemoryStream>();
        files_.Load(*stream, name);
        return std::unique_ptr<TStream>(std::move(stream));
    }, limits);
    context_.Project = this;
    TSystemVars& sv = context_.Vars.SystemVars();
    sv.BindInt(TSystemVar::ScrWidth, [this] { return Settings.ScreenWidth; });
    sv.BindInt(TSystemVar::ScrHeight, [this] { return Settings.ScreenHeight; });
    sv.BindStr(TSystemVar::Title, [this] { return Settings.Title; });
}

TProject::~TProject() {
    RunExitPage();
    TSystemVars& sv = context_.Vars.SystemVars();
    for (TSystemVar v : {TSystemVar::ScrWidth, TSystemVar::ScrHeight, TSystemVar::Title}) sv.Unbind(v);
    CallMan.reset();
    context_.Project = nullptr;
}

void TProject::RunExitPage() {
    if (exitPageRun_) return;
    exitPageRun_ = true;
    TPlayerServices& services = context_.Services;
    if (loaded_ && !Settings.ExitPage.empty()) {
        try {
            CallMan->ResetTo(Settings.ExitPage);
            services.SetTerminating(false);
            CallMan->RunFrame();
        } catch (...) {
            // The exit page is a courtesy: the player closes whatever it does.
        }
        services.SetTerminating(true);
    }
}

TDiscTexts TProject::DiscTexts() const { return TDiscTexts{Settings.Title, Settings.DiscPrompt, Settings.QuitPrompt}; }

bool TProject::FileAvailable(std::string_view name) {
    return files_.EnsureAvailable(name, FolderDisks, Settings.StreamedExts, DiscTexts(), context_.Services.DiscPrompt());
}

void TProject::Load(const std::function<bool()>& locateData, const std::function<void()>& restoreStatus) {
    TPlayerServices& services = context_.Services;
    services.SetTerminating(true);
    loaded_ = false;
    if (locateData && !locateData())
        throw EGameStart(ERuvoError::FromUtf8("ゲームのデータが見つかりません"), true);
    ReadProjectFile();
    services.SetTitle(Settings.Title);
    if (restoreStatus) restoreStatus();
    DefineVariables();
    FolderDisks = Settings.FolderDisks;
    if (files_.Exists(kOriginalProjectFileName)) {
        TMemoryStream original;
        files_.Load(original, kOriginalProjectFileName);
        TFolderDiskList map;
        if (ReadFolderDisks(original, map)) FolderDisks = std::move(map);
    }
    if (!files_.Exists(Settings.StartPage)) {
        const std::string text = Utf8ToSjis("スタートページがありません");
        services.ShowWarning(text);
        throw EGameStart(std::move(ERuvoError(text).AddContext("start page " + SjisToUtf8Lossy(Settings.StartPage))), true);
    }
    CallMan->ResetTo(Settings.StartPage);
    loaded_ = true;
    services.SetTerminating(false);
}

void TProject::ReadProjectFile() {
    TMemoryStream file;
    files_.Load(file, kProjectFileName);  // its error names the file
    if (file.Size() == 0) {
        const std::string text = Utf8ToSjis("プロジェクトがありません");
        context_.Services.ShowWarning(text);
        throw EGameStart(std::move(ERuvoError(text).AddContext(kProjectFileName)), true);
    }
    TProjectFile read = Settings;
    const bool known = WithContext([] { return std::string(kProjectFileName); }, [&] { return read.LoadFromStream(file); });
    if (!known) {
        // A newer project than this player reads.
        file.SetPosition(0);
        throw std::move(ERuvoError::FromUtf8("プロジェクトのバージョンが新しすぎます")
                            .AddContext(std::string(kProjectFileName) + " version " + std::to_string(ReadInt(file)) +
                                        " (this player reads up to " + std::to_string(kProjectMaxVersion) + ")"));
    }
    Settings = std::move(read);
}

// Project variables are created once; a variable that already exists (restored from the status data)
// keeps its value.
void TProject::DefineVariables() {
    TParamCollection& vars = context_.Vars;
    for (const TProjectVariable& v : Settings.Variables) {
        if (v.Type < 1 || v.Type > 4 || vars.FindGlobal(v.Name)) continue;
        TParamCollectionItem& item = vars.AddNamed(v.Name, v.Type);
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
