// The device's level-loading work (loading steps 0, 1 and 3) on the objects it owns; the device
// wraps each in its own method and advances its loading step itself.
#pragma once
#include <string>

#include "core/ini_file.h"

namespace Tamrik {

class CBSPLoader;
class CEntitySet;
class CLog;
class CMaterialLibrary;

// Step 0: opens [Game] Map and loads it, dumping when [Game] DebugDump is "true". A level whose
// lumps refer outside each other is refused with one log line and unloaded, so it behaves like
// a missing file: every lump empty. log may be null.
bool ReadBSPFile(CBSPLoader& level, IniMap& settings, CLog* log);

// Step 1: reads "Materials.ini" into the library and decodes every level texture (name + ".tga",
// else name + ".jpg") into a new Texture hung on its record.
void ReadTextures(CBSPLoader& level, CMaterialLibrary& materials);

// Step 3: parses the entity text into the set and places every switch at its model's box centre.
void ReadEntities(const CBSPLoader& level, CEntitySet& entities);

// Checks every reference between the lumps (see bsp_checks.cpp); on a fault, false and a short
// description in fault.
bool CheckLevel(const CBSPLoader& level, std::string& fault);

struct BSPFace;
// Every vertex the face's meshverts name lies inside the Vertex lump, and there is at least one:
// what a back-end needs before it builds the face's vertices, also for levels made in memory.
bool FaceMeshvertsFit(const CBSPLoader& level, const BSPFace& face);

} // namespace Tamrik
