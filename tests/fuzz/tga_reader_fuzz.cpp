// Fuzz target for LoadTGA: any bytes as a picture file; the result must be consistent.
#include "tests/fuzz/image_reader_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzImageReader(data, size, "tga_reader_fuzz.tga", Tamrik::LoadTGA);
}
