// Display modes over XRandR 1.2: the modes of the primary output's CRTC, switched by setting
// that CRTC's mode and fitting the screen size around every active CRTC.
#include "platform/display_modes.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {

struct ListedMode {
    ScreenMode mode;
    RRMode id = 0;
};

struct CrtcState {
    RRCrtc crtc = 0;
    RRMode mode = 0;
    int x = 0;
    int y = 0;
    Rotation rotation = RR_Rotate_0;
    std::vector<RROutput> outputs;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
    int widthMm = 0;
    int heightMm = 0;
};

struct DisplayState {
    Display* display = nullptr;
    Window root = 0;
    std::vector<ListedMode> modes;
    CrtcState start;
    ScreenSize startSize;
    bool switched = false;
};

DisplayState g_State;
bool g_XError = false;

int RecordXError(Display*, XErrorEvent*)
{
    g_XError = true;
    return 0;
}

uint32_t RefreshRate(const XRRModeInfo& info)
{
    if (info.hTotal == 0 || info.vTotal == 0)
        return 0;
    double rate = static_cast<double>(info.dotClock) /
                  (static_cast<double>(info.hTotal) * static_cast<double>(info.vTotal));
    if (info.modeFlags & RR_Interlace)
        rate *= 2.0;
    if (info.modeFlags & RR_DoubleScan)
        rate /= 2.0;
    return static_cast<uint32_t>(std::lround(rate));
}

uint32_t ScreenBitsPerPixel(Display* display)
{
    int depth = DefaultDepth(display, DefaultScreen(display));
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    uint32_t bits = static_cast<uint32_t>(depth);
    for (int i = 0; formats && i < count; ++i)
        if (formats[i].depth == depth)
            bits = static_cast<uint32_t>(formats[i].bits_per_pixel);
    if (formats)
        XFree(formats);
    return bits;
}

// The primary output, or else the first connected output that drives a CRTC.
RROutput FindOutput(Display* display, Window root, XRRScreenResources* resources)
{
    RROutput primary = XRRGetOutputPrimary(display, root);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < resources->noutput; ++i) {
            RROutput output = resources->outputs[i];
            if (pass == 0 && output != primary)
                continue;
            XRROutputInfo* info = XRRGetOutputInfo(display, resources, output);
            bool usable = info && info->connection == RR_Connected && info->crtc != 0;
            if (info)
                XRRFreeOutputInfo(info);
            if (usable)
                return output;
        }
    }
    return 0;
}

const XRRModeInfo* FindModeInfo(XRRScreenResources* resources, RRMode id)
{
    for (int i = 0; i < resources->nmode; ++i)
        if (resources->modes[i].id == id)
            return &resources->modes[i];
    return nullptr;
}

// The screen area a CRTC covers with a given mode.
void CrtcExtent(const XRRModeInfo& mode, Rotation rotation, int* width, int* height)
{
    bool sideways = rotation & (RR_Rotate_90 | RR_Rotate_270);
    *width = static_cast<int>(sideways ? mode.height : mode.width);
    *height = static_cast<int>(sideways ? mode.width : mode.height);
}

void ReadStart(XRRScreenResources* resources, RROutput output)
{
    XRROutputInfo* outputInfo = XRRGetOutputInfo(g_State.display, resources, output);
    if (!outputInfo)
        return;
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(g_State.display, resources, outputInfo->crtc);
    if (crtc) {
        g_State.start.crtc = outputInfo->crtc;
        g_State.start.mode = crtc->mode;
        g_State.start.x = crtc->x;
        g_State.start.y = crtc->y;
        g_State.start.rotation = crtc->rotation;
        g_State.start.outputs.assign(crtc->outputs, crtc->outputs + crtc->noutput);
        XRRFreeCrtcInfo(crtc);
    }
    uint32_t bits = ScreenBitsPerPixel(g_State.display);
    for (int i = 0; i < outputInfo->nmode; ++i) {
        const XRRModeInfo* info = FindModeInfo(resources, outputInfo->modes[i]);
        if (!info)
            continue;
        ListedMode listed;
        listed.id = info->id;
        listed.mode = {info->width, info->height, bits, RefreshRate(*info)};
        g_State.modes.push_back(listed);
    }
    XRRFreeOutputInfo(outputInfo);
}

// Physical size in proportion to the pixels, so the screen keeps its dots per inch.
ScreenSize ScaledSize(int width, int height)
{
    const ScreenSize& start = g_State.startSize;
    ScreenSize size{width, height, start.widthMm, start.heightMm};
    if (start.width > 0 && start.height > 0) {
        size.widthMm = static_cast<int>(std::lround(1.0 * start.widthMm * width / start.width));
        size.heightMm = static_cast<int>(std::lround(1.0 * start.heightMm * height / start.height));
    }
    return size;
}

// Xlib's screen size stays at what it was when the connection opened; the root window's
// geometry is the size now.
ScreenSize CurrentScreenSize()
{
    Window root;
    int x, y;
    unsigned width = 0, height = 0, border, depth;
    XGetGeometry(g_State.display, g_State.root, &root, &x, &y, &width, &height, &border, &depth);
    return ScaledSize(static_cast<int>(width), static_cast<int>(height));
}

