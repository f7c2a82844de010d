// Turns a level description into the records of a level file: brushes, faces, BSP tree,
// clusters and visibility (lightmaps are baked separately, see lightmaps.h).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "level/bsp_loader.h"
#include "level_description.h"

namespace levelgen {

struct BuiltLevel {
    std::string entities;
    std::vector<Tamrik::BSPTexture> textures;
    std::vector<Tamrik::BSPPlane> planes;
    std::vector<Tamrik::BSPNode> nodes;
    std::vector<Tamrik::BSPLeaf> leafs;
    std::vector<int32_t> leaffaces;
    std::vector<int32_t> leafbrushes;
    std::vector<Tamrik::BSPModel> models;
    std::vector<Tamrik::BSPBrush> brushes;
    std::vector<Tamrik::BSPBrushside> brushsides;
    std::vector<Tamrik::BSPVertex> vertexes;
    std::vector<int32_t> meshverts;
    std::vector<Tamrik::BSPFace> faces;
    std::vector<std::vector<uint8_t>> lightmaps; // 128 x 128 x 3 bytes each
    int32_t n_vecs = 0;
    int32_t sz_vecs = 0;
    std::vector<uint8_t> vecs;

    // Builder facts the lightmap baker needs: each face's room, and the solid boxes.
    std::vector<int> faceCluster;
    std::vector<Box> solids;
};

BuiltLevel BuildLevel(const LevelDescription& description);

} // namespace levelgen
