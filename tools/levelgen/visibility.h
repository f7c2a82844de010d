// Cluster visibility of a generated level: one cluster per room, a row of bits per cluster.
#pragma once
#include "bsp_builder.h"
#include "level_description.h"

namespace levelgen {

// Fills n_vecs, sz_vecs and vecs of the level; (x0, y0)-(x1, y1) bounds the level from above.
void BuildVisibility(const LevelDescription& d, int x0, int y0, int x1, int y1, BuiltLevel& out);

} // namespace levelgen
