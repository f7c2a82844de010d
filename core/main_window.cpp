// The main window: opening it in the configured mode, closing it, and the per-pass poll that
// turns keyboard and mouse state changes into listener calls.
#include "core/main_window.h"

#include <cstdlib>

#include "core/log.h"
#include "core/system.h"

namespace Tamrik {

CMainWindow::CMainWindow(CSystem* owner) : owner(owner) {}

CMainWindow::~CMainWindow() = default;

bool CMainWindow::Create(int32_t width, int32_t height)
{
    this->width = width;
    this->height = height;
    IniMap& settings = *owner->settings;
    displayMode = platform::WindowSettings{};
    displayMode.width = width;
    displayMode.height = height;
    displayMode.depth = std::atoi(settings["Display"]["Depth"].c_str());
    displayMode.refreshRate = std::atoi(settings["Display"]["RefreshRate"].c_str());
    displayMode.fullscreen = settings["Display"]["Fullscreen"] == "true";

    platform::WindowError error = platform::WindowError::None;
    platform::Window* window = platform::CreateMainWindow("Tamrik", displayMode, &error);
    if (!window) {
        switch (error) {
        case platform::WindowError::VideoUnavailable:
            owner->log->ShowMessage("Error", "Unable to register window class.");
            break;
        case platform::WindowError::DisplayMode:
            owner->log->ShowMessage("Error", "Unable to set requested video mode.");
            break;
        default:
            owner->log->ShowMessage("Error", "Unable to create window.");
            break;
        }
        return false;
    }
    hwnd = window;
    return true;
}

bool CMainWindow::Destroy()
{
    // Cleared so that a late poll or a second Destroy cannot reach a window that is gone.
    if (hwnd) {
        platform::DestroyMainWindow(hwnd);
        hwnd = nullptr;
    }
    return true;
}

void CMainWindow::SetTitle(const char* text)
{
    if (hwnd)
        platform::SetWindowTitle(hwnd, text);
}

void CMainWindow::Update()
{
    if (platform::TakeMessage(hwnd) == platform::Message::Quit)
        owner->quit = true;
    platform::ReadMouse(hwnd, &mouseState.lX, &mouseState.lY, &mouseState.lZ,
                        mouseState.rgbButtons);
    FireMouseEvents();
    platform::ReadKeyboard(hwnd, keyState);
    FireKeyEvents();
}

platform::Window** CMainWindow::GetHandle()
{
    return &hwnd;
}

void CMainWindow::FireInputEvents()
{
    FireMouseEvents();
    FireKeyEvents();
}

void CMainWindow::FireMouseEvents()
{
    owner->FireMouseMove(mouseState.lX, mouseState.lY);
    owner->FireMouseWheel(mouseState.lZ);
    bool* reported[2] = {&button0Reported, &button1Reported};
    for (int32_t button = 0; button < 2; ++button) {
        bool down = mouseState.rgbButtons[button] != 0;
        if (down && !*reported[button]) {
            owner->FireMouseButtonDown(button);
            *reported[button] = true;
        } else if (!down && *reported[button]) {
            owner->FireMouseButtonUp(button);
            *reported[button] = false;
        }
    }
}

void CMainWindow::FireKeyEvents()
{
    for (int32_t code = 0; code < 256; ++code) {
        bool down = keyState[code] != 0;
        if (down && !keyReported[code]) {
            owner->FireKeyDown(code);
            keyReported[code] = true;
        } else if (!down && keyReported[code]) {
            owner->FireKeyUp(code);
            keyReported[code] = false;
        }
    }
}

} // namespace Tamrik
