// The level's lights and light switches, read from the entity text of the level file.
#pragma once
#include <cstdint>
#include <string>

namespace Tamrik {

struct Light {
    Light();

    float ambient[4];
    float diffuse[4];
    float specular[4];
    float origin[4];
    float spotDirection[3];
    float spotExponention;
    float spotAngle;
    float constAtten;
    float linAtten;
    float quadAtten;
    int32_t state;  // 1 on, 0 off
    int32_t ID;     // the number switches name the light by
    int32_t culled; // 1 = not drawn this frame
};

struct FuncButton {
    int32_t target = -1; // ID of the light the switch toggles
    int32_t model = -1;  // BSP model whose box places the switch
    float centre[3] = {0.0f, 0.0f, 0.0f};
    float radius = 60.0f; // how near a click must be
};

class CEntitySet {
public:
    CEntitySet();
    ~CEntitySet();
    CEntitySet(const CEntitySet&) = delete;
    CEntitySet& operator=(const CEntitySet&) = delete;

    Light lightTemplate;
    FuncButton buttonTemplate;
    Light* lights;        // C heap, grown with realloc; null while empty
    FuncButton* buttons;  // C heap, grown with realloc; null while empty
    int32_t lightCount;
    int32_t buttonCount;
};

// Appends the lights and switches of the entity text to the set, each kind in text order.
void ParseEntities(CEntitySet& set, std::string text);

} // namespace Tamrik
