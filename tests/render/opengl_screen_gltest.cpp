// The OpenGL device's screen drawing read back from a real window: the splash, texts, GUI quads,
// the glyph textures and the projections of a window without area.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "image/image.h"
#include "tests/render/device_fixture.h"

using kestrova_test::DeviceTest;
using kestrova_test::Near;
using kestrova_test::Rgb;

namespace {

const Rgb SPLASH_BACKGROUND = {255, 247, 240};

class Splash : public DeviceTest {};

TEST_F(Splash, ShowsTheBackgroundAndTheLogoCentred)
{
    Tamrik::Image logo;
    ASSERT_TRUE(Tamrik::LoadTGA(&logo, "textures/logo_pellum.tga"));
    ASSERT_EQ(logo.width, 1024);
    ASSERT_EQ(logo.height, 512);
    ASSERT_EQ(logo.format, 2);
    // The window pixel (x, y) shows the logo's pixel (x + 112, y - 44); the file's rows run
    // bottom-up.
    auto logoPixel = [&](int x, int y, int* alpha) {
        const uint8_t* p = logo.pixels + ((static_cast<size_t>(511 - (y - 44)) * 1024) + (x + 112)) * 4;
        *alpha = p[3];
        return Rgb{p[0], p[1], p[2]};
    };

    device->BeginFrame();
    device->Set2DMode();
    device->DrawSplash();
    SavePicture("splash");

    EXPECT_TRUE(Near(Pixel(400, 0), SPLASH_BACKGROUND, 0));
    EXPECT_TRUE(Near(Pixel(400, 43), SPLASH_BACKGROUND, 1));
    EXPECT_TRUE(Near(Pixel(400, 556), SPLASH_BACKGROUND, 1));
    EXPECT_TRUE(Near(Pixel(799, 599), SPLASH_BACKGROUND, 0));
    int checked = 0;
    for (int y : {44, 100, 200, 300, 400, 555}) {
        for (int x : {0, 150, 262 - 112, 400, 650, 799}) {
            int alpha = 0;
            Rgb expected = logoPixel(x, y, &alpha);
            if (alpha != 255)
                continue;
            EXPECT_TRUE(Near(Pixel(x, y), expected)) << "at " << x << ", " << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
    delete[] logo.pixels;
}

TEST_F(Splash, OfAWindowLargerThanThePictureLeavesBackgroundAround)
{
    device->BeginFrame();
    device->Set2DMode();
    device->mainWindow->width = 1200; // drawn as if the window were wider: the logo at x = 88
    device->Set2DMode();
    device->DrawSplash();
    device->mainWindow->width = 800;
    EXPECT_TRUE(Near(Pixel(87, 300), SPLASH_BACKGROUND, 1));
    EXPECT_FALSE(Near(Pixel(89 + 20, 300), SPLASH_BACKGROUND, 20));
}

class SplashWithoutPicture : public DeviceTest {
protected:
    std::vector<std::string> RunDirEntries() override { return {"fonts"}; }
    std::string Settings() override { return "[Game]\nLog = \"true\"\n"; }
};

TEST_F(SplashWithoutPicture, LogsTheFailureAndShowsOnlyTheBackground)
{
    EXPECT_NE(kestrova_test::ReadFile("log.txt").find("Failed loading splash texture!\r\n"), std::string::npos);
    EXPECT_EQ(device->splash.width, 0);
    EXPECT_EQ(device->splash.pixels, nullptr);
    device->BeginFrame();
    device->Set2DMode();
    device->DrawSplash();
    EXPECT_TRUE(Near(Pixel(400, 300), SPLASH_BACKGROUND, 0));
    EXPECT_TRUE(Near(Pixel(10, 590), SPLASH_BACKGROUND, 0));
}

class Text : public DeviceTest {};

TEST_F(Text, IsDrawnInItsColourHangingFromItsBaseline)
{
    device->InitFont();
    device->CreateTextFont();
    ASSERT_NE(device->glyphListBase, 0u);
    const Tamrik::Glyph& h = device->font.glyphs['H'];

    device->BeginFrame();
    device->Set2DMode();
    device->DrawString("HH", 100, 200, 200, 40, 30);
    SavePicture("text");

    // The ink's bounding box: two glyphs from the pen at x = 100, their tops 12 - top below y.
    std::vector<uint8_t> picture = Picture();
    int minX = width, minY = height, maxX = -1, maxY = -1, exact = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &picture[(static_cast<size_t>(y) * width + x) * 3];
            if (p[0] == 0 && p[1] == 0 && p[2] == 0)
                continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            exact += p[0] == 200 && p[1] == 40 && p[2] == 30;
        }
    }
    EXPECT_EQ(minX, 100 + h.left);
    EXPECT_EQ(maxX, 100 + h.advance + h.left + h.width - 1);
    EXPECT_EQ(minY, 200 + 12 - h.top);
    EXPECT_EQ(maxY, 200 + 12 - h.top + h.rows - 1);
    EXPECT_GT(exact, 2 * h.rows); // the stems carry the colour itself
}

TEST_F(Text, ByteTwoHundredFiftyFiveAndTheEmptyTextDrawNothing)
{
    device->InitFont();
    device->CreateTextFont();
    device->BeginFrame();
    device->Set2DMode();
    device->DrawString("\xFF\xFF\xFF", 100, 100, 255, 255, 255);
    device->DrawString("", 100, 100, 255, 255, 255);
    std::vector<uint8_t> picture = Picture();
    EXPECT_EQ(std::count(picture.begin(), picture.end(), 0), static_cast<long>(picture.size()));
}

TEST_F(Text, GlyphTexturesArePowersOfTwoAroundTheirBitmaps)
{
    EXPECT_EQ(Tamrik::COpenGLRenderDevice::GlyphTextureSide(0), 1);
    EXPECT_EQ(Tamrik::COpenGLRenderDevice::GlyphTextureSide(1), 1);
    EXPECT_EQ(Tamrik::COpenGLRenderDevice::GlyphTextureSide(5), 8);
    EXPECT_EQ(Tamrik::COpenGLRenderDevice::GlyphTextureSide(11), 16);
    EXPECT_EQ(Tamrik::COpenGLRenderDevice::GlyphTextureSide(16), 16);
    EXPECT_EQ(Tamrik::COpenGLRenderDevice::GlyphTextureSide(17), 32);

    device->InitFont();
    // In this font "t" is a 5 x 11 glyph: its texture is 8 x 16.
    ASSERT_EQ(device->font.glyphs['t'].width, 5);
    ASSERT_EQ(device->font.glyphs['t'].rows, 11);
    device->CreateTextFont();
    for (int c : {int{'t'}, int{'H'}, int{' '}, int{'g'}, 0xE8}) {
        const Tamrik::Glyph& glyph = device->font.glyphs[c];
        EXPECT_EQ(glyph.bitmap, nullptr) << "the bitmap goes once the texture holds it";
        ASSERT_NE(device->glyphTextures[c], 0u);
        glBindTexture(GL_TEXTURE_2D, device->glyphTextures[c]);
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, Tamrik::COpenGLRenderDevice::GlyphTextureSide(glyph.width)) << c;
        EXPECT_EQ(h, Tamrik::COpenGLRenderDevice::GlyphTextureSide(glyph.rows)) << c;
    }
    glBindTexture(GL_TEXTURE_2D, device->glyphTextures['t']);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 16);

    device->ReleaseTextFont();
    EXPECT_EQ(device->glyphListBase, 0u);
    EXPECT_EQ(device->glyphTextures['t'], 0u);
}

