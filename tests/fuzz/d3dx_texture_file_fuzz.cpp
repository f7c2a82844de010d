// Fuzz target for D3DXCreateTextureFromFileA: any bytes as a picture file, written into a
// device that only keeps textures in memory of exactly their size, so that a write past a
// texture's texels is caught.
#include <cstdlib>
#include <vector>

#include "render/direct3d/d3dx_texture_file.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

class MemoryTexture final : public IDirect3DTexture9 {
public:
    MemoryTexture(UINT width, UINT height, D3DFORMAT format)
        : width(width), height(height), format(format), texels(static_cast<size_t>(width) * height * 4)
    {
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override
    {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }
    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT, D3DSURFACE_DESC* desc) override
    {
        *desc = {format, width, height};
        return D3D_OK;
    }
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT*, DWORD) override
    {
        if (level != 0 || isLocked)
            return D3DERR_INVALIDCALL;
        isLocked = true;
        locked->Pitch = static_cast<INT>(width * 4);
        locked->pBits = texels.data();
        return D3D_OK;
    }
    HRESULT UnlockRect(UINT) override
    {
        if (!isLocked)
            std::abort();
        isLocked = false;
        return D3D_OK;
    }

private:
    ~MemoryTexture() override = default;
    ULONG references = 1;
    UINT width, height;
    D3DFORMAT format;
    std::vector<uint8_t> texels;
    bool isLocked = false;
};

class MemoryDevice final : public IDirect3DDevice9 {
public:
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT Clear(DWORD, const RECT*, DWORD, D3DCOLOR, float, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT BeginScene() override { return D3DERR_INVALIDCALL; }
    HRESULT EndScene() override { return D3DERR_INVALIDCALL; }
    HRESULT Present(const RECT*, const RECT*, HWND, const void*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return D3DERR_INVALIDCALL; }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**, HANDLE*) override
    {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateTexture(UINT width, UINT height, UINT, DWORD, D3DFORMAT format, D3DPOOL, IDirect3DTexture9** texture,
                          HANDLE*) override
    {
        // The real device's limit on a side.
        if (width == 0 || height == 0 || width > 8192 || height > 8192)
            return D3DERR_INVALIDCALL;
        *texture = new MemoryTexture(width, height, format);
        return D3D_OK;
    }
    HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override { return D3DERR_INVALIDCALL; }
    HRESULT SetFVF(DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return D3DERR_INVALIDCALL; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string file = WriteFuzzInput(data, size, "d3dx_texture_file_fuzz");
    if (file.empty())
        return 0;
    MemoryDevice device;
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    const HRESULT result = D3DXCreateTextureFromFileA(&device, file.c_str(), &texture);
    // Success and a texture go together.
    if (SUCCEEDED(result) != (texture != nullptr))
        std::abort();
    if (texture)
        texture->Release();
    return 0;
}
