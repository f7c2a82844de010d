// The level builder. The space is cut into a rectilinear grid of cells along every room and
// doorway boundary; a cell is air (of a room's cluster) or solid. Solid cells merge into box
// brushes, air/solid boundaries into rectangular faces, and a kd-tree over the cells is the BSP
// tree, each leaf holding cells of one kind only.
#include "bsp_builder.h"

#include "lightmaps.h"
#include "visibility.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

namespace levelgen {

using Tamrik::BSPBrush;
using Tamrik::BSPBrushside;
using Tamrik::BSPFace;
using Tamrik::BSPLeaf;
using Tamrik::BSPModel;
using Tamrik::BSPNode;
using Tamrik::BSPPlane;
using Tamrik::BSPTexture;
using Tamrik::BSPVertex;

namespace {

constexpr int SOLID = -1;
constexpr float TEXTURE_SCALE = 128.0f; // level units per texture repeat
constexpr int MAX_FACE_EXTENT = 1024;    // keeps every face's lightmap inside one page

class Builder {
public:
    Builder(const LevelDescription& d, BuiltLevel& out) : d(d), out(out) {}

    void Run()
    {
        MakeGrid();
        MakeBrushes();
        MakeTextures();
        MakeFaces();
        worldFaces = static_cast<int>(out.faces.size());
        worldBrushes = static_cast<int>(out.brushes.size());
        MakeSwitches();
        int lo[3] = {0, 0, 0};
        Build(lo, n);
        MakeModels();
        BuildVisibility(d, lines[0].front(), lines[1].front(), lines[0].back(), lines[1].back(), out);
        MakeEntities();
        PackLightmaps(out);
    }

private:
    const LevelDescription& d;
    BuiltLevel& out;
    std::vector<int> lines[3];
    int n[3] = {0, 0, 0};
    std::vector<int> label;   // per cell: cluster, or SOLID
    std::vector<int> brushOf; // per solid cell
    std::vector<std::vector<int>> cellFaces;
    std::map<std::tuple<int, int, int>, int> planeIndex;
    int worldFaces = 0;
    int worldBrushes = 0;
    struct SwitchParts {
        Box box;
        int brush;
        int firstFace;
    };
    std::vector<SwitchParts> switchParts;

    size_t Cell(int i, int j, int k) const
    {
        return (static_cast<size_t>(k) * n[1] + j) * n[0] + i;
    }
    int Label(const int c[3]) const { return label[Cell(c[0], c[1], c[2])]; }

    void MakeGrid()
    {
        std::vector<std::pair<Box, int>> air;
        for (size_t r = 0; r < d.rooms.size(); ++r)
            air.push_back({d.rooms[r].interior, static_cast<int>(r)});
        for (const Doorway& door : d.doorways)
            air.push_back({door.box, door.roomA});
        int mins[3] = {INT32_MAX, INT32_MAX, INT32_MAX}, maxs[3] = {INT32_MIN, INT32_MIN, INT32_MIN};
        for (auto& [box, cluster] : air) {
            for (int a = 0; a < 3; ++a) {
                lines[a].push_back(box.mins[a]);
                lines[a].push_back(box.maxs[a]);
                mins[a] = std::min(mins[a], box.mins[a]);
                maxs[a] = std::max(maxs[a], box.maxs[a]);
            }
        }
        for (int a = 0; a < 3; ++a) {
            lines[a].push_back(mins[a] - d.wallThickness);
            lines[a].push_back(maxs[a] + d.wallThickness);
            std::sort(lines[a].begin(), lines[a].end());
            lines[a].erase(std::unique(lines[a].begin(), lines[a].end()), lines[a].end());
            n[a] = static_cast<int>(lines[a].size()) - 1;
        }
        label.assign(static_cast<size_t>(n[0]) * n[1] * n[2], SOLID);
        for (auto& [box, cluster] : air) {
            int lo[3], hi[3];
            for (int a = 0; a < 3; ++a) {
                lo[a] = static_cast<int>(std::lower_bound(lines[a].begin(), lines[a].end(), box.mins[a]) - lines[a].begin());
                hi[a] = static_cast<int>(std::lower_bound(lines[a].begin(), lines[a].end(), box.maxs[a]) - lines[a].begin());
            }
            for (int k = lo[2]; k < hi[2]; ++k)
                for (int j = lo[1]; j < hi[1]; ++j)
                    for (int i = lo[0]; i < hi[0]; ++i)
                        if (label[Cell(i, j, k)] == SOLID)
                            label[Cell(i, j, k)] = cluster;
        }
        cellFaces.resize(label.size());
    }

