// The OpenGL device's context and state: creation on the main window, the initial state, the 2D
// and 3D projections, frames and the camera's view.
#include "render/opengl/opengl_device.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "render/camera.h"
#include "render/opengl/gl_helpers.h"

namespace Tamrik {

namespace {

// Entry points above OpenGL 1.1 that the device calls without asking; a context without them
// cannot serve as this device.
bool HasRequiredEntryPoints()
{
    return glActiveTexture && glClientActiveTextureARB && glMultiTexCoord2f && glGenBuffersARB &&
           glBindBufferARB && glBufferDataARB && glDeleteBuffersARB;
}

// Width over height, or 1 for a window without area: a 0 x 0 window must not make the
// perspective divide by zero.
double AspectRatio(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return 1.0;
    return static_cast<double>(static_cast<uint32_t>(width)) / static_cast<uint32_t>(height);
}

enum class Projection { Screen, Perspective };

// Both modes rebuild the viewport and both matrices from the window's size at every call, so a
// frame never depends on what the last one left.
void ResetView(int32_t width, int32_t height, Projection projection)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (projection == Projection::Perspective)
        gluPerspective(45.0, AspectRatio(width, height), 1.0, 10000.0);
    else
        // One unit per pixel, origin at the top left, y down; an empty window keeps a unit box.
        glOrtho(0.0, width > 0 ? width : 1, height > 0 ? height : 1, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

} // namespace

COpenGLRenderDevice::COpenGLRenderDevice(CSystem* system) : CRenderDevice(system) {}

int32_t COpenGLRenderDevice::GlyphTextureSide(int32_t n)
{
    int32_t side = 1;
    while (side < n && side < (1 << 30))
        side <<= 1;
    return side;
}

void COpenGLRenderDevice::ViewportSize(int32_t* width, int32_t* height) const
{
    *width = mainWindow && mainWindow->width > 0 ? mainWindow->width : 0;
    *height = mainWindow && mainWindow->height > 0 ? mainWindow->height : 0;
}

bool COpenGLRenderDevice::Create(CMainWindow* window)
{
    mainWindow = window;
    platform::Window** handle = window ? window->GetHandle() : nullptr;
    deviceContext = handle ? *handle : nullptr;
    if (!deviceContext)
        return false;
    // The platform layer gives a double-buffered RGBA context with a 24-bit depth buffer and
    // initialises GLEW on it.
    renderingContext = platform::CreateGLContext(deviceContext);
    if (!renderingContext)
        return false;
    if (!HasRequiredEntryPoints()) {
        platform::DestroyGLContext(renderingContext);
        renderingContext = nullptr;
        return false;
    }

    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    // The level's faces wind clockwise seen from their front.
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    LoadShaders();

    int32_t width, height;
    ViewportSize(&width, &height);
    ResetView(width, height, Projection::Perspective);

    LoadSplash();
    return true;
}

bool COpenGLRenderDevice::Destroy()
{
    if (!renderingContext)
        return true;
    GLuint name = gl::NameOf(splash.handle);
    if (name)
        glDeleteTextures(1, &name);
    splash.handle = 0;
    platform::DestroyGLContext(renderingContext);
    renderingContext = nullptr;
    deviceContext = nullptr;
    return true;
}

void COpenGLRenderDevice::Set2DMode()
{
    if (!renderingContext)
        return;
    int32_t width, height;
    ViewportSize(&width, &height);
    ResetView(width, height, Projection::Screen);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
}

void COpenGLRenderDevice::Set3DMode()
{
    if (!renderingContext)
        return;
    int32_t width, height;
    ViewportSize(&width, &height);
    ResetView(width, height, Projection::Perspective);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

void COpenGLRenderDevice::BeginFrame()
{
    if (!renderingContext)
        return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void COpenGLRenderDevice::EndFrame()
{
    if (!renderingContext)
        return;
    platform::SwapGLBuffers(deviceContext);
}

void COpenGLRenderDevice::UpdateCamera()
{
    CRenderDevice::UpdateCamera();
    if (!renderingContext || !camera)
        return;
    // Level (x, y, z) goes to OpenGL as (y, z, x): level z, which is up, becomes OpenGL y.
    const float* p = camera->position;
    const float* t = camera->lookAt;
    const float* u = camera->up;
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(p[1], p[2], p[0], t[1], t[2], t[0], u[1], u[2], u[0]);
}

} // namespace Tamrik
