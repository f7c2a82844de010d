// The layer's Direct3D object: the one adapter's capabilities and devices made on a window's
// OpenGL context.
#include "platform/d3d9/d3d9.h"

#include "platform/d3d9/gl_device_impl.h"

namespace platform::d3d9 {

namespace {

// The depth and stencil bits a format asks of the window's depth buffer.
bool DepthFormatFits(D3DFORMAT format, GLint depthBits, GLint stencilBits)
{
    if (format == D3DFMT_D24S8)
        return depthBits >= 24 && stencilBits >= 8;
    if (format == D3DFMT_D16)
        return depthBits >= 16;
    return false;
}

class Direct3D final : public IDirect3D9 {
public:
    ULONG AddRef() override { return ++references; }
    ULONG Release() override
    {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override
    {
        if (adapter != D3DADAPTER_DEFAULT || type != D3DDEVTYPE_HAL || !caps)
            return D3DERR_INVALIDCALL;
        *caps = {};
        caps->DeviceType = type;
        caps->AdapterOrdinal = adapter;
        caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        caps->MaxTextureWidth = GLDevice::MAX_TEXTURE_SIDE;
        caps->MaxTextureHeight = GLDevice::MAX_TEXTURE_SIDE;
        caps->MaxTextureBlendStages = 2;
        caps->MaxSimultaneousTextures = 2;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD, D3DPRESENT_PARAMETERS* parameters,
                         IDirect3DDevice9** device) override
    {
        if (!device)
            return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (adapter != D3DADAPTER_DEFAULT || type != D3DDEVTYPE_HAL || !parameters)
            return D3DERR_INVALIDCALL;
        HWND window = parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow;
        // A windowed device takes the desktop's refresh rate.
        if (!window || (parameters->Windowed && parameters->FullScreen_RefreshRateInHz != 0))
            return D3DERR_INVALIDCALL;
        int windowWidth = 0, windowHeight = 0;
        GetWindowSize(window, &windowWidth, &windowHeight);
        if (parameters->BackBufferWidth == 0)
            parameters->BackBufferWidth = static_cast<UINT>(windowWidth);
        if (parameters->BackBufferHeight == 0)
            parameters->BackBufferHeight = static_cast<UINT>(windowHeight);

        GLContext* context = CreateGLContext(window);
        if (!context)
            return D3DERR_NOTAVAILABLE;
        if (parameters->EnableAutoDepthStencil) {
            GLint depthBits = 0, stencilBits = 0;
            glGetIntegerv(GL_DEPTH_BITS, &depthBits);
            glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
            if (!DepthFormatFits(parameters->AutoDepthStencilFormat, depthBits, stencilBits)) {
                DestroyGLContext(context);
                return D3DERR_NOTAVAILABLE;
            }
        }
        SetGLSwapInterval(parameters->PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
        GLDevice* created = new GLDevice(window, context, *parameters);
        if (!created->Ready()) {
            created->Release();
            return D3DERR_NOTAVAILABLE;
        }
        *device = created;
        return D3D_OK;
    }

private:
    ~Direct3D() override = default;
    ULONG references = 1;
};

} // namespace

} // namespace platform::d3d9

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    return new platform::d3d9::Direct3D();
}
