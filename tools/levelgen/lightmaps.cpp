// Lightmaps: every face gets a block of a 128 x 128 page, and every luxel of the block sums the
// lights it can see.
#include "lightmaps.h"

#include <algorithm>
#include <cmath>

namespace levelgen {

using Tamrik::BSPFace;
using Tamrik::BSPVertex;

namespace {

// Whether the segment from p to q passes through the inside of the box (slab test).
bool Blocks(const Box& box, const float p[3], const float q[3])
{
    float t0 = 0.0f, t1 = 1.0f;
    for (int a = 0; a < 3; ++a) {
        const float lo = box.mins[a] + 0.01f, hi = box.maxs[a] - 0.01f;
        const float d = q[a] - p[a];
        if (std::fabs(d) < 1e-6f) {
            if (p[a] <= lo || p[a] >= hi)
                return false;
            continue;
        }
        float ta = (lo - p[a]) / d, tb = (hi - p[a]) / d;
        if (ta > tb)
            std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
        if (t0 >= t1)
            return false;
    }
    return true;
}

} // namespace

// Shelf packing into 128 x 128 pages, tallest blocks first; then the lightmap coordinates.
void PackLightmaps(BuiltLevel& out)
{
    std::vector<int> order(out.faces.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return out.faces[size_t(a)].lm_size[1] > out.faces[size_t(b)].lm_size[1];
    });
    int page = -1, x = 128, y = 0, shelf = 0;
    for (int f : order) {
        BSPFace& face = out.faces[size_t(f)];
        const int w = face.lm_size[0], h = face.lm_size[1];
        if (x + w > 128) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        if (page < 0 || y + h > 128) {
            ++page;
            x = 0;
            y = 0;
            shelf = 0;
        }
        face.lm_index = page;
        face.lm_start[0] = x;
        face.lm_start[1] = y;
        x += w;
        shelf = std::max(shelf, h);
        for (int v = 0; v < face.n_vertexes; ++v) {
            BSPVertex& vertex = out.vertexes[size_t(face.vertex + v)];
            for (int s = 0; s < 2; ++s) {
                float along = 0, step2 = 0;
                for (int a = 0; a < 3; ++a) {
                    along += (vertex.position[a] - face.lm_origin[a]) * face.lm_vecs[s][a];
                    step2 += face.lm_vecs[s][a] * face.lm_vecs[s][a];
                }
                vertex.texcoord[1][s] = (face.lm_start[s] + 0.5f + along / step2) / 128.0f;
            }
        }
    }
    out.lightmaps.assign(size_t(page + 1), std::vector<uint8_t>(128 * 128 * 3, 0));
}

void BakeLightmaps(const LevelDescription& description, BuiltLevel& level)
{
    for (size_t f = 0; f < level.faces.size(); ++f) {
        const Tamrik::BSPFace& face = level.faces[f];
        std::vector<uint8_t>& page = level.lightmaps[size_t(face.lm_index)];
        // Lights of the face's own room always count; with shadows, any light whose rays the
        // brushes let through.
        std::vector<const LightSource*> lights;
        for (const LightSource& light : description.lights) {
            if (!light.on)
                continue;
            const Box& room = description.rooms[size_t(level.faceCluster[f])].interior;
            const bool inRoom = light.origin[0] > room.mins[0] && light.origin[0] < room.maxs[0] &&
                                light.origin[1] > room.mins[1] && light.origin[1] < room.maxs[1];
            if (inRoom || description.shadows)
                lights.push_back(&light);
        }
        for (int j = 0; j < face.lm_size[1]; ++j) {
            for (int i = 0; i < face.lm_size[0]; ++i) {
                float p[3];
                for (int a = 0; a < 3; ++a)
                    p[a] = face.lm_origin[a] + i * face.lm_vecs[0][a] + j * face.lm_vecs[1][a] +
                           face.normal[a] * 0.5f;
                float sum[3] = {description.ambient, description.ambient, description.ambient};
                for (const LightSource* light : lights) {
                    float l[3], distance = 0.0f;
                    for (int a = 0; a < 3; ++a) {
                        l[a] = light->origin[a] - p[a];
                        distance += l[a] * l[a];
                    }
                    distance = std::sqrt(distance);
                    if (distance >= light->radius || distance < 1e-3f)
                        continue;
                    float lambert = 0.0f;
                    for (int a = 0; a < 3; ++a)
                        lambert += face.normal[a] * l[a] / distance;
                    if (lambert <= 0.0f)
                        continue;
                    if (description.shadows) {
                        bool blocked = false;
                        for (const Box& solid : level.solids)
                            if ((blocked = Blocks(solid, p, light->origin)))
                                break;
                        if (blocked)
                            continue;
                    }
                    const float falloff = 1.0f - distance / light->radius;
                    const float amount = 1.6f * lambert * falloff * falloff + 0.25f * falloff;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += light->colour[c] * amount;
                }
                uint8_t* luxel = &page[size_t(((face.lm_start[1] + j) * 128 + face.lm_start[0] + i) * 3)];
                for (int c = 0; c < 3; ++c) {
                    // A soft shoulder instead of a hard clip keeps bright spots from flattening.
                    const float v = 1.0f - std::exp(-1.6f * sum[c]);
                    luxel[c] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
                }
            }
        }
    }
}

} // namespace levelgen
