// The OpenGL device's textures: the splash picture, the GUI pictures, the level's textures and
// its lightmaps. Decoded pixels are freed as soon as OpenGL holds them.
#include <GL/glew.h>
#include <GL/glu.h>

#include <cstdio>

#include "core/log.h"
#include "core/system.h"
#include "level/bsp_loader.h"
#include "render/opengl/gl_helpers.h"
#include "render/opengl/opengl_device.h"

namespace Tamrik {

namespace {

void FreePixels(Image& image)
{
    delete[] image.pixels;
    image.pixels = nullptr;
}

void WriteLog(CSystem* system, const char* text)
{
    if (system && system->log)
        system->log->Write(text);
}

} // namespace

void COpenGLRenderDevice::LoadSplash()
{
    if (!LoadTGA(&splash, "textures/logo_pellum.tga")) {
        WriteLog(system, "Failed loading splash texture!\n");
        // The reader may have left the header's size behind; an empty picture draws nothing.
        FreePixels(splash);
        splash.width = splash.height = splash.format = 0;
    }
    splash.handle = gl::BindNewTexture(GL_LINEAR);
    if (gl::Uploadable(splash)) {
        GLenum format = gl::PixelFormatOf(splash.format);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), splash.width, splash.height, 0,
                     format, GL_UNSIGNED_BYTE, splash.pixels);
    }
    FreePixels(splash);
}

void COpenGLRenderDevice::UploadMipmapped(Texture* texture)
{
    if (!texture || !gl::Uploadable(*texture)) {
        // Whatever a failed reader left has no use without a texture.
        if (texture)
            FreePixels(*texture);
        return;
    }
    texture->handle = gl::BindNewTexture(GL_LINEAR_MIPMAP_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    GLenum format = gl::PixelFormatOf(texture->format);
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), texture->width, texture->height,
                      format, GL_UNSIGNED_BYTE, texture->pixels);
    FreePixels(*texture);
}

void COpenGLRenderDevice::LoadGUITextures(CGUI* gui)
{
    CRenderDevice::LoadGUITextures(gui);
    if (!renderingContext)
        return;
    for (auto& [id, entry] : guiTextures)
        UploadMipmapped(entry.texture);
}

void COpenGLRenderDevice::ReleaseGUITextures()
{
    if (renderingContext) {
        for (auto& [id, entry] : guiTextures) {
            if (!entry.texture)
                continue;
            GLuint name = gl::NameOf(entry.texture->handle);
            if (name)
                glDeleteTextures(1, &name);
            entry.texture->handle = 0;
        }
    }
    CRenderDevice::ReleaseGUITextures();
}

void COpenGLRenderDevice::LoadLevelTextures()
{
    if (!renderingContext || !level)
        return;
    char line[256];
    const int32_t textureCount = level->RecordCount(LUMP_TEXTURE);
    std::snprintf(line, sizeof line, "There are %d textures to load.\n", textureCount);
    WriteLog(system, line);
    for (int32_t i = 0; i < textureCount && level->textures; ++i) {
        Texture* texture = level->textures[i].texture;
        if (!texture || !gl::Uploadable(*texture))
            continue;
        UploadMipmapped(texture);
        std::snprintf(line, sizeof line, "Successfuly loaded texture number %d.\n", i);
        WriteLog(system, line);
    }

    const int32_t lightmapCount = level->RecordCount(LUMP_LIGHTMAP);
    for (int32_t i = 0; i < lightmapCount && level->lightmaps; ++i) {
        BSPLightmap& lightmap = level->lightmaps[i];
        lightmap.handle = gl::BindNewTexture(GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 128, 128, 0, GL_RGB, GL_UNSIGNED_BYTE, lightmap.map);
    }
}

void COpenGLRenderDevice::ReleaseLevelTextures()
{
    if (!level)
        return;
    const int32_t textureCount = level->RecordCount(LUMP_TEXTURE);
    for (int32_t i = 0; i < textureCount && level->textures; ++i) {
        Texture*& texture = level->textures[i].texture;
        if (!texture)
            continue;
        GLuint name = gl::NameOf(texture->handle);
        if (name && renderingContext)
            glDeleteTextures(1, &name);
        delete[] texture->pixels;
        delete texture;
        texture = nullptr;
    }
    const int32_t lightmapCount = level->RecordCount(LUMP_LIGHTMAP);
    for (int32_t i = 0; i < lightmapCount && level->lightmaps; ++i) {
        GLuint name = gl::NameOf(level->lightmaps[i].handle);
        if (name && renderingContext)
            glDeleteTextures(1, &name);
        level->lightmaps[i].handle = 0;
    }
}

} // namespace Tamrik
