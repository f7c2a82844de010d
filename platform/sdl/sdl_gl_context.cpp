// OpenGL contexts on the SDL window, with GLEW's entry points loaded once the context is current.
#include <GL/glew.h>
#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <cstring>

#include "platform/gl_context.h"
#include "platform/sdl/sdl_window_impl.h"

namespace platform {

namespace {

// Mesa unloads its driver when the display closes, before the process ends; allocations the
// driver never frees then reach leak checkers with no module to name them by. The driver is
// kept loaded until exit instead.
void KeepGLDriverLoaded()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "_dri.so") || std::strstr(name, "libgallium")))
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

} // namespace

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
    KeepGLDriverLoaded();
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

void SetGLSwapInterval(int interval)
{
    // Drivers that cannot change it keep their own; frames still arrive.
    SDL_GL_SetSwapInterval(interval);
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
