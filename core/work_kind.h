// The kinds of span whose work is counted (one input event, or the GUI's build) and the type
// of the units that work is counted in (a plain instruction is one).
#pragma once
#include <cstdint>

namespace Tamrik {

enum class WorkKind { Event, Build };

// A price or a count of units of work.
using WorkUnits = uint64_t;

} // namespace Tamrik
