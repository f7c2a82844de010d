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
    bool operator==(const VertexLayout&) const = default;
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

// The GLSL programs that stand in for transform, lighting and the two texture stages (one for
// each stage set-up drawn), and the OpenGL state last applied: a draw sets only what differs from
// the draw before. Every other OpenGL call of the layer that touches that state goes through
// here, so what is kept stays true.
class GLPipeline {
public:
    // On the current context, for a back buffer of width x height.
    bool Create(UINT width, UINT height);
    void Destroy();
    // vertices: a buffer object's name with byte offset base, or buffer 0 and a client address.
    void Draw(const DrawSetup& setup, GLuint buffer, uintptr_t base, UINT stride, const VertexLayout& layout,
              GLenum mode, GLint first, GLsizei count);

    // Binds name to the unit, making the unit active.
    void BindTexture(int unit, GLuint name);
    void BindArrayBuffer(GLuint name);
    void SetDepthWrite(bool write);
    // Window pixels; null switches the scissor test off.
    void SetScissor(const RECT* rect);
    // OpenGL drops a deleted object from every binding.
    void ForgetTexture(GLuint name);
    void ForgetBuffer(GLuint name);

private:
    // One linked program for one stage set-up, with the uniform values it holds.
    struct Program {
        uint32_t key;
        GLuint name;
        GLint transform, hasDiffuse, lighting;
        D3DMATRIX transformValue;
        GLint hasDiffuseValue, lightingValue;
    };
    struct Attributes {
        GLuint buffer;
        uintptr_t base;
        UINT stride;
        VertexLayout layout;
        bool operator==(const Attributes&) const = default;
    };
    // The program of the setup's stages, in use; null when it cannot be made.
    Program* UseProgram(const DrawSetup& setup);
    bool Link(uint32_t key, const DrawSetup& setup);
    void DeletePrograms();
    void ApplyRasterState(const DrawSetup& setup);
    void ApplyAttributes(const Attributes& wanted);
    void SetArray(GLuint index, int offset, GLint size, GLenum type, GLboolean normalized, const Attributes& from);
    void Enable(GLenum capability, bool on, bool* kept);

    static constexpr size_t MAX_PROGRAMS = 64;
    GLuint vertexShader = 0;
    std::vector<Program> programs;
    int current = -1; // the program in use, an index into programs
    UINT width = 0, height = 0;

    // What OpenGL holds now.
    Attributes attributes = {};
    bool attributesKnown = false;
    bool arrayEnabled[4] = {false, false, false, false};
    GLuint arrayBuffer = 0;
    int activeUnit = 0;
    GLuint unitTextures[2] = {0, 0};
    bool cullFace = false, blend = false, depthTest = false, scissorTest = false, depthWrite = true;
    GLenum frontFace = GL_CCW, polygonMode = GL_FILL, depthFunc = GL_LESS;
    GLenum blendFactors[2] = {GL_ONE, GL_ZERO};
    GLint scissorBox[4] = {0, 0, 0, 0};
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

    // Gives the texture, bound to the unit, the sampler's filters and addressing.
    void ApplySampler(const SamplerSetup& sampler, int unit);
    GLuint Name() const { return name; }
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
    bool written = false; // by an UnlockRect; until then OpenGL holds undefined texels
    // The filters and wrap modes the texture object has: minification, magnification, s, t.
    GLint parameters[4] = {0, 0, 0, 0};
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
    GLPipeline& Pipeline() { return pipeline; }
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
    void FillSetup(DrawSetup* setup);
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
    D3DMATRIX transform; // their product, made again after one of them is set
    bool transformStale = true;
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