    int Plane(int axis, int sign, int dist)
    {
        auto key = std::make_tuple(axis, sign, dist);
        auto it = planeIndex.find(key);
        if (it != planeIndex.end())
            return it->second;
        BSPPlane plane{};
        plane.normal[axis] = static_cast<float>(sign);
        plane.dist = static_cast<float>(sign * dist);
        out.planes.push_back(plane);
        const int index = static_cast<int>(out.planes.size()) - 1;
        planeIndex[key] = index;
        return index;
    }

    int AddBrush(const Box& box, int texture)
    {
        BSPBrush brush{static_cast<int32_t>(out.brushsides.size()), 6, texture};
        for (int a = 0; a < 3; ++a) {
            out.brushsides.push_back({Plane(a, 1, box.maxs[a]), texture});
            out.brushsides.push_back({Plane(a, -1, box.mins[a]), texture});
        }
        out.brushes.push_back(brush);
        out.solids.push_back(box);
        return static_cast<int>(out.brushes.size()) - 1;
    }

    // Greedy: each unassigned solid cell grows along x, then y, then z as far as it stays solid.
    void MakeBrushes()
    {
        brushOf.assign(label.size(), -1);
        auto free = [&](int i, int j, int k) {
            return label[Cell(i, j, k)] == SOLID && brushOf[Cell(i, j, k)] < 0;
        };
        for (int k = 0; k < n[2]; ++k) {
            for (int j = 0; j < n[1]; ++j) {
                for (int i = 0; i < n[0]; ++i) {
                    if (!free(i, j, k))
                        continue;
                    int i1 = i + 1, j1 = j + 1, k1 = k + 1;
                    while (i1 < n[0] && free(i1, j, k))
                        ++i1;
                    auto rowFree = [&](int jj, int kk) {
                        for (int ii = i; ii < i1; ++ii)
                            if (!free(ii, jj, kk))
                                return false;
                        return true;
                    };
                    while (j1 < n[1] && rowFree(j1, k))
                        ++j1;
                    auto slabFree = [&](int kk) {
                        for (int jj = j; jj < j1; ++jj)
                            if (!rowFree(jj, kk))
                                return false;
                        return true;
                    };
                    while (k1 < n[2] && slabFree(k1))
                        ++k1;
                    Box box{{lines[0][i], lines[1][j], lines[2][k]}, {lines[0][i1], lines[1][j1], lines[2][k1]}};
                    const int brush = AddBrush(box, d.rooms.empty() ? 0 : d.rooms[0].wallTexture);
                    for (int kk = k; kk < k1; ++kk)
                        for (int jj = j; jj < j1; ++jj)
                            for (int ii = i; ii < i1; ++ii)
                                brushOf[Cell(ii, jj, kk)] = brush;
                }
            }
        }
    }

    void MakeTextures()
    {
        for (const TextureSpec& spec : d.textures) {
            BSPTexture texture{};
            std::strncpy(texture.name, spec.name.c_str(), 63);
            texture.contents = spec.contents;
            out.textures.push_back(texture);
        }
    }

