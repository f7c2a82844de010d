// Our Direct3D 9 layer on a real window, read back pixel by pixel: stages, blending, depth, culling,
// states changed between draws, locks, depth formats, the sprite, the font and the calls it refuses.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/d3d9/d3dx9.h"
#include "platform/window.h"

namespace {

using Rgba = std::array<int, 4>;
constexpr int WIDTH = 160;
constexpr int HEIGHT = 120;

// A vertex with colour and two texture coordinate pairs (XYZ | DIFFUSE | TEX2).
struct Vertex {
    float x, y, z;
    D3DCOLOR color;
    float u0, v0, u1, v1;
};
constexpr DWORD VERTEX_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;

// A window of WIDTH x HEIGHT, with or without the stencil buffer the platform asks for.
platform::Window* OpenWindow(bool stencil = true)
{
    platform::WindowSettings settings;
    settings.width = WIDTH;
    settings.height = HEIGHT;
    settings.stencil = stencil;
    platform::WindowError error;
    return platform::CreateMainWindow("Tamrik", settings, &error);
}

// A windowed device on window with a depth buffer of format depth.
HRESULT CreateDevice(IDirect3D9* direct3D, platform::Window* window, D3DFORMAT depth, IDirect3DDevice9** device)
{
    D3DPRESENT_PARAMETERS parameters = {}; // the back buffer takes the window's size
    parameters.Windowed = TRUE;
    parameters.hDeviceWindow = window;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = depth;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, 0, &parameters, device);
}

class Layer : public testing::Test {
protected:
    void SetUp() override
    {
        window = OpenWindow();
        ASSERT_NE(window, nullptr);
        direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(direct3D, nullptr);
        ASSERT_EQ(CreateDevice(direct3D, window, D3DFMT_D16, &device), D3D_OK);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 255, 0, 0), 1.0f, 0);
        device->BeginScene();
    }

    void TearDown() override
    {
        for (IUnknown* object : made)
            object->Release();
        if (device) {
            device->EndScene();
            // The device goes with its last reference, held by nothing else by now.
            EXPECT_EQ(device->Release(), 0u);
        }
        if (direct3D)
            direct3D->Release();
        if (window)
            platform::DestroyMainWindow(window);
    }

    // A texture of the texels row by row, one row unless told; Solid: one texel.
    IDirect3DTexture9* Texels(D3DFORMAT format, const std::vector<Rgba>& texels, UINT rows = 1)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(UINT(texels.size()) / rows, rows, 1, 0, format, D3DPOOL_DEFAULT, &texture,
                                        nullptr),
                  D3D_OK);
        Write(texture, format, texels);
        made.push_back(texture);
        return texture;
    }

    // Locks the texture and writes its first texels, leaving the rest as the lock hands them out.
    static void Write(IDirect3DTexture9* texture, D3DFORMAT format, const std::vector<Rgba>& texels)
    {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        uint8_t* p = static_cast<uint8_t*>(locked.pBits);
        for (const Rgba& c : texels) {
            *p++ = static_cast<uint8_t>(c[2]);
            *p++ = static_cast<uint8_t>(c[1]);
            *p++ = static_cast<uint8_t>(c[0]);
            if (format != D3DFMT_R8G8B8)
                *p++ = static_cast<uint8_t>(c[3]);
        }
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    }
    IDirect3DTexture9* Solid(D3DFORMAT format, Rgba c) { return Texels(format, {c}); }

    // Two triangles over the whole window at depth z, wound clockwise on screen.
    IDirect3DVertexBuffer9* Cover(D3DCOLOR color, float z = 0.5f)
    {
        const Vertex v[4] = {{-1, -1, z, color, 0, 1, 0, 1},
                             {-1, 1, z, color, 0, 0, 0, 0},
                             {1, -1, z, color, 1, 1, 1, 1},
                             {1, 1, z, color, 1, 0, 1, 0}};
        return Buffer(v, sizeof v);
    }

    IDirect3DVertexBuffer9* Buffer(const void* vertices, UINT size)
    {
        IDirect3DVertexBuffer9* buffer = nullptr;
        EXPECT_EQ(device->CreateVertexBuffer(size, D3DUSAGE_WRITEONLY, VERTEX_FVF, D3DPOOL_DEFAULT, &buffer, nullptr),
                  D3D_OK);
        void* data = nullptr;
        EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, vertices, size);
        EXPECT_EQ(buffer->Unlock(), D3D_OK);
        made.push_back(buffer);
        return buffer;
    }

    HRESULT DrawStrip(IDirect3DVertexBuffer9* buffer, DWORD fvf = VERTEX_FVF)
    {
        device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
        device->SetFVF(fvf);
        return device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }

    void Stage(DWORD stage, DWORD colorOp, DWORD arg1, DWORD arg2, DWORD alphaOp, DWORD alphaArg1, DWORD alphaArg2)
    {
        device->SetTextureStageState(stage, D3DTSS_COLOROP, colorOp);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, arg1);
        device->SetTextureStageState(stage, D3DTSS_COLORARG2, arg2);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP, alphaOp);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, alphaArg1);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, alphaArg2);
    }

    Rgba Pixel(int x, int y)
    {
        uint8_t p[4] = {};
        glFinish();
        glReadBuffer(GL_BACK);
        glReadPixels(x, HEIGHT - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2], p[3]};
    }

    static testing::AssertionResult Near(const Rgba& actual, const Rgba& expected, int tolerance = 2)
    {
        for (int i = 0; i < 3; ++i)
            if (std::abs(actual[i] - expected[i]) > tolerance)
                return testing::AssertionFailure() << "(" << actual[0] << ", " << actual[1] << ", " << actual[2]
                                                   << ") is not (" << expected[0] << ", " << expected[1] << ", "
                                                   << expected[2] << ")";
        return testing::AssertionSuccess();
    }

    platform::Window* window = nullptr;
    IDirect3D9* direct3D = nullptr;
    IDirect3DDevice9* device = nullptr;
    std::vector<IUnknown*> made;
};

