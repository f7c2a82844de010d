// The levels this project ships and tests with, described as rooms, doorways, lights, switches.
#include "level_description.h"

namespace levelgen {

namespace {

enum DemoTexture { PLASTER, BRICK, STONE, WOOD, CEILING, SWITCH_PLATE, CONCRETE };

std::vector<TextureSpec> Textures()
{
    return {
        {"textures/kestrova/plaster_wall", 1},   {"textures/kestrova/brick_wall", 1},
        {"textures/kestrova/stone_floor", 1},    {"textures/kestrova/wood_floor", 1},
        {"textures/kestrova/ceiling_panels", 1}, {"textures/kestrova/switch_plate", 1},
        {"textures/kestrova/concrete", 1},
    };
}

Box MakeBox(int x0, int y0, int z0, int x1, int y1, int z1)
{
    return Box{{x0, y0, z0}, {x1, y1, z1}};
}

} // namespace

LevelDescription DemoLevel()
{
    LevelDescription d;
    d.textures = Textures();
    d.switchTexture = SWITCH_PLATE;
    d.rooms = {
        {MakeBox(0, 0, 0, 512, 384, 224), PLASTER, STONE, CEILING},        // 0 hall
        {MakeBox(528, 0, 0, 912, 384, 192), BRICK, WOOD, CEILING},        // 1 east room
        {MakeBox(0, 400, 0, 512, 784, 256), BRICK, CONCRETE, CEILING},    // 2 north gallery
        {MakeBox(528, 400, 0, 848, 720, 192), PLASTER, WOOD, CEILING},    // 3 north-east study
        {MakeBox(-336, 96, 0, -16, 288, 160), PLASTER, CONCRETE, CEILING}, // 4 west corridor
        {MakeBox(-656, 0, 0, -352, 384, 224), BRICK, STONE, CEILING},     // 5 far west room
    };
    d.doorways = {
        {0, 1, MakeBox(512, 144, 0, 528, 240, 128)},
        {0, 2, MakeBox(208, 384, 0, 304, 400, 136)},
        {2, 3, MakeBox(512, 520, 0, 528, 616, 128)},
        {1, 3, MakeBox(640, 384, 0, 736, 400, 128)},
        {0, 4, MakeBox(-16, 144, 0, 0, 240, 128)},
        {4, 5, MakeBox(-352, 144, 0, -336, 240, 128)},
    };
    d.lights = {
        {{131.0f, 101.0f, 190.0f}, {1.0f, 0.86f, 0.68f}, 560.0f, 1, true},
        {{381.0f, 283.0f, 190.0f}, {1.0f, 0.80f, 0.60f}, 520.0f, 2, true},
        {{723.0f, 189.0f, 158.0f}, {0.70f, 0.82f, 1.0f}, 560.0f, 3, true},
        {{253.0f, 597.0f, 222.0f}, {0.95f, 0.95f, 0.85f}, 640.0f, 4, true},
        {{691.0f, 563.0f, 158.0f}, {0.80f, 1.0f, 0.72f}, 480.0f, 5, true},
        {{-179.0f, 189.0f, 130.0f}, {1.0f, 0.70f, 0.50f}, 400.0f, 6, true},
        {{-507.0f, 189.0f, 190.0f}, {0.85f, 0.75f, 1.0f}, 560.0f, 7, true},
    };
    // Plates on the walls beside the lights they switch.
    d.switches = {
        {MakeBox(96, 0, 56, 112, 6, 80), 1},
        {MakeBox(906, 160, 56, 912, 176, 80), 3},
        {MakeBox(240, 778, 56, 256, 784, 80), 4},
        {MakeBox(-656, 240, 56, -650, 256, 80), 7},
    };
    d.start[0] = 96;
    d.start[1] = 192;
    d.start[2] = 64;
    return d;
}

LevelDescription TwoRoomsLevel()
{
    LevelDescription d;
    d.textures = Textures();
    d.switchTexture = SWITCH_PLATE;
    d.rooms = {
        {MakeBox(0, 0, 0, 256, 256, 192), PLASTER, STONE, CEILING},
        {MakeBox(272, 0, 0, 528, 256, 192), BRICK, WOOD, CEILING},
    };
    d.doorways = {{0, 1, MakeBox(256, 80, 0, 272, 176, 128)}};
    d.lights = {
        {{101.0f, 131.0f, 150.0f}, {1.0f, 0.9f, 0.8f}, 400.0f, 1, true},
        {{403.0f, 131.0f, 150.0f}, {0.8f, 0.9f, 1.0f}, 400.0f, 2, false},
    };
    d.switches = {
        {MakeBox(32, 0, 56, 48, 6, 80), 1},
        {MakeBox(522, 32, 56, 528, 48, 80), 2},
    };
    d.start[0] = 64;
    d.start[1] = 128;
    d.start[2] = 64;
    d.visSamples = 3;
    return d;
}

LevelDescription GridLevel(int cols, int rows)
{
    const int size = 256, wall = 16, pitch = size + wall;
    LevelDescription d;
    d.textures = Textures();
    d.switchTexture = SWITCH_PLATE;
    d.luxelSize = 32.0f;
    d.shadows = false;
    d.visSamples = 3;
    d.visRange = 3.5f * pitch;
    const int walls[2] = {PLASTER, BRICK};
    const int floors[3] = {STONE, WOOD, CONCRETE};
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int x = c * pitch, y = r * pitch, index = r * cols + c;
            d.rooms.push_back({MakeBox(x, y, 0, x + size, y + size, 192), walls[index % 2],
                               floors[index % 3], CEILING});
            if (c + 1 < cols)
                d.doorways.push_back({index, index + 1, MakeBox(x + size, y + 80, 0, x + pitch, y + 176, 128)});
            if (r + 1 < rows)
                d.doorways.push_back({index, index + cols, MakeBox(x + 80, y + size, 0, x + 176, y + pitch, 128)});
            d.lights.push_back({{x + 101.0f, y + 131.0f, 150.0f}, {1.0f, 0.9f, 0.8f}, 360.0f,
                                index + 1, true});
            if (index % 8 == 0)
                d.switches.push_back({MakeBox(x + 32, y, 56, x + 48, y + 6, 80), index + 1});
        }
    }
    d.start[0] = 64;
    d.start[1] = 128;
    d.start[2] = 64;
    return d;
}

} // namespace levelgen
