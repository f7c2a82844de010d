// D3DX text fonts through FreeType: the byte characters of one face and cell height rendered
// once into a texture, and texts drawn from it as quads cut to their rectangle.
#include "platform/d3d9/d3dx9.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>

#include "platform/d3d9/gl_device_impl.h"

namespace platform::d3d9 {

namespace {

// Every face name is served by the one font file the program ships.
constexpr char FONT_FILE[] = "fonts/arial.ttf";
constexpr int ATLAS_WIDTH = 512;
constexpr int GLYPH_GAP = 1; // empty texels between glyphs, so linear filtering never reads a neighbour

// The byte characters 0x80 to 0x9F of the Windows Latin-1 code page; the other bytes are
// their own code points.
const uint16_t CODE_PAGE_1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

FT_ULong CodePoint(uint8_t byte) { return byte >= 0x80 && byte < 0xA0 ? CODE_PAGE_1252[byte - 0x80] : byte; }

struct FontGlyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    int atlasX = 0, atlasY = 0;
};

class Font final : public ID3DXFont {
public:
    explicit Font(GLDevice* device) : device(device) { device->AddRef(); }

    // Renders the 256 byte characters into the atlas texture; false when the face cannot be used.
    bool Build(const D3DXFONT_DESCA& desc);

    ULONG AddRef() override { return ++references; }
    ULONG Release() override
    {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }

    INT DrawTextA(ID3DXSprite* sprite, const char* text, INT count, RECT* rect, DWORD format, D3DCOLOR color) override;

private:
    ~Font() override
    {
        if (atlas)
            atlas->Release();
        device->Release();
    }

    void Flush(const RECT* clip)
    {
        DrawScreenQuads(device, atlas, vertices, pending, true, clip);
        pending = 0;
    }

    ULONG references = 1;
    GLDevice* device;
    GLTexture* atlas = nullptr;
    FontGlyph glyphs[256];
    int ascent = 0;
    int lineHeight = 0;
    static constexpr int BATCH_QUADS = 64;
    ScreenVertex vertices[BATCH_QUADS * 6];
    int pending = 0;
};

bool Font::Build(const D3DXFONT_DESCA& desc)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face = nullptr;
    bool built = false;
    if (FT_New_Face(library, FONT_FILE, 0, &face) == 0 && FT_IS_SCALABLE(face)) {
        // A positive height is the character cell (ascent plus descent), a negative one the em.
        const int height = desc.Height == 0 ? 16 : std::min(std::abs(desc.Height), 512);
        FT_Size_RequestRec request = {};
        request.type = desc.Height > 0 ? FT_SIZE_REQUEST_TYPE_CELL : FT_SIZE_REQUEST_TYPE_NOMINAL;
        request.height = height * 64;
        if (FT_Request_Size(face, &request) == 0) {
            ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
            lineHeight = desc.Height > 0 ? height : static_cast<int>((face->size->metrics.height + 32) >> 6);
            built = true;
        }
    }
    // First the layout of the atlas, row by row, then its texels.
    const FT_Int32 loadFlags = desc.Quality == ANTIALIASED_QUALITY || desc.Quality == 0 ? FT_LOAD_RENDER
                                                                                         : FT_LOAD_RENDER | FT_LOAD_TARGET_MONO;
    int x = GLYPH_GAP, y = GLYPH_GAP, rowHeight = 0;
    for (int c = 0; built && c < 256; ++c) {
        FontGlyph& g = glyphs[c];
        if (c < 0x20 || FT_Load_Char(face, CodePoint(static_cast<uint8_t>(c)), FT_LOAD_DEFAULT) != 0)
            continue;
        g.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
        if (FT_Load_Char(face, CodePoint(static_cast<uint8_t>(c)), loadFlags) != 0)
            continue;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        g.width = std::min(static_cast<int>(bitmap.width), ATLAS_WIDTH - 2 * GLYPH_GAP);
        g.rows = static_cast<int>(bitmap.rows);
        g.left = face->glyph->bitmap_left;
        g.top = face->glyph->bitmap_top;
        if (x + g.width + GLYPH_GAP > ATLAS_WIDTH) {
            x = GLYPH_GAP;
            y += rowHeight + GLYPH_GAP;
            rowHeight = 0;
        }
        g.atlasX = x;
        g.atlasY = y;
        x += g.width + GLYPH_GAP;
        rowHeight = std::max(rowHeight, g.rows);
    }
    const int atlasHeight = y + rowHeight + GLYPH_GAP;
    IDirect3DTexture9* texture = nullptr;
    D3DLOCKED_RECT locked;
    built = built && SUCCEEDED(device->CreateTexture(ATLAS_WIDTH, static_cast<UINT>(atlasHeight), 1, 0,
                                                     D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr)) &&
            SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0));
    if (built) {
        atlas = static_cast<GLTexture*>(texture);
        uint8_t* texels = static_cast<uint8_t*>(locked.pBits);
        // White everywhere; the coverage goes to alpha.
        for (int i = 0; i < ATLAS_WIDTH * atlasHeight; ++i)
            std::memset(texels + 4 * i, 255, 3);
        for (int c = 0x20; c < 256; ++c) {
            const FontGlyph& g = glyphs[c];
            if (g.width == 0 || g.rows == 0 ||
                FT_Load_Char(face, CodePoint(static_cast<uint8_t>(c)), loadFlags) != 0)
                continue;
            const FT_Bitmap& bitmap = face->glyph->bitmap;
            const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
            for (int r = 0; r < g.rows && r < static_cast<int>(bitmap.rows); ++r) {
                const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(r) * bitmap.pitch;
                for (int col = 0; col < g.width; ++col) {
                    const uint8_t coverage = mono ? ((source[col >> 3] >> (7 - (col & 7))) & 1 ? 255 : 0) : source[col];
                    texels[(static_cast<size_t>(g.atlasY + r) * ATLAS_WIDTH + g.atlasX + col) * 4 + 3] = coverage;
                }
            }
        }
        texture->UnlockRect(0);
    } else if (texture) {
        texture->Release();
    }
    if (face)
        FT_Done_Face(face);
    FT_Done_FreeType(library);
    return built;
}

