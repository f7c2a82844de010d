// LoadJPEG: any JPEG libjpeg decodes, top row first; grey-scale expanded to RGB.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jpeglib.h>

#include "image/image.h"

namespace Tamrik {

namespace {

// libjpeg's standard error exit ends the process; this one jumps back to LoadJPEG instead, so a
// broken texture file fails its load and nothing more. Warnings stay silent.
struct ErrorManager {
    jpeg_error_mgr standard;
    jmp_buf recover;
};

void ErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->recover, 1);
}

void OutputMessage(j_common_ptr) {}

// libjpeg's own working memory. A progressive picture keeps all its coefficients, 2 bytes per
// pixel and component: enough for four components at the largest size, and no more.
constexpr long MAX_DECODER_MEMORY = 640L << 20;

bool SidesAccepted(size_t width, size_t height)
{
    return width > 0 && height > 0 && width <= size_t(MAX_IMAGE_SIDE) && height <= size_t(MAX_IMAGE_SIDE);
}

} // namespace

bool LoadJPEG(Image* image, const char* path)
{
    image->width = 0;
    image->height = 0;
    image->format = 0;
    image->pixels = nullptr;

    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;

    jpeg_decompress_struct info{}; // zeroed, so a failure inside jpeg_create_decompress destroys nothing
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = ErrorExit;
    errors.standard.output_message = OutputMessage;
    // Everything the jump may need to release lives outside the setjmp frame's locals that the
    // jump could clobber: volatile pointers.
    uint8_t* volatile pixels = nullptr;
    uint8_t* volatile row = nullptr;
    // The jump target is set before the first libjpeg call that can fail (creation allocates).
    if (setjmp(errors.recover)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        delete[] pixels;
        delete[] row;
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = MAX_DECODER_MEMORY;
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    // Checked before decompression starts, which allocates for the whole picture.
    if (!SidesAccepted(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return false;
    }
    jpeg_start_decompress(&info);

    const size_t width = info.output_width;
    const size_t height = info.output_height;
    const size_t components = static_cast<size_t>(info.output_components);
    // Grey-scale is stored as RGB; three components as they come; anything else as four.
    const size_t bytes = components == 3 || components == 1 ? 3 : 4;
    if (!SidesAccepted(width, height) || components > 4) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return false;
    }
    pixels = new (std::nothrow) uint8_t[width * height * bytes];
    row = new (std::nothrow) uint8_t[width * components];
    if (!pixels || !row) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        delete[] pixels;
        delete[] row;
        return false;
    }

    // One scan line at a time through a row buffer, then widened into place.
    while (info.output_scanline < info.output_height) {
        const size_t y = info.output_scanline;
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            break;
        uint8_t* out = pixels + y * width * bytes;
        if (components == bytes) {
            std::memcpy(out, row, width * bytes);
        } else if (components == 1) {
            for (size_t x = 0; x < width; ++x)
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = row[x];
        } else {
            for (size_t x = 0; x < width; ++x)
                for (size_t c = 0; c < bytes; ++c)
                    out[x * bytes + c] = c < components ? row[x * components + c] : 255;
        }
    }

    jpeg_destroy_decompress(&info);
    std::fclose(file);
    delete[] row;
    image->width = static_cast<int32_t>(width);
    image->height = static_cast<int32_t>(height);
    image->format = bytes == 3 ? IMAGE_RGB : IMAGE_RGBA;
    image->pixels = pixels;
    return true;
}

} // namespace Tamrik
