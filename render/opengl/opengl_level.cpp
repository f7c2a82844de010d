// The OpenGL device's level geometry: static vertex buffers per polygon and mesh face, drawn
// with the surface texture on unit 0 and the lightmap on unit 1.
#include <GL/glew.h>

#include <vector>

#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "render/opengl/gl_helpers.h"
#include "render/opengl/opengl_device.h"

namespace Tamrik {

namespace {

enum FaceBuffer { POSITIONS = 0, NORMALS = 1, SURFACE_COORDS = 2, LIGHTMAP_COORDS = 3 };

bool IsDrawnType(int32_t type) { return type == 1 || type == 3; }

int32_t BufferCount(const BSPFace& face) { return face.lm_index >= 0 ? 4 : 3; }

} // namespace

void COpenGLRenderDevice::LoadLevelGeometry()
{
    if (!renderingContext || !level || !level->faces)
        return;
    std::vector<float> positions, normals, surface, lightmap;
    const int32_t faceCount = level->RecordCount(LUMP_FACE);
    for (int32_t f = 0; f < faceCount; ++f) {
        BSPFace& face = level->faces[f];
        if (!IsDrawnType(face.type) || !FaceMeshvertsFit(*level, face))
            continue;
        const size_t m = static_cast<size_t>(face.n_meshverts);
        positions.resize(3 * m);
        normals.resize(3 * m);
        surface.resize(2 * m);
        lightmap.resize(2 * m);
        for (size_t k = 0; k < m; ++k) {
            const BSPVertex& v = level->vertexes[face.vertex + level->meshverts[face.meshvert + k]];
            // Level (x, y, z) to OpenGL (y, z, x).
            positions[3 * k + 0] = v.position[1];
            positions[3 * k + 1] = v.position[2];
            positions[3 * k + 2] = v.position[0];
            normals[3 * k + 0] = v.normal[1];
            normals[3 * k + 1] = v.normal[2];
            normals[3 * k + 2] = v.normal[0];
            surface[2 * k + 0] = v.texcoord[0][0];
            surface[2 * k + 1] = v.texcoord[0][1];
            lightmap[2 * k + 0] = v.texcoord[1][0];
            lightmap[2 * k + 1] = v.texcoord[1][1];
        }
        const int32_t buffers = BufferCount(face);
        glGenBuffersARB(buffers, face.buffers);
        const std::vector<float>* arrays[4] = {&positions, &normals, &surface, &lightmap};
        for (int32_t b = 0; b < buffers; ++b) {
            glBindBufferARB(GL_ARRAY_BUFFER_ARB, face.buffers[b]);
            glBufferDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(arrays[b]->size() * sizeof(float)),
                            arrays[b]->data(), GL_STATIC_DRAW_ARB);
        }
    }
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

void COpenGLRenderDevice::ReleaseLevelGeometry()
{
    if (!level || !level->faces)
        return;
    const int32_t faceCount = level->RecordCount(LUMP_FACE);
    for (int32_t f = 0; f < faceCount; ++f) {
        BSPFace& face = level->faces[f];
        // Zero names, of faces that never got buffers, are ignored by OpenGL.
        if (renderingContext)
            glDeleteBuffersARB(BufferCount(face), face.buffers);
        for (uint32_t& name : face.buffers)
            name = 0;
    }
}

void COpenGLRenderDevice::RenderLevel()
{
    if (!renderingContext || !level || !level->faces)
        return;
    const int32_t faceCount = level->RecordCount(LUMP_FACE);
    const int32_t textureCount = level->RecordCount(LUMP_TEXTURE);
    const int32_t lightmapCount = level->RecordCount(LUMP_LIGHTMAP);
    // The faces are modulated by the current colour; the loading screen's last text leaves
    // black behind, which would blacken the first frame.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (faceCursor = visibleFaces.begin(); faceCursor != visibleFaces.end(); ++faceCursor) {
        const int32_t index = *faceCursor;
        if (index < 0 || index >= faceCount)
            continue;
        const BSPFace& face = level->faces[index];
        // A face without buffers would point the arrays at client memory address 0.
        if (!IsDrawnType(face.type) || face.buffers[POSITIONS] == 0)
            continue;
        if (face.texture < 0 || face.texture >= textureCount || !level->textures[face.texture].texture)
            continue;
        const Texture* surfaceTexture = level->textures[face.texture].texture;
        const bool lightmapped = face.lm_index >= 0 && face.lm_index < lightmapCount &&
                                 face.buffers[LIGHTMAP_COORDS] != 0;

        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glClientActiveTextureARB(GL_TEXTURE0);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);

        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, gl::NameOf(surfaceTexture->handle));
        glActiveTexture(GL_TEXTURE1);
        if (lightmapped) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, gl::NameOf(level->lightmaps[face.lm_index].handle));
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        glActiveTexture(GL_TEXTURE0);

        glBindBufferARB(GL_ARRAY_BUFFER_ARB, face.buffers[POSITIONS]);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, face.buffers[NORMALS]);
        glNormalPointer(GL_FLOAT, 0, nullptr);
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, face.buffers[SURFACE_COORDS]);
        glClientActiveTextureARB(GL_TEXTURE0);
        glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
        if (lightmapped) {
            glBindBufferARB(GL_ARRAY_BUFFER_ARB, face.buffers[LIGHTMAP_COORDS]);
            glClientActiveTextureARB(GL_TEXTURE1);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
        }

        glDrawArrays(GL_TRIANGLES, 0, face.n_meshverts);

        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glClientActiveTextureARB(GL_TEXTURE1);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glClientActiveTextureARB(GL_TEXTURE0);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

} // namespace Tamrik
