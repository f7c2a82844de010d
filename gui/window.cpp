// The window's geometry, texts, visibility with its focus notifications, and handler runs.
#include "gui/window.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "core/log.h"
#include "core/system.h"
#include "script/virtual_machine.h"

namespace Tamrik {

CGUI::CWindow::CWindow(CGUI* owner) : owner(owner)
{
    SetRect(0, 0, 64, 64);
    // Every window made during an event or the build counts, a dialog's own parts included.
    // The build looks at the count before each element; a window once begun is made whole.
    static_cast<void>(owner->system->ChargeWork(WINDOW_CREATE_UNITS));
}

CGUI::CWindow::~CWindow()
{
    // Children go first, each with its subtree, in list order; a tree may be far deeper than the
    // stack allows recursion, so the walk keeps its own stack and every window it deletes has
    // already lost its children.
    struct Pending {
        CWindow* window;
        size_t next;
    };
    std::vector<Pending> stack;
    stack.push_back({this, 0});
    while (!stack.empty()) {
        Pending& top = stack.back();
        if (top.next < top.window->children.size()) {
            CWindow* child = top.window->children[top.next++];
            stack.push_back({child, 0});
            continue;
        }
        CWindow* done = top.window;
        stack.pop_back();
        done->children.clear();
        if (done != this)
            delete done;
    }
    for (ByteCode*& program : handlers) {
        delete program;
        program = nullptr;
    }
}

void CGUI::CWindow::SetRect(int left, int top, int right, int bottom)
{
    corners.points[QUAD_TOP_LEFT] = {left, top};
    corners.points[QUAD_BOTTOM_LEFT] = {left, bottom};
    corners.points[QUAD_BOTTOM_RIGHT] = {right, bottom};
    corners.points[QUAD_TOP_RIGHT] = {right, top};
}

void CGUI::CWindow::SetSize(int width, int height)
{
    // Wrapping arithmetic: sizes are stored unchecked, and a handler may pass any word.
    int bottom = static_cast<int>(static_cast<uint32_t>(corners.points[QUAD_TOP_LEFT].y) + static_cast<uint32_t>(height));
    int right = static_cast<int>(static_cast<uint32_t>(corners.points[QUAD_BOTTOM_LEFT].x) + static_cast<uint32_t>(width));
    corners.points[QUAD_BOTTOM_LEFT].y = bottom;
    corners.points[QUAD_BOTTOM_RIGHT].y = bottom;
    corners.points[QUAD_BOTTOM_RIGHT].x = right;
    corners.points[QUAD_TOP_RIGHT].x = right;
}

void CGUI::CWindow::Stretch(int dw, int dh)
{
    auto add = [](int32_t& v, int d) { v = static_cast<int32_t>(static_cast<uint32_t>(v) + static_cast<uint32_t>(d)); };
    add(corners.points[QUAD_BOTTOM_LEFT].y, dh);
    add(corners.points[QUAD_BOTTOM_RIGHT].y, dh);
    add(corners.points[QUAD_BOTTOM_RIGHT].x, dw);
    add(corners.points[QUAD_TOP_RIGHT].x, dw);
}

void CGUI::CWindow::SetDraggable(bool draggable)
{
    this->draggable = draggable;
}

void CGUI::CWindow::SetText(const std::string& text)
{
    owner->AssignText(this->text, text.data(), text.size());
}

void CGUI::CWindow::SetText(const char* text)
{
    owner->AssignText(this->text, text ? text : "", text ? std::strlen(text) : 0);
}

void CGUI::CWindow::SetTextLayout(int layout)
{
    textLayout = layout;
}

void CGUI::CWindow::SetTextColor(unsigned char r, unsigned char g, unsigned char b)
{
    textColor[0] = r;
    textColor[1] = g;
    textColor[2] = b;
}

const char* const WINDOW_EVENT_NAMES[WINDOW_EVENT_COUNT] = {
    "OnMouseButtonDown", "OnMouseButtonUp",      "OnMouseWheel",       "OnMouseMove",
    "OnKeyDown",         "OnKeyUp",              "OnChar",             "OnMouseRolloverStart",
    "OnMouseRolloverEnd", "OnGainFocus",         "OnLoseFocus",
};

namespace {

// The switch-off line names at most this much of a window's name.
constexpr size_t MAX_LOGGED_NAME = 64;

} // namespace

void CGUI::CWindow::RunHandler(WindowEvent event)
{
    const ByteCode* program = handlers[event];
    if (!program || !program->data || program->size == 0)
        return;
    CSystem* system = owner->system;
    CSystem::WorkScope work(system);
    CVirtualMachine* vm = system->vm;
    if (vm->WorkSpent() || !vm->LoadProgram(program))
        return;
    vm->Run();
    if (!vm->RunHitBound())
        return;
    // A handler that ran into the bound would do so on every event. One run a span is blamed, so
    // the line comes once, past an allowance the event's other lines may have filled.
    const char* name = vm->RegisteredName(this);
    std::string line = std::string("Warning: ") + WINDOW_EVENT_NAMES[event] + " handler of window '" +
                       std::string(std::string_view(name ? name : "").substr(0, MAX_LOGGED_NAME)) + "' switched off.\n";
    system->log->Write(line.c_str(), true);
    SetHandler(event, nullptr);
}

void CGUI::CWindow::OnMouseButtonDown(int, int) { RunHandler(ON_MOUSE_BUTTON_DOWN); }
void CGUI::CWindow::OnMouseButtonUp(int, int) { RunHandler(ON_MOUSE_BUTTON_UP); }
void CGUI::CWindow::OnMouseWheel(int, int) { RunHandler(ON_MOUSE_WHEEL); }
void CGUI::CWindow::OnMouseMove(int, int) { RunHandler(ON_MOUSE_MOVE); }
void CGUI::CWindow::OnKeyDown(int, int) { RunHandler(ON_KEY_DOWN); }
void CGUI::CWindow::OnKeyUp(int, int) { RunHandler(ON_KEY_UP); }
void CGUI::CWindow::OnChar(int, int) { RunHandler(ON_CHAR); }
void CGUI::CWindow::OnMouseRolloverStart(int, int) { RunHandler(ON_MOUSE_ROLLOVER_START); }
void CGUI::CWindow::OnMouseRolloverEnd(int, int) { RunHandler(ON_MOUSE_ROLLOVER_END); }
void CGUI::CWindow::OnGainFocus(int, int) { RunHandler(ON_GAIN_FOCUS); }
void CGUI::CWindow::OnLoseFocus(int, int) { RunHandler(ON_LOSE_FOCUS); }

void CGUI::CWindow::OnDrag(int dx, int dy)
{
    Translate(dx, dy);
}

bool CGUI::CWindow::IsVisible()
{
    return visible;
}

bool CGUI::CWindow::IsDraggable()
{
    return draggable;
}

const std::string& CGUI::CWindow::GetText()
{
    return text;
}

int CGUI::CWindow::GetTextLayout()
{
    return textLayout;
}

const unsigned char* CGUI::CWindow::GetTextColor()
{
    return textColor;
}

void CGUI::CWindow::SetPosition(int x, int y)
{
    uint32_t tx = static_cast<uint32_t>(x);
    uint32_t ty = static_cast<uint32_t>(y);
    if (parent) {
        tx += static_cast<uint32_t>(parent->corners.points[QUAD_TOP_LEFT].x);
        ty += static_cast<uint32_t>(parent->corners.points[QUAD_TOP_LEFT].y);
    }
    Translate(static_cast<int>(tx - static_cast<uint32_t>(corners.points[QUAD_TOP_LEFT].x)),
              static_cast<int>(ty - static_cast<uint32_t>(corners.points[QUAD_TOP_LEFT].y)));
}

void CGUI::CWindow::Translate(int dx, int dy)
{
    // Level by level over the subtree, as the builder made it: the windows come in the order
    // they lie in memory, where a walk down each branch in turn would miss the cache at every
    // window of a wide tree. The owner keeps the queue so that dragging allocates nothing per
    // move; nothing here runs a handler, so no other walk can use it meanwhile.
    uint32_t ux = static_cast<uint32_t>(dx);
    uint32_t uy = static_cast<uint32_t>(dy);
    std::vector<CWindow*>& queue = owner->translateQueue;
    queue.assign(1, this);
    // Charged once for the windows moved, never cut short: a subtree moved in part would come apart.
    for (size_t next = 0; next < queue.size(); ++next) {
        CWindow* w = queue[next];
        for (ScreenPoint& p : w->corners.points) {
            p.x = static_cast<int32_t>(static_cast<uint32_t>(p.x) + ux);
            p.y = static_cast<int32_t>(static_cast<uint32_t>(p.y) + uy);
        }
        queue.insert(queue.end(), w->children.begin(), w->children.end());
    }
    static_cast<void>(owner->system->ChargeWork(queue.size() * WINDOW_MOVE_UNITS));
}

CGUI::CWindow* CGUI::CWindow::TopLevel()
{
    // Remembered along the way: the tree never changes once built, and showing a deep tree
    // asks this of every window in it.
    CWindow* w = this;
    while (w->parent && !w->topLevel)
        w = w->parent;
    CWindow* top = w->parent ? w->topLevel : w;
    for (CWindow* v = this; v != w; v = v->parent)
        v->topLevel = top;
    return top;
}

bool CGUI::CWindow::ReactsToFocus()
{
    return handlers[ON_GAIN_FOCUS] || handlers[ON_LOSE_FOCUS];
}

CGUI::CWindow* CGUI::CWindow::FocusAncestor()
{
    // Up to the first window whose answer is known or whose parent reacts; every window on the
    // way has a parent that does not react, so they all share that answer.
    const uint64_t epoch = owner->focusEpoch;
    CWindow* answer = nullptr;
    CWindow* w = this;
    for (;;) {
        if (w->focusEpoch == epoch) {
            answer = w->focusAncestor;
            break;
        }
        // A window whose answer is not known sends the walk to its parent, which on a long chain
        // misses the cache. Once spent, no handler runs: the walk ends with no answer, and
        // nothing is remembered.
        if (!owner->system->ChargeWork(FOCUS_LOOKUP_UNITS))
            return nullptr;
        if (!w->parent)
            break;
        if (w->parent->ReactsToFocus()) {
            answer = w->parent;
            break;
        }
        w = w->parent;
    }
    for (CWindow* v = this;; v = v->parent) {
        v->focusAncestor = answer;
        v->focusEpoch = epoch;
        if (v == w)
            break;
    }
    return answer;
}

// Windows without a focus reaction would do nothing when notified; skipping them keeps showing a
// deep tree from costing the square of its depth. Once the work of the event is spent, the
// ancestors of a deep tree of handlers are not walked either.
void CGUI::CWindow::LoseFocusUpward(int a, int b)
{
    if (ReactsToFocus() && owner->system->ChargeWork(FOCUS_STEP_UNITS))
        OnLoseFocus(a, b);
    for (CWindow* w = FocusAncestor(); w && owner->system->ChargeWork(FOCUS_STEP_UNITS); w = w->FocusAncestor())
        w->OnLoseFocus(a, b);
}

void CGUI::CWindow::GainFocusUpward(int a, int b)
{
    if (ReactsToFocus() && owner->system->ChargeWork(FOCUS_STEP_UNITS))
        OnGainFocus(a, b);
    for (CWindow* w = FocusAncestor(); w && owner->system->ChargeWork(FOCUS_STEP_UNITS); w = w->FocusAncestor())
        w->OnGainFocus(a, b);
}

void CGUI::CWindow::NotifyVisibility(bool v)
{
    if (!v) {
        LoseFocusUpward(0, 0);
        return;
    }
    if (owner->focusedWindow)
        owner->focusedWindow->LoseFocusUpward(0, 0);
    GainFocusUpward(0, 0);
    owner->BringToFront(TopLevel());
}

void CGUI::CWindow::SetVisible(bool v)
{
    // Each window's flag is set on the way down, its notifications come after those of its
    // whole subtree, children in list order. The walk keeps its own stack, as a tree may be
    // deeper than the call stack allows.
    struct Pending {
        CWindow* window;
        size_t next;
    };
    std::vector<Pending> stack;
    visible = v;
    stack.push_back({this, 0});
    // Once the span's work is spent the walk stops where it is.
    while (!stack.empty() && owner->system->ChargeWork(WINDOW_VISIT_UNITS)) {
        Pending& top = stack.back();
        if (top.next < top.window->children.size()) {
            CWindow* child = top.window->children[top.next++];
            child->visible = v;
            stack.push_back({child, 0});
            continue;
        }
        CWindow* done = top.window;
        stack.pop_back();
        done->NotifyVisibility(v);
    }
}

void CGUI::CWindow::SetHandler(WindowEvent event, ByteCode* program)
{
    const bool reacted = ReactsToFocus();
    delete std::exchange(handlers[event], program);
    // Only a change of whether this window reacts stales the remembered focus ancestors: a
    // failed assembly that leaves an empty slot empty changes nothing.
    if (ReactsToFocus() != reacted)
        ++owner->focusEpoch;
}

} // namespace Tamrik
