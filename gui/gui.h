// The GUI manager: the top-level windows, the GUI cursor, the focus, and the routing of the
// system's mouse input to the windows.
#pragma once
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "core/input_listener.h"
#include "core/work_kind.h"
#include "render/gui_types.h"
#include "render/screen_quad.h"

namespace Tamrik {

class CSystem;
class CXMLNode;

class CGUI {
public:
    class CWindow;
    class CButton;
    class CDialog;
    class CDialogTray;
    class CCheckBox;
    class CRadioButtonGroup;
    class CRadioButton;

    explicit CGUI(CSystem* system);
    ~CGUI();
    CGUI(const CGUI&) = delete;
    CGUI& operator=(const CGUI&) = delete;

    // Builds the windows of "gui/gui.xml"; logs a warning when that gives none.
    void Load();
    // Builds the windows of an element tree (the root's children are the top-level windows);
    // null builds nothing.
    void Build(CXMLNode* root);
    // The window for one element (null for an "event" element or an unknown name).
    CWindow* CreateWindowFromXML(CXMLNode* element, CWindow* parent);

    // Exported to handler programs.
    void SetActive(bool status);
    bool GetActive();

    // Listener methods, called by the system's input lists while the GUI is active.
    void HandleMouseButtonDown(int32_t button, int32_t b);
    void HandleMouseButtonUp(int32_t button, int32_t b);
    void HandleMouseMove(int32_t dx, int32_t dy);
    void IgnoreInput(int32_t a, int32_t b);

    // The window under cursor corner 0, null for none.
    CWindow* HitTest();

    // Moves window to the back of the top-level list, listing it if it is not listed.
    void BringToFront(CWindow* window);
    // Lists a top-level window at the back (the front-most place).
    void AddWindow(CWindow* window);

    // The top-level windows, owned; the back is the front-most.
    const std::list<CWindow*>& Windows() const { return windows; }

    // What the GUI's own steps cost the span of work (CSystem::ChargeWork), in units (a plain
    // instruction is one).
    static constexpr WorkUnits WINDOW_VISIT_UNITS = 20;    // a window shown, hidden or brought forward
    static constexpr WorkUnits WINDOW_HIT_TEST_UNITS = 4;  // a window hit-tested
    static constexpr WorkUnits WINDOW_MOVE_UNITS = 40;     // a window moved
    static constexpr WorkUnits FOCUS_STEP_UNITS = 16;      // a window notified or passed on a focus walk
    static constexpr WorkUnits FOCUS_LOOKUP_UNITS = 32;    // a step up of the search for a focus ancestor
    static constexpr WorkUnits CHILD_CHECK_UNITS = 1;      // a child passed on the search for the checked one
    // A window made, with its registry entry: as much as its memory, so that the build's budget
    // also bounds what the windows take.
    static constexpr WorkUnits WINDOW_CREATE_UNITS = 512;
    static constexpr WorkUnits LISTENER_UNITS = 32;      // a listener added to or removed from a list
    // The text that all windows hold together; a SetText past it is refused with a log line.
    static constexpr size_t MAX_TEXT_BYTES = size_t{64} << 20;

    // Sets field (a window's text) to size bytes of data, unless that would take the windows'
    // texts past MAX_TEXT_BYTES; false when refused.
    bool AssignText(std::string& field, const char* data, size_t size);
    // MAX_TEXT_BYTES, unless a test lowers it.
    size_t textByteLimit = MAX_TEXT_BYTES;

    InputListener listeners[INPUT_EVENT_COUNT];
    ScreenQuad cursor;
    GUITextureId cursorTexture = GUI_TEXTURE_CURSOR;
    CWindow* focusedWindow = nullptr;   // not owned
    CWindow* windowUnderCursor = nullptr; // not owned
    CSystem* system;                    // not owned
    bool active = false;
    bool dragging = false;

private:
    // An "event" element: its text assembled into a handler slot of parent.
    void AssembleEvent(CXMLNode* element, CWindow* parent);
    void ApplyAttributes(CXMLNode* element, CWindow* window);
    // Gives window a new entry at the front of frontOrder.
    void AppendFrontEntry(CWindow* window);

    // Each top-level window knows its place here, which BringToFront splices.
    std::list<CWindow*> windows;
    // The same windows in the same order for the hit test, which reads them from an array so that
    // its loads need not wait on each other as they would along the list. BringToFront leaves the
    // window's old entry behind, stale once its number is not the window's frontNumber; the
    // stale ones go once they are a fifth of the entries.
    struct FrontEntry {
        CWindow* window;
        uint64_t number;
    };
    std::vector<FrontEntry> frontOrder;
    uint64_t frontNumbers = 0;

    // The memory that the windows' texts hold.
    size_t textBytes = 0;

    // Changes whenever a window starts or stops reacting to focus, which stales the windows' cached
    // focus ancestors.
    uint64_t focusEpoch = 1;

    // The hit test's two levels, kept between calls so that a mouse move allocates nothing.
    std::vector<CWindow*> hitLevel;
    std::vector<CWindow*> hitNextLevel;
    // The windows of CWindow::Translate, kept for the same reason.
    std::vector<CWindow*> translateQueue;
};

} // namespace Tamrik
