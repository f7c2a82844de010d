// The 17 lump readers of CBSPLoader: each record read field by field, then its dump lines.
#include <cstring>

#include "level/bsp_loader.h"

namespace Tamrik {

namespace {

template <typename T> T* NewRecords(int32_t count)
{
    return count > 0 ? new T[static_cast<size_t>(count)]() : nullptr;
}

} // namespace

void CBSPLoader::ReadEntityLump(int32_t length)
{
    if (length < 0)
        length = 0;
    entity = new BSPEntity[1];
    // One extra NUL: the text is used as a C string even when the lump does not end in one.
    entity[0].ents = new char[static_cast<size_t>(length) + 1];
    ReadBytes(entity[0].ents, static_cast<size_t>(length));
    entity[0].ents[length] = '\0';
    Dump("\tent =\n%s\n", entity[0].ents);
}

void CBSPLoader::ReadTextureLump(int32_t count)
{
    textures = NewRecords<BSPTexture>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPTexture& t = textures[i];
        ReadBytes(t.name, 64);
        t.name[64] = '\0';
        t.flags = ReadInt();
        t.contents = ReadInt();
        t.texture = nullptr;
        Dump("\tname = %s\n\tflags = %d\n\tcontents = %d\n\n", t.name, t.flags, t.contents);
    }
}

void CBSPLoader::ReadPlaneLump(int32_t count)
{
    planes = NewRecords<BSPPlane>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPPlane& p = planes[i];
        for (float& f : p.normal)
            f = ReadFloat();
        p.dist = ReadFloat();
        Dump("\tnormal = {%g, %g, %g}\n\tdist = %g\n\n", double(p.normal[0]), double(p.normal[1]),
             double(p.normal[2]), double(p.dist));
    }
}

void CBSPLoader::ReadNodeLump(int32_t count)
{
    nodes = NewRecords<BSPNode>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPNode& n = nodes[i];
        n.plane = ReadInt();
        for (int32_t& v : n.children)
            v = ReadInt();
        for (int32_t& v : n.mins)
            v = ReadInt();
        for (int32_t& v : n.maxs)
            v = ReadInt();
        Dump("\tplane = %d\n\tchildren = {%d, %d}\n\tmins = {%d, %d, %d}\n\tmaxs = {%d, %d, %d}\n\n",
             n.plane, n.children[0], n.children[1], n.mins[0], n.mins[1], n.mins[2], n.maxs[0],
             n.maxs[1], n.maxs[2]);
    }
}

void CBSPLoader::ReadLeafLump(int32_t count)
{
    leafs = NewRecords<BSPLeaf>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPLeaf& l = leafs[i];
        l.cluster = ReadInt();
        l.area = ReadInt();
        for (int32_t& v : l.mins)
            v = ReadInt();
        for (int32_t& v : l.maxs)
            v = ReadInt();
        l.leafface = ReadInt();
        l.n_leaffaces = ReadInt();
        l.leafbrush = ReadInt();
        l.n_leafbrushes = ReadInt();
        Dump("\tcluster = %d\n\tarea = %d\n\tmins = {%d, %d, %d}\n\tmaxs = {%d, %d, %d}\n"
             "\tleafface = %d\n\tn_leaffaces = %d\n\tleafbrush = %d\n\tn_leafbrushes = %d\n\n",
             l.cluster, l.area, l.mins[0], l.mins[1], l.mins[2], l.maxs[0], l.maxs[1], l.maxs[2],
             l.leafface, l.n_leaffaces, l.leafbrush, l.n_leafbrushes);
    }
}

void CBSPLoader::ReadLeaffaceLump(int32_t count)
{
    leaffaces = NewRecords<int32_t>(count);
    for (int32_t i = 0; i < count; ++i) {
        leaffaces[i] = ReadInt();
        Dump("\tface = %d\n\n", leaffaces[i]);
    }
}

void CBSPLoader::ReadLeafbrushLump(int32_t count)
{
    leafbrushes = NewRecords<int32_t>(count);
    for (int32_t i = 0; i < count; ++i) {
        leafbrushes[i] = ReadInt();
        Dump("\tbrush = %d\n\n", leafbrushes[i]);
    }
}

