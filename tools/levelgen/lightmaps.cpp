// Lightmap baking: every luxel of every face sums the lights it can see.
#include "lightmaps.h"

#include <algorithm>
#include <cmath>

namespace levelgen {

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
                    const float amount = 1.35f * lambert * falloff * falloff + 0.25f * falloff;
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
