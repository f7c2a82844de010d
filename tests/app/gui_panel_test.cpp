// The viewer's own "gui/gui.xml" built as the program builds it, its handler programs run through
// the real exports by clicks and cursor moves: the shader switch, the colours, the layouts, the
// keys dialog, the hover hints, dragging, hiding the GUI and quitting.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gui/check_box.h"
#include "gui/dialog.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_system.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

using kestrova_test::Rect;
using kestrova_test::RectOf;

class Panel : public kestrova_test::GUITest {
protected:
    void SetUp() override
    {
        std::filesystem::create_symlink(kestrova_test::RunDir() / "gui", "gui");
        gui.Load();
        gui.SetActive(true);
    }

    // The middle of a window, where a user would click it.
    void ClickOn(const std::string& name)
    {
        const Rect r = RectOf(Window(name));
        ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    const std::string& Line() { return Window("statusLabel")->text; }

    RecordingDevice device{&system}; // registered as "RenderDevice" before the build
};

TEST_F(Panel, EveryHandlerAssemblesWithoutAWarningAndTheHandlersCallAllTwentyTwoExports)
{
    const std::string log = Log();
    EXPECT_EQ(log.find("[XMLParser]"), std::string::npos) << log;
    EXPECT_EQ(log.find("XMLeasm"), std::string::npos) << log;
    EXPECT_EQ(log.find("rror"), std::string::npos) << log;

    // Every event element filled its slot.
    const std::string xml = kestrova_test::ReadFile("gui/gui.xml");
    size_t events = 0;
    for (size_t at = xml.find("<event "); at != std::string::npos; at = xml.find("<event ", at + 1))
        ++events;
    size_t handlers = 0;
    std::vector<CGUI::CWindow*> walk(gui.windows.begin(), gui.windows.end());
    while (!walk.empty()) {
        CGUI::CWindow* w = walk.back();
        walk.pop_back();
        for (ByteCode* h : w->handlers)
            handlers += h != nullptr;
        walk.insert(walk.end(), w->children.begin(), w->children.end());
    }
    EXPECT_EQ(handlers, events);
    EXPECT_GT(events, 10u);

    using namespace kestrova_test::exports;
    for (const char* name :
         {"?Terminate@CSystem@Tamrik@@QAEXXZ", "?SetShaderUsage@CRenderDevice@Tamrik@@QAEX_N@Z",
          "?GetShaderUsage@CRenderDevice@Tamrik@@QAE_NXZ", SET_ACTIVE, GET_ACTIVE, SET_TEXT_C, SET_TEXT_STRING,
          GET_TEXT, SET_TEXT_COLOR, GET_TEXT_COLOR, SET_TEXT_LAYOUT, GET_TEXT_LAYOUT, SET_POSITION, TRANSLATE,
          SET_SIZE, STRETCH, SET_VISIBLE, IS_VISIBLE, SET_DRAGGABLE, IS_DRAGGABLE, IS_CHECKED, GET_CHECKED_INDEX})
        EXPECT_NE(xml.find(std::string("s \"") + name + "\""), std::string::npos) << name;
}

TEST_F(Panel, ThePanelIsShownWithItsActiveCaptionAndTheKeysDialogHidden)
{
    auto* panel = As<CGUI::CDialog>("viewerPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->IsVisible());
    EXPECT_EQ(panel->tray->texture, GUI_TEXTURE_DIALOG_TRAY_ACTIVE);
    EXPECT_EQ(panel->tray->text, "Kestrova viewer");
    EXPECT_TRUE(panel->tray->draggable);
    EXPECT_FALSE(Window("keysDialog")->IsVisible());
    EXPECT_EQ(Line(), "GLSL shader path off");
    // Clear of the frame-rate and status lines at the top left, inside an 800 x 600 window.
    EXPECT_EQ(RectOf(panel), (Rect{500, 70, 780, 434}));
}

TEST_F(Panel, TheShaderBoxColourRadiosAndMoveButtonSetTheStatusLine)
{
    ClickOn("shaderBox");
    EXPECT_TRUE(As<CGUI::CCheckBox>("shaderBox")->checked);
    EXPECT_TRUE(device.shaderUsage);
    EXPECT_EQ(Line(), "GLSL shader path on");
    ClickOn("shaderBox");
    EXPECT_FALSE(device.shaderUsage);
    EXPECT_EQ(Line(), "GLSL shader path off");

    CGUI::CWindow* line = Window("statusLabel");
    auto colour = [&] { return std::vector<int>{line->textColor[0], line->textColor[1], line->textColor[2]}; };
    EXPECT_EQ(colour(), (std::vector<int>{255, 255, 255}));
    ClickOn("mistRadio");
    EXPECT_EQ(colour(), (std::vector<int>{170, 184, 212}));
    ClickOn("amberRadio");
    EXPECT_EQ(colour(), (std::vector<int>{242, 166, 70}));
    ClickOn("whiteRadio");
    EXPECT_EQ(colour(), (std::vector<int>{255, 255, 255}));

    // The move button takes the line from left to centre to right and back.
    std::vector<int> layouts;
    for (int i = 0; i < 4; ++i) {
        ClickOn("alignButton");
        layouts.push_back(line->textLayout);
    }
    EXPECT_EQ(layouts, (std::vector<int>{CENTER, RIGHT_CENTER, LEFT_CENTER, CENTER}));
}

TEST_F(Panel, TheKeysButtonShowsTheKeysAtTheirPlaceAndHidesThemAsCloseDoes)
{
    CGUI::CWindow* keys = Window("keysDialog");
    keys->Translate(100, 50); // dragged away earlier
    ClickOn("keysButton");
    EXPECT_TRUE(keys->IsVisible());
    EXPECT_EQ(RectOf(keys), (Rect{40, 330, 420, 506}));
    EXPECT_EQ(Window("keysButton")->text, "Hide the keys");
    EXPECT_EQ(gui.windows.back(), keys);

    ClickOn("closeKeysButton");
    EXPECT_FALSE(keys->IsVisible());
    EXPECT_EQ(Window("keysButton")->text, "Show the keys");
    ClickOn("keysButton");
    ClickOn("keysButton");
    EXPECT_FALSE(keys->IsVisible());
}

TEST_F(Panel, AButtonGrowsUnderTheCursorWithItsHintAndTakesItsPlaceAgainAfter)
{
    CGUI::CWindow* quit = Window("quitButton");
    const Rect before = RectOf(quit);
    MoveTo(before.left + 10, before.top + 10);
    EXPECT_EQ(RectOf(quit), (Rect{before.left - 4, before.top - 2, before.right + 4, before.bottom + 2}));
    EXPECT_EQ(Window("hintLabel")->text, "Ends the program");
    MoveTo(before.left + 20, before.top + 12); // moving on the button changes nothing
    EXPECT_EQ(RectOf(quit).left, before.left - 4);
    MoveTo(10, 10);
    EXPECT_EQ(RectOf(quit), before);
    EXPECT_EQ(Window("hintLabel")->text, "");
}

TEST_F(Panel, TheDragBoxLetsThePanelBeDraggedByItsBody)
{
    CGUI::CWindow* panel = Window("viewerPanel");
    auto dragBodyBy = [&](int dx, int dy) {
        MoveTo(770, 425); // a free spot of the body
        gui.HandleMouseButtonDown(0, 0);
        gui.HandleMouseMove(dx, dy);
        gui.HandleMouseButtonUp(0, 0);
    };
    dragBodyBy(-30, 0);
    EXPECT_EQ(RectOf(panel).left, 500);

    ClickOn("dragBox");
    EXPECT_TRUE(panel->IsDraggable());
    EXPECT_EQ(Line(), "Drag the panel by any free spot");
    dragBodyBy(-30, -10);
    EXPECT_EQ(RectOf(panel), (Rect{470, 60, 750, 424}));
    EXPECT_EQ(RectOf(Window("quitButton")).left, 490);

    ClickOn("dragBox");
    EXPECT_FALSE(panel->IsDraggable());
    EXPECT_EQ(Line(), "Drag the panel by its caption");
}

TEST_F(Panel, TheHideButtonPutsTheGUIAwayAndQuitEndsTheProgram)
{
    ClickOn("hideButton");
    EXPECT_FALSE(gui.GetActive());
    EXPECT_FALSE(system.quit);
    gui.SetActive(true);
    ClickOn("quitButton");
    EXPECT_TRUE(system.quit);
}

} // namespace