    // One rectangle on the plane of the given axis; corners in (u, v) = axes (a+1, a+2).
    int AddFace(int axis, int dir, float coordinate, const float u[2], const float v[2],
                int texture, int cluster, bool wholePicture)
    {
        const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
        auto point = [&](float pu, float pv, float* p) {
            p[axis] = coordinate;
            p[ua] = pu;
            p[va] = pv;
        };
        // Front faces are clockwise seen from the air side, the side the normal points to.
        const float corners[4][2] = {{u[0], v[0]}, {u[1], v[0]}, {u[1], v[1]}, {u[0], v[1]}};
        const int order[2][4] = {{0, 3, 2, 1}, {0, 1, 2, 3}};
        BSPFace face{};
        face.texture = texture;
        face.effect = -1;
        face.type = 1;
        face.vertex = static_cast<int32_t>(out.vertexes.size());
        face.n_vertexes = 4;
        face.meshvert = static_cast<int32_t>(out.meshverts.size());
        face.n_meshverts = 6;
        face.normal[axis] = static_cast<float>(dir);
        for (int c = 0; c < 4; ++c) {
            const float* corner = corners[order[dir > 0 ? 0 : 1][c]];
            BSPVertex vertex{};
            point(corner[0], corner[1], vertex.position);
            vertex.normal[axis] = static_cast<float>(dir);
            const float* p = vertex.position;
            if (wholePicture) {
                vertex.texcoord[0][0] = (corner[0] - u[0]) / (u[1] - u[0]);
                vertex.texcoord[0][1] = (corner[1] - v[0]) / (v[1] - v[0]);
            } else if (axis == 2) {
                vertex.texcoord[0][0] = p[0] / TEXTURE_SCALE;
                vertex.texcoord[0][1] = p[1] / TEXTURE_SCALE;
            } else if (axis == 0) {
                vertex.texcoord[0][0] = dir * p[1] / TEXTURE_SCALE;
                vertex.texcoord[0][1] = p[2] / TEXTURE_SCALE;
            } else {
                vertex.texcoord[0][0] = -dir * p[0] / TEXTURE_SCALE;
                vertex.texcoord[0][1] = p[2] / TEXTURE_SCALE;
            }
            std::memset(vertex.color, 255, sizeof(vertex.color));
            out.vertexes.push_back(vertex);
        }
        for (int m : {0, 1, 2, 0, 2, 3})
            out.meshverts.push_back(m);
        // Lightmap frame: luxel (i, j) lies at lm_origin + i lm_vecs[0] + j lm_vecs[1]; the
        // corners sit on luxel centres so filtering stays inside the face's block.
        const float extent[2] = {u[1] - u[0], v[1] - v[0]};
        for (int s = 0; s < 2; ++s) {
            face.lm_size[s] = std::min(128, static_cast<int>(std::ceil(extent[s] / d.luxelSize)) + 1);
            const float step = extent[s] / static_cast<float>(face.lm_size[s] - 1);
            face.lm_vecs[s][s == 0 ? ua : va] = step;
        }
        point(u[0], v[0], face.lm_origin);
        out.faces.push_back(face);
        out.faceCluster.push_back(cluster);
        return static_cast<int>(out.faces.size()) - 1;
    }

    void MakeFaces()
    {
        for (int axis = 0; axis < 3; ++axis) {
            const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
            const int nu = n[ua], nv = n[va];
            for (int p = 1; p < n[axis]; ++p) {
                // key: air cluster and facing; -1 where no face lies.
                std::vector<std::pair<int, int>> mask(static_cast<size_t>(nu) * nv, {-1, 0});
                for (int iv = 0; iv < nv; ++iv) {
                    for (int iu = 0; iu < nu; ++iu) {
                        int below[3], above[3];
                        below[axis] = p - 1;
                        above[axis] = p;
                        below[ua] = above[ua] = iu;
                        below[va] = above[va] = iv;
                        const int lb = Label(below), la = Label(above);
                        if (lb != SOLID && la == SOLID)
                            mask[size_t(iv) * nu + iu] = {lb, -1};
                        else if (lb == SOLID && la != SOLID)
                            mask[size_t(iv) * nu + iu] = {la, 1};
                    }
                }
                for (int iv = 0; iv < nv; ++iv) {
                    for (int iu = 0; iu < nu; ++iu) {
                        const auto key = mask[size_t(iv) * nu + iu];
                        if (key.first < 0)
                            continue;
                        int u1 = iu + 1, v1 = iv + 1;
                        while (u1 < nu && mask[size_t(iv) * nu + u1] == key &&
                               lines[ua][u1 + 1] - lines[ua][iu] <= MAX_FACE_EXTENT)
                            ++u1;
                        auto rowMatches = [&](int row) {
                            for (int x = iu; x < u1; ++x)
                                if (mask[size_t(row) * nu + x] != key)
                                    return false;
                            return true;
                        };
                        while (v1 < nv && rowMatches(v1) && lines[va][v1 + 1] - lines[va][iv] <= MAX_FACE_EXTENT)
                            ++v1;
                        for (int y = iv; y < v1; ++y)
                            for (int x = iu; x < u1; ++x)
                                mask[size_t(y) * nu + x] = {-1, 0};
                        const Room& room = d.rooms[static_cast<size_t>(key.first)];
                        const int dir = key.second;
                        const int texture = axis != 2 ? room.wallTexture
                                            : dir > 0 ? room.floorTexture
                                                      : room.ceilingTexture;
                        const float fu[2] = {float(lines[ua][iu]), float(lines[ua][u1])};
                        const float fv[2] = {float(lines[va][iv]), float(lines[va][v1])};
                        const int face = AddFace(axis, dir, float(lines[axis][p]), fu, fv, texture, key.first, false);
                        for (int y = iv; y < v1; ++y) {
                            for (int x = iu; x < u1; ++x) {
                                int c[3];
                                c[axis] = dir > 0 ? p : p - 1;
                                c[ua] = x;
                                c[va] = y;
                                cellFaces[Cell(c[0], c[1], c[2])].push_back(face);
                            }
                        }
                    }
                }
            }
        }
    }

