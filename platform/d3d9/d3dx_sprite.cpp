// D3DX sprites: pictures queued between Begin and End and drawn in window pixels, texel for
// pixel, with the sprite's own states.
#include "platform/d3d9/d3dx9.h"

#include <vector>

#include "platform/d3d9/gl_device_impl.h"

namespace platform::d3d9 {

void WriteScreenQuad(ScreenVertex* out, float left, float top, float right, float bottom, float u0, float v0,
                     float u1, float v1, D3DCOLOR color)
{
    // Pixel centres lie on whole coordinates: edges half a pixel before them put each texel's
    // centre on a pixel's. The program draws with edges a sixty-fourth of a pixel early, which
    // is taken back here so that texels stay exact.
    const float shift = 0.5f - 1.0f / 64.0f;
    left -= shift;
    top -= shift;
    right -= shift;
    bottom -= shift;
    const ScreenVertex topLeft = {left, top, 0.0f, color, u0, v0};
    const ScreenVertex topRight = {right, top, 0.0f, color, u1, v0};
    const ScreenVertex bottomLeft = {left, bottom, 0.0f, color, u0, v1};
    const ScreenVertex bottomRight = {right, bottom, 0.0f, color, u1, v1};
    out[0] = topLeft;
    out[1] = topRight;
    out[2] = bottomLeft;
    out[3] = bottomLeft;
    out[4] = topRight;
    out[5] = bottomRight;
}

void DrawScreenQuads(GLDevice* device, GLTexture* texture, const ScreenVertex* vertices, int quadCount,
                     bool alphaBlend, const RECT* scissor)
{
    if (!device || quadCount <= 0)
        return;
    DrawSetup setup = {};
    // Window pixels, y down, to clip space.
    const float w = static_cast<float>(device->Width() ? device->Width() : 1);
    const float h = static_cast<float>(device->Height() ? device->Height() : 1);
    setup.transform.m[0][0] = 2.0f / w;
    setup.transform.m[1][1] = -2.0f / h;
    setup.transform.m[2][2] = 1.0f;
    setup.transform.m[3][0] = -1.0f;
    setup.transform.m[3][1] = 1.0f;
    setup.transform.m[3][3] = 1.0f;
    setup.stages[0] = {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0};
    setup.stages[1] = DefaultStage(1);
    setup.samplers[0] = {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP};
    setup.samplers[1] = DefaultSampler();
    setup.textures[0] = texture;
    setup.textures[1] = nullptr;
    setup.lighting = false;
    setup.alphaBlend = alphaBlend;
    setup.srcBlend = D3DBLEND_SRCALPHA;
    setup.destBlend = D3DBLEND_INVSRCALPHA;
    setup.cullMode = D3DCULL_NONE;
    setup.fillMode = D3DFILL_SOLID;
    setup.zEnable = false;
    setup.zWrite = false;
    setup.zFunc = D3DCMP_ALWAYS;
    setup.scissor = scissor;
    VertexLayout layout;
    LayoutOf(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, &layout);
    device->DrawClient(setup, vertices, sizeof(ScreenVertex), layout, GL_TRIANGLES, quadCount * 6);
}

namespace {

class Sprite final : public ID3DXSprite {
public:
    explicit Sprite(GLDevice* device) : device(device) { device->AddRef(); }

    ULONG AddRef() override { return ++references; }
    ULONG Release() override
    {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT Begin(DWORD beginFlags) override
    {
        if (begun || !device->InScene())
            return D3DERR_INVALIDCALL;
        begun = true;
        flags = beginFlags;
        return D3D_OK;
    }

    HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* center,
                 const D3DXVECTOR3* position, D3DCOLOR color) override
    {
        if (!begun)
            return D3DERR_INVALIDCALL;
        if (!texture)
            return D3D_OK;
        queue.push_back({static_cast<GLTexture*>(texture), source ? *source : RECT{}, source != nullptr,
                         center ? *center : D3DXVECTOR3{0, 0, 0}, position ? *position : D3DXVECTOR3{0, 0, 0},
                         color});
        texture->AddRef();
        return D3D_OK;
    }

    HRESULT End() override
    {
        if (!begun)
            return D3DERR_INVALIDCALL;
        begun = false;
        for (Queued& q : queue) {
            const float tw = static_cast<float>(q.texture->Width());
            const float th = static_cast<float>(q.texture->Height());
            RECT r = q.hasSource ? q.source : RECT{0, 0, static_cast<LONG>(tw), static_cast<LONG>(th)};
            const float left = q.position.x - q.center.x;
            const float top = q.position.y - q.center.y;
            ScreenVertex quad[6];
            WriteScreenQuad(quad, left, top, left + static_cast<float>(r.right - r.left),
                            top + static_cast<float>(r.bottom - r.top), static_cast<float>(r.left) / tw,
                            static_cast<float>(r.top) / th, static_cast<float>(r.right) / tw,
                            static_cast<float>(r.bottom) / th, q.color);
            DrawScreenQuads(device, q.texture, quad, 1, (flags & D3DXSPRITE_ALPHABLEND) != 0, nullptr);
            q.texture->Release();
        }
        queue.clear();
        return D3D_OK;
    }

private:
    struct Queued {
        GLTexture* texture;
        RECT source;
        bool hasSource;
        D3DXVECTOR3 center;
        D3DXVECTOR3 position;
        D3DCOLOR color;
    };

    ~Sprite() override
    {
        for (Queued& q : queue)
            q.texture->Release();
        device->Release();
    }

    ULONG references = 1;
    GLDevice* device;
    bool begun = false;
    DWORD flags = 0;
    std::vector<Queued> queue;
};

} // namespace

} // namespace platform::d3d9

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite)
{
    if (!device || !sprite)
        return D3DERR_INVALIDCALL;
    // Every device of this layer is a GLDevice.
    *sprite = new platform::d3d9::Sprite(static_cast<platform::d3d9::GLDevice*>(device));
    return D3D_OK;
}
