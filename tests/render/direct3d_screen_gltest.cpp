// The Direct3D device's screen drawing read back from a real window: the splash through the
// sprite, texts through the D3DX font, and GUI quads through the quad buffer.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "image/image.h"
#include "tests/render/device_fixture.h"

using kestrova_test::Direct3DDeviceTest;
using kestrova_test::Near;
using kestrova_test::Rgb;

namespace {

const Rgb SPLASH_BACKGROUND = {255, 247, 240};

// The bounding box of every pixel that is not black, and how many have exactly colour.
struct Ink {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1, pixels = 0, exact = 0;
};

Ink InkOf(const std::vector<uint8_t>& picture, int width, int height, const Rgb& colour)
{
    Ink ink;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &picture[(static_cast<size_t>(y) * width + x) * 3];
            if (p[0] == 0 && p[1] == 0 && p[2] == 0)
                continue;
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x);
            ink.minY = std::min(ink.minY, y);
            ink.maxY = std::max(ink.maxY, y);
            ++ink.pixels;
            ink.exact += p[0] == colour[0] && p[1] == colour[1] && p[2] == colour[2];
        }
    return ink;
}

class Direct3DSplash : public Direct3DDeviceTest {};

TEST_F(Direct3DSplash, ShowsTheBackgroundAndTheWholeLogoTexelForPixelAtMinus112And44)
{
    ASSERT_NE(device->splash.handle, 0u);
    EXPECT_EQ(device->splash.width, 1024);
    EXPECT_EQ(device->splash.height, 512);
    EXPECT_EQ(device->splash.pixels, nullptr);
    Tamrik::Image logo;
    ASSERT_TRUE(Tamrik::LoadTGA(&logo, "textures/logo_pellum.tga"));
    ASSERT_EQ(logo.format, 2);
    // The file's rows run bottom-up; the sprite shows the picture upright, pixel (x, y) being
    // the picture's (x + 112, y - 44), also where the picture is not opaque: the sprite does
    // not blend.
    auto logoPixel = [&](int x, int y) {
        const uint8_t* p = logo.pixels + ((static_cast<size_t>(511 - (y - 44)) * 1024) + (x + 112)) * 4;
        return Rgb{p[0], p[1], p[2]};
    };

    device->BeginFrame();
    device->Set2DMode();
    device->DrawSplash();
    SavePicture("direct3d-splash");

    EXPECT_TRUE(Near(Pixel(400, 0), SPLASH_BACKGROUND, 0));
    EXPECT_TRUE(Near(Pixel(400, 43), SPLASH_BACKGROUND, 0));
    EXPECT_TRUE(Near(Pixel(400, 556), SPLASH_BACKGROUND, 0));
    EXPECT_TRUE(Near(Pixel(799, 599), SPLASH_BACKGROUND, 0));
    for (int y : {44, 45, 100, 201, 300, 399, 555})
        for (int x : {0, 1, 150, 263, 400, 651, 799})
            EXPECT_TRUE(Near(Pixel(x, y), logoPixel(x, y), 1)) << "at " << x << ", " << y;
    delete[] logo.pixels;
    device->EndFrame();
}

class Direct3DSplashWithoutPicture : public Direct3DDeviceTest {
protected:
    std::vector<std::string> RunDirEntries() override { return {"fonts"}; }
    std::string Settings() override { return "[Game]\nLog = \"true\"\n"; }
};

TEST_F(Direct3DSplashWithoutPicture, ClearsToTheBackgroundAndLogsNothing)
{
    EXPECT_EQ(device->splash.handle, 0u);
    device->BeginFrame();
    device->Set2DMode();
    device->DrawSplash();
    EXPECT_TRUE(Near(Pixel(400, 300), SPLASH_BACKGROUND, 0));
    EXPECT_TRUE(Near(Pixel(10, 590), SPLASH_BACKGROUND, 0));
    EXPECT_EQ(kestrova_test::ReadFile("log.txt"), "");
}

class Direct3DText : public Direct3DDeviceTest {};

TEST_F(Direct3DText, IsDrawnInItsColourBelowAndRightOfItsCorner)
{
    device->CreateTextFont();
    ASSERT_NE(device->textFont, nullptr);
    device->BeginFrame();
    device->Set2DMode();
    device->DrawString("HH", 100, 200, 200, 40, 30);
    SavePicture("direct3d-text");
    const Ink ink = InkOf(Picture(), width, height, {200, 40, 30});
    // Two capitals of an 18-pixel cell: inside the line's box, the stems in the colour itself.
    EXPECT_GE(ink.minX, 100);
    EXPECT_LE(ink.minX, 103);
    EXPECT_GT(ink.maxX, 115);
    EXPECT_LT(ink.maxX, 130);
    EXPECT_GE(ink.minY, 200);
    EXPECT_LE(ink.maxY, 200 + 18);
    EXPECT_GT(ink.maxY - ink.minY, 9);
    EXPECT_GT(ink.exact, 20);
    device->EndFrame();
}

TEST_F(Direct3DText, IsCutOffAtTheWindowsEdges)
{
    device->CreateTextFont();
    device->BeginFrame();
    device->Set2DMode();
    device->DrawString("WWWWWWWWWW", 760, 590, 255, 255, 255);
    const Ink ink = InkOf(Picture(), width, height, {255, 255, 255});
    EXPECT_GE(ink.minX, 760);
    EXPECT_EQ(ink.maxX, 799) << "the text runs on to the right edge";
    EXPECT_GE(ink.minY, 590);
    EXPECT_EQ(ink.maxY, 599) << "and to the bottom edge";
    EXPECT_GT(ink.pixels, 100);
    // Texts left of or above the window show what lies inside it.
    device->BeginFrame();
    device->DrawString("WWWW", -30, -8, 255, 255, 255);
    const Ink corner = InkOf(Picture(), width, height, {255, 255, 255});
    EXPECT_LE(corner.minX, 2);
    EXPECT_EQ(corner.minY, 0);
    EXPECT_LT(corner.maxX, 50);
    EXPECT_LT(corner.maxY, 12);
    device->EndFrame();
}

