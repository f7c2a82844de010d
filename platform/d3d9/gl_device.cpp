// The layer's device: Direct3D's states kept as Direct3D keeps them, handed to the pipeline at
// each draw, and the frame's clear, scene and present.
#include "platform/d3d9/gl_device_impl.h"

#include "platform/d3d9/d3dx9.h"

namespace platform::d3d9 {

namespace {

bool ValidOp(DWORD op) { return op >= D3DTOP_DISABLE && op <= D3DTOP_MODULATE; }
bool ValidArgument(DWORD argument) { return argument <= D3DTA_TEXTURE; }

} // namespace

GLDevice::GLDevice(platform::Window* window, GLContext* context, const D3DPRESENT_PARAMETERS& parameters)
    : window(window), context(context), width(parameters.BackBufferWidth), height(parameters.BackBufferHeight)
{
    D3DXMatrixIdentity(&world);
    D3DXMatrixIdentity(&view);
    D3DXMatrixIdentity(&projection);
    zEnable = parameters.EnableAutoDepthStencil ? TRUE : FALSE;
    fillMode = D3DFILL_SOLID;
    zWriteEnable = TRUE;
    srcBlend = D3DBLEND_ONE;
    destBlend = D3DBLEND_ZERO;
    cullMode = D3DCULL_CCW;
    zFunc = D3DCMP_LESSEQUAL;
    alphaBlendEnable = FALSE;
    lighting = TRUE;
    for (DWORD s = 0; s < 2; ++s) {
        stages[s] = DefaultStage(s);
        samplers[s] = DefaultSampler();
    }
    ready = pipeline.Create(width, height);
}

GLDevice::~GLDevice()
{
    pipeline.Destroy();
    DestroyGLContext(context);
}

ULONG GLDevice::AddRef() { return ++references; }

ULONG GLDevice::Release()
{
    const ULONG left = --references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT GLDevice::Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    if ((count > 0 && !rects) || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0)
        return D3DERR_INVALIDCALL;
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepth(z);
        pipeline.SetDepthWrite(true);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glClearStencil(static_cast<GLint>(stencil));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // The whole back buffer, or each rectangle given.
    if (count == 0) {
        pipeline.SetScissor(nullptr);
        glClear(mask);
        return D3D_OK;
    }
    for (DWORD i = 0; i < count; ++i) {
        const RECT& r = rects[i];
        if (r.right <= r.left || r.bottom <= r.top)
            continue;
        pipeline.SetScissor(&r);
        glClear(mask);
    }
    return D3D_OK;
}

HRESULT GLDevice::BeginScene()
{
    if (inScene)
        return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT GLDevice::EndScene()
{
    if (!inScene)
        return D3DERR_INVALIDCALL;
    inScene = false;
    return D3D_OK;
}

HRESULT GLDevice::Present(const RECT*, const RECT*, HWND, const void*)
{
    SwapGLBuffers(window);
    return D3D_OK;
}

D3DMATRIX* GLDevice::TransformField(D3DTRANSFORMSTATETYPE state)
{
    switch (state) {
    case D3DTS_WORLD: return &world;
    case D3DTS_VIEW: return &view;
    case D3DTS_PROJECTION: return &projection;
    }
    return nullptr;
}

DWORD* GLDevice::RenderStateField(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_ZENABLE: return &zEnable;
    case D3DRS_FILLMODE: return &fillMode;
    case D3DRS_ZWRITEENABLE: return &zWriteEnable;
    case D3DRS_SRCBLEND: return &srcBlend;
    case D3DRS_DESTBLEND: return &destBlend;
    case D3DRS_CULLMODE: return &cullMode;
    case D3DRS_ZFUNC: return &zFunc;
    case D3DRS_ALPHABLENDENABLE: return &alphaBlendEnable;
    case D3DRS_LIGHTING: return &lighting;
    }
    return nullptr;
}

HRESULT GLDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    D3DMATRIX* field = TransformField(state);
    if (!matrix || !field)
        return D3DERR_INVALIDCALL;
    *field = *matrix;
    transformStale = true;
    return D3D_OK;
}

HRESULT GLDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    D3DMATRIX* field = TransformField(state);
    if (!matrix || !field)
        return D3DERR_INVALIDCALL;
    *matrix = *field;
    return D3D_OK;
}

