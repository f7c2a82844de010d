// The load-time checks of a level: every index one lump holds into another must stay inside it,
// and the node tree must be a tree, so walks over it end whatever the file holds.
#include <cstdint>
#include <string>
#include <vector>

#include "level/bsp_loader.h"
#include "level/level_reading.h"

namespace Tamrik {

namespace {

bool InRange(int64_t first, int64_t count, int64_t size)
{
    return first >= 0 && count >= 0 && first + count <= size;
}

bool Fail(std::string& fault, const char* what, int64_t record)
{
    fault = std::string(what) + " " + std::to_string(record);
    return false;
}

} // namespace

bool CheckLevel(const CBSPLoader& level, std::string& fault)
{
    const int64_t textures = level.RecordCount(LUMP_TEXTURE);
    const int64_t planes = level.RecordCount(LUMP_PLANE);
    const int64_t nodes = level.RecordCount(LUMP_NODE);
    const int64_t leafs = level.RecordCount(LUMP_LEAF);
    const int64_t leaffaces = level.RecordCount(LUMP_LEAFFACE);
    const int64_t leafbrushes = level.RecordCount(LUMP_LEAFBRUSH);
    const int64_t models = level.RecordCount(LUMP_MODEL);
    const int64_t brushes = level.RecordCount(LUMP_BRUSH);
    const int64_t brushsides = level.RecordCount(LUMP_BRUSHSIDE);
    const int64_t vertexes = level.RecordCount(LUMP_VERTEX);
    const int64_t meshverts = level.RecordCount(LUMP_MESHVERT);
    const int64_t faces = level.RecordCount(LUMP_FACE);
    const int64_t lightmaps = level.RecordCount(LUMP_LIGHTMAP);

    // The frame and the trace start at node 0 and end in a leaf.
    if (nodes < 1 || leafs < 1) {
        fault = "no BSP tree";
        return false;
    }
    // Children come after their parent and each node has one parent: every walk from node 0
    // moves to higher indices and visits a node at most once.
    std::vector<bool> hasParent(static_cast<size_t>(nodes), false);
    for (int64_t i = 0; i < nodes; ++i) {
        const BSPNode& node = level.nodes[i];
        if (!InRange(node.plane, 1, planes))
            return Fail(fault, "bad plane in node", i);
        for (int32_t child : node.children) {
            if (child >= 0) {
                if (child <= i || child >= nodes || hasParent[static_cast<size_t>(child)])
                    return Fail(fault, "bad child in node", i);
                hasParent[static_cast<size_t>(child)] = true;
            } else if (-(int64_t(child) + 1) >= leafs) {
                return Fail(fault, "bad leaf in node", i);
            }
        }
    }

    const BSPVisdata* vis = level.visdata;
    const int64_t visBytes = vis ? level.header.direntries[LUMP_VISDATA].length - 8 : 0;
    if (vis && (vis->n_vecs < 0 || vis->sz_vecs < 0 ||
                int64_t(vis->n_vecs) * vis->sz_vecs > visBytes)) {
        fault = "bad visibility size";
        return false;
    }
    for (int64_t i = 0; i < leafs; ++i) {
        const BSPLeaf& leaf = level.leafs[i];
        if (!InRange(leaf.leafface, leaf.n_leaffaces, leaffaces))
            return Fail(fault, "bad face range in leaf", i);
        if (!InRange(leaf.leafbrush, leaf.n_leafbrushes, leafbrushes))
            return Fail(fault, "bad brush range in leaf", i);
        // A cluster picks a row of the visibility bytes (as the camera's) and a bit in a row;
        // -1 is outside every cluster and reads bit 7 of the row's first byte.
        if (vis && vis->n_vecs > 0 && vis->sz_vecs > 0 &&
            (leaf.cluster < -1 || leaf.cluster >= vis->n_vecs ||
             int64_t(leaf.cluster) >= int64_t(vis->sz_vecs) * 8))
            return Fail(fault, "bad cluster in leaf", i);
    }
    for (int64_t i = 0; i < leaffaces; ++i)
        if (!InRange(level.leaffaces[i], 1, faces))
            return Fail(fault, "bad leafface", i);
    for (int64_t i = 0; i < leafbrushes; ++i)
        if (!InRange(level.leafbrushes[i], 1, brushes))
            return Fail(fault, "bad leafbrush", i);
    for (int64_t i = 0; i < models; ++i) {
        const BSPModel& model = level.models[i];
        if (!InRange(model.face, model.n_faces, faces) ||
            !InRange(model.brush, model.n_brushes, brushes))
            return Fail(fault, "bad range in model", i);
    }
    for (int64_t i = 0; i < brushes; ++i) {
        const BSPBrush& brush = level.brushes[i];
        if (!InRange(brush.brushside, brush.n_brushsides, brushsides) ||
            !InRange(brush.texture, 1, textures))
            return Fail(fault, "bad brush", i);
    }
    for (int64_t i = 0; i < brushsides; ++i) {
        const BSPBrushside& side = level.brushsides[i];
        if (!InRange(side.plane, 1, planes) || !InRange(side.texture, 1, textures))
            return Fail(fault, "bad brushside", i);
    }
    for (int64_t i = 0; i < faces; ++i) {
        const BSPFace& face = level.faces[i];
        if (!InRange(face.texture, 1, textures) ||
            !InRange(face.vertex, face.n_vertexes, vertexes) ||
            !InRange(face.meshvert, face.n_meshverts, meshverts) || face.lm_index >= lightmaps)
            return Fail(fault, "bad face", i);
        for (int32_t k = 0; k < face.n_meshverts; ++k)
            if (!InRange(level.meshverts[face.meshvert + k], 1, face.n_vertexes))
                return Fail(fault, "bad meshvert in face", i);
    }
    return true;
}

bool FaceMeshvertsFit(const CBSPLoader& level, const BSPFace& face)
{
    const int64_t meshverts = level.RecordCount(LUMP_MESHVERT);
    const int64_t vertexes = level.RecordCount(LUMP_VERTEX);
    if (face.n_meshverts <= 0 || !InRange(face.meshvert, face.n_meshverts, meshverts) || !level.meshverts ||
        !level.vertexes)
        return false;
    for (int32_t k = 0; k < face.n_meshverts; ++k)
        if (!InRange(int64_t(face.vertex) + level.meshverts[face.meshvert + k], 1, vertexes))
            return false;
    return true;
}

} // namespace Tamrik
