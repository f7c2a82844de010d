// The camera's swept-sphere trace: the segment is split down the BSP tree and tested against
// every solid brush of the leaves it reaches.
#include "render/trace.h"

#include "level/bsp_loader.h"
#include "render/vector_math.h"

namespace Tamrik {

namespace {

constexpr float EPSILON = 0.03125f;
constexpr int32_t SOLID = 1;

float Clamp01(float f)
{
    // NaN (a plane from a broken file) clamps to 0 as well.
    if (!(f >= 0.0f))
        return 0.0f;
    return f > 1.0f ? 1.0f : f;
}

bool InRange(int64_t first, int64_t n, int32_t count)
{
    return first >= 0 && n >= 0 && first + n <= count;
}

} // namespace

CTrace::CTrace(CBSPLoader* tracedLevel) : level(tracedLevel)
{
    if (!level)
        return;
    // A lump whose array is missing counts as empty whatever the directory says.
    nodeCount = level->nodes ? level->RecordCount(LUMP_NODE) : 0;
    leafCount = level->leafs ? level->RecordCount(LUMP_LEAF) : 0;
    planeCount = level->planes ? level->RecordCount(LUMP_PLANE) : 0;
    leafbrushCount = level->leafbrushes ? level->RecordCount(LUMP_LEAFBRUSH) : 0;
    brushCount = level->brushes ? level->RecordCount(LUMP_BRUSH) : 0;
    brushsideCount = level->brushsides ? level->RecordCount(LUMP_BRUSHSIDE) : 0;
    textureCount = level->textures ? level->RecordCount(LUMP_TEXTURE) : 0;
}

void CTrace::Trace(const float start[3], const float end[3])
{
    fraction = 1.0f;
    brush = -1;
    side = -1;
    stepsLeft = int64_t{nodeCount} + leafCount + 1;
    depth = 0;
    if (nodeCount == 0 || leafCount == 0)
        return;
    TraceNode(0, start, end);
}

void CTrace::TraceNode(int32_t node, const float start[3], const float end[3])
{
    const float r = radius;
    while (node >= 0) {
        if (node >= nodeCount || --stepsLeft < 0)
            return;
        const BSPNode& n = level->nodes[node];
        if (n.plane < 0 || n.plane >= planeCount)
            return;
        const BSPPlane& plane = level->planes[n.plane];
        const float d1 = Dot(plane.normal, start) - plane.dist;
        const float d2 = Dot(plane.normal, end) - plane.dist;
        if (d1 >= r && d2 >= r) {
            node = n.children[0];
            continue;
        }
        if (d1 < -r && d2 < -r) {
            node = n.children[1];
            continue;
        }

        int32_t near, far;
        float f1, f2;
        if (d1 < d2) {
            near = n.children[1];
            far = n.children[0];
            f1 = (d1 - r + EPSILON) / (d1 - d2);
            f2 = (d1 + r + EPSILON) / (d1 - d2);
        } else if (d1 > d2) {
            near = n.children[0];
            far = n.children[1];
            f1 = (d1 + r + EPSILON) / (d1 - d2);
            f2 = (d1 - r - EPSILON) / (d1 - d2);
        } else {
            near = n.children[0];
            far = n.children[1];
            f1 = 1.0f;
            f2 = 0.0f;
        }
        f1 = Clamp01(f1);
        f2 = Clamp01(f2);

        if (depth >= MAX_DEPTH)
            return;
        float mid[3];
        ++depth;
        for (int i = 0; i < 3; ++i)
            mid[i] = start[i] + f1 * (end[i] - start[i]);
        TraceNode(near, start, mid);
        for (int i = 0; i < 3; ++i)
            mid[i] = start[i] + f2 * (end[i] - start[i]);
        TraceNode(far, mid, end);
        --depth;
        return;
    }

    const int32_t leafIndex = -(node + 1);
    if (leafIndex >= leafCount || --stepsLeft < 0)
        return;
    const BSPLeaf& leaf = level->leafs[leafIndex];
    if (!InRange(leaf.leafbrush, leaf.n_leafbrushes, leafbrushCount))
        return;
    for (int32_t k = 0; k < leaf.n_leafbrushes; ++k) {
        const int32_t b = level->leafbrushes[leaf.leafbrush + k];
        if (b < 0 || b >= brushCount)
            continue;
        const BSPBrush& candidate = level->brushes[b];
        if (candidate.n_brushsides < 1 || candidate.texture < 0 || candidate.texture >= textureCount)
            continue;
        if (level->textures[candidate.texture].contents & SOLID)
            TraceBrush(b, start, end);
    }
}

void CTrace::TraceBrush(int32_t b, const float start[3], const float end[3])
{
    if (!level || b < 0 || b >= brushCount)
        return;
    const BSPBrush& target = level->brushes[b];
    // A brush with a side outside the lumps is not a closed volume we can test: it never blocks.
    if (!InRange(target.brushside, target.n_brushsides, brushsideCount))
        return;
    for (int32_t i = 0; i < target.n_brushsides; ++i) {
        const int32_t plane = level->brushsides[target.brushside + i].plane;
        if (plane < 0 || plane >= planeCount)
            return;
    }

    const float r = radius;
    float sf = -1.0f;
    float ef = 1.0f;
    int32_t hit = 0;
    bool startsOut = false;
    for (int32_t i = 0; i < target.n_brushsides; ++i) {
        const BSPPlane& plane = level->planes[level->brushsides[target.brushside + i].plane];
        const float ds = Dot(plane.normal, start) - plane.dist - r;
        const float de = Dot(plane.normal, end) - plane.dist - r;
        if (ds > 0.0f)
            startsOut = true;
        if (ds > 0.0f && de > 0.0f)
            return;
        if (ds <= 0.0f && de <= 0.0f)
            continue;
        if (ds > de) {
            const float f = (ds - EPSILON) / (ds - de);
            if (f > sf) {
                sf = f;
                hit = i;
            }
        } else {
            const float f = (ds + EPSILON) / (ds - de);
            if (f < ef)
                ef = f;
        }
    }
    if (!startsOut)
        return;
    if (sf < ef && sf > -1.0f && sf < fraction) {
        fraction = sf < 0.0f ? 0.0f : sf;
        brush = b;
        side = target.brushside + hit;
    }
}

} // namespace Tamrik
