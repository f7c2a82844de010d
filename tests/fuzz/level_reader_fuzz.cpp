// Fuzz target for the level reader: load any bytes, run the load checks, and on a level that
// passes, do what the frame, the collision and the renderers do with it: walk the node tree,
// read visibility rows, index leaf, face, brush and meshvert ranges, parse and place entities.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "level/bsp_loader.h"
#include "level/entities.h"
#include "level/level_reading.h"
#include "render/visibility.h"
#include "tests/fuzz/fuzz_input_file.h"

using namespace Tamrik;

namespace {

// The checks promise a tree the frame can walk: a lost walk is a fault of the checks.
int LeafAt(const CBSPLoader& level, const float p[3])
{
    const int leaf = FindLeaf(level, p);
    if (leaf < 0)
        std::abort();
    return leaf;
}

// Splits at every node like the collision trace does: visits each node once on a tree.
int CountLeaves(const CBSPLoader& level, int node)
{
    if (node < 0)
        return 1;
    return CountLeaves(level, level.nodes[node].children[0]) + CountLeaves(level, level.nodes[node].children[1]);
}

void UseLevel(const CBSPLoader& level, const CEntitySet& entities)
{
    volatile float sink = 0;
    const float points[3][3] = {{0, 0, 0}, {100, -50, 64}, {-1e30f, 1e30f, 0}};
    int cameraCluster = -1;
    for (const auto& p : points) {
        const int leaf = LeafAt(level, p);
        cameraCluster = level.leafs[leaf].cluster;
    }
    sink = sink + static_cast<float>(CountLeaves(level, 0));
    const BSPVisdata* vis = level.visdata;
    const int leafs = level.RecordCount(LUMP_LEAF);
    for (int l = 0; l < leafs; ++l) {
        const BSPLeaf& leaf = level.leafs[l];
        if (vis && vis->vecs && cameraCluster >= 0 && vis->n_vecs > 0 && vis->sz_vecs > 0)
            sink = sink + vis->vecs[cameraCluster * vis->sz_vecs + leaf.cluster / 8];
        for (int k = 0; k < leaf.n_leaffaces; ++k) {
            const BSPFace& face = level.faces[level.leaffaces[leaf.leafface + k]];
            sink = sink + static_cast<float>(level.textures[face.texture].contents);
            for (int m = 0; m < face.n_meshverts; ++m)
                sink = sink + level.vertexes[face.vertex + level.meshverts[face.meshvert + m]].position[0];
            if (face.lm_index >= 0)
                sink = sink + level.lightmaps[face.lm_index].map[0][0][0];
        }
        for (int k = 0; k < leaf.n_leafbrushes; ++k) {
            const BSPBrush& brush = level.brushes[level.leafbrushes[leaf.leafbrush + k]];
            sink = sink + static_cast<float>(level.textures[brush.texture].contents);
            for (int s = 0; s < brush.n_brushsides; ++s)
                sink = sink + level.planes[level.brushsides[brush.brushside + s].plane].dist;
        }
    }
    for (int i = 0; i < entities.lightCount; ++i)
        sink = sink + static_cast<float>(LeafAt(level, entities.lights[i].origin));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = WriteFuzzInput(data, size, "level_reader_fuzz.bsp");
    if (path.empty())
        return 0;

    CBSPLoader level(nullptr);
    level.levelFile = std::fopen(path.c_str(), "rb");
    if (!level.levelFile || !level.Load(path.c_str()))
        return 0;
    CEntitySet any;
    ParseEntities(any, level.EntityText());
    std::string fault;
    if (!CheckLevel(level, fault))
        return 0;
    CEntitySet entities;
    ReadEntities(level, entities);
    UseLevel(level, entities);
    return 0;
}
