// Shared body of the picture-reader fuzz targets: the bytes go through a file, as the readers
// take paths, and a picture that loads must be allocated whole.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/image.h"
#include "tests/fuzz/fuzz_input_file.h"

inline int FuzzImageReader(const uint8_t* data, size_t size, const std::string& name,
                           bool (*load)(Tamrik::Image*, const char*))
{
    const std::string file = WriteFuzzInput(data, size, name);
    if (file.empty())
        return 0;

    Tamrik::Image image;
    if (load(&image, file.c_str())) {
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
