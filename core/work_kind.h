// The two kinds of span whose work is counted: one input event, or the GUI's build.
#pragma once

namespace Tamrik {

enum class WorkKind { Event, Build };

} // namespace Tamrik
