// The GUI drawn for real with the project's own pictures: a dialog with a button and a check
// box over the background, the caption and texts, the cursor on top; skins following the
// cursor and the button; F10 putting the GUI away and bringing it back in the real frame.
#include <gtest/gtest.h>

#include "gui/button.h"
#include "gui/check_box.h"
#include "gui/dialog.h"
#include "gui/gui.h"
#include "tests/render/device_fixture.h"

using kestrova_test::DeviceTest;
using kestrova_test::Rgb;

namespace Tamrik {
namespace {

constexpr int32_t KEY_F10 = 68;
const Rgb GREY = {230, 230, 230};

class GUIPicture : public DeviceTest {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures", "fonts", "gui"}; }

    void SetUp() override
    {
        DeviceTest::SetUp();
        device->InitFont();
        device->CreateTextFont();
        gui = new CGUI(system);
        device->LoadGUITextures(gui);

        // A 300 x 200 dialog at (100, 100) with a button and a check box.
        dialog = new CGUI::CDialog(gui);
        gui->AddWindow(dialog);
        dialog->SetSize(300, 200);
        dialog->SetPosition(100, 100);
        dialog->SetText("Panel");
        button = Child<CGUI::CButton>(20, 120, 200, 40);
        button->SetText("Quit");
        box = Child<CGUI::CCheckBox>(20, 50, 16, 16);
        dialog->SetVisible(true);
    }

    void TearDown() override
    {
        device->ReleaseGUITextures();
        delete gui;
        DeviceTest::TearDown();
    }

    template <class Widget>
    Widget* Child(int x, int y, int w, int h)
    {
        auto* child = new Widget(gui);
        child->parent = dialog;
        dialog->children.push_back(child);
        child->SetPosition(x, y);
        child->SetSize(w, h);
        return child;
    }

    // Puts the cursor's corner 0 on (x, y) through the GUI's own mouse handler.
    void MoveCursorTo(int x, int y)
    {
        gui->HandleMouseMove(x - gui->cursor.points[QUAD_TOP_LEFT].x, y - gui->cursor.points[QUAD_TOP_LEFT].y);
    }

    // The GUI over an even light grey, so what shows through is known.
    void DrawOverBackground()
    {
        glClearColor(0.9f, 0.9f, 0.9f, 1.0f);
        device->BeginFrame();
        device->Set2DMode();
        device->DrawGUI();
    }

    // The sum of add(pixel) over the rectangle's pixels.
    template <class Add>
    double SumOver(int x0, int y0, int x1, int y1, Add add)
    {
        std::vector<uint8_t> picture = Picture();
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                sum += add(&picture[(static_cast<size_t>(y) * width + x) * 3]);
        return sum;
    }
    double MeanBrightness(int x0, int y0, int x1, int y1)
    {
        return SumOver(x0, y0, x1, y1, [](const uint8_t* p) { return p[0] + p[1] + p[2]; }) /
               (3.0 * (x1 - x0) * (y1 - y0));
    }
    double WhitePixels(int x0, int y0, int x1, int y1)
    {
        return SumOver(x0, y0, x1, y1, [](const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; });
    }

