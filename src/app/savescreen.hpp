#pragma once
// The SaveScreen system function: the picture of a screen written as a layered image, into the game's
// folder or as a memory file ("mem:NAME"), and the name dropped from the picture cache and the file
// cache so that the next show reads the new picture. A file in the folder may be deleted when the run
// ends (mode 1) or listed in the installation record's created files (mode 2).
namespace ruvo {

class TDeletionList;
class TPictureCache;
class TRuvoBaseList;
class TSysFuncMan;
class TVrFileManager;

// Registers SaveScreen with the function manager; unregister it (TSysFuncMan::Unregister) before any
// of the objects goes. atEnd: the files deleted when the run ends.
void RegisterSaveScreen(TSysFuncMan& funcs, TRuvoBaseList& world, TVrFileManager& files, TPictureCache& pictures,
                        TDeletionList& atEnd);

} // namespace ruvo
