// Builds level files byte by byte for the tests: a header, 17 directory entries and lumps.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "level/bsp_loader.h"

namespace kestrova_test {

class LumpBytes {
public:
    LumpBytes& Int(int32_t v)
    {
        for (int s = 0; s < 32; s += 8)
            bytes.push_back(static_cast<char>((static_cast<uint32_t>(v) >> s) & 0xff));
        return *this;
    }
    LumpBytes& Float(float f)
    {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return Int(static_cast<int32_t>(u));
    }
    LumpBytes& Name(const std::string& name)
    {
        std::string field = name;
        field.resize(64, '\0');
        bytes += field;
        return *this;
    }
    LumpBytes& Raw(const std::string& raw)
    {
        bytes += raw;
        return *this;
    }
    std::string bytes;
};

// A whole file: lumps laid out one after another behind the directory.
inline std::string LevelFile(const LumpBytes (&lumps)[Tamrik::LUMP_COUNT])
{
    LumpBytes file;
    file.Raw("IBSP").Int(46);
    int32_t offset = 8 + 8 * Tamrik::LUMP_COUNT;
    for (const LumpBytes& lump : lumps) {
        file.Int(offset).Int(static_cast<int32_t>(lump.bytes.size()));
        offset += static_cast<int32_t>(lump.bytes.size());
    }
    for (const LumpBytes& lump : lumps)
        file.Raw(lump.bytes);
    return file.bytes;
}

// The smallest level that passes the load checks: one room-less box brush in one leaf under one
// node, one quad face, one texture, visibility for one cluster.
inline void ValidLevel(LumpBytes (&l)[Tamrik::LUMP_COUNT])
{
    using namespace Tamrik;
    l[LUMP_ENTITY].Raw(std::string("{\n\"classname\" \"light\"\n\"ID\" \"3\"\n}\n") + '\0');
    l[LUMP_TEXTURE].Name("textures/wall").Int(0).Int(1);
    l[LUMP_PLANE].Float(1).Float(0).Float(0).Float(0);
    // node 0: front leaf 0, back leaf 1
    l[LUMP_NODE].Int(0).Int(-1).Int(-2).Int(-8).Int(-8).Int(-8).Int(8).Int(8).Int(8);
    l[LUMP_LEAF].Int(0).Int(0).Int(0).Int(-8).Int(-8).Int(8).Int(8).Int(8).Int(0).Int(1).Int(0).Int(1);
    l[LUMP_LEAF].Int(-1).Int(0).Int(-8).Int(-8).Int(-8).Int(0).Int(8).Int(8).Int(0).Int(0).Int(0).Int(0);
    l[LUMP_LEAFFACE].Int(0);
    l[LUMP_LEAFBRUSH].Int(0);
    l[LUMP_MODEL].Float(-8).Float(-8).Float(-8).Float(8).Float(8).Float(8).Int(0).Int(1).Int(0).Int(1);
    l[LUMP_BRUSH].Int(0).Int(1).Int(0);
    l[LUMP_BRUSHSIDE].Int(0).Int(0);
    for (int v = 0; v < 4; ++v)
        l[LUMP_VERTEX].Float(0).Float(float(v & 1)).Float(float(v >> 1)).Float(0).Float(0).Float(0)
            .Float(0).Float(1).Float(0).Float(0).Raw(std::string(4, '\xff'));
    for (int m : {0, 1, 2, 0, 2, 3})
        l[LUMP_MESHVERT].Int(m);
    LumpBytes& f = l[LUMP_FACE];
    f.Int(0).Int(-1).Int(1).Int(0).Int(4).Int(0).Int(6).Int(0).Int(0).Int(0).Int(2).Int(2);
    for (int k = 0; k < 12; ++k)
        f.Float(0);
    f.Int(0).Int(0);
    l[LUMP_LIGHTMAP].Raw(std::string(49152, '\x40'));
    l[LUMP_VISDATA].Int(1).Int(1).Raw(std::string(1, '\x01'));
}

} // namespace kestrova_test
