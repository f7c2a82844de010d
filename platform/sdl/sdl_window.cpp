// The main window on SDL2: creation in the configured mode, the one-message-per-pass queue and
// the polled keyboard and mouse.
#include <SDL.h>

#include <cstring>

#include "platform/quit_request.h"
#include "platform/sdl/sdl_scan_codes.h"
#include "platform/sdl/sdl_window_impl.h"
#include "platform/window.h"

namespace platform {

namespace {

// Larger windows are refused: X11 cannot address them and the GL drawable behind them would
// take gigabytes.
constexpr int32_t MAX_WINDOW_SIDE = 16384;

// The record's button order (left, right, middle, fourth) for an SDL button; -1 for others.
int ButtonIndex(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    case SDL_BUTTON_X1:
        return 3;
    default:
        return -1;
    }
}

// Input reaches the program by polling the keyboard and mouse state, which SDL updates while it
// pumps events; the input events themselves would only pile up in the queue, where one message
// per pass could never keep up with a moving mouse. So they are dropped here, after the wheel
// (which SDL keeps no state for) has been counted and presses have been noted.
int SDLCALL FilterInputEvents(void* userdata, SDL_Event* event)
{
    Window* window = static_cast<Window*>(userdata);
    switch (event->type) {
    case SDL_KEYDOWN:
        if (!event->key.repeat) {
            const uint8_t code = DirectInputScanCode(event->key.keysym.scancode);
            if (code != 0)
                window->keysPressed[code] = true;
        }
        return 0;
    case SDL_MOUSEBUTTONDOWN: {
        const int index = ButtonIndex(event->button.button);
        if (index >= 0)
            window->buttonsPressed[index] = true;
        return 0;
    }
    case SDL_MOUSEWHEEL: {
        int32_t steps = event->wheel.y;
        if (event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            steps = -steps;
        window->wheel += steps * 120;
        return 0;
    }
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONUP:
    case SDL_KEYUP:
    case SDL_TEXTEDITING:
    case SDL_TEXTINPUT:
    case SDL_KEYMAPCHANGED:
        return 0;
    default:
        return 1;
    }
}

bool DisplayHasMode(const WindowSettings& settings, SDL_DisplayMode* found)
{
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        if (mode.w != settings.width || mode.h != settings.height)
            continue;
        // 0 and 1 ask for the display's default rate; a display that reports no rate takes any.
        if (settings.refreshRate > 1 && mode.refresh_rate != 0 &&
            mode.refresh_rate != settings.refreshRate)
            continue;
        // A 32-bit request matches 24 bits of colour in 4 bytes.
        int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
        int storage = static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8;
        if (settings.depth != 0 && settings.depth != bits && settings.depth != storage)
            continue;
        *found = mode;
        return true;
    }
    return false;
}

// The drivers that put a window on a screen, in the order tried. Left to itself SDL falls back
// to its offscreen or dummy driver where no display can be reached, and the viewer would then
// run unseen at full speed.
const char* const WINDOW_DRIVERS[] = {"x11", "wayland"};

bool DriverBuiltIn(const char* name)
{
    const int count = SDL_GetNumVideoDrivers();
    for (int i = 0; i < count; ++i) {
        const char* driver = SDL_GetVideoDriver(i);
        if (driver && std::strcmp(driver, name) == 0)
            return true;
    }
    return false;
}

// Starts SDL's video on the first window driver that reaches a display. A window driver named
// in SDL_VIDEODRIVER is the only one tried; any other name there is passed over.
WindowError StartVideo()
{
    const char* named = SDL_getenv("SDL_VIDEODRIVER");
    bool namedIsWindowDriver = false;
    for (const char* driver : WINDOW_DRIVERS)
        namedIsWindowDriver = namedIsWindowDriver || (named && std::strcmp(named, driver) == 0);
    bool anyBuiltIn = false;
    for (const char* driver : WINDOW_DRIVERS) {
        if (namedIsWindowDriver && std::strcmp(named, driver) != 0)
            continue;
        if (!DriverBuiltIn(driver))
            continue;
        anyBuiltIn = true;
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver, SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            return WindowError::None;
    }
    // Drivers there but no display they can reach: no window can be created.
    return anyBuiltIn ? WindowError::CreateWindow : WindowError::VideoUnavailable;
}

} // namespace

