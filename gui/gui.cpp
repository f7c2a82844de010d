// The GUI manager: activation, and the routing of mouse input to the window under the cursor.
#include "gui/gui.h"

#include <algorithm>

#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "gui/window.h"
#include "script/virtual_machine.h"

namespace Tamrik {

CGUI::CGUI(CSystem* system) : system(system)
{
    listeners[INPUT_MOUSE_BUTTON_DOWN] = MakeListener<&CGUI::HandleMouseButtonDown>(this);
    listeners[INPUT_MOUSE_BUTTON_UP] = MakeListener<&CGUI::HandleMouseButtonUp>(this);
    listeners[INPUT_MOUSE_WHEEL] = MakeListener<&CGUI::IgnoreInput>(this);
    listeners[INPUT_MOUSE_MOVE] = MakeListener<&CGUI::HandleMouseMove>(this);
    listeners[INPUT_KEY_DOWN] = MakeListener<&CGUI::IgnoreInput>(this);
    listeners[INPUT_KEY_UP] = MakeListener<&CGUI::IgnoreInput>(this);
    listeners[INPUT_CHAR] = MakeListener<&CGUI::IgnoreInput>(this);
    cursor.points[QUAD_TOP_LEFT] = {320, 320};
    cursor.points[QUAD_BOTTOM_LEFT] = {320, 352};
    cursor.points[QUAD_BOTTOM_RIGHT] = {352, 352};
    cursor.points[QUAD_TOP_RIGHT] = {352, 320};
    system->vm->RegisterObject("GUI", this);
}

CGUI::~CGUI()
{
    for (CWindow* window : windows)
        delete window;
    windows.clear();
}

void CGUI::SetActive(bool status)
{
    system->log->Write("\n\nvoid CGUI::SetActive(bool status) is invoked!\n\n");
    // Each switch adds or removes a listener in every list.
    // Done whatever the count says: a switch left half way would leave the lists apart.
    static_cast<void>(system->ChargeWork(INPUT_EVENT_COUNT * LISTENER_UNITS));
    if (!active && status) {
        active = true;
        for (int kind = 0; kind < INPUT_EVENT_COUNT; ++kind)
            system->AddListener(static_cast<InputEvent>(kind), listeners[kind]);
    } else if (active && !status) {
        active = false;
        // No button-up reaches an inactive GUI: a drag left on would glue the focused window to
        // the mouse once the GUI is back.
        dragging = false;
        for (int kind = 0; kind < INPUT_EVENT_COUNT; ++kind)
            system->RemoveListener(static_cast<InputEvent>(kind), listeners[kind]);
    }
}

bool CGUI::GetActive()
{
    return active;
}

void CGUI::BringToFront(CWindow* window)
{
    // One step, done whatever the count says; the walks that call it stop on the answer.
    static_cast<void>(system->ChargeWork(WINDOW_VISIT_UNITS));
    if (!window->listed) {
        AddWindow(window);
        return;
    }
    windows.splice(windows.end(), windows, window->listPlace);
    AppendFrontEntry(window);
}

void CGUI::AddWindow(CWindow* window)
{
    window->listPlace = windows.insert(windows.end(), window);
    window->listed = true;
    AppendFrontEntry(window);
}

void CGUI::AppendFrontEntry(CWindow* window)
{
    window->frontNumber = ++frontNumbers;
    frontOrder.push_back({window, frontNumbers});
    // Each bring-forward leaves one stale entry; the sweep, once they are a fifth of the entries,
    // costs each of them five looks.
    if (4 * frontOrder.size() > 5 * windows.size())
        std::erase_if(frontOrder, [](const FrontEntry& e) { return e.number != e.window->frontNumber; });
}

namespace {

// The heap memory a string holds; a short one lives inside the string itself.
size_t HeldBytes(const std::string& text)
{
    return text.capacity() < sizeof(std::string) ? 0 : text.capacity();
}

} // namespace

bool CGUI::AssignText(std::string& field, const char* data, size_t size)
{
    // Counted by what the strings hold, so that a text set long and then short still counts.
    const size_t held = HeldBytes(field);
    if (size > field.capacity() && textBytes - std::min(textBytes, held) + size > textByteLimit) {
        system->log->Write("Warning: SetText refused: the windows' texts would pass 64 MiB.\n");
        return false;
    }
    field.assign(data, size);
    if (field.capacity() > 2 * size + 64)
        field.shrink_to_fit();
    textBytes = textBytes - std::min(textBytes, held) + HeldBytes(field);
    return true;
}

namespace {

// Edges included, compared as signed integers.
bool Contains(const CGUI::CWindow* w, int32_t x, int32_t y)
{
    const ScreenPoint* p = w->corners.points;
    return p[QUAD_TOP_LEFT].x <= x && x <= p[QUAD_TOP_RIGHT].x && p[QUAD_TOP_LEFT].y <= y && y <= p[QUAD_BOTTOM_LEFT].y;
}

} // namespace

CGUI::CWindow* CGUI::HitTest()
{
    // The front-most visible top-level window under the point owns it: a child of a window
    // behind must not take a click on the dialog in front. Inside that window's subtree the
    // search is breadth-first: a window is examined only when its parent contains the point,
    // and the last window found (deepest, then latest) wins.
    const int32_t cx = cursor.points[QUAD_TOP_LEFT].x;
    const int32_t cy = cursor.points[QUAD_TOP_LEFT].y;
    // Charged once for the windows it looks at, each once: the entries of the front order, stale
    // ones included, and the children of each window that holds the point, hidden ones included.
    // It always runs to its end.
    uint64_t tested = 0;
    auto front = std::find_if(frontOrder.rbegin(), frontOrder.rend(), [&](const FrontEntry& e) {
        ++tested;
        // A stale entry lies behind its window's live one: if the window holds the point, the
        // live entry is found first.
        return e.window->visible && Contains(e.window, cx, cy);
    });
    // Once spent, the event's handlers do not run; the window found is only routed to.
    if (front == frontOrder.rend()) {
        static_cast<void>(system->ChargeWork(tested * WINDOW_HIT_TEST_UNITS));
        return nullptr;
    }
    CWindow* hit = nullptr;
    hitLevel.assign(1, front->window);
    hitNextLevel.clear();
    while (!hitLevel.empty()) {
        for (CWindow* w : hitLevel) {
            if (!Contains(w, cx, cy))
                continue;
            hit = w;
            tested += w->children.size();
            for (CWindow* child : w->children)
                if (child->visible)
                    hitNextLevel.push_back(child);
        }
        hitLevel.swap(hitNextLevel);
        hitNextLevel.clear();
    }
    static_cast<void>(system->ChargeWork(tested * WINDOW_HIT_TEST_UNITS));
    return hit;
}

void CGUI::HandleMouseButtonDown(int32_t button, int32_t b)
{
    CWindow* hit = HitTest();
    const bool focusChanged = hit != focusedWindow;
    if (focusChanged) {
        if (focusedWindow)
            focusedWindow->LoseFocusUpward(button, b);
        focusedWindow = hit;
        if (hit)
            hit->GainFocusUpward(button, b);
    }
    if (!focusedWindow)
        return;
    if (focusChanged)
        BringToFront(hit->TopLevel());
    focusedWindow->OnMouseButtonDown(button, b);
    if (focusedWindow->draggable)
        dragging = true;
}

void CGUI::HandleMouseButtonUp(int32_t button, int32_t b)
{
    CWindow* hit = HitTest();
    if (hit && hit == focusedWindow)
        hit->OnMouseButtonUp(button, b);
    dragging = false;
}

namespace {

// The delta that keeps position + delta within 0 to limit, both ends included.
int32_t ClampDelta(int32_t position, int32_t delta, int32_t limit)
{
    const int64_t target = int64_t{position} + delta;
    if (target < 0)
        return -position;
    if (target > limit)
        return limit - position;
    return delta;
}

} // namespace

void CGUI::HandleMouseMove(int32_t dx, int32_t dy)
{
    CMainWindow* mainWindow = system->mainWindow;
    const int32_t width = mainWindow ? mainWindow->width : 0;
    const int32_t height = mainWindow ? mainWindow->height : 0;
    dx = ClampDelta(cursor.points[QUAD_TOP_LEFT].x, dx, width);
    dy = ClampDelta(cursor.points[QUAD_TOP_LEFT].y, dy, height);
    for (ScreenPoint& p : cursor.points) {
        p.x += dx;
        p.y += dy;
    }
    if (dragging) {
        if (focusedWindow)
            focusedWindow->OnDrag(dx, dy);
        return;
    }
    CWindow* hit = HitTest();
    if (hit)
        hit->OnMouseMove(dx, dy);
    if (hit != windowUnderCursor) {
        if (windowUnderCursor)
            windowUnderCursor->OnMouseRolloverEnd(dx, dy);
        windowUnderCursor = hit;
        if (hit)
            hit->OnMouseRolloverStart(dx, dy);
    }
}

void CGUI::IgnoreInput(int32_t, int32_t) {}

} // namespace Tamrik
