// Fuzzes the bitmap font with any bytes as "fonts/arial.ttf": loading must not crash, read out of
// bounds or allocate without bound, and the measures must stay within the glyph table.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "render/bitmap_font.h"

namespace {

char g_Folder[] = "/tmp/kestrova-font-fuzz-XXXXXX";

void RemoveScratchFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(g_Folder, ec);
}

// The font is read relative to the working directory: one private folder for the whole run.
bool EnterScratchFolder()
{
    if (!mkdtemp(g_Folder))
        return false;
    std::atexit(RemoveScratchFolder);
    if (chdir(g_Folder) != 0)
        return false;
    std::filesystem::create_directories("fonts");
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = EnterScratchFolder();
    if (!ready)
        return 0;
    FILE* file = std::fopen("fonts/arial.ttf", "wb");
    if (!file)
        return 0;
    if (size)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

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
