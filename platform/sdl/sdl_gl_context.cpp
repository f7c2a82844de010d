// OpenGL contexts on the SDL window, with GLEW's entry points loaded once the context is current.
#include <GL/glew.h>
#include <SDL.h>

#include "platform/gl_context.h"
#include "platform/sdl/sdl_window_impl.h"

namespace platform {

struct GLContext {
    SDL_GLContext context = nullptr;
};

GLContext* CreateGLContext(Window* window)
{
    if (!window || !window->window)
        return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(window->window);
    if (!context)
        return nullptr;
    if (SDL_GL_MakeCurrent(window->window, context) != 0) {
        SDL_GL_DeleteContext(context);
        return nullptr;
    }
    glewExperimental = GL_TRUE;
    GLenum result = glewInit();
    // A GLX build of GLEW finds no GLX display when SDL drives the context through EGL; the
    // entry points it loads still work, so only other results count as failure.
    if (result != GLEW_OK && result != GLEW_ERROR_NO_GLX_DISPLAY) {
        SDL_GL_DeleteContext(context);
        return nullptr;
    }
    // glewInit may leave an error behind from probing; start with a clean slate.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    return new GLContext{context};
}

void SwapGLBuffers(Window* window)
{
    if (window && window->window)
        SDL_GL_SwapWindow(window->window);
}

void DestroyGLContext(GLContext* context)
{
    if (!context)
        return;
    SDL_GL_DeleteContext(context->context);
    delete context;
}

void GetWindowSize(Window* window, int* width, int* height)
{
    *width = *height = 0;
    if (window && window->window)
        SDL_GL_GetDrawableSize(window->window, width, height);
}

} // namespace platform
