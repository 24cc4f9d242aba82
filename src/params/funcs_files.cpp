// FileExists and LoadTextFile: the game's files by their virtual names.
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "params/funcs_impl.hpp"
#include "params/funcs_owned.hpp"

namespace ruvo {

namespace {

// LoadTextFile (var a0, file a1): the file's lines into a0 as a string array; true with one line or more.
void LoadTextFile(const TFileAccess& access, const TFuncCall& c) {
    const std::string name = c.Str(1);
    if (name.empty() || !access.available(name)) return;
    TMemoryStream content;
    access.files.Load(content, name);
    const auto lines = funcs::SplitLines(
        std::string_view(reinterpret_cast<const char*>(content.Memory()), static_cast<size_t>(content.Size())));
    if (funcs::IsVariable(*c.args[0])) funcs::StoreStrings(const_cast<TCustomParam&>(funcs::Whole(*c.args[0])), lines);
    c.dest.SetFlag(!lines.empty());
}

} // namespace

void RegisterFileFunctions(TSysFuncMan& funcs, TFileAccess files) {
    funcs.Register(sfFileExists, [files](const TFuncCall& c) {
        const std::string name = c.Str(0);
        c.dest.SetFlag(!name.empty() && files.files.Exists(name));
    });
    funcs.Register(sfLoadTextFile, [files](const TFuncCall& c) { LoadTextFile(files, c); });
}

void UnregisterFileFunctions(TSysFuncMan& funcs) {
    funcs.Unregister(sfFileExists);
    funcs.Unregister(sfLoadTextFile);
}

} // namespace ruvo
