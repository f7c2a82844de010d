// Decoded pictures (Image, Texture) and their two readers, TGA and JPEG.
#pragma once
#include <cstdint>

namespace Tamrik {

enum ImageFormat : int32_t {
    IMAGE_RGB = 1,  // 3 bytes per pixel: red, green, blue
    IMAGE_RGBA = 2, // 4 bytes per pixel: red, green, blue, alpha
};

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int32_t format = 0;
    uint8_t* pixels = nullptr; // new[]-allocated by the reader; the holder releases it with delete[]
};

// An Image plus the device's texture handle (an OpenGL name in the low 32 bits, or a
// Direct3D texture pointer); 0 until a back-end makes the texture.
struct Texture : Image {
    uint64_t handle = 0;
};

// The largest width and the largest height either reader accepts: a texture side that both
// renderers can use (Direct3D 9 hardware commonly offers 8192, Mesa's OpenGL 16384). It bounds
// a decoded picture to 256 MiB.
constexpr int32_t MAX_IMAGE_SIDE = 8192;

// Uncompressed (type 2) and run-length (type 10) true-colour TGA, 24 or 32 bits; rows stay in
// file order. False leaves no pixels; width, height and format may hold the header's values.
bool LoadTGA(Image* image, const char* path);

// Any JPEG libjpeg decodes; top row first. Grey-scale files are expanded to RGB. False leaves
// the image cleared (all zero, no pixels), also for files libjpeg cannot decode.
bool LoadJPEG(Image* image, const char* path);

} // namespace Tamrik
