// Loading step 0 of the device: the level file named by the settings, checked before it is kept.
// (Step 1 lives with the materials, step 3 with the entities.)
#include "level/level_reading.h"

#include <cstdio>

#include "core/log.h"
#include "level/bsp_loader.h"

namespace Tamrik {

bool ReadBSPFile(CBSPLoader& level, IniMap& settings, CLog* log)
{
    const std::string path = settings["Game"]["Map"];
    level.dump = settings["Game"]["DebugDump"] == "true";
    level.levelFile = std::fopen(path.c_str(), "rb");
    if (!level.levelFile)
        return false;
    if (!level.Load(path.c_str()))
        return false;
    // The frame, the collision and the back-ends index the arrays with the file's numbers, so a
    // level whose references do not hold is not kept at all.
    std::string fault;
    if (!CheckLevel(level, fault)) {
        if (log) {
            std::string line = "render_thread: Refused level file " + path + ": " + fault + "\n";
            log->Write(line.c_str());
        }
        level.Unload();
        return false;
    }
    return true;
}

} // namespace Tamrik
