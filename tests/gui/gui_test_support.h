// A GUI on a test system object: built from XML text, driven by mouse input as the system's
// lists deliver it, with handler programs written by a small helper.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/main_window.h"
#include "gui/gui.h"
#include "gui/window.h"
#include "gui/xml_document.h"
#include "tests/script/script_test_support.h"
#include "tests/support/counting.h"
#include "tests/support/export_names.h"
#include "tests/support/handler_text.h"
#include "tests/support/test_paths.h"

namespace kestrova_test {

// Rectangle of a window as (left, top, right, bottom), checking that it is one.
struct Rect {
    int left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

inline Rect RectOf(const Tamrik::CGUI::CWindow* w)
{
    const Tamrik::ScreenPoint* p = w->corners.points;
    EXPECT_EQ(p[0].x, p[1].x);
    EXPECT_EQ(p[2].x, p[3].x);
    EXPECT_EQ(p[0].y, p[3].y);
    EXPECT_EQ(p[1].y, p[2].y);
    return {p[0].x, p[0].y, p[3].x, p[1].y};
}

class GUITest : public ::testing::Test {
protected:
    GUITest()
    {
        system.mainWindow->width = 800;
        system.mainWindow->height = 600;
    }

    // Builds the GUI from xml as Load would from "gui/gui.xml".
    void Build(const std::string& xml)
    {
        Tamrik::CXMLDocument document;
        document.LoadBytes(xml.data(), xml.size());
        gui.Build(document.root);
    }

    Tamrik::CGUI::CWindow* Window(const std::string& name)
    {
        auto found = system.vm->registry.find(name);
        return found == system.vm->registry.end() ? nullptr
                                                  : static_cast<Tamrik::CGUI::CWindow*>(found->second);
    }
    template <class T>
    T* As(const std::string& name)
    {
        return dynamic_cast<T*>(Window(name));
    }

    // Moves the cursor's hot spot to (x, y) as mouse movement would.
    void MoveTo(int x, int y)
    {
        gui.HandleMouseMove(x - gui.cursor.points[0].x, y - gui.cursor.points[0].y);
    }
    void ClickAt(int x, int y)
    {
        MoveTo(x, y);
        gui.HandleMouseButtonDown(0, 0);
        gui.HandleMouseButtonUp(0, 0);
    }
    std::string Log() { return ReadFile("log.txt"); }
    int32_t R(int r) { return Reg(*system.vm, r); }

    ScratchDir dir;
    TestSystem system{true};
    Tamrik::CGUI gui{&system};
};

// A window that records the events it receives as "name:event".
class Probe : public Tamrik::CGUI::CWindow {
public:
    Probe(Tamrik::CGUI* owner, std::string name, std::vector<std::string>* events)
        : CWindow(owner), name(std::move(name)), events(events)
    {
    }
    void OnMouseButtonDown(int, int) override { Record("down"); }
    void OnMouseButtonUp(int, int) override { Record("up"); }
    void OnMouseMove(int a, int b) override { Record("move" + std::to_string(a) + "," + std::to_string(b)); }
    void OnMouseRolloverStart(int, int) override { Record("enter"); }
    void OnMouseRolloverEnd(int, int) override { Record("leave"); }
    void OnGainFocus(int, int) override { Record("gain"); }
    void OnLoseFocus(int, int) override { Record("lose"); }
    bool ReactsToFocus() override { return true; }
    void OnDrag(int dx, int dy) override
    {
        Record("drag" + std::to_string(dx) + "," + std::to_string(dy));
        CWindow::OnDrag(dx, dy);
    }

    const std::string name;

private:
    void Record(const std::string& e) { events->push_back(name + ":" + e); }
    std::vector<std::string>* events;
};

// A GUI of probes placed by hand.
class ProbeTest : public GUITest {
protected:
    // A probe at (left, top) of size w x h, under parent or at the top level, shown.
    Probe* Add(const std::string& name, Tamrik::CGUI::CWindow* parent, int left, int top, int w, int h)
    {
        auto* p = new Probe(&gui, name, &events);
        p->parent = parent;
        if (parent)
            parent->children.push_back(p);
        else
            gui.AddWindow(p);
        p->SetPosition(left, top);
        p->SetSize(w, h);
        p->visible = true;
        return p;
    }
    std::vector<std::string> Take() { return std::exchange(events, {}); }

    std::vector<std::string> events;
};

} // namespace kestrova_test
