// levelgen: writes the demo level with its textures and "Materials.ini" into the runtime
// directory, and the test fixture and the benchmark grid into a second directory.
//   levelgen <run dir> <levels dir>
#include <cstdio>
#include <string>

#include "bsp_builder.h"
#include "bsp_writer.h"
#include "level_description.h"
#include "lightmaps.h"
#include "textures.h"

namespace {

bool Generate(const levelgen::LevelDescription& description, const std::string& path)
{
    levelgen::BuiltLevel level = levelgen::BuildLevel(description);
    levelgen::BakeLightmaps(description, level);
    if (!levelgen::WriteLevel(level, path)) {
        std::fprintf(stderr, "levelgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: levelgen <run dir> <levels dir>\n");
        return 2;
    }
    const std::string run = argv[1], levels = argv[2];
    const levelgen::LevelDescription demo = levelgen::DemoLevel();
    bool ok = Generate(demo, run + "/maps/demo.bsp") && levelgen::WriteTextures(demo, run) &&
              levelgen::WriteMaterials(demo, run) &&
              Generate(levelgen::TwoRoomsLevel(), levels + "/two_rooms.bsp") &&
              Generate(levelgen::GridLevel(20, 20), levels + "/grid.bsp");
    if (!ok)
        std::fprintf(stderr, "levelgen: failed\n");
    return ok ? 0 : 1;
}
