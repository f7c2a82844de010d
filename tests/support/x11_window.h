// Finds the viewer's window on the test's X display, reads its geometry and asks it to close,
// as a window manager would.
#pragma once
#include <string>

namespace kestrova_test {

struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Waits up to timeoutMs for a mapped window titled title; its client area when found.
bool WaitForWindow(const std::string& title, int timeoutMs, WindowGeometry* geometry);

// Whether a window titled title exists (mapped or not).
bool WindowExists(const std::string& title);

// Sends the window titled title a WM_DELETE_WINDOW close request.
bool SendCloseRequest(const std::string& title);

} // namespace kestrova_test
