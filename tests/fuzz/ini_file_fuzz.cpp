// Fuzz target for the settings reader: any bytes must parse without a fault.
#include <cstddef>
#include <cstdint>

#include "core/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Tamrik::IniMap map;
    Tamrik::ParseIniBytes(map, reinterpret_cast<const char*>(data), size);
    // Lookups insert, as every reader of settings does.
    (void)map["Display"]["Width"];
    return 0;
}
