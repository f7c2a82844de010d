// The OpenGL device's screen-space drawing: the splash screen and textured GUI quads, both in
// immediate mode over the state Set2DMode leaves.
#include <GL/glew.h>

#include "core/main_window.h"
#include "render/opengl/gl_helpers.h"
#include "render/opengl/opengl_device.h"

namespace Tamrik {

namespace {

// Rounded down, also when a picture larger than the window makes it negative.
int32_t FloorHalf(int32_t n) { return n / 2 - (n % 2 < 0 ? 1 : 0); }

} // namespace

void COpenGLRenderDevice::DrawSplash()
{
    if (!renderingContext)
        return;
    int32_t width, height;
    ViewportSize(&width, &height);
    gl::BeginScreenDrawing();
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_TEXTURE_2D);

    glColor3ub(255, 247, 240);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(0, height);
    glVertex2i(width, height);
    glVertex2i(width, 0);
    glEnd();

    glLoadIdentity();
    glColor3ub(255, 255, 255);
    gl::TextureUnitZeroOnly(gl::NameOf(splash.handle));
    // Centred; the picture's rows run bottom-up, so t = 1 is its top.
    const int32_t x0 = FloorHalf(width - splash.width);
    const int32_t y0 = FloorHalf(height - splash.height);
    const int32_t x1 = x0 + splash.width;
    const int32_t y1 = y0 + splash.height;
    glBegin(GL_QUADS);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
    glVertex2i(x0, y0);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
    glVertex2i(x0, y1);
    glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
    glVertex2i(x1, y1);
    glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
    glVertex2i(x1, y0);
    glEnd();
}

void COpenGLRenderDevice::DrawQuad(ScreenQuad* quad, Texture* texture)
{
    // A picture that could not be read has no texture: it shows nothing rather than a blank
    // white box where the skin should be.
    if (!renderingContext || !quad || !texture || gl::NameOf(texture->handle) == 0)
        return;
    const ScreenPoint* p = quad->points;
    gl::BeginScreenDrawing();
    gl::TextureUnitZeroOnly(gl::NameOf(texture->handle));
    // White at the top, 0.8 grey at the bottom: the picture stands upright and is shaded.
    glBegin(GL_QUADS);
    glColor3f(1.0f, 1.0f, 1.0f);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
    glVertex2i(p[QUAD_TOP_LEFT].x, p[QUAD_TOP_LEFT].y);
    glColor3f(0.8f, 0.8f, 0.8f);
    glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
    glVertex2i(p[QUAD_BOTTOM_LEFT].x, p[QUAD_BOTTOM_LEFT].y);
    glColor3f(0.8f, 0.8f, 0.8f);
    glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
    glVertex2i(p[QUAD_BOTTOM_RIGHT].x, p[QUAD_BOTTOM_RIGHT].y);
    glColor3f(1.0f, 1.0f, 1.0f);
    glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
    glVertex2i(p[QUAD_TOP_RIGHT].x, p[QUAD_TOP_RIGHT].y);
    glEnd();
}

} // namespace Tamrik
