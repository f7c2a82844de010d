// The level file writer: every record field by field, in the order the reader reads them.
#include "bsp_writer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace levelgen {

namespace {

class Out {
public:
    std::string bytes;

    void Int(int32_t v)
    {
        const uint32_t u = static_cast<uint32_t>(v);
        for (int s = 0; s < 32; s += 8)
            bytes.push_back(static_cast<char>((u >> s) & 0xff));
    }
    void Float(float f)
    {
        uint32_t u;
        std::memcpy(&u, &f, sizeof(u));
        Int(static_cast<int32_t>(u));
    }
    void Bytes(const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); }
    void Name(const char* name)
    {
        char field[64] = {};
        std::strncpy(field, name, sizeof(field) - 1);
        Bytes(field, sizeof(field));
    }
};

} // namespace

bool WriteLevel(const BuiltLevel& level, const std::string& path)
{
    using namespace Tamrik;
    Out lumps[LUMP_COUNT];
    lumps[LUMP_ENTITY].Bytes(level.entities.c_str(), level.entities.size() + 1);
    for (const BSPTexture& t : level.textures) {
        lumps[LUMP_TEXTURE].Name(t.name);
        lumps[LUMP_TEXTURE].Int(t.flags);
        lumps[LUMP_TEXTURE].Int(t.contents);
    }
    for (const BSPPlane& p : level.planes) {
        for (float f : p.normal)
            lumps[LUMP_PLANE].Float(f);
        lumps[LUMP_PLANE].Float(p.dist);
    }
    for (const BSPNode& n : level.nodes) {
        Out& o = lumps[LUMP_NODE];
        o.Int(n.plane);
        for (int32_t v : n.children)
            o.Int(v);
        for (int32_t v : n.mins)
            o.Int(v);
        for (int32_t v : n.maxs)
            o.Int(v);
    }
    for (const BSPLeaf& l : level.leafs) {
        Out& o = lumps[LUMP_LEAF];
        o.Int(l.cluster);
        o.Int(l.area);
        for (int32_t v : l.mins)
            o.Int(v);
        for (int32_t v : l.maxs)
            o.Int(v);
        o.Int(l.leafface);
        o.Int(l.n_leaffaces);
        o.Int(l.leafbrush);
        o.Int(l.n_leafbrushes);
    }
    for (int32_t v : level.leaffaces)
        lumps[LUMP_LEAFFACE].Int(v);
    for (int32_t v : level.leafbrushes)
        lumps[LUMP_LEAFBRUSH].Int(v);
    for (const BSPModel& m : level.models) {
        Out& o = lumps[LUMP_MODEL];
        for (float f : m.mins)
            o.Float(f);
        for (float f : m.maxs)
            o.Float(f);
        o.Int(m.face);
        o.Int(m.n_faces);
        o.Int(m.brush);
        o.Int(m.n_brushes);
    }
    for (const BSPBrush& b : level.brushes) {
        lumps[LUMP_BRUSH].Int(b.brushside);
        lumps[LUMP_BRUSH].Int(b.n_brushsides);
        lumps[LUMP_BRUSH].Int(b.texture);
    }
    for (const BSPBrushside& s : level.brushsides) {
        lumps[LUMP_BRUSHSIDE].Int(s.plane);
        lumps[LUMP_BRUSHSIDE].Int(s.texture);
    }
    for (const BSPVertex& v : level.vertexes) {
        Out& o = lumps[LUMP_VERTEX];
        for (float f : v.position)
            o.Float(f);
        for (const auto& pair : v.texcoord)
            for (float f : pair)
                o.Float(f);
        for (float f : v.normal)
            o.Float(f);
        o.Bytes(v.color, 4);
    }
    for (int32_t v : level.meshverts)
        lumps[LUMP_MESHVERT].Int(v);
    for (const BSPFace& f : level.faces) {
        Out& o = lumps[LUMP_FACE];
        for (int32_t v : {f.texture, f.effect, f.type, f.vertex, f.n_vertexes, f.meshvert,
                          f.n_meshverts, f.lm_index, f.lm_start[0], f.lm_start[1], f.lm_size[0],
                          f.lm_size[1]})
            o.Int(v);
        for (float v : f.lm_origin)
            o.Float(v);
        for (const auto& vec : f.lm_vecs)
            for (float v : vec)
                o.Float(v);
        for (float v : f.normal)
            o.Float(v);
        o.Int(f.size[0]);
        o.Int(f.size[1]);
    }
    for (const std::vector<uint8_t>& map : level.lightmaps)
        lumps[LUMP_LIGHTMAP].Bytes(map.data(), map.size());
    if (!level.vecs.empty()) {
        lumps[LUMP_VISDATA].Int(level.n_vecs);
        lumps[LUMP_VISDATA].Int(level.sz_vecs);
        lumps[LUMP_VISDATA].Bytes(level.vecs.data(), level.vecs.size());
    }

    Out file;
    file.Bytes("IBSP", 4);
    file.Int(46);
    int32_t offset = 8 + 8 * LUMP_COUNT;
    for (const Out& lump : lumps) {
        file.Int(offset);
        file.Int(static_cast<int32_t>(lump.bytes.size()));
        offset += static_cast<int32_t>(lump.bytes.size());
    }
    for (const Out& lump : lumps)
        file.Bytes(lump.bytes.data(), lump.bytes.size());

    const std::filesystem::path target(path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(file.bytes.data(), 1, file.bytes.size(), out) == file.bytes.size();
    return std::fclose(out) == 0 && written;
}

} // namespace levelgen