class TextWithoutFont : public DeviceTest {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures"}; }
};

TEST_F(TextWithoutFont, MakesNoTextFontAndDrawsNothing)
{
    device->InitFont();
    device->CreateTextFont();
    EXPECT_EQ(device->glyphListBase, 0u);
    device->BeginFrame();
    device->Set2DMode();
    device->DrawString("Press any key to continue...", 10, 10, 255, 255, 255);
    std::vector<uint8_t> picture = Picture();
    EXPECT_EQ(std::count(picture.begin(), picture.end(), 0), static_cast<long>(picture.size()));
    device->ReleaseTextFont();
}

class Quad : public DeviceTest {
protected:
    void PrepareFiles() override
    {
        // One opaque white picture for the button, one half-transparent for the dialog body.
        kestrova_test::WriteFile("gui/textures/button.tga",
                                 kestrova_test::MakeTGA(4, 4, std::vector<std::array<uint8_t, 4>>(16, {255, 255, 255, 255})));
        kestrova_test::WriteFile("gui/textures/dialog_body.tga",
                                 kestrova_test::MakeTGA(4, 4, std::vector<std::array<uint8_t, 4>>(16, {0, 0, 255, 128})));
    }
};

TEST_F(Quad, IsShadedWhiteAtTheTopAndGreyAtTheBottom)
{
    device->LoadGUITextures(nullptr);
    ASSERT_EQ(device->guiTextures.size(), 21u);
    Tamrik::Texture* button = device->guiTextures[5].texture;
    ASSERT_NE(button->handle, 0u);
    EXPECT_EQ(button->pixels, nullptr);
    EXPECT_EQ(button->width, 4);
    // Pictures that are not there get no texture.
    EXPECT_EQ(device->guiTextures[0].texture->handle, 0u);

    Tamrik::ScreenQuad quad;
    quad.points[Tamrik::QUAD_TOP_LEFT] = {100, 100};
    quad.points[Tamrik::QUAD_BOTTOM_LEFT] = {100, 300};
    quad.points[Tamrik::QUAD_BOTTOM_RIGHT] = {300, 300};
    quad.points[Tamrik::QUAD_TOP_RIGHT] = {300, 100};
    device->BeginFrame();
    device->Set2DMode();
    device->DrawQuad(&quad, button);
    SavePicture("quad");

    EXPECT_TRUE(Near(Pixel(200, 100), {255, 255, 255}, 2));
    EXPECT_TRUE(Near(Pixel(200, 299), {204, 204, 204}, 2));
    EXPECT_TRUE(Near(Pixel(200, 200), {229, 229, 229}, 2));
    EXPECT_TRUE(Near(Pixel(99, 200), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(300, 200), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(200, 300), {0, 0, 0}, 0));
}

