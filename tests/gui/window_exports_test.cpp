// Handler programs of a built GUI calling the exported methods on real windows, the instruction
// budget of a handler run, a handler switching the GUI off and on, and very deep window trees.
#include <gtest/gtest.h>

#include "gui/dialog.h"
#include "tests/gui/gui_test_support.h"

using namespace kestrova_test;
using namespace kestrova_test::exports;
using Tamrik::CGUI;

namespace {

using WindowExports = GUITest;

TEST_F(WindowExports, AButtonsHandlerCallsEveryExportOnTheWindowsItNames)
{
    HandlerText h;
    h.CallWithString(SET_TEXT_C, "dlg", "body")
        .Call(GET_TEXT, "src").Keep(10)
        .Code("push r10").Call(SET_TEXT_STRING, "dst")
        .Call(SET_TEXT_LAYOUT, "dlg", {2})
        .Call(GET_TEXT_LAYOUT, "dlg").Keep(11)
        .Call(SET_TEXT_COLOR, "dst", {1, 2, 259})
        .Call(GET_TEXT_COLOR, "dst").Keep(12)
        .Call(SET_DRAGGABLE, "dlg", {1})
        .Call(IS_DRAGGABLE, "dlg").Keep(13)
        .Call(SET_SIZE, "dlg", {200, 100})
        .Call(STRETCH, "dst", {5, 6})
        .Call(SET_POSITION, "src", {100, 0})
        .Call(TRANSLATE, "dst", {1, 1})
        .Call(SET_VISIBLE, "chk", {0})
        .Call(IS_VISIBLE, "chk").Keep(14)
        .Call(IS_CHECKED, "chk").Keep(15)
        .Call(GET_CHECKED_INDEX, "grp").Keep(16)
        .Call(SET_ACTIVE, "GUI", {0})
        .Call(GET_ACTIVE, "GUI").Keep(17);
    Build(R"(<gui>
        <dialog name="dlg" visible="true" size="400x300" text="Caption">
            <label name="src" text="from src" visible="true" position="10x40" size="50x20"/>
            <label name="dst" visible="true" position="10x70" size="50x20"/>
            <checkbox name="chk" visible="true" position="10x100"/>
            <radiobuttongroup name="grp" visible="true" position="10x130" size="100x20">
                <radiobutton visible="true"/>
            </radiobuttongroup>
            <button name="go" visible="true" position="100x200" size="50x50">)" +
          Event("OnMouseButtonUp", h.Text()) + "</button></dialog></gui>");
    gui.SetActive(true);
    ClickAt(120, 220);

    auto* dlg = As<CGUI::CDialog>("dlg");
    ASSERT_NE(dlg, nullptr);
    // The exported setters are the window's own: on a dialog they reach the body, not the bar.
    EXPECT_EQ(dlg->text, "body");
    EXPECT_EQ(dlg->tray->text, "Caption");
    EXPECT_EQ(dlg->textLayout, 2);
    EXPECT_EQ(dlg->tray->textLayout, Tamrik::CENTER);
    EXPECT_EQ(R(11), 2);
    EXPECT_TRUE(dlg->draggable);
    EXPECT_FALSE(dlg->tray->draggable);
    EXPECT_EQ(R(13), 1);
    EXPECT_EQ(RectOf(dlg), (Rect{0, 0, 200, 100}));
    EXPECT_EQ(RectOf(dlg->tray), (Rect{0, 0, 400, 24}));

    CGUI::CWindow* dst = Window("dst");
    EXPECT_EQ(dst->text, "from src");
    EXPECT_EQ((std::vector<int>{dst->textColor[0], dst->textColor[1], dst->textColor[2]}),
              (std::vector<int>{1, 2, 3}));
    // The first colour word the machine hands out.
    EXPECT_EQ(static_cast<uint32_t>(R(12)), Tamrik::COLOUR_WORD_BASE);
    EXPECT_EQ(RectOf(dst), (Rect{11, 71, 66, 97}));
    EXPECT_EQ(RectOf(Window("src")), (Rect{100, 0, 150, 20}));
    EXPECT_FALSE(Window("chk")->visible);
    EXPECT_EQ(R(14), 0);
    EXPECT_EQ(R(15), 0);
    EXPECT_EQ(R(16), -1);
    EXPECT_FALSE(gui.GetActive());
    EXPECT_EQ(R(17), 0);
}