TEST_F(Layer, ModulateMultipliesTheTextureByTheLightmapOnTheNextStage)
{
    device->SetTexture(0, Solid(D3DFMT_A8R8G8B8, {200, 100, 50, 255}));
    device->SetTexture(1, Solid(D3DFMT_R8G8B8, {128, 255, 64, 0}));
    Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    Stage(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 255, 255, 255))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {100, 100, 13, 0}));

    // The diffuse colour takes part on stage 0 only.
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 255, 0, 255))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {100, 0, 13, 0}));
}

TEST_F(Layer, SelectArgPicksTheAlphaThatBlendingUses)
{
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTexture(0, Solid(D3DFMT_A8R8G8B8, {0, 0, 255, 128}));
    // The texture's alpha: half blue over the red background.
    Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 255, 255, 255))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {127, 0, 128, 0}));

    // The diffuse alpha instead: a quarter.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 255, 0, 0), 1.0f, 0);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(64, 255, 255, 255))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {191, 0, 64, 0}));

    // Formats without alpha read alpha one, whatever was written: opaque.
    device->SetTexture(0, Solid(D3DFMT_R8G8B8, {0, 255, 0, 0}));
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 255, 255, 255))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {0, 255, 0, 0}));
    device->SetTexture(0, Solid(D3DFMT_X8R8G8B8, {0, 0, 255, 0}));
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 255, 255, 255))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {0, 0, 255, 0}));
}

TEST_F(Layer, ADisabledStageEndsTheCascade)
{
    device->SetTexture(0, Solid(D3DFMT_A8R8G8B8, {200, 100, 50, 255}));
    device->SetTexture(1, Solid(D3DFMT_R8G8B8, {0, 0, 0, 0}));
    Stage(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    // The defaults of stage 0: texture times the diffuse colour.
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 255, 255, 255))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {200, 100, 50, 0}));

    // Stage 0 switched off: the diffuse colour alone, textures unread.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 10, 20, 30))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {10, 20, 30, 0}));

    // A stage without a texture reads opaque black.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTexture(0, nullptr);
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 10, 20, 30))), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {0, 0, 0, 0}));
}

TEST_F(Layer, DepthKeepsTheNearerAndCullingDropsCounterClockwiseTriangles)
{
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 0, 255, 0), 0.25f)), D3D_OK);
    ASSERT_EQ(DrawStrip(Cover(D3DCOLOR_ARGB(255, 0, 0, 255), 0.75f)), D3D_OK);
    EXPECT_TRUE(Near(Pixel(80, 60), {0, 255, 0, 0}));

    // The same corners in the opposite order wind counter-clockwise.
    const D3DCOLOR white = D3DCOLOR_ARGB(255, 255, 255, 255);
    const Vertex reversed[3] = {{-1, -1, 0.1f, white, 0, 0, 0, 0}, {1, -1, 0.1f, white, 0, 0, 0, 0},
                                {-1, 1, 0.1f, white, 0, 0, 0, 0}};
    IDirect3DVertexBuffer9* back = Buffer(reversed, sizeof reversed);
    device->SetStreamSource(0, back, 0, sizeof(Vertex));
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_TRUE(Near(Pixel(20, 100), {0, 255, 0, 0}));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_TRUE(Near(Pixel(20, 100), {255, 255, 255, 0}));
}