TEST_F(Quad, BlendsItsPictureByAlphaAndDrawsNothingWithoutATexture)
{
    device->LoadGUITextures(nullptr);
    Tamrik::ScreenQuad quad;
    quad.points[Tamrik::QUAD_TOP_LEFT] = {0, 0};
    quad.points[Tamrik::QUAD_BOTTOM_LEFT] = {0, 600};
    quad.points[Tamrik::QUAD_BOTTOM_RIGHT] = {800, 600};
    quad.points[Tamrik::QUAD_TOP_RIGHT] = {800, 0};
    device->BeginFrame();
    device->Set2DMode();
    device->DrawSplash();
    device->DrawQuad(&quad, nullptr);
    EXPECT_TRUE(Near(Pixel(400, 10), {255, 247, 240}, 0));

    device->DrawQuad(&quad, device->guiTextures[12].texture);
    // Half of pure blue over the background, at the white top.
    EXPECT_TRUE(Near(Pixel(400, 0), {127, 123, 247}, 3));

    // The cursor's picture is missing: its record has no texture and shows nothing.
    device->DrawQuad(&quad, device->guiTextures[0].texture);
    EXPECT_TRUE(Near(Pixel(400, 0), {127, 123, 247}, 3));
}

class EmptyWindow : public DeviceTest {};

TEST_F(EmptyWindow, GivesFiniteProjections)
{
    auto finite = [](GLenum which) {
        GLfloat m[16];
        glGetFloatv(which, m);
        for (GLfloat v : m)
            if (!std::isfinite(v))
                return false;
        return true;
    };
    system->mainWindow->width = 0;
    system->mainWindow->height = 0;
    device->Destroy();
    ASSERT_TRUE(device->Create(system->mainWindow));
    EXPECT_TRUE(finite(GL_PROJECTION_MATRIX));
    device->BeginFrame();
    device->Set3DMode();
    device->UpdateCamera();
    EXPECT_TRUE(finite(GL_PROJECTION_MATRIX));
    EXPECT_TRUE(finite(GL_MODELVIEW_MATRIX));
    device->Set2DMode();
    EXPECT_TRUE(finite(GL_PROJECTION_MATRIX));
    device->DrawSplash();

    system->mainWindow->width = 800; // a window of no height alone
    device->Set3DMode();
    EXPECT_TRUE(finite(GL_PROJECTION_MATRIX));
    system->mainWindow->height = 600;
}

} // namespace
