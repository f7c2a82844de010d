// Cluster visibility of a generated level: which rooms can see which.
#include "visibility.h"

#include <algorithm>
#include <cmath>

namespace levelgen {

// One cluster per room. Room A sees room B when some straight line from a sample point of
// A to one of B passes through nothing but air, seen from above: walls stand from floor to
// ceiling and doorways start at the floor, so the top view never hides what 3D would show.
void BuildVisibility(const LevelDescription& d, int x0, int y0, int x1, int y1, BuiltLevel& out)
{
    const int clusters = static_cast<int>(d.rooms.size());
    const int cell = 8;
    const int w = (x1 - x0) / cell + 1, h = (y1 - y0) / cell + 1;
    std::vector<uint8_t> open(size_t(w) * h, 0);
    auto mark = [&](const Box& b) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float cx = x0 + (x + 0.5f) * cell, cy = y0 + (y + 0.5f) * cell;
                if (cx > b.mins[0] && cx < b.maxs[0] && cy > b.mins[1] && cy < b.maxs[1])
                    open[size_t(y) * w + x] = 1;
            }
    };
    for (const Room& r : d.rooms)
        mark(r.interior);
    for (const Doorway& door : d.doorways)
        mark(door.box);
    auto isOpen = [&](float px, float py) {
        const int x = static_cast<int>(std::floor((px - x0) / cell));
        const int y = static_cast<int>(std::floor((py - y0) / cell));
        return x >= 0 && y >= 0 && x < w && y < h && open[size_t(y) * w + x];
    };
    std::vector<std::vector<std::pair<float, float>>> samples{size_t(clusters)};
    for (int r = 0; r < clusters; ++r) {
        const Box& b = d.rooms[size_t(r)].interior;
        const int s = std::max(2, d.visSamples);
        for (int j = 0; j < s; ++j)
            for (int i = 0; i < s; ++i)
                samples[size_t(r)].push_back({b.mins[0] + 2 + (b.maxs[0] - b.mins[0] - 4) * i / float(s - 1),
                                              b.mins[1] + 2 + (b.maxs[1] - b.mins[1] - 4) * j / float(s - 1)});
    }
    for (const Doorway& door : d.doorways)
        samples[size_t(door.roomA)].push_back({(door.box.mins[0] + door.box.maxs[0]) * 0.5f,
                                               (door.box.mins[1] + door.box.maxs[1]) * 0.5f});
    auto sees = [&](int a, int b) {
        for (auto [ax, ay] : samples[size_t(a)]) {
            for (auto [bx, by] : samples[size_t(b)]) {
                const float dx = bx - ax, dy = by - ay;
                const int steps = static_cast<int>(std::sqrt(dx * dx + dy * dy) / 4.0f) + 1;
                bool clear = true;
                for (int t = 1; t < steps && clear; ++t)
                    clear = isOpen(ax + dx * t / steps, ay + dy * t / steps);
                if (clear)
                    return true;
            }
        }
        return false;
    };
    auto centre = [&](int r, int a) {
        const Box& b = d.rooms[size_t(r)].interior;
        return (b.mins[a] + b.maxs[a]) * 0.5f;
    };
    out.n_vecs = clusters;
    out.sz_vecs = (clusters + 7) / 8;
    out.vecs.assign(size_t(out.n_vecs) * out.sz_vecs, 0);
    auto set = [&](int a, int b) { out.vecs[size_t(a) * out.sz_vecs + b / 8] |= uint8_t(1 << (b & 7)); };
    for (int a = 0; a < clusters; ++a) {
        set(a, a);
        for (int b = a + 1; b < clusters; ++b) {
            const float dx = centre(a, 0) - centre(b, 0), dy = centre(a, 1) - centre(b, 1);
            if (d.visRange > 0 && dx * dx + dy * dy > d.visRange * d.visRange)
                continue;
            if (sees(a, b) || sees(b, a)) {
                set(a, b);
                set(b, a);
            }
        }
    }
}

} // namespace levelgen
