#pragma once
// What the runtime gives the text objects of the world: the installed fonts, a text engine's services
// over the game's variables and functions with the inline pictures of the picture cache, and the script
// pages' texts through the virtual file manager.
// Created before the world and freed after it.
#include <memory>

namespace ruvo {

class TCachedInlinePictures;
class TFontPixelManager;
class TParamCollection;
class TPictureCache;
class TRuvoBaseList;
class TScriptTextPages;
class TSysFuncMan;
class TSystemFontCatalog;
class TVrFileManager;
struct TTextServices;

class TTextSupport {
public:
    TTextSupport(TVrFileManager& files, TParamCollection& vars, TSysFuncMan& funcs, TPictureCache& pictures);
    ~TTextSupport();
    TTextSupport(const TTextSupport&) = delete;
    TTextSupport& operator=(const TTextSupport&) = delete;

    // Hands the services to the world's text objects.
    void Attach(TRuvoBaseList& world);

private:
    std::unique_ptr<TSystemFontCatalog> catalog_;
    std::unique_ptr<TFontPixelManager> fonts_;
    std::unique_ptr<TCachedInlinePictures> pictures_;
    std::unique_ptr<TTextServices> services_;
    std::unique_ptr<TScriptTextPages> scripts_;
};

} // namespace ruvo
