// Mouse input through the GUI manager: activation, hit testing, focus, rollover, dragging.
#include <gtest/gtest.h>

#include "gui/dialog.h"
#include "tests/gui/gui_test_support.h"

using namespace kestrova_test;
using Tamrik::CGUI;

namespace {

using GUIInput = ProbeTest;

TEST_F(GUIInput, SetActiveRegistersTheListenersOnceAndLogsEveryCall)
{
    gui.SetActive(true);
    gui.SetActive(true);
    EXPECT_TRUE(gui.GetActive());
    Probe* w = Add("w", nullptr, 0, 0, 800, 600);
    system.FireMouseButtonDown(0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"w:gain", "w:down"}));
    gui.SetActive(false);
    gui.SetActive(false);
    system.FireMouseButtonUp(0);
    system.FireMouseMove(5, 5);
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(gui.cursor.points[0].x, 320);
    EXPECT_EQ(gui.focusedWindow, w);
    std::string line = "\r\n\r\nvoid CGUI::SetActive(bool status) is invoked!\r\n\r\n";
    EXPECT_EQ(Log(), line + line + line + line);
}

TEST_F(GUIInput, TheFrontWindowUnderThePointOwnsItAndInsideItTheDeepestThenLatestIsHit)
{
    Probe* back = Add("back", nullptr, 0, 0, 100, 100);
    Probe* under = Add("under", back, 10, 10, 20, 20); // hidden by the front window
    Add("beside", back, 60, 60, 20, 20);
    Probe* front = Add("front", nullptr, 0, 0, 50, 50);
    Probe* early = Add("early", front, 0, 30, 20, 20);
    Add("late", front, 10, 40, 20, 10);
    Add("deep", early, 0, 0, 5, 5);
    struct Point {
        int x, y;
        const char* hit;
    };
    auto hits = [&](std::initializer_list<Point> points) {
        for (const Point& p : points) {
            MoveTo(p.x, p.y);
            CGUI::CWindow* hit = gui.HitTest();
            EXPECT_EQ(hit ? static_cast<Probe*>(hit)->name : "-", p.hit) << p.x << "," << p.y;
        }
    };
    hits({{15, 15, "front"}, {50, 50, "front"}, {51, 50, "back"}, {65, 65, "beside"}, {15, 45, "late"},
          {2, 32, "deep"}, {8, 32, "early"}, {101, 0, "-"}});
    front->visible = false;
    hits({{15, 15, "under"}, {15, 45, "back"}});
    under->visible = false;
    hits({{15, 15, "back"}});
    back->visible = false;
    under->visible = true;
    hits({{15, 15, "-"}, {65, 65, "-"}});
}

TEST_F(GUIInput, ThroughManyBringForwardsTheHitTestFollowsTheListsOrder)
{
    std::vector<Probe*> overlapping;
    for (int i = 0; i < 8; ++i)
        overlapping.push_back(Add("w" + std::to_string(i), nullptr, 0, 0, 50, 50));
    MoveTo(10, 10);
    // Far more bring-forwards than windows: the stale entries they leave are swept again and again.
    uint32_t x = 1;
    for (int k = 0; k < 200; ++k) {
        x = x * 1103515245u + 12345u;
        Probe* w = overlapping[(x >> 16) % overlapping.size()];
        gui.BringToFront(w);
        ASSERT_EQ(gui.Windows().back(), w);
        ASSERT_EQ(gui.HitTest(), w);
    }
    // Hidden one by one from the front, each window gives way to the one behind it in the list.
    const std::vector<CGUI::CWindow*> frontToBack(gui.Windows().rbegin(), gui.Windows().rend());
    for (CGUI::CWindow* w : frontToBack) {
        EXPECT_EQ(gui.HitTest(), w);
        w->visible = false;
    }
    EXPECT_EQ(gui.HitTest(), nullptr);
}

TEST_F(GUIInput, APressMovesTheFocusAlongBothChainsAndBringsTheWindowToTheFront)
{
    Probe* dialog = Add("dialog", nullptr, 0, 0, 200, 200);
    Probe* a = Add("a", dialog, 10, 10, 20, 20);
    Add("b", dialog, 100, 10, 20, 20);
    Probe* other = Add("other", nullptr, 300, 0, 50, 50);
    ASSERT_EQ(gui.Windows().back(), other);

    // The events of a press (or, with up, a release) at (x, y), past those of getting there.
    auto pressAt = [&](int x, int y, bool up = false) {
        MoveTo(x, y);
        Take();
        up ? gui.HandleMouseButtonUp(0, 0) : gui.HandleMouseButtonDown(0, 0);
        return Take();
    };
    EXPECT_EQ(pressAt(15, 15), (std::vector<std::string>{"a:gain", "dialog:gain", "a:down"}));
    EXPECT_EQ(gui.Windows().back(), dialog);
    EXPECT_EQ(gui.focusedWindow, a);

    gui.HandleMouseButtonDown(1, 0); // the focused window again: only the press
    EXPECT_EQ(Take(), (std::vector<std::string>{"a:down"}));

    EXPECT_EQ(pressAt(105, 15), (std::vector<std::string>{"a:lose", "dialog:lose", "b:gain", "dialog:gain", "b:down"}));

    // Up over another window sends nothing.
    EXPECT_TRUE(pressAt(15, 15, true).empty());

    // A press on empty space only takes the focus away.
    EXPECT_EQ(pressAt(500, 500), (std::vector<std::string>{"b:lose", "dialog:lose"}));
    EXPECT_EQ(gui.focusedWindow, nullptr);
    EXPECT_EQ(gui.Windows().back(), dialog);
}

