// Bakes the 128 x 128 lightmap pages from the level's lights (diffuse, distance falloff and,
// when the description asks, shadows cast by the brushes).
#pragma once
#include "bsp_builder.h"
#include "level_description.h"

namespace levelgen {

// Places every face's luxel block on a page, sets its lm_index and lm_start and its vertexes'
// lightmap coordinates, and allocates the (black) pages.
void PackLightmaps(BuiltLevel& level);

void BakeLightmaps(const LevelDescription& description, BuiltLevel& level);

} // namespace levelgen
