// The material library: "Materials.ini" as read, and the colours taken from it.
#include "level/material_library.h"

#include <cstdio>

namespace Tamrik {

CMaterialLibrary::CMaterialLibrary() = default;

CMaterialLibrary::~CMaterialLibrary()
{
    materials.clear();
    document.clear();
}

void CMaterialLibrary::Parse()
{
    static const char* const kKeys[4] = {"ambient", "diffuse", "specular", "emission"};
    for (auto& [name, section] : document) {
        for (int k = 0; k < 4; ++k) {
            const std::string& value = section[kKeys[k]];
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

} // namespace Tamrik
