// The camera's swept-sphere trace: the segment is split down the BSP tree and tested against
// every solid brush of the leaves it reaches.
#include "render/trace.h"

#include <cfloat>

#include "level/bsp_loader.h"
#include "render/vector_math.h"

namespace Tamrik {

namespace {

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
    // The brushes are tested against the whole segment, not the piece that reached their leaf:
    // a piece starts part of the way along, possibly inside a brush the segment entered before.
    if (depth == 0) {
        for (int i = 0; i < 3; ++i) {
            segmentStart[i] = start[i];
            segmentEnd[i] = end[i];
        }
    }
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
        // Both sides reach an epsilon further than the grown brushes, so a brush whose plane
        // differs from the node's by rounding is still reached.
        if (d1 >= r + TRACE_EPSILON && d2 >= r + TRACE_EPSILON) {
            node = n.children[0];
            continue;
        }
        if (d1 < -r - TRACE_EPSILON && d2 < -r - TRACE_EPSILON) {
            node = n.children[1];
            continue;
        }

        int32_t near, far;
        float f1, f2;
        if (d1 < d2) {
            near = n.children[1];
            far = n.children[0];
            f1 = (d1 - r - TRACE_EPSILON) / (d1 - d2);
            f2 = (d1 + r + TRACE_EPSILON) / (d1 - d2);
        } else if (d1 > d2) {
            near = n.children[0];
            far = n.children[1];
            f1 = (d1 + r + TRACE_EPSILON) / (d1 - d2);
            f2 = (d1 - r - TRACE_EPSILON) / (d1 - d2);
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
            TraceBrush(b, segmentStart, segmentEnd);
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

    // A segment that starts outside the grown brush and ends in it, or on its surface, always
    // hits it, also when the start lies within the epsilon of the surface: the entry fraction is
    // then below 0 (even below -1 for short steps) and is reported as 0.
    const float r = radius;
    float sf = -FLT_MAX;
    float ef = 1.0f;
    int32_t hit = 0;
    bool startsOut = false;
    // The grown side nearest the start, for a start inside the brush.
    float nearest = -FLT_MAX;
    float nearestEnd = 0.0f;
    int32_t nearestSide = 0;
    for (int32_t i = 0; i < target.n_brushsides; ++i) {
        const BSPPlane& plane = level->planes[level->brushsides[target.brushside + i].plane];
        const float ds = Dot(plane.normal, start) - plane.dist - r;
        const float de = Dot(plane.normal, end) - plane.dist - r;
        if (ds > 0.0f)
            startsOut = true;
        if (ds > 0.0f && de > 0.0f)
            return;
        if (ds > nearest) {
            nearest = ds;
            nearestEnd = de;
            nearestSide = i;
        }
        if (ds <= 0.0f && de <= 0.0f)
            continue;
        if (ds > de) {
            const float f = (ds - TRACE_EPSILON) / (ds - de);
            if (f > sf) {
                sf = f;
                hit = i;
            }
        } else {
            const float f = (ds + TRACE_EPSILON) / (ds - de);
            if (f < ef)
                ef = f;
        }
    }
    if (!startsOut) {
        // Found inside the grown brush: moving out through its nearest side or along it is free,
        // moving deeper is blocked where it starts.
        if (nearestEnd < nearest && fraction > 0.0f) {
            fraction = 0.0f;
            brush = b;
            side = target.brushside + nearestSide;
        }
        return;
    }
    if (sf < ef && sf < fraction) {
        fraction = sf < 0.0f ? 0.0f : sf;
        brush = b;
        side = target.brushside + hit;
    }
}

} // namespace Tamrik