TEST_F(GUIInput, MovingSendsMoveThenRolloverAndZeroMovesStillArrive)
{
    Add("a", nullptr, 0, 0, 100, 100);
    Add("b", nullptr, 200, 0, 100, 100);
    MoveTo(50, 50);
    EXPECT_EQ(Take(), (std::vector<std::string>{"a:move-270,-270", "a:enter"}));
    gui.HandleMouseMove(0, 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"a:move0,0"}));
    gui.HandleMouseMove(160, 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"b:move160,0", "a:leave", "b:enter"}));
    gui.HandleMouseMove(200, 0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"b:leave"}));
    EXPECT_EQ(gui.windowUnderCursor, nullptr);
}

TEST_F(GUIInput, TheCursorHotSpotStaysInsideTheMainWindow)
{
    MoveTo(0, 5);
    gui.HandleMouseMove(-10, 0);
    EXPECT_EQ(gui.cursor.points[0].x, 0);
    EXPECT_EQ(gui.cursor.points[0].y, 5);
    MoveTo(790, 5);
    gui.HandleMouseMove(30, 1000);
    EXPECT_EQ(gui.cursor.points[0].x, 800);
    EXPECT_EQ(gui.cursor.points[0].y, 600);
    EXPECT_EQ(gui.cursor.points[2].x, 832);
    EXPECT_EQ(gui.cursor.points[2].y, 632);
    gui.HandleMouseMove(INT32_MIN, INT32_MAX);
    EXPECT_EQ(gui.cursor.points[0].x, 0);
    EXPECT_EQ(gui.cursor.points[0].y, 600);
}

TEST_F(GUIInput, DraggingMovesTheWindowWithItsChildrenUntilTheButtonGoesUp)
{
    Probe* w = Add("w", nullptr, 0, 0, 100, 100);
    Probe* c = Add("c", w, 10, 10, 10, 10);
    Add("x", nullptr, 150, 150, 100, 100);
    w->draggable = true;
    MoveTo(50, 50);
    gui.HandleMouseButtonDown(0, 0);
    Take();
    gui.HandleMouseMove(5, 3);
    gui.HandleMouseMove(100, 100); // over x: no rollover while dragging
    EXPECT_EQ(Take(), (std::vector<std::string>{"w:drag5,3", "w:drag100,100"}));
    EXPECT_EQ(RectOf(w), (Rect{105, 103, 205, 203}));
    EXPECT_EQ(RectOf(c), (Rect{115, 113, 125, 123}));
    gui.HandleMouseButtonUp(0, 0); // the dragged window is under the cursor
    EXPECT_EQ(Take(), (std::vector<std::string>{"w:up"}));
    EXPECT_FALSE(gui.dragging);
    // The pressed window came to the front over x; it is still the window under the cursor.
    gui.HandleMouseMove(1, 1);
    EXPECT_EQ(Take(), (std::vector<std::string>{"w:move1,1"}));
}

TEST_F(GUIInput, SwitchingTheGUIOffEndsADragSoTheWindowStaysPutWhenItComesBack)
{
    gui.SetActive(true);
    Probe* w = Add("w", nullptr, 0, 0, 100, 100);
    w->draggable = true;
    MoveTo(50, 50);
    system.FireMouseButtonDown(0);
    system.FireMouseMove(5, 3);
    gui.SetActive(false); // F10 with the button still held
    gui.SetActive(true);
    Take();
    system.FireMouseMove(10, 10);
    EXPECT_EQ(RectOf(w), (Rect{5, 3, 105, 103}));
    EXPECT_EQ(Take(), (std::vector<std::string>{"w:move10,10"}));
}

TEST_F(GUIInput, APressOnADraggableDialogsCaptionDragsTheDialogButOnTheBodyItDoesNot)
{
    Build(R"(<gui><dialog name="d" visible="true" draggable="true" position="100x100" size="200x150"/></gui>)");
    auto* d = dynamic_cast<CGUI::CDialog*>(Window("d"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->tray->texture, Tamrik::GUI_TEXTURE_DIALOG_TRAY_ACTIVE);
    MoveTo(150, 200);
    gui.HandleMouseButtonDown(0, 0);
    EXPECT_FALSE(gui.dragging);
    gui.HandleMouseButtonUp(0, 0);
    MoveTo(150, 110);
    gui.HandleMouseButtonDown(0, 0);
    EXPECT_EQ(gui.focusedWindow, d->tray);
    EXPECT_TRUE(gui.dragging);
    gui.HandleMouseMove(-20, 7);
    EXPECT_EQ(RectOf(d), (Rect{80, 107, 280, 257}));
    EXPECT_EQ(RectOf(d->tray), (Rect{80, 107, 280, 131}));
    EXPECT_EQ(RectOf(d->rightFrame), (Rect{278, 131, 280, 255}));
}

} // namespace