// Each step changes what the step before drew with and draws again: a state applied only
// when it changes must still show in the picture when it does, also after OpenGL objects were
// made, written or deleted in between.
TEST_F(Layer, EachDrawShowsTheStatesSetSinceTheDrawBefore)
{
    const D3DCOLOR white = D3DCOLOR_ARGB(255, 255, 255, 255);
    const D3DCOLOR black = D3DCOLOR_ARGB(255, 0, 0, 0);
    const D3DCOLOR red = D3DCOLOR_ARGB(255, 255, 0, 0);
    const D3DCOLOR opaqueBlue = D3DCOLOR_ARGB(255, 0, 0, 255);
    IDirect3DVertexBuffer9* whole = Cover(white);
    IDirect3DVertexBuffer9* blue = Cover(D3DCOLOR_ARGB(128, 0, 0, 255));
    IDirect3DVertexBuffer9* near = Cover(white, 0.25f);
    IDirect3DVertexBuffer9* far = Cover(white, 0.75f);
    IDirect3DVertexBuffer9* farther = Cover(white, 0.9f);
    // Cover's corners wound counter-clockwise.
    const Vertex backwardCorners[4] = {{-1, -1, 0.5f, white, 0, 1, 0, 1},
                                       {1, -1, 0.5f, white, 1, 1, 1, 1},
                                       {-1, 1, 0.5f, white, 0, 0, 0, 0},
                                       {1, 1, 0.5f, white, 1, 0, 1, 0}};
    IDirect3DVertexBuffer9* backward = Buffer(backwardCorners, sizeof backwardCorners);
    // The second coordinates run from right to left.
    const Vertex flippedCorners[4] = {{-1, -1, 0.5f, white, 0, 1, 1, 1},
                                      {-1, 1, 0.5f, white, 0, 0, 1, 0},
                                      {1, -1, 0.5f, white, 1, 1, 0, 1},
                                      {1, 1, 0.5f, white, 1, 0, 0, 0}};
    IDirect3DVertexBuffer9* flipped = Buffer(flippedCorners, sizeof flippedCorners);
    // A two-texel texture repeated 160 times across the window: two texels to a pixel.
    const Vertex denseCorners[4] = {{-1, -1, 0.5f, white, 0, 1, 0, 1},
                                    {-1, 1, 0.5f, white, 0, 0, 0, 0},
                                    {1, -1, 0.5f, white, 160, 1, 160, 1},
                                    {1, 1, 0.5f, white, 160, 0, 160, 0}};
    IDirect3DVertexBuffer9* dense = Buffer(denseCorners, sizeof denseCorners);
    // A red cover, then a blue one.
    const Vertex pairCorners[8] = {{-1, -1, 0.5f, red, 0, 0, 0, 0},        {-1, 1, 0.5f, red, 0, 0, 0, 0},
                                   {1, -1, 0.5f, red, 0, 0, 0, 0},         {1, 1, 0.5f, red, 0, 0, 0, 0},
                                   {-1, -1, 0.5f, opaqueBlue, 0, 0, 0, 0}, {-1, 1, 0.5f, opaqueBlue, 0, 0, 0, 0},
                                   {1, -1, 0.5f, opaqueBlue, 0, 0, 0, 0},  {1, 1, 0.5f, opaqueBlue, 0, 0, 0, 0}};
    IDirect3DVertexBuffer9* pair = Buffer(pairCorners, sizeof pairCorners);
    // Every vertex: a cover black below and red above; every other vertex: black below and blue
    // above, wound counter-clockwise.
    const Vertex interleavedCorners[8] = {{-1, -1, 0.5f, black, 0, 0, 0, 0},     {-1, 1, 0.5f, red, 0, 0, 0, 0},
                                          {1, -1, 0.5f, black, 0, 0, 0, 0},      {1, 1, 0.5f, red, 0, 0, 0, 0},
                                          {-1, 1, 0.5f, opaqueBlue, 0, 0, 0, 0}, {0, 0, 0.5f, red, 0, 0, 0, 0},
                                          {1, 1, 0.5f, opaqueBlue, 0, 0, 0, 0},  {0, 0, 0.5f, red, 0, 0, 0, 0}};
    IDirect3DVertexBuffer9* interleaved = Buffer(interleavedCorners, sizeof interleavedCorners);
    const Vertex leftHalf[4] = {{-1, -1, 0.5f, white, 0, 1, 0, 1},
                                {-1, 1, 0.5f, white, 0, 0, 0, 0},
                                {0, -1, 0.5f, white, 1, 1, 1, 1},
                                {0, 1, 0.5f, white, 1, 0, 1, 0}};
    IDirect3DVertexBuffer9* left = Buffer(leftHalf, sizeof leftHalf);
    IDirect3DTexture9* yellow = Solid(D3DFMT_A8R8G8B8, {255, 255, 0, 255});
    IDirect3DTexture9* green = Solid(D3DFMT_A8R8G8B8, {0, 255, 0, 255});
    // Black on the left, white on the right: x = 60 lies a quarter of the way between them.
    IDirect3DTexture9* ramp = Texels(D3DFMT_X8R8G8B8, {{0, 0, 0, 0}, {255, 255, 255, 255}});
    // Black in the first texel, white in the other three.
    IDirect3DTexture9* corner = Texels(
        D3DFMT_X8R8G8B8, {{0, 0, 0, 255}, {255, 255, 255, 255}, {255, 255, 255, 255}, {255, 255, 255, 255}}, 2);
    IDirect3DTexture9* cyan = Solid(D3DFMT_A8R8G8B8, {0, 255, 255, 255});
    IDirect3DTexture9* spare = Texels(D3DFMT_A8R8G8B8, {{255, 255, 0, 255}, {255, 255, 0, 255}});
    // Released by a step, so they leave the fixture's list.
    IDirect3DTexture9* doomed = Solid(D3DFMT_A8R8G8B8, {0, 255, 255, 255});
    made.pop_back();
    IDirect3DVertexBuffer9* doomedBuffer = Cover(red);
    made.pop_back();
    IDirect3DTexture9* reborn = nullptr;
    D3DMATRIX identity, moved;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixIdentity(&moved);
    moved.m[3][0] = 1.0f;
    const RECT leftRect = {0, 0, 80, HEIGHT};
    auto clear = [&](D3DCOLOR colour) { device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0); };
    auto moveWorld = [&](const D3DMATRIX& world) {
        clear(black);
        device->SetTransform(D3DTS_WORLD, &world);
    };
    auto state = [&](D3DRENDERSTATETYPE type, DWORD value) { device->SetRenderState(type, value); };
    auto stage = [&](DWORD s, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
        device->SetTextureStageState(s, type, value);
    };
    auto sampler = [&](D3DSAMPLERSTATETYPE type, DWORD value) { device->SetSamplerState(0, type, value); };

    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    device->SetTexture(0, yellow);
    // A step without a buffer draws nothing, or draws in its apply.
    struct Step {
        const char* change;
        std::function<void()> apply;
        IDirect3DVertexBuffer9* buffer;
        Rgba expected[2];
        int x[2] = {40, 120};
        DWORD fvf = VERTEX_FVF;
        UINT offset = 0;
        UINT stride = sizeof(Vertex);
    };
    const Rgba YELLOW = {255, 255, 0}, GREEN = {0, 255, 0}, BLUE = {0, 0, 255}, BLACK = {0, 0, 0};
    const Step steps[] = {
        {"none: the first draw", [] {}, whole, {{255, 255, 0}, {255, 255, 0}}},
        {"another texture, the same stages", [&] { device->SetTexture(0, green); }, whole,
         {{0, 255, 0}, {0, 255, 0}}},
        {"stage 0 switched off", [&] { device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE); }, blue,
         {{0, 0, 255}, {0, 0, 255}}},
        {"stage 0 switched on again", [&] { device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1); },
         blue, {{0, 255, 0}, {0, 255, 0}}},
        {"the world moved right", [&] { moveWorld(moved); }, left, {{0, 0, 0}, {0, 255, 0}}},
        {"the world back", [&] { moveWorld(identity); }, left, {{0, 255, 0}, {0, 0, 0}}},
        {"blending by the diffuse alpha",
         [&] {
             device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
             device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
             device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
             device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
         },
         blue, {{0, 255, 0}, {0, 128, 0}}},
        {"blending off", [&] { device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE); }, blue,
         {{0, 255, 0}, {0, 255, 0}}},
        {"a rectangle cleared, then the whole window drawn",
         [&] {
             device->Clear(1, &leftRect, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 0, 0), 1.0f, 0);
             device->SetTexture(0, yellow);
         },
         whole, {{255, 255, 0}, {255, 255, 0}}},
        {"a texture magnified by point", [&] { device->SetTexture(0, ramp); }, whole,
         {{0, 0, 0}, {255, 255, 255}}, {60, 120}},
        {"the same texture magnified linearly", [&] { device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR); },
         whole, {{66, 66, 66}, {255, 255, 255}}, {60, 120}},
        // Without coordinates every pixel samples (0, 0), halfway between the texels as they wrap.
        {"the same stream read without texture coordinates", [] {}, whole, {{128, 128, 128}, {128, 128, 128}},
         {60, 120}, D3DFVF_XYZ | D3DFVF_DIFFUSE},
        // The depth buffer still holds the clear's 1 everywhere.
        {"a near quad drawn without writing depth",
         [&] {
             device->SetRenderState(D3DRS_ZENABLE, TRUE);
             device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
             device->SetTexture(0, yellow);
         },
         near, {{255, 255, 0}, {255, 255, 0}}},
        {"a far quad drawn behind it, writing depth",
         [&] {
             device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
             device->SetTexture(0, green);
         },
         far, {{0, 255, 0}, {0, 255, 0}}},
        {"clockwise triangles culled",
         [&] {
             device->SetRenderState(D3DRS_ZENABLE, FALSE);
             device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
             device->SetTexture(0, yellow);
         },
         whole, {{0, 255, 0}, {0, 255, 0}}},
        {"counter-clockwise triangles culled again", [&] { device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW); },
         whole, {{255, 255, 0}, {255, 255, 0}}},
        // Culling switched off, the winding changed, culling switched on again.
        {"culling off: counter-clockwise triangles drawn", [&] { clear(black), state(D3DRS_CULLMODE, D3DCULL_NONE); },
         backward, {YELLOW, YELLOW}},
        {"clockwise triangles culled after culling was off", [&] { clear(black), state(D3DRS_CULLMODE, D3DCULL_CW); },
         whole, {BLACK, BLACK}},
        {"counter-clockwise triangles culled", [&] { state(D3DRS_CULLMODE, D3DCULL_CCW); }, whole, {YELLOW, YELLOW}},
        {"wireframe: the middle stays clear", [&] { clear(black), state(D3DRS_FILLMODE, D3DFILL_WIREFRAME); }, whole,
         {BLACK, BLACK}},
        {"solid again", [&] { state(D3DRS_FILLMODE, D3DFILL_SOLID); }, whole, {YELLOW, YELLOW}},
        {"a near quad written to depth",
         [&] {
             device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, black, 1.0f, 0);
             state(D3DRS_ZENABLE, TRUE);
             device->SetTexture(0, green);
         },
         near, {GREEN, GREEN}},
        {"a far quad behind it", [&] { device->SetTexture(0, yellow); }, far, {GREEN, GREEN}},
        {"the far quad drawn by the depth function GREATER", [&] { state(D3DRS_ZFUNC, D3DCMP_GREATER); }, far,
         {YELLOW, YELLOW}},
        {"depth test off, its function back to LESSEQUAL",
         [&] {
             state(D3DRS_ZENABLE, FALSE);
             state(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
             device->SetTexture(0, green);
         },
         farther, {GREEN, GREEN}},
        {"depth test on again: a quad behind the far one",
         [&] { state(D3DRS_ZENABLE, TRUE), device->SetTexture(0, yellow); }, farther, {GREEN, GREEN}},
        {"depth writes off", [&] { state(D3DRS_ZWRITEENABLE, FALSE); }, near, {YELLOW, YELLOW}},
        {"a depth clear between draws without depth writes",
         [&] {
             device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, black, 1.0f, 0);
             device->SetTexture(0, green);
         },
         near, {GREEN, GREEN}},
        {"a quad behind where the near one left no depth", [&] { device->SetTexture(0, yellow); }, farther,
         {YELLOW, YELLOW}},
        {"depth writes on, depth test off",
         [&] { state(D3DRS_ZWRITEENABLE, TRUE), state(D3DRS_ZENABLE, FALSE), device->SetTexture(0, green); }, whole,
         {GREEN, GREEN}},
        // Blending half transparent blue over red: one factor at a time.
        {"blending by the diffuse alpha",
         [&] { clear(red), stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2), state(D3DRS_ALPHABLENDENABLE, TRUE); }, blue,
         {{127, 0, 128}, {127, 0, 128}}},
        {"the destination factor alone changed", [&] { clear(red), state(D3DRS_DESTBLEND, D3DBLEND_ONE); }, blue,
         {{255, 0, 128}, {255, 0, 128}}},
        {"the source factor alone changed", [&] { clear(red), state(D3DRS_SRCBLEND, D3DBLEND_ONE); }, blue,
         {{255, 0, 255}, {255, 0, 255}}},
        {"both factors changed while blending is off",
         [&] {
             clear(red);
             state(D3DRS_ALPHABLENDENABLE, FALSE);
             state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
             state(D3DRS_DESTBLEND, D3DBLEND_ZERO);
         },
         blue, {BLUE, BLUE}},
        {"blending on again", [&] { clear(red), state(D3DRS_ALPHABLENDENABLE, TRUE); }, blue,
         {{0, 0, 128}, {0, 0, 128}}},
        // Blue times alpha shows each alpha state of stage 0; the texture's alpha is 1, the diffuse's 1/2.
        {"alpha: the first argument, the texture", [&] { stage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1); }, blue,
         {BLUE, BLUE}},
        {"alpha argument 1: the diffuse colour", [&] { stage(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE); }, blue,
         {{0, 0, 128}, {0, 0, 128}}},
        {"alpha: modulate", [&] { stage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE); }, blue, {{0, 0, 64}, {0, 0, 64}}},
        {"alpha argument 2: the texture", [&] { stage(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE); }, blue,
         {{0, 0, 128}, {0, 0, 128}}},
        {"blending off again", [&] { state(D3DRS_ALPHABLENDENABLE, FALSE); }, blue, {BLUE, BLUE}},
        {"colour: the first argument, the texture", [&] { stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1); }, blue,
         {GREEN, GREEN}},
        {"colour argument 1: the diffuse colour", [&] { stage(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE); }, blue,
         {BLUE, BLUE}},
        {"colour argument 1: the texture again", [&] { stage(0, D3DTSS_COLORARG1, D3DTA_TEXTURE); }, blue,
         {GREEN, GREEN}},
        {"colour: the second argument", [&] { stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2); }, blue, {BLUE, BLUE}},
        {"colour argument 2: the texture", [&] { stage(0, D3DTSS_COLORARG2, D3DTA_TEXTURE); }, blue,
         {GREEN, GREEN}},
        {"the diffuse colour again",
         [&] {
             Stage(0, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
         },
         blue, {BLUE, BLUE}},
        {"the same stream read without its colours", [] {}, blue, {{255, 255, 255}, {255, 255, 255}}, {40, 120},
         D3DFVF_XYZ},
        {"lighting on, with no light", [&] { state(D3DRS_LIGHTING, TRUE); }, blue, {BLACK, BLACK}},
        {"lighting off", [&] { state(D3DRS_LIGHTING, FALSE); }, blue, {BLUE, BLUE}},
        {"two covers in one buffer: the first", [] {}, pair, {{255, 0, 0}, {255, 0, 0}}},
        {"the same buffer from an offset", [] {}, pair, {BLUE, BLUE}, {40, 120}, VERTEX_FVF, 4 * sizeof(Vertex)},
        {"another buffer written, then the first read from its start",
         [&] {
             void* data = nullptr;
             blue->Lock(0, 0, &data, 0);
             blue->Unlock();
         },
         pair, {{255, 0, 0}, {255, 0, 0}}},
        {"culling off: the buffer read vertex by vertex", [&] { state(D3DRS_CULLMODE, D3DCULL_NONE); }, interleaved,
         {{127, 0, 0}, {127, 0, 0}}},
        {"every other vertex", [] {}, interleaved, {{0, 0, 127}, {0, 0, 127}}, {40, 120}, VERTEX_FVF, 0,
         2 * sizeof(Vertex)},
        // Samplers: the ramp, and the corner texture read at (0, 0), where four texels meet.
        {"the ramp magnified by point",
         [&] {
             state(D3DRS_CULLMODE, D3DCULL_CCW);
             stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
             device->SetTexture(0, ramp);
             sampler(D3DSAMP_MAGFILTER, D3DTEXF_POINT);
         },
         whole, {BLACK, {255, 255, 255}}, {60, 120}},
        {"the ramp minified by point", [] {}, dense, {BLACK, BLACK}},
        {"the ramp minified linearly", [&] { sampler(D3DSAMP_MINFILTER, D3DTEXF_LINEAR); }, dense,
         {{120, 120, 120}, {120, 120, 120}}},
        {"the corner texture wrapped both ways",
         [&] { device->SetTexture(0, corner), sampler(D3DSAMP_MAGFILTER, D3DTEXF_LINEAR); }, whole,
         {{191, 191, 191}, {191, 191, 191}}, {40, 120}, D3DFVF_XYZ | D3DFVF_DIFFUSE},
        {"clamped across", [&] { sampler(D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP); }, whole,
         {{128, 128, 128}, {128, 128, 128}}, {40, 120}, D3DFVF_XYZ | D3DFVF_DIFFUSE},
        {"clamped both ways", [&] { sampler(D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP); }, whole, {BLACK, BLACK}, {40, 120},
         D3DFVF_XYZ | D3DFVF_DIFFUSE},
        {"wrapped across again", [&] { sampler(D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP); }, whole,
         {{128, 128, 128}, {128, 128, 128}}, {40, 120}, D3DFVF_XYZ | D3DFVF_DIFFUSE},
        // Stage 1 modulates stage 0's yellow.
        {"stage 1 holding a texture, switched off",
         [&] {
             // Both samplers alike: stage 1 then has no filter of its own to bind its texture for.
             sampler(D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
             sampler(D3DSAMP_MAGFILTER, D3DTEXF_POINT);
             sampler(D3DSAMP_MINFILTER, D3DTEXF_POINT);
             device->SetTexture(0, yellow);
             device->SetTexture(1, cyan);
         },
         flipped, {YELLOW, YELLOW}},
        {"stage 1 modulating by its texture", [&] { stage(1, D3DTSS_COLOROP, D3DTOP_MODULATE); }, flipped,
         {GREEN, GREEN}},
        {"stage 1 given stage 0's texture", [&] { device->SetTexture(1, yellow); }, flipped, {YELLOW, YELLOW}},
        {"another texture on stage 1, read by the second coordinates", [&] { device->SetTexture(1, ramp); }, flipped,
         {YELLOW, BLACK}},
        {"a texture locked and unlocked between draws", [&] { Write(spare, D3DFMT_A8R8G8B8, {}); }, flipped,
         {YELLOW, BLACK}},
        {"stage 1 reading the first coordinates", [&] { stage(1, D3DTSS_TEXCOORDINDEX, 0); }, flipped,
         {BLACK, YELLOW}},
        {"the first texture on stage 1 again", [&] { device->SetTexture(1, cyan); }, flipped, {GREEN, GREEN}},
        {"a texture made between draws", [&] { Solid(D3DFMT_A8R8G8B8, {0, 0, 255, 255}); }, flipped, {GREEN, GREEN}},
        {"stage 1 without a texture", [&] { device->SetTexture(1, nullptr); }, flipped, {BLACK, BLACK}},
        {"stage 1 switched off", [&] { stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE); }, flipped, {YELLOW, YELLOW}},
        {"the ramp by point on stage 0, stage 1 holding a texture",
         [&] {
             device->SetTexture(0, ramp);
             device->SetTexture(1, cyan);
             sampler(D3DSAMP_MAGFILTER, D3DTEXF_POINT);
         },
         whole, {BLACK, {255, 255, 255}}, {60, 120}},
        {"stage 0 magnified linearly, stage 1 still holding its texture",
         [&] { sampler(D3DSAMP_MAGFILTER, D3DTEXF_LINEAR); }, whole, {{66, 66, 66}, {255, 255, 255}}, {60, 120}},
        // Textures and buffers written, released and made between draws.
        {"one texture drawn",
         [&] {
             device->SetTexture(1, nullptr);
             device->SetTexture(0, green);
             sampler(D3DSAMP_MAGFILTER, D3DTEXF_POINT);
         },
         whole, {GREEN, GREEN}},
        {"another locked and its first texel written",
         [&] { Write(spare, D3DFMT_A8R8G8B8, {{255, 0, 255, 255}}); }, whole, {GREEN, GREEN}},
        {"the locked one drawn", [&] { device->SetTexture(0, spare); }, whole, {{255, 0, 255}, YELLOW}},
        {"two textures locked at once, unlocked in the order they were locked",
         [&] {
             D3DLOCKED_RECT first, second;
             ASSERT_EQ(spare->LockRect(0, &first, nullptr, 0), D3D_OK);
             ASSERT_EQ(green->LockRect(0, &second, nullptr, 0), D3D_OK);
             const uint8_t cyanTexel[4] = {255, 255, 0, 255};
             std::memcpy(static_cast<uint8_t*>(first.pBits) + 4, cyanTexel, 4);
             spare->UnlockRect(0);
             green->UnlockRect(0);
         },
         whole, {{255, 0, 255}, {0, 255, 255}}},
        {"a texture drawn, then released", [&] { device->SetTexture(0, doomed); }, whole,
         {{0, 255, 255}, {0, 255, 255}}},
        {"another made, which may take its name",
         [&] {
             doomed->Release();
             reborn = Solid(D3DFMT_A8R8G8B8, {255, 0, 255, 255});
             device->SetTexture(0, reborn);
         },
         whole, {{255, 0, 255}, {255, 0, 255}}},
        {"a third texture", [&] { device->SetTexture(0, green); }, whole, {GREEN, GREEN}},
        {"the new one again", [&] { device->SetTexture(0, reborn); }, whole, {{255, 0, 255}, {255, 0, 255}}},
        {"a buffer drawn, then released", [&] { stage(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2); }, doomedBuffer,
         {{255, 0, 0}, {255, 0, 0}}},
        {"another made, which may take its name",
         [&] {
             doomedBuffer->Release();
             ASSERT_EQ(DrawStrip(Cover(opaqueBlue)), D3D_OK);
         },
         nullptr, {BLUE, BLUE}},
        {"two rectangles cleared that share a corner but not a size",
         [&] {
             const RECT small = {0, 60, 40, HEIGHT}, large = {0, 30, WIDTH, HEIGHT};
             device->Clear(1, &small, D3DCLEAR_TARGET, red, 1.0f, 0);
             device->Clear(1, &large, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 255, 0), 1.0f, 0);
         },
         nullptr, {GREEN, GREEN}},
    };
    for (const Step& step : steps) {
        step.apply();
        if (step.buffer) {
            device->SetStreamSource(0, step.buffer, step.offset, step.stride);
            device->SetFVF(step.fvf);
            ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK) << step.change;
        }
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(Near(Pixel(step.x[i], 60), step.expected[i], 3))
                << step.change << ", at x = " << step.x[i];
    }
}

