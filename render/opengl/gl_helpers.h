// Small pieces the OpenGL device's files share: texture names in handles, pixel formats, new
// textures, and the state screen drawing starts from.
#pragma once
#include <GL/glew.h>

#include <cstdint>

#include "image/image.h"

namespace Tamrik::gl {

inline GLuint NameOf(uint64_t handle) { return static_cast<GLuint>(handle & 0xFFFFFFFFu); }

// GL_RGB for format 1, GL_RGBA for format 2, 0 for anything a reader cannot have made.
inline GLenum PixelFormatOf(int32_t format)
{
    if (format == IMAGE_RGB)
        return GL_RGB;
    if (format == IMAGE_RGBA)
        return GL_RGBA;
    return 0;
}

// A picture the upload can hand to OpenGL as it stands.
inline bool Uploadable(const Image& image)
{
    return image.pixels && image.width > 0 && image.height > 0 && PixelFormatOf(image.format) != 0;
}

// Contexts below OpenGL 2.0 have no programs; there is then nothing to unbind.
inline void UseNoProgram()
{
    if (glUseProgram)
        glUseProgram(0);
}

// Screen drawing starts without the level's program and from the top-left corner.
inline void BeginScreenDrawing()
{
    UseNoProgram();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// What follows is textured on unit 0 only: a lightmap left on unit 1 would tint it.
inline void TextureUnitZeroOnly(GLuint name)
{
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
}

// A new texture name, bound, magnified linearly and minified by the given filter.
inline GLuint BindNewTexture(GLint minFilter)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    return name;
}

} // namespace Tamrik::gl
