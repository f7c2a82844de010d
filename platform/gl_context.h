// An OpenGL context on the main window, with the buffers the window was made with: compatibility
// profile, double buffer, 24-bit depth and, where the driver offers it, 8-bit stencil.
#pragma once

#include "platform/window.h"

namespace platform {

struct GLContext;

// Makes a context current on window; null when the platform cannot give one.
GLContext* CreateGLContext(Window* window);
void SwapGLBuffers(Window* window);
// 0 shows each frame at once, 1 waits for the display's refresh; for the current context.
void SetGLSwapInterval(int interval);
void DestroyGLContext(GLContext* context);

// The drawable size of the window in pixels.
void GetWindowSize(Window* window, int* width, int* height);

} // namespace platform
