// Inside our Direct3D 9 layer: the OpenGL objects behind the device, its textures and vertex
// buffers, and the one program that draws every primitive with the texture-stage rules.
#pragma once
#include "platform/d3d9/d3d9.h"

#include <GL/glew.h>

#include <vector>

#include "platform/gl_context.h"

namespace platform::d3d9 {

class GLDevice;

// Where the parts of one vertex of a flexible vertex format lie; -1 for a part it lacks.
struct VertexLayout {
    UINT size = 0;
    int position = -1;
    int normal = -1;
    int diffuse = -1;
    int texCoords[2] = {-1, -1};
};
// False for formats the layer cannot draw (no position, or parts beyond the ones it knows).
bool LayoutOf(DWORD fvf, VertexLayout* layout);

struct StageSetup {
    DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2, texCoordIndex;
};

struct SamplerSetup {
    DWORD magFilter, minFilter, mipFilter, addressU, addressV;
};

class GLTexture;

// Everything one draw needs: from the device's states, or from the sprite's and font's own.
struct DrawSetup {
    D3DMATRIX transform; // world * view * projection
    StageSetup stages[2];
    SamplerSetup samplers[2];
    GLTexture* textures[2];
    bool lighting;
    bool alphaBlend;
    DWORD srcBlend, destBlend;
    DWORD cullMode;
    DWORD fillMode;
    bool zEnable, zWrite;
    DWORD zFunc;
    const RECT* scissor; // window pixels; null draws over the whole back buffer
};

// The device's default states, as a new device has them.
StageSetup DefaultStage(DWORD stage);
SamplerSetup DefaultSampler();

// The GLSL program that stands in for transform, lighting and the two texture stages.
class GLPipeline {
public:
    bool Create();
    void Destroy();
    // vertices: a buffer object's name with byte offset base, or buffer 0 and a client address.
    void Draw(const DrawSetup& setup, GLuint buffer, uintptr_t base, UINT stride, const VertexLayout& layout,
              GLenum mode, GLint first, GLsizei count, UINT width, UINT height);

private:
    GLuint program = 0;
    GLint transform = -1, pixel = -1, hasDiffuse = -1, lighting = -1;
    GLint samplers[2] = {-1, -1}, bound[2] = {-1, -1}, colorOps[2] = {-1, -1}, alphaOps[2] = {-1, -1};
};

class GLTexture final : public IDirect3DTexture9 {
public:
    GLTexture(GLDevice* device, UINT width, UINT height, D3DFORMAT format, bool mipmapped, DWORD levelCount);

    ULONG AddRef() override;
    ULONG Release() override;
    DWORD GetLevelCount() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    // Binds the texture to the active unit with the sampler's filters and addressing.
    void Bind(const SamplerSetup& sampler);
    UINT Width() const { return width; }
    UINT Height() const { return height; }
    D3DFORMAT Format() const { return format; }
    static UINT BytesPerTexel(D3DFORMAT format) { return format == D3DFMT_R8G8B8 ? 3 : 4; }

private:
    ~GLTexture() override;

    ULONG references = 1;
    GLDevice* device;
    GLuint name = 0;
    UINT width, height;
    D3DFORMAT format;
    bool mipmapped;
    DWORD levelCount;
    std::vector<uint8_t> texels; // level 0 between LockRect and UnlockRect only
    bool locked = false;
};

class GLVertexBuffer final : public IDirect3DVertexBuffer9 {
public:
    GLVertexBuffer(GLDevice* device, UINT length);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;

    GLuint Name() const { return name; }
    UINT Length() const { return length; }

private:
    ~GLVertexBuffer() override;

    ULONG references = 1;
    GLDevice* device;
    GLuint name = 0;
    UINT length;
    std::vector<uint8_t> shadow; // what Lock hands out; Unlock copies it to the buffer object
    bool locked = false;
};

class GLDevice final : public IDirect3DDevice9 {
public:
    // Takes a context already current on the window and the program made on it.
    GLDevice(platform::Window* window, GLContext* context, const D3DPRESENT_PARAMETERS& parameters);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* source, const RECT* dest, HWND destWindow, const void* dirtyRegion) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                               HANDLE* shared) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* shared) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;

    // False when the context cannot run the program that draws.
    bool Ready() const { return ready; }
    bool InScene() const { return inScene; }
    UINT Width() const { return width; }
    UINT Height() const { return height; }
    // Draws from client memory with a set-up of the caller's, leaving the device's states alone:
    // the sprite's and the font's way in.
    void DrawClient(const DrawSetup& setup, const void* vertices, UINT stride, const VertexLayout& layout,
                    GLenum mode, GLsizei count);

    // A resource going away is no longer drawn from.
    void Forget(const GLTexture* texture);
    void Forget(const GLVertexBuffer* buffer);

    static constexpr UINT MAX_TEXTURE_SIDE = 8192;

private:
    ~GLDevice() override;
    void FillSetup(DrawSetup* setup) const;
    // The field that holds a state, null for a state the layer does not keep.
    D3DMATRIX* TransformField(D3DTRANSFORMSTATETYPE state);
    DWORD* RenderStateField(D3DRENDERSTATETYPE state);

    ULONG references = 1;
    platform::Window* window;
    GLContext* context;
    GLPipeline pipeline;
    bool ready = false;
    UINT width, height;
    bool inScene = false;

    D3DMATRIX world, view, projection;
    DWORD zEnable, fillMode, zWriteEnable, srcBlend, destBlend, cullMode, zFunc, alphaBlendEnable, lighting;
    StageSetup stages[2];
    SamplerSetup samplers[2];
    // Bound without a reference, as each resource holds one to the device; a resource that
    // goes unbinds itself.
    GLTexture* textures[2] = {nullptr, nullptr};
    GLVertexBuffer* stream = nullptr;
    UINT streamOffset = 0, streamStride = 0;
    DWORD fvf = 0;
};

// A corner of the sprite's and the font's quads: window pixels, colour, texel coordinates.
struct ScreenVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

// Draws quads (six vertices each, two triangles) in window pixels with the sprite's own states:
// texture times colour, no culling or depth, blended by alpha when asked, cut to the scissor
// rectangle when one is given. The device's states stay as they were.
void DrawScreenQuads(GLDevice* device, GLTexture* texture, const ScreenVertex* vertices, int quadCount,
                     bool alphaBlend, const RECT* scissor);

// The six vertices of a quad whose texels land on whole pixels: left, top, right and bottom in
// window pixels, the texel rectangle in 0..1.
void WriteScreenQuad(ScreenVertex* out, float left, float top, float right, float bottom, float u0, float v0,
                     float u1, float v1, D3DCOLOR color);

} // namespace platform::d3d9