// Sets the start CRTC to mode and then the screen to target size; the screen first grows to
// hold the CRTC when it must. False when the display refuses any step.
bool SetCrtcMode(RRMode mode, ScreenSize target)
{
    Display* display = g_State.display;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, g_State.root);
    if (!resources)
        return false;
    const XRRModeInfo* info = FindModeInfo(resources, mode);
    bool ok = info != nullptr;
    if (ok) {
        int minWidth, minHeight, maxWidth, maxHeight;
        XRRGetScreenSizeRange(display, g_State.root, &minWidth, &minHeight, &maxWidth, &maxHeight);
        ScreenSize now = CurrentScreenSize();
        int crtcWidth, crtcHeight;
        CrtcExtent(*info, g_State.start.rotation, &crtcWidth, &crtcHeight);
        ScreenSize grown =
            ScaledSize(std::min(std::max(now.width, g_State.start.x + crtcWidth), maxWidth),
                       std::min(std::max(now.height, g_State.start.y + crtcHeight), maxHeight));
        // Other outputs keep their place: the screen never shrinks below them.
        for (int i = 0; i < resources->ncrtc; ++i) {
            if (resources->crtcs[i] == g_State.start.crtc)
                continue;
            XRRCrtcInfo* other = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
            if (other && other->mode != 0) {
                target.width = std::max(target.width, other->x + static_cast<int>(other->width));
                target.height = std::max(target.height, other->y + static_cast<int>(other->height));
            }
            if (other)
                XRRFreeCrtcInfo(other);
        }
        target.width = std::clamp(target.width, minWidth, maxWidth);
        target.height = std::clamp(target.height, minHeight, maxHeight);

        g_XError = false;
        XErrorHandler previous = XSetErrorHandler(RecordXError);
        XGrabServer(display);
        if (grown.width != now.width || grown.height != now.height)
            XRRSetScreenSize(display, g_State.root, grown.width, grown.height, grown.widthMm,
                             grown.heightMm);
        Status status = XRRSetCrtcConfig(display, resources, g_State.start.crtc, CurrentTime,
                                         g_State.start.x, g_State.start.y, mode,
                                         g_State.start.rotation, g_State.start.outputs.data(),
                                         static_cast<int>(g_State.start.outputs.size()));
        ok = status == RRSetConfigSuccess;
        if (ok && (target.width != grown.width || target.height != grown.height))
            XRRSetScreenSize(display, g_State.root, target.width, target.height,
                             target.widthMm, target.heightMm);
        XUngrabServer(display);
        XSync(display, False);
        XSetErrorHandler(previous);
        ok = ok && !g_XError;
    }
    XRRFreeScreenResources(resources);
    return ok;
}

} // namespace

bool OpenDisplayModes()
{
    if (g_State.display)
        return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    g_State.display = display;
    g_State.root = DefaultRootWindow(display);
    int screen = DefaultScreen(display);
    g_State.startSize = {DisplayWidth(display, screen), DisplayHeight(display, screen),
                         DisplayWidthMM(display, screen), DisplayHeightMM(display, screen)};

    // Without RandR 1.2 the display offers no modes, which the tool shows as an empty list.
    int eventBase, errorBase, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 2))
        return true;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, g_State.root);
    if (!resources)
        return true;
    RROutput output = FindOutput(display, g_State.root, resources);
    if (output)
        ReadStart(resources, output);
    XRRFreeScreenResources(resources);
    return true;
}

bool GetDisplayMode(uint32_t index, ScreenMode* mode)
{
    if (index >= g_State.modes.size())
        return false;
    *mode = g_State.modes[index].mode;
    return true;
}

bool ChangeDisplayMode(const ScreenMode& mode)
{
    if (!g_State.display || g_State.start.crtc == 0)
        return false;
    for (const ListedMode& listed : g_State.modes) {
        const ScreenMode& m = listed.mode;
        if (m.width != mode.width || m.height != mode.height || m.bitsPerPel != mode.bitsPerPel ||
            m.frequency != mode.frequency)
            continue;
        // Marked before the attempt: a half-done switch still needs the way back.
        g_State.switched = true;
        int width = static_cast<int>(mode.width);
        int height = static_cast<int>(mode.height);
        if (g_State.start.rotation & (RR_Rotate_90 | RR_Rotate_270))
            std::swap(width, height);
        return SetCrtcMode(listed.id, ScaledSize(g_State.start.x + width,
                                                 g_State.start.y + height));
    }
    return false;
}

void RestoreStartMode()
{
    if (!g_State.display || !g_State.switched)
        return;
    if (SetCrtcMode(g_State.start.mode, g_State.startSize))
        g_State.switched = false;
}

void CloseDisplayModes()
{
    if (!g_State.display)
        return;
    RestoreStartMode();
    XCloseDisplay(g_State.display);
    g_State = DisplayState();
}

} // namespace platform
