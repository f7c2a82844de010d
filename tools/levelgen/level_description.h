// What a generated level is made of: rooms (axis-aligned boxes), doorways between rooms that
// share a wall, lights and switches. The builder turns this into BSP records.
#pragma once
#include <string>
#include <vector>

namespace levelgen {

struct Box {
    int mins[3];
    int maxs[3];
};

struct Room {
    Box interior;
    int wallTexture;  // index into LevelDescription::textures
    int floorTexture;
    int ceilingTexture;
};

// An opening through the wall between two rooms; box spans the wall's thickness.
struct Doorway {
    int roomA; // the doorway's floor belongs to this room's cluster
    int roomB;
    Box box;
};

struct LightSource {
    float origin[3];
    float colour[3];
    float radius;   // reach of the light when baking lightmaps
    int id;
    bool on;
};

// A small switch plate on a wall, toggling the light with the given id.
struct Switch {
    Box box;
    int targetLight;
};

struct TextureSpec {
    std::string name;     // as the level names it, without extension
    int contents;         // 1 = solid
};

struct LevelDescription {
    std::vector<TextureSpec> textures;
    std::vector<Room> rooms;
    std::vector<Doorway> doorways;
    std::vector<LightSource> lights;
    std::vector<Switch> switches;
    int switchTexture = 0;
    int wallThickness = 16;
    int start[3] = {0, 0, 0};
    float luxelSize = 16.0f;  // level units per lightmap texel
    float ambient = 0.24f;    // lightmap floor brightness
    bool shadows = true;      // test each luxel's light for occluding brushes
    int visSamples = 5;       // sample points per room axis for the visibility rays
    float visRange = 0.0f;    // rooms whose centres lie farther apart never see each other; 0 = no limit
};

// The viewer's demo: a few rooms of different sizes joined by doorways, lights and switches.
LevelDescription DemoLevel();
// Two rooms and one doorway, two lights and two switches: the tests' fixture.
LevelDescription TwoRoomsLevel();
// A grid of cols x rows rooms, each joined to its right and upper neighbour, one light per room.
LevelDescription GridLevel(int cols, int rows);

} // namespace levelgen
