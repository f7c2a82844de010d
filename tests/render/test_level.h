// Builds small levels in memory, record by record, for the scene-logic and drawing tests.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "level/bsp_loader.h"

namespace kestrova_test {

using namespace Tamrik;

// Collects records, then hands them to a CBSPLoader as if it had read them from a file.
struct TestLevel {
    std::vector<BSPTexture> textures;
    std::vector<BSPPlane> planes;
    std::vector<BSPNode> nodes;
    std::vector<BSPLeaf> leafs;
    std::vector<int32_t> leaffaces;
    std::vector<int32_t> leafbrushes;
    std::vector<BSPBrush> brushes;
    std::vector<BSPBrushside> brushsides;
    std::vector<BSPFace> faces;
    std::vector<BSPModel> models;
    std::vector<BSPVertex> vertexes;
    std::vector<int32_t> meshverts;
    std::vector<BSPLightmap> lightmaps;
    int32_t visVecs = 0;
    int32_t visSize = 0;
    std::vector<uint8_t> visBytes;
    bool withVisdata = false;
    std::string entityText;

    int32_t AddTexture(int32_t contents)
    {
        BSPTexture t{};
        std::strcpy(t.name, "textures/test");
        t.contents = contents;
        textures.push_back(t);
        return static_cast<int32_t>(textures.size() - 1);
    }

    int32_t AddPlane(float nx, float ny, float nz, float dist)
    {
        planes.push_back(BSPPlane{{nx, ny, nz}, dist});
        return static_cast<int32_t>(planes.size() - 1);
    }

    // An axis-aligned box brush: six sides, outward normals.
    int32_t AddBox(const float mins[3], const float maxs[3], int32_t texture)
    {
        BSPBrush brush{static_cast<int32_t>(brushsides.size()), 6, texture};
        for (int axis = 0; axis < 3; ++axis) {
            float n[3] = {0, 0, 0};
            n[axis] = 1;
            brushsides.push_back(BSPBrushside{AddPlane(n[0], n[1], n[2], maxs[axis]), texture});
            n[axis] = -1;
            brushsides.push_back(BSPBrushside{AddPlane(n[0], n[1], n[2], -mins[axis]), texture});
        }
        brushes.push_back(brush);
        return static_cast<int32_t>(brushes.size() - 1);
    }

    int32_t AddFace()
    {
        BSPFace f{};
        f.type = 1;
        f.lm_index = -1;
        faces.push_back(f);
        return static_cast<int32_t>(faces.size() - 1);
    }

    int32_t AddLeaf(int32_t cluster, const int32_t mins[3], const int32_t maxs[3], std::vector<int32_t> faceList,
                    std::vector<int32_t> brushList)
    {
        BSPLeaf leaf{};
        leaf.cluster = cluster;
        for (int i = 0; i < 3; ++i) {
            leaf.mins[i] = mins[i];
            leaf.maxs[i] = maxs[i];
        }
        leaf.leafface = static_cast<int32_t>(leaffaces.size());
        leaf.n_leaffaces = static_cast<int32_t>(faceList.size());
        leaffaces.insert(leaffaces.end(), faceList.begin(), faceList.end());
        leaf.leafbrush = static_cast<int32_t>(leafbrushes.size());
        leaf.n_leafbrushes = static_cast<int32_t>(brushList.size());
        leafbrushes.insert(leafbrushes.end(), brushList.begin(), brushList.end());
        leafs.push_back(leaf);
        return static_cast<int32_t>(leafs.size() - 1);
    }

    // children: >= 0 a node, < 0 the leaf -(child + 1).
    int32_t AddNode(int32_t plane, int32_t front, int32_t back)
    {
        BSPNode node{};
        node.plane = plane;
        node.children[0] = front;
        node.children[1] = back;
        nodes.push_back(node);
        return static_cast<int32_t>(nodes.size() - 1);
    }

    template <class T>
    static T* Copy(const std::vector<T>& records, BSPDirEntry& entry, int32_t size)
    {
        entry.length = static_cast<int32_t>(records.size()) * size;
        if (records.empty())
            return nullptr;
        T* array = new T[records.size()];
        std::copy(records.begin(), records.end(), array);
        return array;
    }

    void LoadInto(CBSPLoader& level) const
    {
        level.Unload();
        BSPDirEntry* dir = level.header.direntries;
        level.textures = Copy(textures, dir[LUMP_TEXTURE], 72);
        level.planes = Copy(planes, dir[LUMP_PLANE], 16);
        level.nodes = Copy(nodes, dir[LUMP_NODE], 36);
        level.leafs = Copy(leafs, dir[LUMP_LEAF], 48);
        level.leaffaces = Copy(leaffaces, dir[LUMP_LEAFFACE], 4);
        level.leafbrushes = Copy(leafbrushes, dir[LUMP_LEAFBRUSH], 4);
        level.models = Copy(models, dir[LUMP_MODEL], 40);
        level.brushes = Copy(brushes, dir[LUMP_BRUSH], 12);
        level.brushsides = Copy(brushsides, dir[LUMP_BRUSHSIDE], 8);
        level.faces = Copy(faces, dir[LUMP_FACE], 104);
        level.vertexes = Copy(vertexes, dir[LUMP_VERTEX], 44);
        level.meshverts = Copy(meshverts, dir[LUMP_MESHVERT], 4);
        level.lightmaps = Copy(lightmaps, dir[LUMP_LIGHTMAP], 49152);
        if (!entityText.empty()) {
            level.entity = new BSPEntity[1];
            level.entity[0].ents = new char[entityText.size() + 1];
            std::memcpy(level.entity[0].ents, entityText.c_str(), entityText.size() + 1);
            dir[LUMP_ENTITY].length = static_cast<int32_t>(entityText.size() + 1);
        }
        if (withVisdata) {
            level.visdata = new BSPVisdata;
            level.visdata->n_vecs = visVecs;
            level.visdata->sz_vecs = visSize;
            level.visdata->vecs = new uint8_t[visBytes.size() + 1]();
            std::copy(visBytes.begin(), visBytes.end(), level.visdata->vecs);
            dir[LUMP_VISDATA].length = static_cast<int32_t>(visBytes.size() + 8);
        }
    }
};

} // namespace kestrova_test