void CBSPLoader::ReadModelLump(int32_t count)
{
    models = NewRecords<BSPModel>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPModel& m = models[i];
        for (float& f : m.mins)
            f = ReadFloat();
        for (float& f : m.maxs)
            f = ReadFloat();
        m.face = ReadInt();
        m.n_faces = ReadInt();
        m.brush = ReadInt();
        m.n_brushes = ReadInt();
        Dump("\tmins = {%g, %g, %g}\n\tmaxs = {%g, %g, %g}\n\tface = %d\n\tn_faces = %d\n"
             "\tbrush = %d\n\tn_brushes = %d\n\n",
             double(m.mins[0]), double(m.mins[1]), double(m.mins[2]), double(m.maxs[0]),
             double(m.maxs[1]), double(m.maxs[2]), m.face, m.n_faces, m.brush, m.n_brushes);
    }
}

void CBSPLoader::ReadBrushLump(int32_t count)
{
    brushes = NewRecords<BSPBrush>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPBrush& b = brushes[i];
        b.brushside = ReadInt();
        b.n_brushsides = ReadInt();
        b.texture = ReadInt();
        Dump("\tbrushside = %d\n\tn_brushsides = %d\n\ttexture = %d\n\n", b.brushside,
             b.n_brushsides, b.texture);
    }
}

void CBSPLoader::ReadBrushsideLump(int32_t count)
{
    brushsides = NewRecords<BSPBrushside>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPBrushside& s = brushsides[i];
        s.plane = ReadInt();
        s.texture = ReadInt();
        Dump("\tplane = %d\n\ttexture = %d\n\n", s.plane, s.texture);
    }
}

void CBSPLoader::ReadVertexLump(int32_t count)
{
    vertexes = NewRecords<BSPVertex>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPVertex& v = vertexes[i];
        for (float& f : v.position)
            f = ReadFloat();
        for (auto& pair : v.texcoord)
            for (float& f : pair)
                f = ReadFloat();
        for (float& f : v.normal)
            f = ReadFloat();
        ReadBytes(v.color, 4);
        Dump("\tposition = {%g, %g, %g}\n\ttexcoord = {{%g, %g}, {%g, %g}}\n"
             "\tnormal = {%g, %g, %g}\n\tcolor = {%u, %u, %u, %u}\n\n",
             double(v.position[0]), double(v.position[1]), double(v.position[2]),
             double(v.texcoord[0][0]), double(v.texcoord[0][1]), double(v.texcoord[1][0]),
             double(v.texcoord[1][1]), double(v.normal[0]), double(v.normal[1]),
             double(v.normal[2]), unsigned(v.color[0]), unsigned(v.color[1]),
             unsigned(v.color[2]), unsigned(v.color[3]));
    }
}

void CBSPLoader::ReadMeshvertLump(int32_t count)
{
    meshverts = NewRecords<int32_t>(count);
    for (int32_t i = 0; i < count; ++i) {
        meshverts[i] = ReadInt();
        Dump("\toffset = %d\n\n", meshverts[i]);
    }
}

void CBSPLoader::ReadEffectLump(int32_t count)
{
    effects = NewRecords<BSPEffect>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPEffect& e = effects[i];
        ReadBytes(e.name, 64);
        e.name[64] = '\0';
        e.brush = ReadInt();
        e.unknown = ReadInt();
        Dump("\tname = %s\n\tbrush = %d\n\tunknown = %d\n\n", e.name, e.brush, e.unknown);
    }
}