    CGUI* gui = nullptr;
    CGUI::CDialog* dialog = nullptr;
    CGUI::CButton* button = nullptr;
    CGUI::CCheckBox* box = nullptr;
};

TEST_F(GUIPicture, TheDialogItsWidgetsAndTheirTextsLieOverTheBackgroundAndTheCursorOverAll)
{
    MoveCursorTo(700, 500);
    DrawOverBackground();
    SavePicture("gui_dialog");

    // The body: night blue, with a little of the background showing through.
    const Rgb body = Pixel(300, 270);
    EXPECT_LT(body[0], 80);
    EXPECT_GT(body[2], body[0]);
    EXPECT_GT(body[0], 20);
    // The caption bar of a shown (so focused) dialog is amber, its text white in the middle.
    const Rgb caption = Pixel(110, 110);
    EXPECT_GT(caption[0], 150);
    EXPECT_LT(caption[2], 90);
    EXPECT_GT(WhitePixels(230, 104, 270, 120), 10);
    // The button: slate blue with its white text; the check box: a dark well in a light rim.
    const Rgb plate = Pixel(135, 230);
    EXPECT_GT(plate[2], plate[0] + 30);
    EXPECT_GT(WhitePixels(200, 225, 240, 255), 10);
    const Rgb well = Pixel(128, 158);
    EXPECT_LT(well[0] + well[1] + well[2], 200);
    // Outside the dialog the background is untouched.
    EXPECT_TRUE(kestrova_test::Near(Pixel(90, 150), GREY, 1));
    // The cursor: the arrow's white inside with a black rim, its corner the point of the arrow.
    EXPECT_GT(Pixel(703, 508)[0], 220);
    EXPECT_LT(Pixel(700, 515)[0], 60);
    EXPECT_TRUE(kestrova_test::Near(Pixel(720, 503), GREY, 1)); // transparent beside it
}

TEST_F(GUIPicture, TheButtonLightsUpUnderTheCursorAndDarkensWhilePressed)
{
    auto buttonBrightness = [&] {
        DrawOverBackground();
        return MeanBrightness(125, 225, 190, 255);
    };
    auto rimIsAmber = [&] {
        const Rgb rim = Pixel(200, 220);
        return rim[0] > 180 && rim[2] < 120;
    };
    MoveCursorTo(700, 500);
    const double plain = buttonBrightness();
    EXPECT_FALSE(rimIsAmber());

    MoveCursorTo(300, 250); // onto the button, clear of the region measured
    EXPECT_EQ(button->texture, GUI_TEXTURE_BUTTON_HIGHLIGHTED);
    const double lit = buttonBrightness();
    EXPECT_TRUE(rimIsAmber());
    EXPECT_GT(lit, plain + 10);
    EXPECT_GT(Pixel(303, 258)[0], 220); // the cursor's white arrow lies over the button

    gui->HandleMouseButtonDown(0, 0);
    EXPECT_EQ(button->texture, GUI_TEXTURE_BUTTON_DEPRESSED);
    EXPECT_LT(buttonBrightness(), plain - 10);

    gui->HandleMouseButtonUp(0, 0);
    EXPECT_NEAR(buttonBrightness(), lit, 2);
}

// The real frame, kept in the back buffer for reading instead of being shown.
class HeldFrameDevice : public COpenGLRenderDevice {
public:
    using COpenGLRenderDevice::COpenGLRenderDevice;
    void EndFrame() override {}
};

class GUIFrame : public GUIPicture {
protected:
    COpenGLRenderDevice* MakeDevice() override { return new HeldFrameDevice(system); }
};

TEST_F(GUIFrame, F10PutsTheGUIAwayAndBringsItBack)
{
    device->loadingStep = 8; // no level: the frame draws the GUI and the text lines on black
    gui->SetActive(true);
    MoveCursorTo(700, 500);
    auto captionShown = [&] {
        device->RenderFrame();
        const Rgb caption = Pixel(110, 110);
        return caption[0] > 150;
    };
    EXPECT_TRUE(captionShown());

    device->HandleKeyDown(KEY_F10, 0);
    device->HandleKeyUp(KEY_F10, 0);
    EXPECT_FALSE(gui->GetActive());
    EXPECT_FALSE(captionShown());
    EXPECT_TRUE(kestrova_test::Near(Pixel(703, 508), {0, 0, 0}, 0)); // the cursor went too

    device->HandleKeyDown(KEY_F10, 0);
    device->HandleKeyUp(KEY_F10, 0);
    EXPECT_TRUE(gui->GetActive());
    EXPECT_TRUE(captionShown());
}

} // namespace
} // namespace Tamrik
