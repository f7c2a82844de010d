// The level file: its 17 lumps as plain record arrays (CBSPLoader), and the optional text dump.
// Where the operations live (level/):
//   bsp_loader.cpp  Load, Unload, the field readers, the dump and the entity text
//   bsp_lumps.cpp   the 17 lump readers, Read...Lump
//   bsp_checks.cpp  the load-time checks of indexes between lumps and of the node tree
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace Tamrik {

class CSystem;
struct Texture;

enum BSPLump {
    LUMP_ENTITY = 0,
    LUMP_TEXTURE,
    LUMP_PLANE,
    LUMP_NODE,
    LUMP_LEAF,
    LUMP_LEAFFACE,
    LUMP_LEAFBRUSH,
    LUMP_MODEL,
    LUMP_BRUSH,
    LUMP_BRUSHSIDE,
    LUMP_VERTEX,
    LUMP_MESHVERT,
    LUMP_EFFECT,
    LUMP_FACE,
    LUMP_LIGHTMAP,
    LUMP_LIGHTVOL,
    LUMP_VISDATA,
    LUMP_COUNT
};

struct BSPDirEntry {
    int32_t offset;
    int32_t length;
};

struct BSPHeader {
    char magic[4];
    int32_t version;
    BSPDirEntry direntries[LUMP_COUNT];
};

// The entity text, NUL-terminated (one extra NUL is held beyond the lump's bytes).
struct BSPEntity {
    char* ents;
};

struct BSPTexture {
    // One byte beyond the file's 64 so a name that fills them all stays terminated.
    char name[65];
    int32_t flags;
    int32_t contents;
    Texture* texture; // the decoded picture, owned by the back-end once loading step 1 made it
};

struct BSPPlane {
    float normal[3];
    float dist;
};

struct BSPNode {
    int32_t plane;
    int32_t children[2]; // >= 0 a node, < 0 the leaf -(child + 1)
    int32_t mins[3];
    int32_t maxs[3];
};

struct BSPLeaf {
    int32_t cluster;
    int32_t area;
    int32_t mins[3];
    int32_t maxs[3];
    int32_t leafface;
    int32_t n_leaffaces;
    int32_t leafbrush;
    int32_t n_leafbrushes;
};

struct BSPModel {
    float mins[3];
    float maxs[3];
    int32_t face;
    int32_t n_faces;
    int32_t brush;
    int32_t n_brushes;
};

struct BSPBrush {
    int32_t brushside;
    int32_t n_brushsides;
    int32_t texture;
};

struct BSPBrushside {
    int32_t plane;
    int32_t texture;
};

struct BSPVertex {
    float position[3];
    float texcoord[2][2]; // [0] surface, [1] lightmap
    float normal[3];
    uint8_t color[4];
};

struct BSPEffect {
    char name[65]; // see BSPTexture::name
    int32_t brush;
    int32_t unknown;
};

struct BSPFace {
    int32_t texture;
    int32_t effect;
    int32_t type; // 1 polygon, 2 patch, 3 mesh, 4 billboard
    int32_t vertex;
    int32_t n_vertexes;
    int32_t meshvert;
    int32_t n_meshverts;
    int32_t lm_index;
    int32_t lm_start[2];
    int32_t lm_size[2];
    float lm_origin[3];
    float lm_vecs[2][3];
    float normal[3];
    int32_t size[2];
    uint32_t buffers[8]; // the renderer's vertex-buffer handles, zero after reading
};

struct BSPLightmap {
    uint8_t map[128][128][3];
    uint64_t handle; // device texture handle, zero after reading
};

struct BSPLightvol {
    uint8_t ambient[3];
    uint8_t directional[3];
    uint8_t dir[2];
};

struct BSPVisdata {
    int32_t n_vecs;
    int32_t sz_vecs;
    uint8_t* vecs; // all the lump's bytes after the first 8
};

class CBSPLoader {
public:
    explicit CBSPLoader(CSystem* system);
    ~CBSPLoader();
    CBSPLoader(const CBSPLoader&) = delete;
    CBSPLoader& operator=(const CBSPLoader&) = delete;

    // levelFile must be open ("rb") and dump set; closes the level file (and the dump) before
    // it returns. False only when the dump file cannot be created.
    bool Load(const char* path);
    void Unload();

    // Records of a lump as every user computes them: directory length / record size (0 when
    // the length is negative). Entity and Visdata give their byte length.
    int32_t RecordCount(int lump) const;
    // The entity text up to its first NUL; "" when the level has none.
    const char* EntityText() const;

    // The dump's file name for a level path: the path cut at its first '.', plus ".txt".
    static std::string DumpFileName(const char* path);

    int32_t recordSizes[LUMP_COUNT];
    FILE* levelFile;
    FILE* dumpFile;
    bool dump;
    BSPHeader header;

    BSPEntity* entity;
    BSPTexture* textures;
    BSPPlane* planes;
    BSPNode* nodes;
    BSPLeaf* leafs;
    int32_t* leaffaces;
    int32_t* leafbrushes;
    BSPModel* models;
    BSPBrush* brushes;
    BSPBrushside* brushsides;
    BSPVertex* vertexes;
    int32_t* meshverts;
    BSPEffect* effects;
    BSPFace* faces;
    BSPLightmap* lightmaps;
    BSPLightvol* lightvols;
    BSPVisdata* visdata;

    void ReadEntityLump(int32_t length);
    void ReadTextureLump(int32_t count);
    void ReadPlaneLump(int32_t count);
    void ReadNodeLump(int32_t count);
    void ReadLeafLump(int32_t count);
    void ReadLeaffaceLump(int32_t count);
    void ReadLeafbrushLump(int32_t count);
    void ReadModelLump(int32_t count);
    void ReadBrushLump(int32_t count);
    void ReadBrushsideLump(int32_t count);
    void ReadVertexLump(int32_t count);
    void ReadMeshvertLump(int32_t count);
    void ReadEffectLump(int32_t count);
    void ReadFaceLump(int32_t count);
    void ReadLightmapLump(int32_t count);
    void ReadLightvolLump(int32_t count);
    void ReadVisdataLump(int32_t length);

private:
    // Reads n bytes of the level file; whatever the file does not hold reads as zeros.
    void ReadBytes(void* out, size_t n);
    int32_t ReadInt();
    float ReadFloat();
    void Dump(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int64_t fileSize = 0;
    int64_t readPosition = 0;
};

} // namespace Tamrik
