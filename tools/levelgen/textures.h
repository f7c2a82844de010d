// The level's pictures, drawn procedurally and written as TGA or JPEG, and "Materials.ini".
#pragma once
#include <string>

#include "level_description.h"

namespace levelgen {

// Writes every texture of the description under dir (by its name plus ".tga" or ".jpg").
bool WriteTextures(const LevelDescription& level, const std::string& dir);
// Writes dir/Materials.ini with one material per texture name.
bool WriteMaterials(const LevelDescription& level, const std::string& dir);

} // namespace levelgen
