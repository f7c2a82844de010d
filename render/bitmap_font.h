// The bitmap font: the 255 glyphs of "fonts/arial.ttf" pre-rendered at 12 points into 8-bit
// coverage bitmaps, and the text measures the GUI placement uses.
#pragma once
#include <cstdint>

namespace Tamrik {

struct Glyph {
    uint8_t* bitmap = nullptr; // rows x width coverage bytes, top row first
    int32_t width = 0;
    int32_t rows = 0;
    int32_t advance = 0;
    int32_t left = 0;
    int32_t top = 0;
};

class CBitmapFont {
public:
    CBitmapFont() = default;
    ~CBitmapFont();
    CBitmapFont(const CBitmapFont&) = delete;
    CBitmapFont& operator=(const CBitmapFont&) = delete;

    // Renders the glyph table; false (and no table) when the font file cannot be opened.
    bool Load();
    // Texts are measured byte by byte; a byte without a glyph (255, or any after a failed
    // Load) measures 0.
    int32_t GetTextWidth(const char* text) const;
    int32_t GetLineHeight() const;

    // The glyph of a character code, or null when the font has none for it.
    const Glyph* Find(uint8_t code) const;

    Glyph* glyphs = nullptr;
    int32_t count = 0;
    int32_t size = 0;

private:
    void Free();
};

} // namespace Tamrik