TEST_F(Layer, ALockHandsOutTheTexelsAndOneThatWritesNothingLeavesThem)
{
    Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    IDirect3DVertexBuffer9* cover = Cover(D3DCOLOR_ARGB(255, 255, 255, 255));
    // The bytes in memory: blue, green, red, then alpha where the format keeps one.
    const struct {
        D3DFORMAT format;
        std::vector<uint8_t> bytes;
    } cases[] = {{D3DFMT_A8R8G8B8, {30, 20, 10, 40}},
                 {D3DFMT_X8R8G8B8, {60, 50, 40, 255}},
                 {D3DFMT_R8G8B8, {90, 80, 70}}};
    for (const auto& c : cases) {
        const Rgba colour = {c.bytes[2], c.bytes[1], c.bytes[0], c.bytes.size() > 3 ? c.bytes[3] : 0};
        IDirect3DTexture9* texture = Solid(c.format, colour);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
        EXPECT_EQ(std::vector<uint8_t>(bits, bits + c.bytes.size()), c.bytes) << c.format;
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
        device->SetTexture(0, texture);
        ASSERT_EQ(DrawStrip(cover), D3D_OK);
        EXPECT_TRUE(Near(Pixel(80, 60), colour, 0)) << c.format;
    }

    // A texture never written locks as zeros, also when it is made where an opaque one of its
    // size was drawn and released (OpenGL leaves its texels undefined, and may reuse the name).
    constexpr UINT SIDE_X = 512, SIDE_Y = 160, BYTES = SIDE_X * SIDE_Y * 4;
    for (const char* when : {"the first texture", "a texture after a released opaque one"}) {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(SIDE_X, SIDE_Y, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        uint8_t* bits = static_cast<uint8_t*>(locked.pBits);
        EXPECT_EQ(std::count(bits, bits + BYTES, 0), BYTES) << when;
        std::memset(bits, 255, BYTES);
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
        device->SetTexture(0, texture);
        ASSERT_EQ(DrawStrip(cover), D3D_OK);
        texture->Release();
    }
}

TEST_F(Layer, TheSpriteDrawsTexelForPixelAtItsPosition)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 4, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    made.push_back(texture);
    // Texel (x, y) has red 40 x and green 100 y.
    ASSERT_EQ(D3DXFillTexture(
                  texture,
                  [](D3DXVECTOR4* out, const D3DXVECTOR2* at, const D3DXVECTOR2* size, void*) {
                      *out = {static_cast<float>(static_cast<int>(at->x / size->x)) * 40 / 255.0f,
                              static_cast<float>(static_cast<int>(at->y / size->y)) * 100 / 255.0f, 0.0f, 1.0f};
                  },
                  nullptr),
              D3D_OK);
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3DXCreateSprite(device, &sprite), D3D_OK);
    const D3DXVECTOR3 position = {10, 20, 0};
    ASSERT_EQ(sprite->Begin(D3DXSPRITE_SORT_DEPTH_FRONTTOBACK), D3D_OK);
    ASSERT_EQ(sprite->Draw(texture, nullptr, nullptr, &position, D3DCOLOR_ARGB(255, 255, 255, 255)), D3D_OK);
    ASSERT_EQ(sprite->End(), D3D_OK);
    sprite->Release();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_TRUE(Near(Pixel(10 + x, 20 + y), {40 * x, 100 * y, 0, 0}, 1)) << x << ", " << y;
    EXPECT_TRUE(Near(Pixel(9, 20), {255, 0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(14, 20), {255, 0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(10, 22), {255, 0, 0, 0}, 0));
    // The sprite leaves the device's states as they were.
    DWORD cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
}

TEST_F(Layer, TextStaysInsideItsRectangleUnlessToldNotTo)
{
    D3DXFONT_DESCA desc = {};
    desc.Height = 18;
    desc.Weight = 500;
    desc.Quality = ANTIALIASED_QUALITY;
    std::strcpy(desc.FaceName, "Arial");
    ID3DXFont* font = nullptr;
    // The font file is read relative to the working directory: the runtime directory's.
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(KESTROVA_RUN_DIR), 0);
    const HRESULT created = D3DXCreateFontIndirectA(device, &desc, &font);
    ASSERT_EQ(chdir(here), 0);
    ASSERT_EQ(created, D3D_OK);

    auto inkIn = [&](int x0, int y0, int x1, int y1) {
        int ink = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                ink += Pixel(x, y)[1] > 100;
        return ink;
    };
    RECT rect = {20, 30, 60, 40};
    // The second time after a full clear, which cuts nothing.
    for (const char* when : {"first", "after a full clear"}) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 255, 0, 0), 1.0f, 0);
        EXPECT_EQ(font->DrawTextA(nullptr, "WWWWWWWW", -1, &rect, DT_LEFT | DT_TOP, D3DCOLOR_ARGB(255, 0, 255, 0)),
                  18);
        EXPECT_GT(inkIn(20, 30, 60, 40), 40) << when;
        const int outside =
            inkIn(0, 0, WIDTH, 30) + inkIn(0, 40, WIDTH, HEIGHT) + inkIn(0, 30, 20, 40) + inkIn(60, 30, WIDTH, 40);
        EXPECT_EQ(outside, 0) << when;
    }

    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 255, 0, 0), 1.0f, 0);
    EXPECT_EQ(font->DrawTextA(nullptr, "WWWWWWWW\nW", -1, &rect, DT_NOCLIP, D3DCOLOR_ARGB(255, 0, 255, 0)), 36);
    EXPECT_GT(inkIn(60, 30, WIDTH, 48), 40);
    EXPECT_GT(inkIn(20, 48, 40, 66), 10) << "the line feed starts a line 18 pixels lower";
    font->Release();
}

