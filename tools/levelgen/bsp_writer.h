// Writes a built level as a level file: header, 17-entry directory, lumps, little-endian.
#pragma once
#include <string>

#include "bsp_builder.h"

namespace levelgen {

bool WriteLevel(const BuiltLevel& level, const std::string& path);

} // namespace levelgen