TEST_F(WindowExports, AHandlerSwitchingTheGUIOffAndOnRunsOncePerClick)
{
    HandlerText h;
    h.Call(SET_ACTIVE, "GUI", {0}).Call(SET_ACTIVE, "GUI", {1});
    Build("<gui><button visible=\"true\">" + Event("OnMouseButtonDown", h.Text()) + "</button></gui>");
    gui.SetActive(true);
    MoveTo(10, 10);
    system.FireMouseButtonDown(0);
    const std::string line = "void CGUI::SetActive(bool status) is invoked!";
    EXPECT_EQ(Count(Log(), line), 3u);
    EXPECT_TRUE(gui.GetActive());
    system.FireMouseButtonDown(0);
    EXPECT_EQ(Count(Log(), line), 5u);
    // The re-added records still serve the other lists.
    system.FireMouseMove(300, 0);
    EXPECT_EQ(gui.windowUnderCursor, nullptr);
}

TEST_F(WindowExports, AnEndlessHandlerEndsAtTheBudgetAndSoDoesTheRunThatSetItOff)
{
    HandlerText outer;
    outer.Call(SET_VISIBLE, "loop", {1}).Code("set r12 7");
    HandlerText endless;
    endless.Code({"inc r13", "jmp 0"});
    Build("<gui><label name=\"outer\">" + Event("OnMouseButtonDown", outer.Text()) + "</label><label name=\"loop\">" +
          Event("OnGainFocus", endless.Text()) + "</label></gui>");
    system.vm->SetInstructionLimitForTesting(100000);
    Window("outer")->OnMouseButtonDown(0, 0);
    EXPECT_NE(R(12), 7);
    EXPECT_TRUE(Window("loop")->visible);
    EXPECT_EQ(Count(Log(), "Warning: handler program stopped after 100000 instructions."), 1u);
    // The handler that ran into the budget is switched off.
    EXPECT_EQ(Window("loop")->handlers[Tamrik::ON_GAIN_FOCUS], nullptr);
    EXPECT_EQ(Count(Log(), "Warning: OnGainFocus handler of window 'loop' switched off."), 1u);

    // The real budget: far beyond any handler, still a bounded wait.
    system.vm->SetInstructionLimitForTesting(Tamrik::CVirtualMachine::RUN_INSTRUCTION_BUDGET);
    Window("loop")->SetHandler(Tamrik::ON_GAIN_FOCUS, Assemble(endless.Text()).release());
    Window("loop")->OnGainFocus(0, 0);
    EXPECT_EQ(Count(Log(), "Warning: handler program stopped after 50000000 instructions."), 1u);
    EXPECT_GT(R(13), 20'000'000);
}

TEST_F(WindowExports, AHundredThousandNestedWindowsAreBuiltHitMovedAndDeleted)
{
    constexpr int DEPTH = 100000;
    std::string xml = "<gui>";
    xml.reserve(DEPTH * 20);
    for (int i = 0; i < DEPTH; ++i)
        xml += "<label size=\"10x10\" visible=\"true\">";
    xml += "<label name=\"deepest\" visible=\"true\"/>";
    for (int i = 0; i < DEPTH; ++i)
        xml += "</label>";
    xml += "</gui>";
    Build(xml);
    CGUI::CWindow* deepest = Window("deepest");
    ASSERT_NE(deepest, nullptr);
    ASSERT_EQ(gui.Windows().size(), 1u);
    gui.Windows().front()->Translate(100, 100);
    EXPECT_EQ(RectOf(deepest), (Rect{100, 100, 164, 164}));
    MoveTo(105, 105);
    EXPECT_EQ(gui.HitTest(), deepest);
    deepest->parent->SetVisible(false);
    EXPECT_EQ(gui.HitTest(), deepest->parent->parent);
    gui.Windows().front()->SetVisible(false);
    EXPECT_EQ(gui.HitTest(), nullptr);
    EXPECT_FALSE(deepest->visible);
}

} // namespace