class Direct3DTextWithoutFont : public Direct3DDeviceTest {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures"}; }
};

TEST_F(Direct3DTextWithoutFont, MakesNoFontAndDrawsNothing)
{
    device->CreateTextFont();
    EXPECT_EQ(device->textFont, nullptr);
    device->BeginFrame();
    device->Set2DMode();
    device->DrawString("Press any key to continue...", 10, 10, 255, 255, 255);
    std::vector<uint8_t> picture = Picture();
    EXPECT_EQ(std::count(picture.begin(), picture.end(), 0), static_cast<long>(picture.size()));
    device->EndFrame();
}

class Direct3DQuad : public Direct3DDeviceTest {
protected:
    void PrepareFiles() override
    {
        kestrova_test::WriteQuadPictures();
        // The tray red in its top half and green in its bottom half.
        std::vector<std::array<uint8_t, 4>> halves(16, {255, 0, 0, 255});
        for (int i = 8; i < 16; ++i)
            halves[i] = {0, 255, 0, 255};
        kestrova_test::WriteFile("gui/textures/dialog_tray_active.tga", kestrova_test::MakeTGA(4, 4, halves));
    }

    static Tamrik::ScreenQuad Box(int x0, int y0, int x1, int y1)
    {
        Tamrik::ScreenQuad quad;
        quad.points[Tamrik::QUAD_TOP_LEFT] = {x0, y0};
        quad.points[Tamrik::QUAD_BOTTOM_LEFT] = {x0, y1};
        quad.points[Tamrik::QUAD_BOTTOM_RIGHT] = {x1, y1};
        quad.points[Tamrik::QUAD_TOP_RIGHT] = {x1, y0};
        return quad;
    }
};

TEST_F(Direct3DQuad, IsShadedFromWhiteAtTheTopToGrey204AtTheBottom)
{
    device->LoadGUITextures(nullptr);
    ASSERT_EQ(device->guiTextures.size(), 21u);
    Tamrik::Texture* button = device->guiTextures[5].texture;
    ASSERT_NE(button->handle, 0u);
    EXPECT_EQ(button->pixels, nullptr);
    EXPECT_EQ(button->width, 4);
    EXPECT_EQ(device->guiTextures[0].texture->handle, 0u) << "a picture that is not there";

    Tamrik::ScreenQuad quad = Box(100, 100, 300, 300);
    device->BeginFrame();
    device->Set2DMode();
    device->DrawQuad(&quad, button);
    SavePicture("direct3d-quad");
    EXPECT_TRUE(Near(Pixel(200, 100), {255, 255, 255}, 1));
    EXPECT_TRUE(Near(Pixel(200, 299), {204, 204, 204}, 1));
    EXPECT_TRUE(Near(Pixel(200, 200), {229, 229, 229}, 2));
    EXPECT_TRUE(Near(Pixel(99, 200), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(100, 200), {229, 229, 229}, 2));
    EXPECT_TRUE(Near(Pixel(299, 200), {229, 229, 229}, 2));
    EXPECT_TRUE(Near(Pixel(300, 200), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(200, 99), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(200, 300), {0, 0, 0}, 0));
    device->EndFrame();
}

TEST_F(Direct3DQuad, ShowsItsPictureUprightBlendedByAlphaAndNothingWithoutATexture)
{
    device->LoadGUITextures(nullptr);
    Tamrik::ScreenQuad quad = Box(0, 0, 800, 600);
    device->BeginFrame();
    device->Set2DMode();
    device->DrawSplash();
    device->DrawQuad(&quad, nullptr);
    device->DrawQuad(&quad, device->guiTextures[0].texture);
    EXPECT_TRUE(Near(Pixel(400, 10), SPLASH_BACKGROUND, 0));

    device->DrawQuad(&quad, device->guiTextures[12].texture);
    // Half of pure blue over the background, at the white top.
    EXPECT_TRUE(Near(Pixel(400, 0), {127, 123, 247}, 3));

    Tamrik::ScreenQuad small = Box(100, 100, 180, 180);
    device->DrawQuad(&small, device->guiTextures[8].texture);
    // The top half red; the bottom half green, shaded. Linear filtering wraps round at the
    // edges, so the rows in between are compared.
    EXPECT_TRUE(Near(Pixel(140, 120), {243, 0, 0}, 3)) << "the picture stands upright";
    EXPECT_TRUE(Near(Pixel(140, 160), {0, 216, 0}, 3));
    device->EndFrame();
}

class Direct3DEmptyWindow : public Direct3DDeviceTest {};

TEST_F(Direct3DEmptyWindow, GivesFiniteTransforms)
{
    system->mainWindow->width = 0;
    system->mainWindow->height = 0;
    device->BeginFrame();
    for (bool threeD : {false, true}) {
        if (threeD)
            device->Set3DMode();
        else
            device->Set2DMode();
        D3DMATRIX m;
        ASSERT_EQ(device->device->GetTransform(D3DTS_PROJECTION, &m), D3D_OK);
        for (auto& row : m.m)
            for (float v : row)
                EXPECT_TRUE(std::isfinite(v)) << threeD;
    }
    device->DrawSplash();
    device->EndFrame();
    system->mainWindow->width = 800;
    system->mainWindow->height = 600;
}

} // namespace