Window* CreateMainWindow(const char* title, const WindowSettings& settings, WindowError* error)
{
    *error = WindowError::None;
    *error = StartVideo();
    if (*error != WindowError::None)
        return nullptr;
    // After the video start, which installs the handlers that ours passes the signals on to.
    WatchQuitSignals();
    SDL_DisplayMode mode{};
    if (settings.fullscreen && !DisplayHasMode(settings, &mode)) {
        *error = WindowError::DisplayMode;
        return nullptr;
    }
    if (settings.width > MAX_WINDOW_SIDE || settings.height > MAX_WINDOW_SIDE) {
        *error = WindowError::CreateWindow;
        return nullptr;
    }

    // The visual of an X11 window is fixed when it is made, so the context's needs go first.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, settings.stencil ? 8 : 0);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (settings.fullscreen)
        flags |= SDL_WINDOW_BORDERLESS;
    // SDL clamps sizes below 1 to 1, as the window system would.
    SDL_Window* sdlWindow = SDL_CreateWindow(title, 0, 0, settings.width, settings.height, flags);
    if (!sdlWindow && settings.stencil) {
        // No visual with a stencil buffer: the window goes without.
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        sdlWindow = SDL_CreateWindow(title, 0, 0, settings.width, settings.height, flags);
    }
    if (!sdlWindow) {
        *error = WindowError::CreateWindow;
        return nullptr;
    }
    if (settings.fullscreen) {
        if (SDL_SetWindowDisplayMode(sdlWindow, &mode) != 0 ||
            SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN) != 0) {
            SDL_DestroyWindow(sdlWindow);
            *error = WindowError::DisplayMode;
            return nullptr;
        }
    }

    Window* window = new Window;
    window->window = sdlWindow;
    SDL_ShowWindow(sdlWindow);
    SDL_RaiseWindow(sdlWindow);
    SDL_DisableScreenSaver();
    SDL_StopTextInput();
    SDL_ShowCursor(SDL_DISABLE);
    // Relative mode gives raw deltas that do not stop at the screen's edge; where the server
    // cannot give it, deltas still come from the pointer's motion.
    SDL_SetRelativeMouseMode(SDL_TRUE);
    SDL_SetEventFilter(FilterInputEvents, window);
    // Deltas and wheel start from the moment the window exists.
    SDL_PumpEvents();
    SDL_GetRelativeMouseState(nullptr, nullptr);
    window->wheel = 0;
    std::memset(window->keysPressed, 0, sizeof window->keysPressed);
    std::memset(window->buttonsPressed, 0, sizeof window->buttonsPressed);
    return window;
}

void DestroyMainWindow(Window* window)
{
    if (!window)
        return;
    SDL_SetEventFilter(nullptr, nullptr);
    SDL_SetRelativeMouseMode(SDL_FALSE);
    // Leaving full screen puts the desktop's mode back.
    SDL_SetWindowFullscreen(window->window, 0);
    SDL_DestroyWindow(window->window);
    SDL_ShowCursor(SDL_ENABLE);
    SDL_EnableScreenSaver();
    delete window;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SetWindowTitle(Window* window, const char* text)
{
    if (window && text)
        SDL_SetWindowTitle(window->window, text);
}

Message TakeMessage(Window* window)
{
    if (!window)
        return Message::None;
    if (QuitRequested())
        return Message::Quit;
    SDL_Event event;
    if (!SDL_PollEvent(&event))
        return Message::None;
    if (event.type == SDL_QUIT)
        return Message::Quit;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)
        return Message::Quit;
    return Message::Other;
}

void ReadMouse(Window* window, int32_t* dx, int32_t* dy, int32_t* wheel, uint8_t buttons[4])
{
    *dx = *dy = *wheel = 0;
    buttons[0] = buttons[1] = buttons[2] = buttons[3] = 0;
    if (!window)
        return;
    int x = 0;
    int y = 0;
    Uint32 state = SDL_GetRelativeMouseState(&x, &y);
    *dx = x;
    *dy = y;
    *wheel = window->wheel;
    window->wheel = 0;
    const Uint32 masks[4] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK, SDL_BUTTON_X1MASK};
    for (int i = 0; i < 4; ++i) {
        // A button clicked since the last read counts as down once; its release shows next time.
        buttons[i] = (state & masks[i]) || window->buttonsPressed[i] ? 0x80 : 0;
        window->buttonsPressed[i] = false;
    }
}

void ReadKeyboard(Window* window, uint8_t keys[256])
{
    for (int i = 0; i < 256; ++i)
        keys[i] = 0;
    if (!window)
        return;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (int sc = 0; sc < count; ++sc) {
        if (!state[sc])
            continue;
        uint8_t code = DirectInputScanCode(sc);
        if (code != 0)
            keys[code] = 0x80;
    }
    // A key tapped since the last read counts as down once; its release shows next time.
    for (int i = 0; i < 256; ++i) {
        if (window->keysPressed[i])
            keys[i] = 0x80;
        window->keysPressed[i] = false;
    }
}

} // namespace platform