TEST_F(Layer, RefusesWhatItCannotDrawAndWritesNothingOutsideItsBuffers)
{
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    EXPECT_EQ(device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE), D3D_OK);
    EXPECT_EQ(device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_MODULATE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, 24), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetFVF(D3DFVF_NORMAL), D3DERR_INVALIDCALL);

    IDirect3DVertexBuffer9* buffer = Cover(D3DCOLOR_ARGB(255, 255, 255, 255));
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 4 * sizeof(Vertex) + 1, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(4 * sizeof(Vertex), 1, &data, 0), D3DERR_INVALIDCALL);
    device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
    device->SetFVF(VERTEX_FVF);
    // Three triangles of a strip need five vertices; the buffer holds four.
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 2, 1), D3DERR_INVALIDCALL);
    device->EndScene();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    device->BeginScene();
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);

    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(1u << 20, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    // D3DX takes a side of 0 as 1.
    ASSERT_EQ(D3DXCreateTexture(device, 0, 0, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture),
              D3D_OK);
    D3DSURFACE_DESC surface;
    ASSERT_EQ(texture->GetLevelDesc(0, &surface), D3D_OK);
    EXPECT_EQ(surface.Width, 1u);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    texture->Release();

    // A windowed device takes no refresh rate of its own.
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.Windowed = TRUE;
    parameters.hDeviceWindow = window;
    parameters.FullScreen_RefreshRateInHz = 60;
    IDirect3DDevice9* second = nullptr;
    EXPECT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, 0, &parameters, &second),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(second, nullptr);
}

// A window whose buffers have no stencil takes a 16-bit depth format but not D24S8; one with the
// stencil buffer the platform asks for takes both.
TEST(LayerDevice, TakesTheDepthFormatsItsWindowsBuffersHold)
{
    const struct {
        bool stencil;
        D3DFORMAT format;
        HRESULT expected;
    } cases[] = {{true, D3DFMT_D24S8, D3D_OK},
                 {true, D3DFMT_D16, D3D_OK},
                 {false, D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
                 {false, D3DFMT_D16, D3D_OK}};
    IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    for (const auto& c : cases) {
        platform::Window* window = OpenWindow(c.stencil);
        ASSERT_NE(window, nullptr);
        IDirect3DDevice9* device = nullptr;
        EXPECT_EQ(CreateDevice(direct3D, window, c.format, &device), c.expected)
            << "stencil " << c.stencil << ", format " << c.format;
        if (device)
            device->Release();
        platform::DestroyMainWindow(window);
    }
    direct3D->Release();
}

} // namespace
