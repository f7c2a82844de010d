// Fuzzes the bitmap font with any bytes as "fonts/arial.ttf": loading must not crash, read out of
// bounds or allocate without bound, and the measures must stay within the glyph table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "render/bitmap_font.h"
#include "tests/fuzz/fuzz_input_file.h"
#include "tests/fuzz/fuzz_scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The font is read relative to the working directory.
    static const bool ready = EnterFuzzScratchFolder("fonts");
    if (!ready)
        return 0;
    if (!WriteFuzzFile("fonts/arial.ttf", data, size))
        return 0;

    Tamrik::CBitmapFont font;
    if (font.Load()) {
        if (font.count != 255 || !font.glyphs)
            std::abort();
        for (int i = 0; i < font.count; ++i) {
            const Tamrik::Glyph& g = font.glyphs[i];
            if ((g.bitmap == nullptr) != (g.width == 0 || g.rows == 0) || g.width > 256 || g.rows > 256)
                std::abort();
        }
    }
    char text[256];
    for (int i = 0; i < 255; ++i)
        text[i] = static_cast<char>(i + 1);
    text[255] = '\0';
    font.GetTextWidth(text);
    font.GetLineHeight();
    return 0;
}
