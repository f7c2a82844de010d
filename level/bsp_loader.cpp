// Reading the level file lump by lump, field by field, and writing its text dump.
#include "level/bsp_loader.h"

#include <cstdarg>
#include <cstring>

namespace Tamrik {

namespace {

const int32_t RECORD_SIZES[LUMP_COUNT] = {0, 72, 16, 36, 48, 4, 4, 40, 12, 8, 44, 4, 72, 104, 49152, 8, 0};

const char* const LUMP_NAMES[LUMP_COUNT] = {
    "Entity", "Texture", "Plane", "Node", "Leaf", "Leafface", "Leafbrush", "Model", "Brush",
    "Brushside", "Vertex", "Meshvert", "Effect", "Face", "Lightmap", "Lightvol", "Visdata"};

} // namespace

CBSPLoader::CBSPLoader(CSystem*)
    : levelFile(nullptr), dumpFile(nullptr), dump(false), entity(nullptr), textures(nullptr),
      planes(nullptr), nodes(nullptr), leafs(nullptr), leaffaces(nullptr), leafbrushes(nullptr),
      models(nullptr), brushes(nullptr), brushsides(nullptr), vertexes(nullptr),
      meshverts(nullptr), effects(nullptr), faces(nullptr), lightmaps(nullptr),
      lightvols(nullptr), visdata(nullptr)
{
    std::memcpy(recordSizes, RECORD_SIZES, sizeof(recordSizes));
    std::memset(&header, 0, sizeof(header));
}

CBSPLoader::~CBSPLoader()
{
    Unload();
}

std::string CBSPLoader::DumpFileName(const char* path)
{
    std::string name(path);
    size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name + ".txt";
}

int32_t CBSPLoader::RecordCount(int lump) const
{
    if (lump < 0 || lump >= LUMP_COUNT)
        return 0;
    int32_t length = header.direntries[lump].length;
    if (length <= 0)
        return 0;
    return recordSizes[lump] ? length / recordSizes[lump] : length;
}

const char* CBSPLoader::EntityText() const
{
    return entity && entity[0].ents ? entity[0].ents : "";
}

void CBSPLoader::ReadBytes(void* out, size_t n)
{
    size_t got = 0;
    if (readPosition >= 0 && readPosition < fileSize) {
        size_t available = static_cast<size_t>(fileSize - readPosition);
        got = std::fread(out, 1, n < available ? n : available, levelFile);
    }
    if (got < n)
        std::memset(static_cast<uint8_t*>(out) + got, 0, n - got);
    readPosition += static_cast<int64_t>(n);
}

int32_t CBSPLoader::ReadInt()
{
    uint8_t b[4];
    ReadBytes(b, 4);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
}

float CBSPLoader::ReadFloat()
{
    uint32_t bits = static_cast<uint32_t>(ReadInt());
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

void CBSPLoader::Dump(const char* format, ...)
{
    if (!dump || !dumpFile)
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    char small[512];
    int n = std::vsnprintf(small, sizeof(small), format, args);
    va_end(args);
    std::string text;
    if (n >= 0 && static_cast<size_t>(n) < sizeof(small)) {
        text.assign(small, static_cast<size_t>(n));
    } else if (n >= 0) {
        text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, copy);
        text.resize(static_cast<size_t>(n));
    }
    va_end(copy);
    // Written in text mode on the original platform: every LF goes out as CR LF.
    for (char c : text) {
        if (c == '\n')
            std::fputc('\r', dumpFile);
        std::fputc(c, dumpFile);
    }
}

bool CBSPLoader::Load(const char* path)
{
    if (dump) {
        dumpFile = std::fopen(DumpFileName(path).c_str(), "wb");
        if (!dumpFile) {
            if (levelFile)
                std::fclose(levelFile);
            levelFile = nullptr;
            return false;
        }
    }

    // Sizes come from the file itself, so no lump can ask for more memory than the file holds.
    fileSize = 0;
    if (levelFile && std::fseek(levelFile, 0, SEEK_END) == 0) {
        long end = std::ftell(levelFile);
        fileSize = end > 0 ? end : 0;
        std::fseek(levelFile, 0, SEEK_SET);
    }
    readPosition = 0;

    ReadBytes(header.magic, 4);
    header.version = ReadInt();
    Dump("Header:\n\tmagic = %c%c%c%c\n\tversion = 0x%X\n\n", header.magic[0], header.magic[1],
         header.magic[2], header.magic[3], static_cast<unsigned>(header.version));
    for (int i = 0; i < LUMP_COUNT; ++i) {
        BSPDirEntry& entry = header.direntries[i];
        entry.offset = ReadInt();
        entry.length = ReadInt();
        Dump("\tdirentry[%d].offset = %d\n\tdirentry[%d].length = %d\n", i, entry.offset, i,
             entry.length);
        // A negative length counts as empty; a lump cannot be longer than the file. Records
        // that lie beyond the file's end read as zeros.
        if (entry.length < 0)
            entry.length = 0;
        if (entry.length > fileSize)
            entry.length = static_cast<int32_t>(fileSize);
    }

    for (int i = 0; i < LUMP_COUNT; ++i) {
        const BSPDirEntry& entry = header.direntries[i];
        // A lump that starts before the file reads entirely as zeros, like one past its end;
        // reading on from 0 would take whatever follows the previous lump's last read.
        readPosition = entry.offset < 0 ? fileSize : entry.offset;
        if (levelFile && entry.offset >= 0 && entry.offset < fileSize)
            std::fseek(levelFile, entry.offset, SEEK_SET);
        int32_t count = 1;
        int32_t length = entry.length;
        if (recordSizes[i] != 0) {
            length = recordSizes[i];
            count = entry.length / recordSizes[i];
        }
        Dump("\nLoading %s lump...\n", LUMP_NAMES[i]);
        Dump("\tRecordNum = %d\n\tRecordLength = %d\n\n", count, length);
        switch (i) {
        case LUMP_ENTITY: ReadEntityLump(entry.length); break;
        case LUMP_TEXTURE: ReadTextureLump(count); break;
        case LUMP_PLANE: ReadPlaneLump(count); break;
        case LUMP_NODE: ReadNodeLump(count); break;
        case LUMP_LEAF: ReadLeafLump(count); break;
        case LUMP_LEAFFACE: ReadLeaffaceLump(count); break;
        case LUMP_LEAFBRUSH: ReadLeafbrushLump(count); break;
        case LUMP_MODEL: ReadModelLump(count); break;
        case LUMP_BRUSH: ReadBrushLump(count); break;
        case LUMP_BRUSHSIDE: ReadBrushsideLump(count); break;
        case LUMP_VERTEX: ReadVertexLump(count); break;
        case LUMP_MESHVERT: ReadMeshvertLump(count); break;
        case LUMP_EFFECT: ReadEffectLump(count); break;
        case LUMP_FACE: ReadFaceLump(count); break;
        case LUMP_LIGHTMAP: ReadLightmapLump(count); break;
        case LUMP_LIGHTVOL: ReadLightvolLump(count); break;
        case LUMP_VISDATA: ReadVisdataLump(entry.length); break;
        }
    }

    if (dumpFile)
        std::fclose(dumpFile);
    dumpFile = nullptr;
    if (levelFile)
        std::fclose(levelFile);
    levelFile = nullptr;
    return true;
}

void CBSPLoader::Unload()
{
    if (entity) {
        delete[] entity[0].ents;
        delete[] entity;
    }
    if (visdata) {
        delete[] visdata->vecs;
        delete visdata;
    }
    delete[] textures;
    delete[] planes;
    delete[] nodes;
    delete[] leafs;
    delete[] leaffaces;
    delete[] leafbrushes;
    delete[] models;
    delete[] brushes;
    delete[] brushsides;
    delete[] vertexes;
    delete[] meshverts;
    delete[] effects;
    delete[] faces;
    delete[] lightmaps;
    delete[] lightvols;
    entity = nullptr;
    textures = nullptr;
    planes = nullptr;
    nodes = nullptr;
    leafs = nullptr;
    leaffaces = nullptr;
    leafbrushes = nullptr;
    models = nullptr;
    brushes = nullptr;
    brushsides = nullptr;
    vertexes = nullptr;
    meshverts = nullptr;
    effects = nullptr;
    faces = nullptr;
    lightmaps = nullptr;
    lightvols = nullptr;
    visdata = nullptr;
    std::memset(&header, 0, sizeof(header));
}

} // namespace Tamrik
