// Fuzz target for LoadJPEG: any bytes as a picture file; the result must be consistent.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "render/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Per process, so parallel fuzzing jobs do not share the file.
    static const std::string name = "/tmp/kestrova_jpeg_reader_fuzz_" + std::to_string(getpid()) + ".jpg";
    const char* path = name.c_str();
    FILE* out = std::fopen(path, "wb");
    if (!out)
        return 0;
    if (size)
        std::fwrite(data, 1, size, out);
    std::fclose(out);

    Tamrik::Image image;
    if (Tamrik::LoadJPEG(&image, path)) {
        const size_t bytes = image.format == Tamrik::IMAGE_RGB ? 3 : 4;
        const size_t total = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * bytes;
        // Touch the first and last byte: the whole picture must be allocated.
        volatile uint8_t sink = image.pixels[0];
        sink = image.pixels[total - 1];
        (void)sink;
    } else if (image.pixels) {
        std::abort();
    }
    delete[] image.pixels;
    return 0;
}