    int RoomOf(const float p[3]) const
    {
        for (size_t r = 0; r < d.rooms.size(); ++r) {
            const Box& b = d.rooms[r].interior;
            if (p[0] >= b.mins[0] && p[0] <= b.maxs[0] && p[1] >= b.mins[1] && p[1] <= b.maxs[1] &&
                p[2] >= b.mins[2] && p[2] <= b.maxs[2])
                return static_cast<int>(r);
        }
        return 0;
    }

    void MakeSwitches()
    {
        for (const Switch& s : d.switches) {
            SwitchParts parts{s.box, AddBrush(s.box, d.switchTexture), static_cast<int>(out.faces.size())};
            float centre[3];
            for (int a = 0; a < 3; ++a)
                centre[a] = (s.box.mins[a] + s.box.maxs[a]) * 0.5f;
            const int cluster = RoomOf(centre);
            for (int axis = 0; axis < 3; ++axis) {
                const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
                const float fu[2] = {float(s.box.mins[ua]), float(s.box.maxs[ua])};
                const float fv[2] = {float(s.box.mins[va]), float(s.box.maxs[va])};
                AddFace(axis, 1, float(s.box.maxs[axis]), fu, fv, d.switchTexture, cluster, true);
                AddFace(axis, -1, float(s.box.mins[axis]), fu, fv, d.switchTexture, cluster, true);
            }
            switchParts.push_back(parts);
        }
    }

    static bool Touches(const Box& box, const int mins[3], const int maxs[3])
    {
        for (int a = 0; a < 3; ++a)
            if (box.maxs[a] < mins[a] || box.mins[a] > maxs[a])
                return false;
        return true;
    }

    // Nodes are numbered before their children, so every child has a higher index than its
    // parent, which the level reader's checks require.
    int Build(const int lo[3], const int hi[3])
    {
        const int first = label[Cell(lo[0], lo[1], lo[2])];
        bool uniform = true;
        for (int k = lo[2]; k < hi[2] && uniform; ++k)
            for (int j = lo[1]; j < hi[1] && uniform; ++j)
                for (int i = lo[0]; i < hi[0] && uniform; ++i)
                    uniform = label[Cell(i, j, k)] == first;
        int mins[3], maxs[3];
        for (int a = 0; a < 3; ++a) {
            mins[a] = lines[a][lo[a]];
            maxs[a] = lines[a][hi[a]];
        }
        if (uniform && !out.nodes.empty())
            return MakeLeaf(lo, hi, first, mins, maxs);

        int axis = 0;
        for (int a = 1; a < 3; ++a)
            if (hi[a] - lo[a] > hi[axis] - lo[axis])
                axis = a;
        const int mid = (lo[axis] + hi[axis]) / 2;
        const int index = static_cast<int>(out.nodes.size());
        BSPNode node{};
        node.plane = Plane(axis, 1, lines[axis][mid]);
        std::memcpy(node.mins, mins, sizeof(mins));
        std::memcpy(node.maxs, maxs, sizeof(maxs));
        out.nodes.push_back(node);
        int frontLo[3] = {lo[0], lo[1], lo[2]}, backHi[3] = {hi[0], hi[1], hi[2]};
        frontLo[axis] = mid;
        backHi[axis] = mid;
        const int front = Build(frontLo, hi);
        const int back = Build(lo, backHi);
        out.nodes[size_t(index)].children[0] = front;
        out.nodes[size_t(index)].children[1] = back;
        return index;
    }

