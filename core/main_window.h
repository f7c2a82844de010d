// The main window with its keyboard and mouse: creation, destruction and the per-pass poll.
#pragma once
#include <cstdint>

#include "platform/window.h"

namespace Tamrik {

class CSystem;

// The relative mouse record of one poll.
struct MouseState {
    int32_t lX = 0;
    int32_t lY = 0;
    int32_t lZ = 0;
    uint8_t rgbButtons[4] = {0, 0, 0, 0};
};

class CMainWindow {
public:
    explicit CMainWindow(CSystem* owner);
    virtual ~CMainWindow();
    CMainWindow(const CMainWindow&) = delete;
    CMainWindow& operator=(const CMainWindow&) = delete;

    virtual bool Create(int32_t width, int32_t height);
    virtual bool Destroy();
    virtual void SetTitle(const char* text);
    virtual void Update();
    virtual platform::Window** GetHandle();

    // Fires the listener lists from mouseState and keyState (edge detection on the buffers
    // only): move, wheel, buttons 0 and 1, then the keys in ascending scan code.
    void FireInputEvents();
    void FireMouseEvents();
    void FireKeyEvents();

    int32_t width = 0;
    int32_t height = 0;
    CSystem* owner;
    platform::Window* hwnd = nullptr;
    platform::WindowSettings displayMode;
    uint8_t keyState[256] = {};
    bool keyReported[256] = {};
    MouseState mouseState;
    bool button0Reported = false;
    bool button1Reported = false;
};

} // namespace Tamrik
