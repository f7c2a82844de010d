// LoadTGA: uncompressed and run-length true-colour TGA files, rows kept in file order.
#include <cstdio>
#include <cstring>
#include <new>

#include "image/image.h"

namespace Tamrik {

namespace {

const uint8_t UNCOMPRESSED_HEADER[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const uint8_t RUN_LENGTH_HEADER[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Bytes left in the file from the current position; lets a header's size be checked against
// the file before anything is allocated for it.
long RemainingBytes(FILE* file)
{
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end > here ? end - here : 0;
}

// File pixels are blue, green, red (, alpha).
void StorePixel(uint8_t* out, const uint8_t* in, size_t bytes)
{
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (bytes == 4)
        out[3] = in[3];
}

// The file read in blocks, so that run-length packets are decoded from memory rather than one
// pixel per stdio call.
class BlockReader {
public:
    explicit BlockReader(FILE* file) : file(file) {}

    // The next n bytes (at most the 512 of a full raw packet), or null when the file ends first.
    const uint8_t* Take(size_t n)
    {
        if (end - next < n) {
            const size_t left = end - next;
            std::memmove(buffer, buffer + next, left);
            next = 0;
            end = left + std::fread(buffer + left, 1, sizeof(buffer) - left, file);
            if (end < n)
                return nullptr;
        }
        const uint8_t* bytes = buffer + next;
        next += n;
        return bytes;
    }

private:
    FILE* file;
    uint8_t buffer[16384];
    size_t next = 0;
    size_t end = 0;
};

bool ReadRunLength(FILE* file, uint8_t* pixels, size_t count, size_t bytes)
{
    BlockReader reader(file);
    size_t stored = 0;
    while (stored < count) {
        const uint8_t* header = reader.Take(1);
        if (!header)
            return false;
        const bool run = *header >= 0x80;
        const size_t n = run ? size_t(*header) - 127 : size_t(*header) + 1;
        if (n > count - stored)
            return false;
        const uint8_t* in = reader.Take(run ? bytes : n * bytes);
        if (!in)
            return false;
        for (size_t k = 0; k < n; ++k)
            StorePixel(pixels + stored++ * bytes, run ? in : in + k * bytes, bytes);
    }
    return true;
}

} // namespace

bool LoadTGA(Image* image, const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;

    uint8_t start[12];
    bool runLength = false;
    if (std::fread(start, 1, sizeof(start), file) != sizeof(start)) {
        std::fclose(file);
        return false;
    }
    if (std::memcmp(start, RUN_LENGTH_HEADER, sizeof(start)) == 0) {
        runLength = true;
    } else if (std::memcmp(start, UNCOMPRESSED_HEADER, sizeof(start)) != 0) {
        std::fclose(file);
        return false;
    }

    uint8_t rest[6];
    if (std::fread(rest, 1, sizeof(rest), file) != sizeof(rest)) {
        std::fclose(file);
        return false;
    }
    const int32_t width = rest[0] | rest[1] << 8;
    const int32_t height = rest[2] | rest[3] << 8;
    const int bits = rest[4];
    image->width = width;
    image->height = height;
    image->format = bits == 24 ? IMAGE_RGB : IMAGE_RGBA;
    image->pixels = nullptr;
    if (width == 0 || height == 0 || width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE ||
        (bits != 24 && bits != 32)) {
        std::fclose(file);
        return false;
    }

    const size_t bytes = static_cast<size_t>(bits / 8);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    const size_t size = count * bytes;
    // A file too short for its picture fails before the picture's memory is taken: raw data
    // needs every byte, a run-length packet covers at most 128 pixels.
    const size_t least = runLength ? (count + 127) / 128 * (1 + bytes) : size;
    if (static_cast<size_t>(RemainingBytes(file)) < least) {
        std::fclose(file);
        return false;
    }

    uint8_t* pixels = new (std::nothrow) uint8_t[size];
    if (!pixels) {
        std::fclose(file);
        return false;
    }

    bool ok;
    if (runLength) {
        ok = ReadRunLength(file, pixels, count, bytes);
    } else {
        ok = std::fread(pixels, 1, size, file) == size;
        if (ok) {
            for (size_t i = 0; i < size; i += bytes) {
                uint8_t blue = pixels[i];
                pixels[i] = pixels[i + 2];
                pixels[i + 2] = blue;
            }
        }
    }
    std::fclose(file);
    if (!ok) {
        delete[] pixels;
        return false;
    }
    image->pixels = pixels;
    return true;
}

} // namespace Tamrik
