// Bakes the 128 x 128 lightmap pages from the level's lights (diffuse, distance falloff and,
// when the description asks, shadows cast by the brushes).
#pragma once
#include "bsp_builder.h"
#include "level_description.h"

namespace levelgen {

void BakeLightmaps(const LevelDescription& description, BuiltLevel& level);

} // namespace levelgen