void CBSPLoader::ReadFaceLump(int32_t count)
{
    faces = NewRecords<BSPFace>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPFace& f = faces[i];
        f.texture = ReadInt();
        f.effect = ReadInt();
        f.type = ReadInt();
        f.vertex = ReadInt();
        f.n_vertexes = ReadInt();
        f.meshvert = ReadInt();
        f.n_meshverts = ReadInt();
        f.lm_index = ReadInt();
        for (int32_t& v : f.lm_start)
            v = ReadInt();
        for (int32_t& v : f.lm_size)
            v = ReadInt();
        for (float& v : f.lm_origin)
            v = ReadFloat();
        for (auto& vec : f.lm_vecs)
            for (float& v : vec)
                v = ReadFloat();
        for (float& v : f.normal)
            v = ReadFloat();
        for (int32_t& v : f.size)
            v = ReadInt();
        std::memset(f.buffers, 0, sizeof(f.buffers));
        Dump("\ttexture = %d\n\teffect = %d\n\ttype = %d\n\tvertex = %d\n\tn_vertexes = %d\n"
             "\tmeshvert = %d\n\tn_meshverts = %d\n\tlm_index = %d\n\tlm_start = {%d, %d}\n"
             "\tlm_size = {%d, %d}\n\tlm_origin = {%g, %g, %g}\n"
             "\tlm_vecs = {{%g, %g, %g}, {%g, %g, %g}}\n\tnormal = {%g, %g, %g}\n"
             "\tsize = {%d, %d}\n\n",
             f.texture, f.effect, f.type, f.vertex, f.n_vertexes, f.meshvert, f.n_meshverts,
             f.lm_index, f.lm_start[0], f.lm_start[1], f.lm_size[0], f.lm_size[1],
             double(f.lm_origin[0]), double(f.lm_origin[1]), double(f.lm_origin[2]),
             double(f.lm_vecs[0][0]), double(f.lm_vecs[0][1]), double(f.lm_vecs[0][2]),
             double(f.lm_vecs[1][0]), double(f.lm_vecs[1][1]), double(f.lm_vecs[1][2]),
             double(f.normal[0]), double(f.normal[1]), double(f.normal[2]), f.size[0], f.size[1]);
    }
}

void CBSPLoader::ReadLightmapLump(int32_t count)
{
    lightmaps = NewRecords<BSPLightmap>(count);
    for (int32_t i = 0; i < count; ++i) {
        ReadBytes(lightmaps[i].map, sizeof(lightmaps[i].map));
        lightmaps[i].handle = 0;
    }
}

void CBSPLoader::ReadLightvolLump(int32_t count)
{
    lightvols = NewRecords<BSPLightvol>(count);
    for (int32_t i = 0; i < count; ++i) {
        BSPLightvol& v = lightvols[i];
        ReadBytes(v.ambient, 3);
        ReadBytes(v.directional, 3);
        ReadBytes(v.dir, 2);
        Dump("\tambient = {%u, %u, %u}\n\tdirectional = {%u, %u, %u}\n\tdir = {%u, %u}\n\n",
             unsigned(v.ambient[0]), unsigned(v.ambient[1]), unsigned(v.ambient[2]),
             unsigned(v.directional[0]), unsigned(v.directional[1]), unsigned(v.directional[2]),
             unsigned(v.dir[0]), unsigned(v.dir[1]));
    }
}

void CBSPLoader::ReadVisdataLump(int32_t length)
{
    if (length <= 8)
        return;
    const int32_t size = length - 8;
    visdata = new BSPVisdata;
    visdata->vecs = new uint8_t[static_cast<size_t>(size)];
    visdata->n_vecs = ReadInt();
    visdata->sz_vecs = ReadInt();
    ReadBytes(visdata->vecs, static_cast<size_t>(size));
    if (!dump)
        return;
    Dump("\tn_vecs = %d\n\tsz_vecs = %d\n\tvecs = \t{\n\t\t  ", visdata->n_vecs, visdata->sz_vecs);
    for (int32_t p = 0; p < size; ++p) {
        Dump("%u", unsigned(visdata->vecs[p]));
        if (p == size - 1) {
            Dump("\n\t\t}\n\n");
        } else {
            Dump(", ");
            if (p > 0 && visdata->sz_vecs != 0 && (p + 1) % visdata->sz_vecs == 0)
                Dump("\n\t\t  ");
        }
    }
}

} // namespace Tamrik
