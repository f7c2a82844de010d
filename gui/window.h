// The window: base class of every widget and itself the label and the dialog's frame strips.
#pragma once
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "gui/gui.h"
#include "render/gui_types.h"
#include "render/screen_quad.h"
#include "script/byte_code.h"

namespace Tamrik {

// The handler slots of a window, also the event names of "gui/gui.xml".
enum WindowEvent : int32_t {
    ON_MOUSE_BUTTON_DOWN = 0,
    ON_MOUSE_BUTTON_UP = 1,
    ON_MOUSE_WHEEL = 2,
    ON_MOUSE_MOVE = 3,
    ON_KEY_DOWN = 4,
    ON_KEY_UP = 5,
    ON_CHAR = 6,
    ON_MOUSE_ROLLOVER_START = 7,
    ON_MOUSE_ROLLOVER_END = 8,
    ON_GAIN_FOCUS = 9,
    ON_LOSE_FOCUS = 10,
    WINDOW_EVENT_COUNT = 11
};

// The event names, by WindowEvent.
extern const char* const WINDOW_EVENT_NAMES[WINDOW_EVENT_COUNT];

class CGUI::CWindow {
public:
    explicit CWindow(CGUI* owner);
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // The virtual operations, in slot order.
    virtual void SetSize(int width, int height);
    virtual void Stretch(int dw, int dh);
    virtual void SetDraggable(bool draggable);
    virtual void SetText(const std::string& text);
    virtual void SetText(const char* text);
    virtual void SetTextLayout(int layout);
    virtual void SetTextColor(unsigned char r, unsigned char g, unsigned char b);
    virtual void OnMouseButtonDown(int a, int b);
    virtual void OnMouseButtonUp(int a, int b);
    virtual void OnMouseWheel(int a, int b);
    virtual void OnMouseMove(int a, int b);
    virtual void OnKeyDown(int a, int b);
    virtual void OnKeyUp(int a, int b);
    virtual void OnChar(int a, int b);
    virtual void OnMouseRolloverStart(int a, int b);
    virtual void OnMouseRolloverEnd(int a, int b);
    virtual void OnGainFocus(int a, int b);
    virtual void OnLoseFocus(int a, int b);
    virtual void OnDrag(int dx, int dy);

    // Deletes the whole subtree and the handler programs. Windows of every class are deleted
    // through CWindow pointers.
    virtual ~CWindow();

    // Whether OnGainFocus or OnLoseFocus does anything on this window. The focus chains skip the
    // windows that answer no, so a class that overrides either operation must answer yes.
    virtual bool ReactsToFocus();

    bool IsVisible();
    bool IsDraggable();
    const std::string& GetText();
    int GetTextLayout();
    const unsigned char* GetTextColor();
    void SetVisible(bool v);
    // Corner 0 to (x, y), relative to the parent's corner 0; moves the subtree along.
    void SetPosition(int x, int y);
    // Moves the window and its subtree.
    void Translate(int dx, int dy);

    // Puts program into slot event (owned from now on), freeing what stood there.
    void SetHandler(WindowEvent event, ByteCode* program);
    // Sets the four corners to the rectangle (left, top)-(right, bottom).
    void SetRect(int left, int top, int right, int bottom);
    // The top-level window this one belongs to (itself when it has no parent).
    CWindow* TopLevel();
    // OnLoseFocus or OnGainFocus on this window, then on each ancestor up to the top level.
    void LoseFocusUpward(int a, int b);
    void GainFocusUpward(int a, int b);

    ByteCode* handlers[WINDOW_EVENT_COUNT] = {};
    ScreenQuad corners;
    GUITextureId texture = GUI_TEXTURE_NONE;
    std::string text;
    int32_t textLayout = CENTER;
    unsigned char textColor[3] = {255, 255, 255};
    bool visible = false;
    bool draggable = false;
    CWindow* parent = nullptr;      // not owned
    std::vector<CWindow*> children; // owned, in creation order
    CRadioButton* checkedRadio = nullptr; // the checked radio button among the children, not owned
    CGUI* owner;                    // not owned

protected:
    // The base event operation: runs the handler of event on the owner's script machine.
    void RunHandler(WindowEvent event);
private:
    friend class CGUI;

    // Where a top-level window stands in the owner's list, once listed.
    bool listed = false;
    std::list<CWindow*>::iterator listPlace;
    // The number of its live entry in the owner's front order.
    uint64_t frontNumber = 0;

    // The notifications of one window's SetVisible, after its subtree has had its own.
    void NotifyVisibility(bool v);
    // The nearest ancestor that reacts to focus, null for none.
    CWindow* FocusAncestor();

    // FocusAncestor's answer, valid while the owner's focus epoch is focusEpoch: a deep tree
    // shown level by level would otherwise walk its whole ancestry for every window.
    CWindow* focusAncestor = nullptr;
    uint64_t focusEpoch = 0;
    // TopLevel's answer once known; windows are never moved between parents.
    CWindow* topLevel = nullptr;
};

} // namespace Tamrik