    int MakeLeaf(const int lo[3], const int hi[3], int cluster, const int mins[3], const int maxs[3])
    {
        BSPLeaf leaf{};
        leaf.cluster = cluster;
        std::memcpy(leaf.mins, mins, sizeof(leaf.mins));
        std::memcpy(leaf.maxs, maxs, sizeof(leaf.maxs));
        std::set<int> faces, brushes;
        for (int k = lo[2]; k < hi[2]; ++k) {
            for (int j = lo[1]; j < hi[1]; ++j) {
                for (int i = lo[0]; i < hi[0]; ++i) {
                    const size_t c = Cell(i, j, k);
                    faces.insert(cellFaces[c].begin(), cellFaces[c].end());
                    if (brushOf[c] >= 0)
                        brushes.insert(brushOf[c]);
                }
            }
        }
        if (cluster != SOLID) {
            for (const SwitchParts& s : switchParts) {
                if (!Touches(s.box, mins, maxs))
                    continue;
                brushes.insert(s.brush);
                for (int f = 0; f < 6; ++f)
                    faces.insert(s.firstFace + f);
            }
        }
        leaf.leafface = static_cast<int32_t>(out.leaffaces.size());
        leaf.n_leaffaces = static_cast<int32_t>(faces.size());
        out.leaffaces.insert(out.leaffaces.end(), faces.begin(), faces.end());
        leaf.leafbrush = static_cast<int32_t>(out.leafbrushes.size());
        leaf.n_leafbrushes = static_cast<int32_t>(brushes.size());
        out.leafbrushes.insert(out.leafbrushes.end(), brushes.begin(), brushes.end());
        out.leafs.push_back(leaf);
        return -static_cast<int>(out.leafs.size());
    }

    void MakeModels()
    {
        BSPModel world{};
        for (int a = 0; a < 3; ++a) {
            world.mins[a] = float(lines[a].front());
            world.maxs[a] = float(lines[a].back());
        }
        world.face = 0;
        world.n_faces = worldFaces;
        world.brush = 0;
        world.n_brushes = worldBrushes;
        out.models.push_back(world);
        for (const SwitchParts& s : switchParts) {
            BSPModel model{};
            for (int a = 0; a < 3; ++a) {
                model.mins[a] = float(s.box.mins[a]);
                model.maxs[a] = float(s.box.maxs[a]);
            }
            model.face = s.firstFace;
            model.n_faces = 6;
            model.brush = s.brush;
            model.n_brushes = 1;
            out.models.push_back(model);
        }
    }

    void MakeEntities()
    {
        std::string& e = out.entities;
        e += "{\n\"classname\" \"worldspawn\"\n\"message\" \"Kestrova\"\n}\n";
        e += "{\n\"classname\" \"info_player_deathmatch\"\n\"origin\" \"" + std::to_string(d.start[0]) +
             " " + std::to_string(d.start[1]) + " " + std::to_string(d.start[2]) + "\"\n}\n";
        char line[256];
        for (const LightSource& light : d.lights) {
            e += "{\n\"classname\" \"light\"\n";
            std::snprintf(line, sizeof(line), "\"origin\" \"%g %g %g 1\"\n", light.origin[0],
                          light.origin[1], light.origin[2]);
            e += line;
            std::snprintf(line, sizeof(line), "\"ambient\" \"%g %g %g 1\"\n",
                          light.colour[0] * 0.1, light.colour[1] * 0.1, light.colour[2] * 0.1);
            e += line;
            std::snprintf(line, sizeof(line), "\"diffuse\" \"%g %g %g 1\"\n", light.colour[0],
                          light.colour[1], light.colour[2]);
            e += line;
            e += "\"specular\" \"0.3 0.3 0.3 1\"\n";
            e += "\"constAtten\" \"1\"\n\"linAtten\" \"0.002\"\n\"quadAtten\" \"0.00001\"\n";
            e += "\"ID\" \"" + std::to_string(light.id) + "\"\n";
            e += std::string("\"state\" \"") + (light.on ? "1" : "0") + "\"\n}\n";
        }
        for (size_t i = 0; i < d.switches.size(); ++i) {
            e += "{\n\"classname\" \"func_button\"\n\"model\" \"*" + std::to_string(i + 1) + "\"\n";
            e += "\"target\" \"" + std::to_string(d.switches[i].targetLight) + "\"\n}\n";
        }
    }
};

} // namespace

BuiltLevel BuildLevel(const LevelDescription& description)
{
    BuiltLevel level;
    Builder(description, level).Run();
    return level;
}

} // namespace levelgen