INT Font::DrawTextA(ID3DXSprite*, const char* text, INT count, RECT* rect, DWORD format, D3DCOLOR color)
{
    if (!text || !rect || !device->InScene())
        return 0;
    const size_t length = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
    const float aw = static_cast<float>(ATLAS_WIDTH);
    const float ah = static_cast<float>(atlas->Height());
    int penX = rect->left;
    int lineTop = rect->top;
    pending = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c == '\r' || c == '\n') {
            // A carriage return and line feed together end one line.
            if (c == '\r' && i + 1 < length && text[i + 1] == '\n')
                ++i;
            penX = rect->left;
            lineTop += lineHeight;
            continue;
        }
        const FontGlyph& g = glyphs[c];
        if (g.width > 0 && g.rows > 0) {
            const float left = static_cast<float>(penX + g.left);
            const float top = static_cast<float>(lineTop + ascent - g.top);
            WriteScreenQuad(&vertices[pending * 6], left, top, left + static_cast<float>(g.width),
                            top + static_cast<float>(g.rows), static_cast<float>(g.atlasX) / aw,
                            static_cast<float>(g.atlasY) / ah, static_cast<float>(g.atlasX + g.width) / aw,
                            static_cast<float>(g.atlasY + g.rows) / ah, color);
            if (++pending == BATCH_QUADS)
                Flush(clip);
        }
        penX += g.advance;
    }
    if (pending > 0)
        Flush(clip);
    return lineTop + lineHeight - rect->top;
}

} // namespace

} // namespace platform::d3d9

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc, ID3DXFont** font)
{
    if (!font)
        return D3DERR_INVALIDCALL;
    *font = nullptr;
    if (!device || !desc)
        return D3DERR_INVALIDCALL;
    // Every device of this layer is a GLDevice.
    auto* created = new platform::d3d9::Font(static_cast<platform::d3d9::GLDevice*>(device));
    if (!created->Build(*desc)) {
        created->Release();
        return E_FAIL;
    }
    *font = created;
    return D3D_OK;
}
