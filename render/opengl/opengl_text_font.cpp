// The OpenGL device's text font: a texture and a display list per glyph of the bitmap font, and
// texts drawn as one call of those lists.
#include <GL/glew.h>

#include <cstring>
#include <vector>

#include "render/opengl/gl_helpers.h"
#include "render/opengl/opengl_device.h"

namespace Tamrik {

void COpenGLRenderDevice::CreateTextFont()
{
    // A font that did not load has no glyphs, and then there is no text font: texts draw
    // nothing.
    if (!renderingContext || !font.glyphs || !glyphTextures || font.count <= 0)
        return;
    glyphListBase = glGenLists(font.count);
    if (glyphListBase == 0)
        return;
    glActiveTexture(GL_TEXTURE0);
    std::vector<uint8_t> texels;
    for (int32_t i = 0; i < font.count; ++i) {
        Glyph& glyph = font.glyphs[i];
        const int32_t w = glyph.bitmap ? glyph.width : 0;
        const int32_t h = glyph.bitmap ? glyph.rows : 0;
        const int32_t texWidth = GlyphTextureSide(w);
        const int32_t texHeight = GlyphTextureSide(h);

        // Luminance and alpha both carry the coverage; the rest of the power-of-two texture
        // stays empty.
        texels.assign(static_cast<size_t>(texWidth) * texHeight * 2, 0);
        for (int32_t r = 0; r < h; ++r) {
            for (int32_t c = 0; c < w; ++c) {
                uint8_t coverage = glyph.bitmap[static_cast<size_t>(r) * w + c];
                size_t at = (static_cast<size_t>(r) * texWidth + c) * 2;
                texels[at] = coverage;
                texels[at + 1] = coverage;
            }
        }
        const GLuint name = gl::BindNewTexture(GL_LINEAR);
        glyphTextures[i] = name;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texWidth, texHeight, 0, GL_LUMINANCE_ALPHA,
                     GL_UNSIGNED_BYTE, texels.data());
        delete[] glyph.bitmap;
        glyph.bitmap = nullptr;

        const float s = static_cast<float>(w) / static_cast<float>(texWidth);
        const float t = static_cast<float>(h) / static_cast<float>(texHeight);
        glNewList(glyphListBase + i, GL_COMPILE);
        glPushMatrix();
        glTranslatef(static_cast<float>(glyph.left), 0.0f, 0.0f);
        // Every glyph hangs from a baseline one font size below the line's top.
        glTranslatef(0.0f, static_cast<float>(font.size - glyph.top), 0.0f);
        gl::TextureUnitZeroOnly(name);
        glBegin(GL_QUADS);
        glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
        glVertex2f(0.0f, 0.0f);
        glMultiTexCoord2f(GL_TEXTURE0, 0.0f, t);
        glVertex2f(0.0f, static_cast<float>(h));
        glMultiTexCoord2f(GL_TEXTURE0, s, t);
        glVertex2f(static_cast<float>(w), static_cast<float>(h));
        glMultiTexCoord2f(GL_TEXTURE0, s, 0.0f);
        glVertex2f(static_cast<float>(w), 0.0f);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        glPopMatrix();
        glTranslatef(static_cast<float>(glyph.advance), 0.0f, 0.0f);
        glEndList();
    }
}

void COpenGLRenderDevice::ReleaseTextFont()
{
    if (!renderingContext || glyphListBase == 0)
        return;
    if (glyphTextures) {
        glDeleteTextures(font.count, glyphTextures);
        std::memset(glyphTextures, 0, sizeof(uint32_t) * static_cast<size_t>(font.count));
    }
    glDeleteLists(glyphListBase, font.count);
    glyphListBase = 0;
}

void COpenGLRenderDevice::DrawString(const char* text, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b)
{
    if (!renderingContext || !text || glyphListBase == 0)
        return;
    gl::BeginScreenDrawing();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glColor3ub(static_cast<GLubyte>(r), static_cast<GLubyte>(g), static_cast<GLubyte>(b));
    glListBase(glyphListBase);
    // Each byte runs the list of its code; the byte 255 names a list that was never compiled
    // and draws nothing.
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
}

} // namespace Tamrik
