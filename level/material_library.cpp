// The material library ("Materials.ini" as read, and the colours taken from it) and loading
// step 1, which reads it and decodes the level textures.
#include "level/material_library.h"

#include <cstdio>

#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "image/image.h"

namespace Tamrik {

CMaterialLibrary::CMaterialLibrary() = default;

CMaterialLibrary::~CMaterialLibrary()
{
    materials.clear();
    document.clear();
}

void CMaterialLibrary::Parse()
{
    static const char* const KEYS[4] = {"ambient", "diffuse", "specular", "emission"};
    for (auto& [name, section] : document) {
        for (int k = 0; k < 4; ++k) {
            const std::string& value = section[KEYS[k]];
            Material& material = materials[name];
            float* colour = k == 0   ? material.ambient
                            : k == 1 ? material.diffuse
                            : k == 2 ? material.specular
                                     : material.emission;
            std::sscanf(value.c_str(), "%f %f %f %f", &colour[0], &colour[1], &colour[2],
                        &colour[3]);
        }
    }
}

void ReadTextures(CBSPLoader& level, CMaterialLibrary& materials)
{
    ParseIniFile(materials.document, "Materials.ini");
    materials.Parse();
    const int32_t count = level.RecordCount(LUMP_TEXTURE);
    for (int32_t i = 0; i < count; ++i) {
        Texture* texture = new Texture;
        level.textures[i].texture = texture;
        char tgaName[72];
        char jpgName[72];
        std::snprintf(tgaName, sizeof(tgaName), "%s.tga", level.textures[i].name);
        std::snprintf(jpgName, sizeof(jpgName), "%s.jpg", level.textures[i].name);
        if (!LoadTGA(texture, tgaName))
            LoadJPEG(texture, jpgName);
    }
}

} // namespace Tamrik
