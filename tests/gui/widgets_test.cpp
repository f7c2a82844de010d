// Windows and widgets: visibility notifications, dialog geometry and skins, checked states.
#include <gtest/gtest.h>

#include "gui/check_box.h"
#include "gui/dialog.h"
#include "gui/radio_button.h"
#include "tests/gui/gui_test_support.h"

using namespace kestrova_test;
using Tamrik::CGUI;

namespace {

using Widgets = GUITest;

TEST_F(ProbeTest, ShowingAWindowNotifiesItsSubtreeDeepestFirst)
{
    Probe* other = Add("other", nullptr, 0, 0, 10, 10);
    Probe* top = Add("top", nullptr, 0, 0, 10, 10);
    Probe* w = Add("w", top, 0, 0, 10, 10);
    for (const char* name : {"a", "b", "c", "d"})
        Add(name, w, 0, 0, 10, 10);
    gui.focusedWindow = other;
    Take();
    w->SetVisible(true);
    std::vector<std::string> expected;
    for (std::string c : {"a", "b", "c", "d"})
        expected.insert(expected.end(), {"other:lose", c + ":gain", "w:gain", "top:gain"});
    expected.insert(expected.end(), {"other:lose", "w:gain", "top:gain"});
    EXPECT_EQ(Take(), expected);
    EXPECT_EQ(gui.Windows(), (std::list<CGUI::CWindow*>{other, top}));
    EXPECT_EQ(gui.focusedWindow, other);

    gui.focusedWindow = nullptr;
    w->children[1]->SetVisible(false);
    EXPECT_EQ(Take(), (std::vector<std::string>{"b:lose", "w:lose", "top:lose"}));
    EXPECT_FALSE(w->children[1]->visible);
    EXPECT_TRUE(w->visible);
}

TEST_F(Widgets, ADialogSizesItsCaptionAndFramesAndSwitchesSkinsWithTheFocus)
{
    CGUI::CDialog d(&gui);
    d.SetSize(300, 200);
    EXPECT_EQ(RectOf(&d), (Rect{0, 0, 300, 200}));
    EXPECT_EQ(RectOf(d.tray), (Rect{0, 0, 300, 24}));
    EXPECT_EQ(RectOf(d.leftFrame), (Rect{0, 24, 2, 198}));
    EXPECT_EQ(RectOf(d.rightFrame), (Rect{298, 24, 300, 198}));
    EXPECT_EQ(RectOf(d.bottomFrame), (Rect{0, 198, 300, 200}));
    d.OnGainFocus(0, 0);
    EXPECT_EQ(d.tray->texture, 8);
    EXPECT_EQ(d.leftFrame->texture, 10);
    d.OnLoseFocus(0, 0);
    EXPECT_EQ(d.tray->texture, 9);
    EXPECT_EQ(d.rightFrame->texture, 11);
    d.SetTextColor(1, 2, 3);
    EXPECT_EQ(d.tray->textColor[2], 3);
    EXPECT_EQ(d.textColor[2], 255);
}

TEST_F(Widgets, ACheckBoxTogglesOnButtonUpAndItsSkinFollowsCursorAndState)
{
    Build(R"(<gui><checkbox name="c" visible="true" position="10x10"/></gui>)");
    auto* c = As<CGUI::CCheckBox>("c");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->texture, 13);
    ClickAt(15, 15);
    EXPECT_TRUE(c->IsChecked());
    EXPECT_EQ(c->texture, 16);
    MoveTo(100, 100);
    EXPECT_EQ(c->texture, 14);
    ClickAt(15, 15);
    EXPECT_FALSE(c->IsChecked());
    EXPECT_EQ(c->texture, 15);
}

TEST_F(Widgets, OneRadioButtonOfAParentStaysCheckedAndTheGroupReportsItsPosition)
{
    Build(R"(<gui><radiobuttongroup name="g" visible="true" size="200x20">
        <label visible="true"/>
        <radiobutton name="a" position="20x0" visible="true"/>
        <radiobutton name="b" position="40x0" visible="true"/>
        <checkbox name="x" position="60x0" visible="true"/>
        <radiobutton name="c" position="80x0" visible="true"/>
    </radiobuttongroup></gui>)");
    auto* g = As<CGUI::CRadioButtonGroup>("g");
    auto* a = As<CGUI::CRadioButton>("a");
    auto* b = As<CGUI::CRadioButton>("b");
    auto* c = As<CGUI::CRadioButton>("c");
    auto* x = As<CGUI::CCheckBox>("x");
    ASSERT_TRUE(g && a && b && c && x);
    EXPECT_EQ(g->GetCheckedIndex(), -1);
    ClickAt(42, 5);
    EXPECT_EQ(g->GetCheckedIndex(), 2);
    EXPECT_EQ(b->texture, 20);
    ClickAt(62, 5);
    EXPECT_TRUE(x->checked);
    ClickAt(82, 5);
    EXPECT_EQ(g->GetCheckedIndex(), 4);
    EXPECT_FALSE(b->checked);
    EXPECT_EQ(b->texture, 17);
    EXPECT_TRUE(x->checked);
    ClickAt(82, 5); // a checked one stays checked
    EXPECT_TRUE(c->checked);
    MoveTo(300, 300);
    EXPECT_EQ(c->texture, 18);
    ClickAt(22, 5);
    EXPECT_EQ(g->GetCheckedIndex(), 1);
}

} // namespace