HRESULT GLDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    DWORD* field = RenderStateField(state);
    if (!field)
        return D3DERR_INVALIDCALL;
    *field = value;
    return D3D_OK;
}

HRESULT GLDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    DWORD* field = RenderStateField(state);
    if (!value || !field)
        return D3DERR_INVALIDCALL;
    *value = *field;
    return D3D_OK;
}

HRESULT GLDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    if (stage >= 8)
        return D3DERR_INVALIDCALL;
    // Stages from 2 on are never drawn: they only take the absence of a texture.
    if (stage >= 2)
        return texture ? D3DERR_INVALIDCALL : D3D_OK;
    // Every texture of this layer is a GLTexture.
    textures[stage] = static_cast<GLTexture*>(texture);
    return D3D_OK;
}

HRESULT GLDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= 8)
        return D3DERR_INVALIDCALL;
    const bool isOp = type == D3DTSS_COLOROP || type == D3DTSS_ALPHAOP;
    if (isOp && !ValidOp(value))
        return D3DERR_INVALIDCALL;
    if ((type == D3DTSS_COLORARG1 || type == D3DTSS_COLORARG2 || type == D3DTSS_ALPHAARG1 ||
         type == D3DTSS_ALPHAARG2) &&
        !ValidArgument(value))
        return D3DERR_INVALIDCALL;
    if (type == D3DTSS_TEXCOORDINDEX && value > 1)
        return D3DERR_INVALIDCALL;
    if (stage >= 2) {
        // The layer draws two stages; the later ones can only stay switched off.
        return !isOp || value == D3DTOP_DISABLE ? D3D_OK : D3DERR_INVALIDCALL;
    }
    StageSetup& s = stages[stage];
    switch (type) {
    case D3DTSS_COLOROP: s.colorOp = value; return D3D_OK;
    case D3DTSS_COLORARG1: s.colorArg1 = value; return D3D_OK;
    case D3DTSS_COLORARG2: s.colorArg2 = value; return D3D_OK;
    case D3DTSS_ALPHAOP: s.alphaOp = value; return D3D_OK;
    case D3DTSS_ALPHAARG1: s.alphaArg1 = value; return D3D_OK;
    case D3DTSS_ALPHAARG2: s.alphaArg2 = value; return D3D_OK;
    case D3DTSS_TEXCOORDINDEX: s.texCoordIndex = value; return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT GLDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (stage >= 2 || !value)
        return D3DERR_INVALIDCALL;
    const StageSetup& s = stages[stage];
    switch (type) {
    case D3DTSS_COLOROP: *value = s.colorOp; return D3D_OK;
    case D3DTSS_COLORARG1: *value = s.colorArg1; return D3D_OK;
    case D3DTSS_COLORARG2: *value = s.colorArg2; return D3D_OK;
    case D3DTSS_ALPHAOP: *value = s.alphaOp; return D3D_OK;
    case D3DTSS_ALPHAARG1: *value = s.alphaArg1; return D3D_OK;
    case D3DTSS_ALPHAARG2: *value = s.alphaArg2; return D3D_OK;
    case D3DTSS_TEXCOORDINDEX: *value = s.texCoordIndex; return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT GLDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (sampler >= 2)
        return sampler < 16 ? D3D_OK : D3DERR_INVALIDCALL;
    SamplerSetup& s = samplers[sampler];
    switch (type) {
    case D3DSAMP_ADDRESSU: s.addressU = value; return D3D_OK;
    case D3DSAMP_ADDRESSV: s.addressV = value; return D3D_OK;
    case D3DSAMP_MAGFILTER: s.magFilter = value; return D3D_OK;
    case D3DSAMP_MINFILTER: s.minFilter = value; return D3D_OK;
    case D3DSAMP_MIPFILTER: s.mipFilter = value; return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT GLDevice::CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9** buffer, HANDLE*)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    // Also the bound on what a caller can make the layer allocate.
    constexpr UINT MAX_LENGTH = 256u << 20;
    if (length == 0 || length > MAX_LENGTH)
        return D3DERR_INVALIDCALL;
    // The format is the caller's business: SetFVF says how the draw reads the bytes.
    *buffer = new GLVertexBuffer(this, length);
    return D3D_OK;
}

HRESULT GLDevice::CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL,
                                IDirect3DTexture9** texture, HANDLE*)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (w == 0 || h == 0 || w > MAX_TEXTURE_SIDE || h > MAX_TEXTURE_SIDE)
        return D3DERR_INVALIDCALL;
    if (format != D3DFMT_R8G8B8 && format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)
        return D3DERR_INVALIDCALL;
    DWORD fullChain = 1;
    for (UINT side = w > h ? w : h; side > 1; side >>= 1)
        ++fullChain;
    const bool autogen = (usage & D3DUSAGE_AUTOGENMIPMAP) != 0;
    if (autogen && levels > 1)
        return D3DERR_INVALIDCALL;
    // An automatically generated chain shows one level; any other chain is made from level 0.
    const DWORD shown = autogen ? 1 : levels == 0 || levels > fullChain ? fullChain : levels;
    *texture = new GLTexture(this, w, h, format, autogen || shown > 1, shown);
    return D3D_OK;
}

