// Tests of the GUI's drawing order on a recording device: windows in list order, each with its
// picture, then its text, then its visible children; hidden subtrees skipped; the cursor last.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/window.h"
#include "tests/support/recording_device.h"
#include "tests/support/test_system.h"
#include "tests/support/test_paths.h"

using namespace Tamrik;
using namespace kestrova_test;

namespace {

class GUIDrawing : public ::testing::Test {
protected:
    GUIDrawing()
    {
        device.Create(system.mainWindow);
        // No pictures in the scratch folder: 21 empty records, each its own.
        device.LoadGUITextures(&gui);
    }

    CGUI::CWindow* Window(CGUI::CWindow* parent, int32_t left, int32_t top, GUITextureId texture, const char* text,
                          bool visible = true)
    {
        auto* w = new CGUI::CWindow(&gui);
        w->SetRect(left, top, left + 50, top + 20);
        w->texture = texture;
        w->text = text;
        w->textLayout = LEFT_UP;
        w->visible = visible;
        w->parent = parent;
        if (parent)
            parent->children.push_back(w);
        else
            gui.AddWindow(w);
        return w;
    }

    std::vector<std::string> Draw()
    {
        device.calls.clear();
        device.quads.clear();
        device.quadTextures.clear();
        device.DrawGUI();
        return device.calls;
    }

    Texture* Picture(GUITextureId id) { return device.guiTextures[id].texture; }

    kestrova_test::ScratchDir scratch;
    TestSystem system;
    RecordingDevice device{&system};
    CGUI gui{&system};
};

TEST_F(GUIDrawing, WindowsComeInListOrderEachBeforeItsChildrenAndTheCursorLast)
{
    CGUI::CWindow* back = Window(nullptr, 10, 10, GUI_TEXTURE_DIALOG_BODY, "back");
    CGUI::CWindow* child = Window(back, 20, 20, GUI_TEXTURE_BUTTON, "child");
    Window(child, 30, 30, GUI_TEXTURE_CHECKBOX, "grandchild");
    Window(back, 40, 40, GUI_TEXTURE_NONE, "second child");
    Window(nullptr, 100, 100, GUI_TEXTURE_BUTTON_HIGHLIGHTED, "front");

    const std::vector<std::string> expected = {
        "DrawQuad", "DrawString back @10,10 255,255,255",
        "DrawQuad", "DrawString child @20,20 255,255,255",
        "DrawQuad", "DrawString grandchild @30,30 255,255,255",
        "DrawString second child @40,40 255,255,255",
        "DrawQuad", "DrawString front @100,100 255,255,255",
        "DrawQuad"};
    EXPECT_EQ(Draw(), expected);
    const std::vector<Texture*> pictures = {Picture(GUI_TEXTURE_DIALOG_BODY), Picture(GUI_TEXTURE_BUTTON),
                                            Picture(GUI_TEXTURE_CHECKBOX), Picture(GUI_TEXTURE_BUTTON_HIGHLIGHTED),
                                            Picture(GUI_TEXTURE_CURSOR)};
    EXPECT_EQ(device.quadTextures, pictures);
    EXPECT_EQ(device.quads[0].points[QUAD_BOTTOM_RIGHT].x, 60);
    EXPECT_EQ(device.quads[4].points[QUAD_TOP_LEFT].x, gui.cursor.points[QUAD_TOP_LEFT].x);
}

TEST_F(GUIDrawing, AHiddenWindowHidesItsWholeSubtreeButTheCursorIsStillDrawn)
{
    CGUI::CWindow* hidden = Window(nullptr, 10, 10, GUI_TEXTURE_DIALOG_BODY, "hidden", false);
    Window(hidden, 20, 20, GUI_TEXTURE_BUTTON, "visible child of a hidden window");
    CGUI::CWindow* shown = Window(nullptr, 50, 50, GUI_TEXTURE_NONE, "");
    Window(shown, 60, 60, GUI_TEXTURE_NONE, "hidden child", false);

    EXPECT_EQ(Draw(), std::vector<std::string>{"DrawQuad"});
    EXPECT_EQ(device.quadTextures, std::vector<Texture*>{Picture(GUI_TEXTURE_CURSOR)});
}

TEST_F(GUIDrawing, TextsTakeTheirWindowsLayoutAndColourAndEmptyTextsDrawNothing)
{
    CGUI::CWindow* w = Window(nullptr, 100, 200, GUI_TEXTURE_NONE, "");
    w->textLayout = DISPLACED_RIGHT;
    w->textColor[0] = 242;
    w->textColor[1] = 166;
    w->textColor[2] = 70;
    EXPECT_EQ(Draw(), std::vector<std::string>{"DrawQuad"});

    // No font is loaded: texts measure 0 wide, lines 0 high (see PlaceText's own tests).
    w->text = "Amber";
    EXPECT_EQ(Draw()[0], "DrawString Amber @160,210 242,166,70");
    w->textLayout = 99;
    EXPECT_EQ(Draw()[0], "DrawString Amber @0,0 242,166,70");
}

TEST_F(GUIDrawing, PicturesWithoutAnEntryAreNotDrawn)
{
    // After a release the map is empty: windows hand the device no record, and the cursor
    // has none at all.
    Window(nullptr, 10, 10, GUI_TEXTURE_BUTTON, "");
    device.ReleaseGUITextures();
    device.gui = &gui;
    EXPECT_EQ(Draw(), std::vector<std::string>{"DrawQuad"});
    EXPECT_EQ(device.quadTextures, std::vector<Texture*>{nullptr});
}

TEST_F(GUIDrawing, AHundredThousandNestedWindowsAreDrawnWithoutRecursing)
{
    constexpr int DEPTH = 100000;
    CGUI::CWindow* top = Window(nullptr, 0, 0, GUI_TEXTURE_NONE, "");
    CGUI::CWindow* deepest = top;
    for (int i = 1; i < DEPTH; ++i)
        deepest = Window(deepest, i % 700, i % 500, GUI_TEXTURE_NONE, "");
    deepest->texture = GUI_TEXTURE_BUTTON;
    EXPECT_EQ(Draw(), (std::vector<std::string>{"DrawQuad", "DrawQuad"}));
    EXPECT_EQ(device.quadTextures[0], Picture(GUI_TEXTURE_BUTTON));
}

} // namespace
