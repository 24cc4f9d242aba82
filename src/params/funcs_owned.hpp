#pragma once
// The system functions whose handlers reach objects the runtime owns: the file functions (FileExists,
// LoadTextFile) over the game's files, and the DB functions (numbers 87 to 124) over the data tables.
// The runtime registers them when those objects exist and unregisters them before they go.
#include <functional>
#include <string_view>

namespace ruvo {

class TDBManager;
class TSysFuncMan;
class TVrFileManager;

// How a function reaches the game's files: the files, and whether one can be used now (which may ask
// for the disc it lies on).
struct TFileAccess {
    TVrFileManager& files;
    std::function<bool(std::string_view)> available;
};

void RegisterFileFunctions(TSysFuncMan& funcs, TFileAccess files);
void UnregisterFileFunctions(TSysFuncMan& funcs);

// The DB functions report every failure through their result (false, -1, 0, 0.0, "" or the given
// default): no error leaves them.
void RegisterTableFunctions(TSysFuncMan& funcs, TDBManager& tables, TFileAccess files);
void UnregisterTableFunctions(TSysFuncMan& funcs);

} // namespace ruvo
