// Materials: the colours of "Materials.ini", one material per section.
#pragma once
#include <map>
#include <string>

#include "core/ini_file.h"

namespace Tamrik {

struct Material {
    float ambient[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float diffuse[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

class CMaterialLibrary {
public:
    CMaterialLibrary();
    ~CMaterialLibrary();
    CMaterialLibrary(const CMaterialLibrary&) = delete;
    CMaterialLibrary& operator=(const CMaterialLibrary&) = delete;

    // Fills materials from document (sections in name order, keys ambient, diffuse, specular,
    // emission, each "%f %f %f %f").
    void Parse();

    IniMap document;
    std::map<std::string, Material> materials;
};

} // namespace Tamrik
