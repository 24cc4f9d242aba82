#include "app/textsupport.hpp"

#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/world/world.hpp"
#include "script/scripttexts.hpp"
#include "text/cachedpictures.hpp"
#include "text/gxword.hpp"

namespace ruvo {

TTextSupport::TTextSupport(TVrFileManager& files, TParamCollection& vars, TSysFuncMan& funcs, TPictureCache& pictures)
    : catalog_(std::make_unique<TSystemFontCatalog>()),
      fonts_(std::make_unique<TFontPixelManager>(*catalog_)),
      pictures_(std::make_unique<TCachedInlinePictures>(pictures)),
      services_(std::make_unique<TTextServices>(TTextServices{*fonts_, &vars, &funcs, pictures_.get(), pictures.DisplayBitCount()})),
      scripts_(std::make_unique<TScriptTextPages>(
          [&files](const std::string& name) {
              auto stream = std::make_unique<TMemoryStream>();
              files.Load(*stream, name);
              return std::unique_ptr<TStream>(std::move(stream));
          },
          [&files](std::string_view name) { return files.Exists(name); })) {}

TTextSupport::~TTextSupport() = default;

void TTextSupport::Attach(TRuvoBaseList& world) {
    TTextObjectServices& text = world.TextObjects();
    text.SetText(services_.get());
    text.Scripts = scripts_.get();
}

} // namespace ruvo
