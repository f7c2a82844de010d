// The viewer's own "gui/gui.xml" built as the program builds it, its handler programs run through
// the real exports by clicks and cursor moves: the shader switch, the colours, the layouts, the
// keys dialog, the hover hints, dragging, hiding the GUI and quitting.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "gui/check_box.h"
#include "gui/dialog.h"
#include "script/export_table.h"
#include "script/opcodes.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_system.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

using kestrova_test::Rect;
using kestrova_test::RectOf;

// A script machine that counts the handler runs that did not end at one of their halts: a
// refused native call ends a run at the call.
class RunCheckingMachine : public CWin32VirtualMachine {
public:
    using CWin32VirtualMachine::CWin32VirtualMachine;
    void Run() override
    {
        CWin32VirtualMachine::Run();
        const uint32_t pc = registers[programCounter];
        unfinished += !(pc >= 4 && pc <= MACHINE_MEMORY_SIZE && memory[pc - 4] == OP_HALT);
    }
    int unfinished = 0;
};

class Panel : public kestrova_test::GUITest {
protected:
    void SetUp() override
    {
        delete system.vm;
        system.vm = machine = new RunCheckingMachine(&system);
        system.vm->RegisterObject("System", &system);
        system.vm->RegisterObject("GUI", &gui);
        system.vm->RegisterObject("RenderDevice", &device);
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

    RecordingDevice device{&system};
    RunCheckingMachine* machine = nullptr;
};

TEST_F(Panel, EveryHandlerAssemblesAndATourOfThePanelRunsEachToItsEndCallingAllTwentyTwoExports)
{
    const std::string buildLog = Log();
    EXPECT_EQ(buildLog.find("[XMLParser]"), std::string::npos) << buildLog;
    EXPECT_EQ(buildLog.find("XMLeasm"), std::string::npos) << buildLog;
    EXPECT_EQ(buildLog.find("rror"), std::string::npos) << buildLog;

    // Every event element filled its slot.
    const std::string xml = kestrova_test::ReadFile("gui/gui.xml");
    const size_t events = kestrova_test::Count(xml, "<event ");
    size_t handlers = 0;
    std::vector<CGUI::CWindow*> walk(gui.Windows().begin(), gui.Windows().end());
    while (!walk.empty()) {
        CGUI::CWindow* w = walk.back();
        walk.pop_back();
        for (ByteCode* h : w->handlers)
            handlers += h != nullptr;
        walk.insert(walk.end(), w->children.begin(), w->children.end());
    }
    EXPECT_EQ(handlers, events);
    EXPECT_GT(events, 10u);

    // What a user does: onto the panel, over each button and off it again, a click on every
    // control, the keys shown and closed, the GUI put away and back, and quit.
    MoveTo(10, 10);
    MoveTo(770, 455);
    for (const char* button : {"alignButton", "keysButton", "hideButton", "quitButton"}) {
        const Rect r = RectOf(Window(button));
        MoveTo(r.left + 10, r.top + 10);
        MoveTo(10, 10);
    }
    for (const char* control : {"shaderBox", "dragBox", "amberRadio", "mistRadio", "whiteRadio", "alignButton",
                                "keysButton", "closeKeysButton", "hideButton"})
        ClickOn(control);
    gui.SetActive(true);
    ClickOn("quitButton");
    EXPECT_TRUE(system.quit);
    EXPECT_EQ(machine->unfinished, 0);

    using namespace kestrova_test::exports;
    std::set<std::string> exported;
    for (const char* name :
         {"?Terminate@CSystem@Tamrik@@QAEXXZ", "?SetShaderUsage@CRenderDevice@Tamrik@@QAEX_N@Z",
          "?GetShaderUsage@CRenderDevice@Tamrik@@QAE_NXZ", SET_ACTIVE, GET_ACTIVE, SET_TEXT_C, SET_TEXT_STRING,
          GET_TEXT, SET_TEXT_COLOR, GET_TEXT_COLOR, SET_TEXT_LAYOUT, GET_TEXT_LAYOUT, SET_POSITION, TRANSLATE,
          SET_SIZE, STRETCH, SET_VISIBLE, IS_VISIBLE, SET_DRAGGABLE, IS_DRAGGABLE, IS_CHECKED, GET_CHECKED_INDEX})
        exported.insert(std::to_string(static_cast<int32_t>(FindExport(name))));
    ASSERT_EQ(exported.size(), 22u);
    // Each native call names its function in the log before it is made.
    std::set<std::string> called;
    const std::string log = Log();
    const std::string mark = "ncall - fptr = ";
    for (size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1))
        called.insert(log.substr(at + mark.size(), log.find(',', at) - at - mark.size()));
    EXPECT_EQ(called, exported);
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
    EXPECT_EQ(RectOf(panel), (Rect{500, 70, 780, 466}));
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
    EXPECT_EQ(gui.Windows().back(), keys);

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

TEST_F(Panel, WithTheDragBoxTickedEverySpotThatShowsNoControlDragsThePanel)
{
    CGUI::CWindow* panel = Window("viewerPanel");
    // Drags from (x, y) from the panel's corner by (-3, -2), and says how far the panel went.
    auto dragFrom = [&](int x, int y) {
        const Rect before = RectOf(panel);
        MoveTo(before.left + x, before.top + y);
        gui.HandleMouseButtonDown(0, 0);
        gui.HandleMouseMove(-3, -2);
        gui.HandleMouseButtonUp(0, 0);
        const Rect after = RectOf(panel);
        return std::vector<int>{after.left - before.left, after.top - before.top};
    };
    const std::vector<int> moved = {-3, -2};
    const std::vector<int> stayed = {0, 0};
    EXPECT_EQ(dragFrom(270, 385), stayed);

    ClickOn("dragBox");
    EXPECT_TRUE(panel->IsDraggable());
    EXPECT_EQ(Line(), "GLSL shader path off");
    struct Spot {
        const char* what;
        int x, y;
        const std::vector<int>& result;
    };
    const Spot spots[] = {
        {"the colour title's text", 30, 108, moved},
        {"right of the colour title", 230, 108, moved},
        {"right of a radio button's text", 120, 146, moved},
        {"the status line's text", 30, 192, moved},
        {"right of the status text", 230, 192, moved},
        {"the empty hint line", 100, 372, moved},
        {"the foot of the body", 270, 385, moved},
        {"a radio button", 28, 146, stayed},
        {"a button", 100, 340, stayed},
    };
    for (const Spot& spot : spots)
        EXPECT_EQ(dragFrom(spot.x, spot.y), spot.result) << spot.what;
    // Its lines went along.
    EXPECT_EQ(RectOf(Window("statusLabel")).top - RectOf(panel).top, 180);

    ClickOn("dragBox");
    EXPECT_FALSE(panel->IsDraggable());
    EXPECT_EQ(dragFrom(270, 385), stayed);
    EXPECT_EQ(Line(), "GLSL shader path off");
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