HRESULT GLDevice::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    if (streamNumber != 0)
        return D3DERR_INVALIDCALL;
    stream = static_cast<GLVertexBuffer*>(buffer);
    streamOffset = offset;
    streamStride = stride;
    return D3D_OK;
}

HRESULT GLDevice::SetFVF(DWORD value)
{
    VertexLayout layout;
    if (!LayoutOf(value, &layout))
        return D3DERR_INVALIDCALL;
    fvf = value;
    return D3D_OK;
}

void GLDevice::Forget(const GLTexture* texture)
{
    for (GLTexture*& bound : textures)
        if (bound == texture)
            bound = nullptr;
    pipeline.ForgetTexture(texture->Name());
}

void GLDevice::Forget(const GLVertexBuffer* buffer)
{
    if (stream == buffer)
        stream = nullptr;
    pipeline.ForgetBuffer(buffer->Name());
}

void GLDevice::FillSetup(DrawSetup* setup)
{
    if (transformStale) {
        D3DMATRIX worldView;
        D3DXMatrixMultiply(&worldView, &world, &view);
        D3DXMatrixMultiply(&transform, &worldView, &projection);
        transformStale = false;
    }
    setup->transform = transform;
    for (int s = 0; s < 2; ++s) {
        setup->stages[s] = stages[s];
        setup->samplers[s] = samplers[s];
        setup->textures[s] = textures[s];
    }
    setup->lighting = lighting != FALSE;
    setup->alphaBlend = alphaBlendEnable != FALSE;
    setup->srcBlend = srcBlend;
    setup->destBlend = destBlend;
    setup->cullMode = cullMode;
    setup->fillMode = fillMode;
    setup->zEnable = zEnable != FALSE;
    setup->zWrite = zWriteEnable != FALSE;
    setup->zFunc = zFunc;
    setup->scissor = nullptr;
}

HRESULT GLDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    VertexLayout layout;
    if (!inScene || !stream || !LayoutOf(fvf, &layout) || streamStride < layout.size || primitiveCount == 0)
        return D3DERR_INVALIDCALL;
    GLenum mode;
    uint64_t vertexCount;
    if (type == D3DPT_TRIANGLELIST) {
        mode = GL_TRIANGLES;
        vertexCount = 3ull * primitiveCount;
    } else if (type == D3DPT_TRIANGLESTRIP) {
        mode = GL_TRIANGLE_STRIP;
        vertexCount = 2ull + primitiveCount;
    } else {
        return D3DERR_INVALIDCALL;
    }
    // Every vertex drawn must lie inside the buffer.
    const uint64_t end = streamOffset + (static_cast<uint64_t>(startVertex) + vertexCount - 1) * streamStride + layout.size;
    if (end > stream->Length())
        return D3DERR_INVALIDCALL;
    DrawSetup setup;
    FillSetup(&setup);
    pipeline.Draw(setup, stream->Name(), streamOffset, streamStride, layout, mode, static_cast<GLint>(startVertex),
                  static_cast<GLsizei>(vertexCount));
    return D3D_OK;
}

void GLDevice::DrawClient(const DrawSetup& setup, const void* vertices, UINT stride, const VertexLayout& layout,
                          GLenum mode, GLsizei count)
{
    pipeline.Draw(setup, 0, reinterpret_cast<uintptr_t>(vertices), stride, layout, mode, 0, count);
}

} // namespace platform::d3d9
