// Window lookup and close requests over Xlib.
#include "tests/support/x11_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <time.h>

#include <cstring>

namespace kestrova_test {

namespace {

// A window may vanish between listing it and asking about it (SDL makes and drops a scratch
// window while it sets up GL). Xlib's default handler would exit the test program on that
// BadWindow; the calls below already treat a failed request as "no such window".
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

Display* OpenDisplay()
{
    XSetErrorHandler(IgnoreXErrors);
    return XOpenDisplay(nullptr);
}

bool HasTitle(Display* display, Window window, const std::string& title)
{
    char* name = nullptr;
    if (!XFetchName(display, window, &name) || !name)
        return false;
    bool same = title == name;
    XFree(name);
    return same;
}

Window FindWindow(Display* display, Window parent, const std::string& title, bool mappedOnly)
{
    if (HasTitle(display, parent, title)) {
        XWindowAttributes attributes;
        if (!mappedOnly || (XGetWindowAttributes(display, parent, &attributes) &&
                            attributes.map_state == IsViewable))
            return parent;
    }
    Window root = 0;
    Window parentOfParent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOfParent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = FindWindow(display, children[i], title, mappedOnly);
    if (children)
        XFree(children);
    return found;
}

} // namespace

bool WaitForWindow(const std::string& title, int timeoutMs, WindowGeometry* geometry)
{
    Display* display = OpenDisplay();
    if (!display)
        return false;
    bool found = false;
    for (int waited = 0; waited <= timeoutMs && !found; waited += 50) {
        Window window = FindWindow(display, DefaultRootWindow(display), title, true);
        if (window) {
            XWindowAttributes attributes;
            Window child = 0;
            int x = 0;
            int y = 0;
            if (XGetWindowAttributes(display, window, &attributes) &&
                XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y,
                                      &child)) {
                geometry->x = x;
                geometry->y = y;
                geometry->width = attributes.width;
                geometry->height = attributes.height;
                found = true;
                break;
            }
        }
        timespec ts{0, 50 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
    XCloseDisplay(display);
    return found;
}

bool WindowExists(const std::string& title)
{
    Display* display = OpenDisplay();
    if (!display)
        return false;
    bool found = FindWindow(display, DefaultRootWindow(display), title, false) != 0;
    XCloseDisplay(display);
    return found;
}

bool SendCloseRequest(const std::string& title)
{
    Display* display = OpenDisplay();
    if (!display)
        return false;
    Window window = FindWindow(display, DefaultRootWindow(display), title, false);
    if (window) {
        XEvent event;
        std::memset(&event, 0, sizeof(event));
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }
    XCloseDisplay(display);
    return window != 0;
}

} // namespace kestrova_test
