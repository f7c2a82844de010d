// The camera's leaf and cluster, the cluster test on the vis bits, and the per-leaf pass that
// gathers faces and switches lights on.
#include "render/visibility.h"

#include "level/bsp_loader.h"
#include "level/entities.h"
#include "render/face_set.h"
#include "render/vector_math.h"

namespace Tamrik {

namespace {

int32_t Count(const void* array, const CBSPLoader& level, int lump)
{
    return array ? level.RecordCount(lump) : 0;
}

bool StrictlyInside(const BSPLeaf& leaf, const float origin[4])
{
    for (int i = 0; i < 3; ++i)
        if (!(static_cast<float>(leaf.mins[i]) < origin[i] && origin[i] < static_cast<float>(leaf.maxs[i])))
            return false;
    return true;
}

} // namespace

int32_t FindLeaf(const CBSPLoader& level, const float point[3])
{
    const int32_t nodeCount = Count(level.nodes, level, LUMP_NODE);
    const int32_t planeCount = Count(level.planes, level, LUMP_PLANE);
    if (nodeCount == 0)
        return -1;
    // A tree reaches a leaf in fewer steps than it has nodes; more means a loop in the file.
    int32_t node = 0;
    for (int32_t steps = 0; node >= 0; ++steps) {
        if (node >= nodeCount || steps >= nodeCount)
            return -1;
        const BSPNode& n = level.nodes[node];
        if (n.plane < 0 || n.plane >= planeCount)
            return -1;
        const BSPPlane& plane = level.planes[n.plane];
        const float d = Dot(plane.normal, point) - plane.dist;
        node = d >= 0.0f ? n.children[0] : n.children[1];
    }
    return -(node + 1);
}

int32_t FindCameraCluster(const CBSPLoader& level, const float position[3])
{
    const int32_t leaf = FindLeaf(level, position);
    if (leaf < 0 || leaf >= Count(level.leafs, level, LUMP_LEAF))
        return -1;
    return level.leafs[leaf].cluster;
}

bool ClusterVisible(const CBSPLoader& level, int32_t cameraCluster, int32_t leafCluster)
{
    const BSPVisdata* vis = level.visdata;
    if (!vis || !vis->vecs || cameraCluster < 0 || vis->n_vecs == 0 || vis->sz_vecs == 0)
        return true;
    // Byte offsets in 64 bits, checked against the bytes the lump really holds: a row or a
    // cluster beyond them is read as visible rather than out of bounds.
    const int64_t byteCount = level.RecordCount(LUMP_VISDATA) - 8;
    const int64_t byte = int64_t{cameraCluster} * vis->sz_vecs + leafCluster / 8;
    if (vis->sz_vecs < 0 || byte < 0 || byte >= byteCount)
        return true;
    return (vis->vecs[byte] >> (leafCluster & 7)) & 1;
}

void CollectVisible(const CBSPLoader& level, const float position[3], CEntitySet& entities, CFaceSet& faces)
{
    const int32_t leafCount = Count(level.leafs, level, LUMP_LEAF);
    const int32_t leaffaceCount = Count(level.leaffaces, level, LUMP_LEAFFACE);
    const int32_t faceCount = Count(level.faces, level, LUMP_FACE);
    if (leafCount == 0)
        return;
    faces.reserve(faceCount);
    const int32_t cameraCluster = FindCameraCluster(level, position);

    for (int32_t l = 0; l < leafCount; ++l) {
        const BSPLeaf& leaf = level.leafs[l];
        if (!ClusterVisible(level, cameraCluster, leaf.cluster))
            continue;

        for (int32_t i = 0; i < entities.lightCount; ++i) {
            Light& light = entities.lights[i];
            if (light.state != 0 && StrictlyInside(leaf, light.origin))
                light.culled = 0;
        }

        const int64_t first = leaf.leafface;
        const int64_t n = leaf.n_leaffaces;
        if (first < 0 || n < 0 || first + n > leaffaceCount)
            continue;
        for (int64_t k = 0; k < n; ++k) {
            const int32_t face = level.leaffaces[first + k];
            if (face >= 0 && face < faceCount)
                faces.insert(face);
        }
    }
}

} // namespace Tamrik
