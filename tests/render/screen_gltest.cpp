// Both devices' screen drawing read back from a real window (splash, texts, the loading prompt's
// contrast, GUI quads, no area) as typed tests with a table of where they differ by design; then
// the cases of one device alone.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "image/image.h"
#include "tests/render/device_fixture.h"

using kestrova_test::DeviceNames;
using kestrova_test::Devices;
using kestrova_test::DeviceTest;
using kestrova_test::DeviceTestOf;
using kestrova_test::Near;
using kestrova_test::Rgb;
using Tamrik::CDirect3DRenderDevice;
using Tamrik::COpenGLRenderDevice;

namespace {

const Rgb SPLASH_BACKGROUND = {255, 247, 240};

// Where the devices differ by design.
struct Design {
    // OpenGL blends the logo over the background, so only its opaque pixels show the file's
    // colours; the sprite copies every pixel of it, texel for pixel.
    bool logoBlended;
    int logoTolerance;
    // Rows 43 and 556, just outside the logo.
    int besideLogoTolerance;
    // Without the picture OpenGL logs the failure and keeps an empty texture of no size;
    // Direct3D logs nothing and makes no texture, keeping the size it always gives.
    const char* missingSplashLog; // a line of the log, or "" for a log left empty
    bool missingSplashHasTexture;
    int missingSplashWidth;
    // The quad's top and bottom rows.
    int quadEdgeTolerance;
};

Design DesignOf(const COpenGLRenderDevice&) { return {true, 3, 1, "Failed loading splash texture!\r\n", true, 0, 2}; }
Design DesignOf(const CDirect3DRenderDevice&) { return {false, 1, 0, "", false, 1024, 1}; }

// The box around the text "HH" drawn at (100, 200), and how many of its pixels must have the
// text's colour. OpenGL places the bitmap font's glyphs exactly by their metrics, 12 pixels to
// the baseline; Direct3D draws with its own 18-pixel font.
struct TextBox {
    int minX[2], maxX[2], minY[2], maxY[2]; // each within [low, high]
    int heightOver; // maxY - minY exceeds it
    int exact;
};

TextBox TextBoxOf(const COpenGLRenderDevice& device)
{
    const Tamrik::Glyph& h = device.font.glyphs['H'];
    const int left = 100 + h.left;
    const int right = 100 + h.advance + h.left + h.width - 1;
    const int top = 200 + 12 - h.top;
    const int bottom = top + h.rows - 1;
    // The stems carry the colour itself.
    return {{left, left}, {right, right}, {top, top}, {bottom, bottom}, h.rows - 2, 2 * h.rows};
}

TextBox TextBoxOf(const CDirect3DRenderDevice&) { return {{100, 103}, {116, 129}, {200, 208}, {210, 218}, 9, 20}; }

bool HasTextFont(const COpenGLRenderDevice& device) { return device.glyphListBase != 0; }
bool HasTextFont(const CDirect3DRenderDevice& device) { return device.textFont != nullptr; }

bool Finite(const float* values, int count)
{
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

bool TransformsFinite(COpenGLRenderDevice&)
{
    GLfloat projection[16], modelView[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    return Finite(projection, 16) && Finite(modelView, 16);
}

bool TransformsFinite(CDirect3DRenderDevice& device)
{
    for (D3DTRANSFORMSTATETYPE state : {D3DTS_PROJECTION, D3DTS_VIEW, D3DTS_WORLD}) {
        D3DMATRIX m;
        if (device.device->GetTransform(state, &m) != D3D_OK || !Finite(&m.m[0][0], 16))
            return false;
    }
    return true;
}

// The bounding box of every pixel that is not black, and how many have exactly colour.
struct Ink {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1, pixels = 0, exact = 0;
};

// With under, the pixels that differ from it instead of those that are not black.
Ink InkOf(const std::vector<uint8_t>& picture, int width, int height, const Rgb& colour,
          const std::vector<uint8_t>* under = nullptr)
{
    Ink ink;
    const uint8_t black[3] = {0, 0, 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = (static_cast<size_t>(y) * width + x) * 3;
            const uint8_t* p = &picture[at];
            if (std::equal(p, p + 3, under ? &(*under)[at] : black))
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

bool AllBlack(const std::vector<uint8_t>& picture)
{
    return std::count(picture.begin(), picture.end(), 0) == static_cast<long>(picture.size());
}

template <class Device>
class Screen : public DeviceTestOf<Device> {};
TYPED_TEST_SUITE(Screen, Devices, DeviceNames);

TYPED_TEST(Screen, TheSplashShowsTheBackgroundAndTheLogoCentred)
{
    auto& device = *this->device;
    const Design design = DesignOf(device);
    EXPECT_NE(device.splash.handle, 0u);
    EXPECT_EQ(device.splash.width, 1024);
    EXPECT_EQ(device.splash.height, 512);
    EXPECT_EQ(device.splash.pixels, nullptr);
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

    device.BeginFrame();
    device.Set2DMode();
    device.DrawSplash();
    this->SavePicture(std::string(DeviceNames::GetName<TypeParam>()) + "-splash");

    EXPECT_TRUE(Near(this->Pixel(400, 0), SPLASH_BACKGROUND, 0));
    EXPECT_TRUE(Near(this->Pixel(400, 43), SPLASH_BACKGROUND, design.besideLogoTolerance));
    EXPECT_TRUE(Near(this->Pixel(400, 556), SPLASH_BACKGROUND, design.besideLogoTolerance));
    EXPECT_TRUE(Near(this->Pixel(799, 599), SPLASH_BACKGROUND, 0));
    int checked = 0;
    for (int y : {44, 45, 100, 200, 201, 300, 399, 400, 555}) {
        for (int x : {0, 1, 150, 263, 400, 650, 651, 799}) {
            int alpha = 0;
            const Rgb expected = logoPixel(x, y, &alpha);
            if (design.logoBlended && alpha != 255)
                continue;
            EXPECT_TRUE(Near(this->Pixel(x, y), expected, design.logoTolerance)) << "at " << x << ", " << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
    delete[] logo.pixels;
    device.EndFrame();
}

TYPED_TEST(Screen, TheSplashOfAWindowLargerThanThePictureLeavesBackgroundAround)
{
    auto& device = *this->device;
    device.BeginFrame();
    device.mainWindow->width = 1200; // drawn as if the window were wider: the logo at x = 88
    device.Set2DMode();
    device.DrawSplash();
    device.mainWindow->width = 800;
    EXPECT_TRUE(Near(this->Pixel(87, 300), SPLASH_BACKGROUND, 1));
    EXPECT_FALSE(Near(this->Pixel(89 + 20, 300), SPLASH_BACKGROUND, 20));
    device.EndFrame();
}

TYPED_TEST(Screen, TextIsDrawnInItsColourBelowAndRightOfItsCorner)
{
    auto& device = *this->device;
    device.InitFont();
    device.CreateTextFont();
    ASSERT_TRUE(HasTextFont(device));
    const TextBox box = TextBoxOf(device);
    device.BeginFrame();
    device.Set2DMode();
    device.DrawString("HH", 100, 200, 200, 40, 30);
    this->SavePicture(std::string(DeviceNames::GetName<TypeParam>()) + "-text");
    const Ink ink = InkOf(this->Picture(), this->width, this->height, {200, 40, 30});
    auto within = [](int value, const int range[2]) { return value >= range[0] && value <= range[1]; };
    EXPECT_TRUE(within(ink.minX, box.minX)) << ink.minX;
    EXPECT_TRUE(within(ink.maxX, box.maxX)) << ink.maxX;
    EXPECT_TRUE(within(ink.minY, box.minY)) << ink.minY;
    EXPECT_TRUE(within(ink.maxY, box.maxY)) << ink.maxY;
    EXPECT_GT(ink.maxY - ink.minY, box.heightOver);
    EXPECT_GT(ink.exact, box.exact);
    device.EndFrame();
}

TYPED_TEST(Screen, TextIsCutOffAtTheWindowsEdges)
{
    auto& device = *this->device;
    device.InitFont();
    device.CreateTextFont();
    device.BeginFrame();
    device.Set2DMode();
    device.DrawString("WWWWWWWWWW", 760, 590, 255, 255, 255);
    const Ink ink = InkOf(this->Picture(), this->width, this->height, {255, 255, 255});
    EXPECT_GE(ink.minX, 760);
    EXPECT_EQ(ink.maxX, 799) << "the text runs on to the right edge";
    EXPECT_GE(ink.minY, 590);
    EXPECT_EQ(ink.maxY, 599) << "and to the bottom edge";
    EXPECT_GT(ink.pixels, 100);
    // Texts left of or above the window show what lies inside it.
    device.BeginFrame();
    device.DrawString("WWWW", -30, -8, 255, 255, 255);
    const Ink corner = InkOf(this->Picture(), this->width, this->height, {255, 255, 255});
    EXPECT_LE(corner.minX, 2);
    EXPECT_EQ(corner.minY, 0);
    EXPECT_LT(corner.maxX, 50);
    EXPECT_LT(corner.maxY, 12);
    device.EndFrame();
}

TYPED_TEST(Screen, AWindowWithoutAreaGivesFiniteTransforms)
{
    auto& device = *this->device;
    this->system->mainWindow->width = 0;
    this->system->mainWindow->height = 0;
    device.Destroy();
    ASSERT_TRUE(device.Create(this->system->mainWindow));
    EXPECT_TRUE(TransformsFinite(device));
    device.BeginFrame();
    device.Set3DMode();
    device.UpdateCamera();
    EXPECT_TRUE(TransformsFinite(device)) << "3D";
    device.Set2DMode();
    EXPECT_TRUE(TransformsFinite(device)) << "2D";
    device.DrawSplash();

    this->system->mainWindow->width = 800; // a window of no height alone
    device.Set3DMode();
    EXPECT_TRUE(TransformsFinite(device)) << "no height";
    this->system->mainWindow->height = 600;
    device.EndFrame();
}

// WCAG's relative luminance of a pixel, and the contrast of two luminances.
double Luminance(const uint8_t* rgb)
{
    auto linear = [](uint8_t c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb[0]) + 0.7152 * linear(rgb[1]) + 0.0722 * linear(rgb[2]);
}

double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

// The real loading frame, kept in the back buffer for reading instead of being shown.
template <class Device>
class HeldFrame : public Device {
public:
    using Device::Device;
    void EndFrame() override {}
};

template <class Device>
class LoadingScreen : public DeviceTestOf<Device> {
protected:
    Device* MakeDevice() override { return new HeldFrame<Device>(this->system); }

    // The window and the device made anew at another size, with their fonts.
    void Reopen(int width, int height)
    {
        this->device->ReleaseTextFont();
        this->device->Destroy();
        this->system->mainWindow->Destroy();
        this->width = width;
        this->height = height;
        ASSERT_TRUE(this->system->mainWindow->Create(width, height));
        ASSERT_TRUE(this->device->Create(this->system->mainWindow));
        this->device->InitFont();
        this->device->CreateTextFont();
    }
};
TYPED_TEST_SUITE(LoadingScreen, Devices, DeviceNames);

TYPED_TEST(LoadingScreen, ThePromptReadsInBlackOverTheCentredLogoAtEveryListedWindowSize)
{
    auto& device = *this->device;
    // The prompt lies over the logo's lower rows in windows under 1024 pixels high, lowest in
    // the logo at 480; the narrowest window puts it furthest right, the widest left of the
    // logo across its corner; 1000 high reaches the logo's bottom edge.
    const struct {
        int width, height;
    } sizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 720}, {1600, 900}, {1280, 1000}, {3840, 900}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        ASSERT_NO_FATAL_FAILURE(this->Reopen(size.width, size.height));
        device.loadingStep = Tamrik::LOADING_WAIT_FOR_KEY;
        device.RenderFrame();
        this->SavePicture(std::string(DeviceNames::GetName<TypeParam>()) + "-prompt-" + std::to_string(size.width) + "x" +
                          std::to_string(size.height));
        const std::vector<uint8_t> prompt = this->Picture();
        device.BeginFrame();
        device.Set2DMode();
        device.DrawSplash();
        const std::vector<uint8_t> splash = this->Picture();

        // The prompt is what it changed, drawn in black.
        const Ink ink = InkOf(prompt, size.width, size.height, {0, 0, 0}, &splash);
        ASSERT_GT(ink.pixels, 100);
        EXPECT_GT(ink.exact, 20);
        EXPECT_GE(ink.minX, size.width / 3 - 1);
        EXPECT_LE(ink.minX, size.width / 3 + 4);
        EXPECT_GE(ink.minY, size.height * 3 / 4 - 1);
        EXPECT_LE(ink.maxY, size.height * 3 / 4 + 20);

        // Its surroundings: the splash under its box and a few pixels round it.
        const uint8_t black[3] = {0, 0, 0};
        double worst = 1.0;
        for (int y = std::max(ink.minY - 4, 0); y <= std::min(ink.maxY + 4, size.height - 1); ++y)
            for (int x = std::max(ink.minX - 4, 0); x <= std::min(ink.maxX + 4, size.width - 1); ++x)
                worst = std::min(worst, Luminance(&splash[(static_cast<size_t>(y) * size.width + x) * 3]));
        EXPECT_GE(Contrast(worst, Luminance(black)), 4.5);
        device.EndFrame();
    }
}

template <class Device>
class SplashWithoutPicture : public DeviceTestOf<Device> {
protected:
    std::vector<std::string> RunDirEntries() override { return {"fonts"}; }
    std::string Settings() override { return "[Game]\nLog = \"true\"\n"; }
};
TYPED_TEST_SUITE(SplashWithoutPicture, Devices, DeviceNames);

TYPED_TEST(SplashWithoutPicture, ShowsOnlyTheBackground)
{
    auto& device = *this->device;
    const Design design = DesignOf(device);
    const std::string log = kestrova_test::ReadFile("log.txt");
    if (*design.missingSplashLog)
        EXPECT_NE(log.find(design.missingSplashLog), std::string::npos) << log;
    else
        EXPECT_EQ(log, "");
    EXPECT_EQ(device.splash.handle != 0, design.missingSplashHasTexture);
    EXPECT_EQ(device.splash.width, design.missingSplashWidth);
    EXPECT_EQ(device.splash.pixels, nullptr);
    device.BeginFrame();
    device.Set2DMode();
    device.DrawSplash();
    EXPECT_TRUE(Near(this->Pixel(400, 300), SPLASH_BACKGROUND, 0));
    EXPECT_TRUE(Near(this->Pixel(10, 590), SPLASH_BACKGROUND, 0));
    device.EndFrame();
}

template <class Device>
class TextWithoutFont : public DeviceTestOf<Device> {
protected:
    std::vector<std::string> RunDirEntries() override { return {"textures"}; }
};
TYPED_TEST_SUITE(TextWithoutFont, Devices, DeviceNames);

TYPED_TEST(TextWithoutFont, MakesNoTextFontAndDrawsNothing)
{
    auto& device = *this->device;
    device.InitFont();
    device.CreateTextFont();
    EXPECT_FALSE(HasTextFont(device));
    device.BeginFrame();
    device.Set2DMode();
    device.DrawString("Press any key to continue...", 10, 10, 255, 255, 255);
    EXPECT_TRUE(AllBlack(this->Picture()));
    device.ReleaseTextFont();
    device.EndFrame();
}

template <class Device>
class Quad : public DeviceTestOf<Device> {
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
TYPED_TEST_SUITE(Quad, Devices, DeviceNames);

TYPED_TEST(Quad, IsShadedFromWhiteAtTheTopToGrey204AtTheBottom)
{
    auto& device = *this->device;
    const Design design = DesignOf(device);
    device.LoadGUITextures(nullptr);
    ASSERT_EQ(device.guiTextures.size(), 21u);
    Tamrik::Texture* button = device.guiTextures[5].texture;
    ASSERT_NE(button->handle, 0u);
    EXPECT_EQ(button->pixels, nullptr);
    EXPECT_EQ(button->width, 4);
    EXPECT_EQ(device.guiTextures[0].texture->handle, 0u) << "a picture that is not there";

    Tamrik::ScreenQuad quad = this->Box(100, 100, 300, 300);
    device.BeginFrame();
    device.Set2DMode();
    device.DrawQuad(&quad, button);
    this->SavePicture(std::string(DeviceNames::GetName<TypeParam>()) + "-quad");
    EXPECT_TRUE(Near(this->Pixel(200, 100), {255, 255, 255}, design.quadEdgeTolerance));
    EXPECT_TRUE(Near(this->Pixel(200, 299), {204, 204, 204}, design.quadEdgeTolerance));
    EXPECT_TRUE(Near(this->Pixel(200, 200), {229, 229, 229}, 2));
    EXPECT_TRUE(Near(this->Pixel(99, 200), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(this->Pixel(100, 200), {229, 229, 229}, 2));
    EXPECT_TRUE(Near(this->Pixel(299, 200), {229, 229, 229}, 2));
    EXPECT_TRUE(Near(this->Pixel(300, 200), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(this->Pixel(200, 99), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(this->Pixel(200, 300), {0, 0, 0}, 0));
    device.EndFrame();
}

TYPED_TEST(Quad, ShowsItsPictureUprightBlendedByAlphaAndNothingWithoutATexture)
{
    auto& device = *this->device;
    device.LoadGUITextures(nullptr);
    Tamrik::ScreenQuad quad = this->Box(0, 0, 800, 600);
    device.BeginFrame();
    device.Set2DMode();
    device.DrawSplash();
    device.DrawQuad(&quad, nullptr);
    // The cursor's picture is missing: its record has no texture and shows nothing.
    device.DrawQuad(&quad, device.guiTextures[0].texture);
    EXPECT_TRUE(Near(this->Pixel(400, 10), SPLASH_BACKGROUND, 0));

    device.DrawQuad(&quad, device.guiTextures[12].texture);
    // Half of pure blue over the background, at the white top.
    EXPECT_TRUE(Near(this->Pixel(400, 0), {127, 123, 247}, 3));
    device.DrawQuad(&quad, device.guiTextures[0].texture);
    EXPECT_TRUE(Near(this->Pixel(400, 0), {127, 123, 247}, 3));

    Tamrik::ScreenQuad small = this->Box(100, 100, 180, 180);
    device.DrawQuad(&small, device.guiTextures[8].texture);
    // The top half red; the bottom half green, shaded. Linear filtering wraps round at the
    // edges, so the rows in between are compared.
    EXPECT_TRUE(Near(this->Pixel(140, 120), {243, 0, 0}, 3)) << "the picture stands upright";
    EXPECT_TRUE(Near(this->Pixel(140, 160), {0, 216, 0}, 3));
    device.EndFrame();
}

// The OpenGL device alone: its bitmap font's glyph textures and the bytes it has no glyph for.
class OpenGLText : public DeviceTest {};

TEST_F(OpenGLText, ByteTwoHundredFiftyFiveAndTheEmptyTextDrawNothing)
{
    device->InitFont();
    device->CreateTextFont();
    device->BeginFrame();
    device->Set2DMode();
    device->DrawString("\xFF\xFF\xFF", 100, 100, 255, 255, 255);
    device->DrawString("", 100, 100, 255, 255, 255);
    EXPECT_TRUE(AllBlack(Picture()));
}

TEST_F(OpenGLText, GlyphTexturesArePowersOfTwoAroundTheirBitmaps)
{
    EXPECT_EQ(COpenGLRenderDevice::GlyphTextureSide(0), 1);
    EXPECT_EQ(COpenGLRenderDevice::GlyphTextureSide(1), 1);
    EXPECT_EQ(COpenGLRenderDevice::GlyphTextureSide(5), 8);
    EXPECT_EQ(COpenGLRenderDevice::GlyphTextureSide(11), 16);
    EXPECT_EQ(COpenGLRenderDevice::GlyphTextureSide(16), 16);
    EXPECT_EQ(COpenGLRenderDevice::GlyphTextureSide(17), 32);

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
        EXPECT_EQ(w, COpenGLRenderDevice::GlyphTextureSide(glyph.width)) << c;
        EXPECT_EQ(h, COpenGLRenderDevice::GlyphTextureSide(glyph.rows)) << c;
    }

    device->ReleaseTextFont();
    EXPECT_EQ(device->glyphListBase, 0u);
    EXPECT_EQ(device->glyphTextures['t'], 0u);
}

} // namespace
