#pragma once
// The SaveScreen system function: the picture of a screen written as a layered image, into the game's
// folder or as a memory file ("mem:NAME"), and the name dropped from the picture cache and the file
// cache so that the next show reads the new picture.
namespace ruvo {

class TPictureCache;
class TRuvoBaseList;
class TSysFuncMan;
class TVrFileManager;

// Registers SaveScreen with the function manager; unregister it (TSysFuncMan::Unregister) before any
// of the objects goes.
void RegisterSaveScreen(TSysFuncMan& funcs, TRuvoBaseList& world, TVrFileManager& files, TPictureCache& pictures);

} // namespace ruvo
