// The platform window behind CMainWindow with its keyboard and mouse, opaque above platform/.
#pragma once
#include <cstdint>

namespace platform {

struct Window;

struct WindowSettings {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;        // bits per pixel of the full-screen mode; 0 takes any
    int32_t refreshRate = 0;  // Hz of the full-screen mode; 0 or 1 takes any
    bool fullscreen = false;
    // An 8-bit stencil buffer beside the 24-bit depth buffer where the driver offers one; false
    // asks for none, as on a driver that offers none.
    bool stencil = true;
};

enum class WindowError {
    None,
    VideoUnavailable,   // no window system to open a window with
    DisplayMode,        // the full-screen mode cannot be set
    CreateWindow,       // no window: no display reachable, or a size it cannot hold
};

// Opens a window titled title at (0, 0) with a client area of exactly width x height, hides
// the system cursor, keeps the screen saver off and starts relative mouse input. Only window
// systems that show the window are used (X11, Wayland), never an offscreen one.
// Null on failure, with the reason in error.
Window* CreateMainWindow(const char* title, const WindowSettings& settings, WindowError* error);
// Closes the window and puts the display mode back.
void DestroyMainWindow(Window* window);
void SetWindowTitle(Window* window, const char* text);

enum class Message { None, Quit, Other };

// Takes at most one pending window message. Quit: the user or the system asked the program to
// end (a close request of the window, or a quit request such as SIGTERM).
Message TakeMessage(Window* window);

// Mouse movement and wheel since the previous call (the wheel in steps of 120 per notch) and
// the four button states (non-zero down: left, right, middle, fourth).
void ReadMouse(Window* window, int32_t* dx, int32_t* dy, int32_t* wheel, uint8_t buttons[4]);

// The keyboard state indexed by DirectInput scan code: 0x80 down, 0 up.
void ReadKeyboard(Window* window, uint8_t keys[256]);

} // namespace platform
