// The device's level-loading work: the level file (step 0), textures and materials (step 1),
// entities (step 3).
#include "level/level_reading.h"

#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "level/bsp_loader.h"
#include "level/entities.h"
#include "level/material_library.h"
#include "render/image.h"

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

void ReadEntities(const CBSPLoader& level, CEntitySet& entities)
{
    const char* text = level.EntityText();
    if (*text)
        ParseEntities(entities, text);
    const int32_t models = level.RecordCount(LUMP_MODEL);
    for (int32_t i = 0; i < entities.buttonCount; ++i) {
        FuncButton& button = entities.buttons[i];
        // A switch naming no model of the level stays where the template put it, at (0, 0, 0).
        if (button.model < 0 || button.model >= models)
            continue;
        const BSPModel& model = level.models[button.model];
        for (int k = 0; k < 3; ++k)
            button.centre[k] = (model.mins[k] + model.maxs[k]) * 0.5f;
    }
}

} // namespace Tamrik
