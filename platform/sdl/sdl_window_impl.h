// The SDL window record shared by the window, input and GL-context files of the SDL layer.
#pragma once
#include <SDL.h>

#include <cstdint>

namespace platform {

struct Window {
    SDL_Window* window = nullptr;
    // Wheel steps seen by the event filter since the last ReadMouse.
    int32_t wheel = 0;
    // Keys (by DirectInput scan code) and buttons pressed since the last read, so that a tap
    // that goes down and up between two polls is still seen down once.
    bool keysPressed[256] = {};
    bool buttonsPressed[4] = {};
};

} // namespace platform
