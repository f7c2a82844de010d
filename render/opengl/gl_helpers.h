// Small pieces the OpenGL device's files share: texture names in handles, pixel formats, and
// leaving the shader program.
#pragma once
#include <GL/glew.h>

#include <cstdint>

#include "render/image.h"

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

} // namespace Tamrik::gl
