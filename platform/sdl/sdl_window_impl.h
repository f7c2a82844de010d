// The SDL window record shared by the window, input and GL-context files of the SDL layer.
#pragma once
#include <SDL.h>

#include <cstdint>

namespace platform {

struct Window {
    SDL_Window* window = nullptr;
    // Wheel steps seen by the event filter since the last ReadMouse.
    int32_t wheel = 0;
};

} // namespace platform
