// The camera's swept-sphere trace through the level's BSP tree and brushes.
#pragma once
#include <cstdint>

namespace Tamrik {

class CBSPLoader;

// How far short of a brush's grown surface the trace stops, in level units.
constexpr float TRACE_EPSILON = 0.03125f;

class CTrace {
public:
    // Reads the level's record counts once, so every index the walk takes from the file is
    // checked against them. level may be null or empty: nothing is then ever hit.
    explicit CTrace(CBSPLoader* level);

    // Resets the record (nothing hit) and traces the segment from node 0.
    void Trace(const float start[3], const float end[3]);

    // Walks the segment down from node; every solid brush of a leaf it reaches is tested
    // against the whole segment given to the outermost call.
    void TraceNode(int32_t node, const float start[3], const float end[3]);
    // Records the brush when the segment enters it grown by radius, ends on or in it, or, when
    // the start already lies inside, goes deeper in than the start is.
    void TraceBrush(int32_t brush, const float start[3], const float end[3]);

    float fraction = 1.0f; // how far along the segment the first solid brush is entered
    int32_t brush = -1;    // hit brush, -1 none
    int32_t side = -1;     // hit side's index in the Brushside lump, -1 none
    float radius = 10.0f;
    CBSPLoader* level;

private:
    // A tree visits each node at most once per trace, so a walk that takes more steps than
    // the tree has nodes and leaves is going round a loop in a broken file; the depth cap keeps
    // the recursion off the end of the stack on a deep or cyclic tree.
    static constexpr int MAX_DEPTH = 1024;

    int32_t nodeCount = 0;
    int32_t leafCount = 0;
    int32_t planeCount = 0;
    int32_t leafbrushCount = 0;
    int32_t brushCount = 0;
    int32_t brushsideCount = 0;
    int32_t textureCount = 0;
    int64_t stepsLeft = 0;
    int depth = 0;
    float segmentStart[3] = {0.0f, 0.0f, 0.0f};
    float segmentEnd[3] = {0.0f, 0.0f, 0.0f};
};

} // namespace Tamrik
