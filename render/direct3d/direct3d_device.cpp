// The Direct3D device's creation and frame: the device on the main window with the present
// parameters of the settings, its fixed states, the 2D and 3D transforms and the camera's view.
#include "render/direct3d/direct3d_device.h"

#include <cstdlib>

#include "core/main_window.h"
#include "core/system.h"
#include "platform/message_box.h"
#include "render/camera.h"
#include "render/direct3d/d3dx_texture_file.h"

namespace Tamrik {

namespace {

constexpr float PI = 3.14159265358979323846f;

// An OK box without owner or caption, which the system titles "Error".
void ShowFailure(const char* text) { platform::ShowMessageBox("Error", text, platform::MessageIcon::Information); }

template <class T>
void Release(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

} // namespace

CDirect3DRenderDevice::CDirect3DRenderDevice(CSystem* system) : CRenderDevice(system) {}

void CDirect3DRenderDevice::WindowSize(uint32_t* width, uint32_t* height) const
{
    *width = mainWindow && mainWindow->width > 0 ? static_cast<uint32_t>(mainWindow->width) : 0;
    *height = mainWindow && mainWindow->height > 0 ? static_cast<uint32_t>(mainWindow->height) : 0;
}

D3DPRESENT_PARAMETERS CDirect3DRenderDevice::PresentParameters(IniMap& settings, HWND window, uint32_t width,
                                                               uint32_t height)
{
    IniSection& display = settings["Display"];
    const bool windowed = display["Fullscreen"] != "true";
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.MultiSampleQuality = 0;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = windowed ? TRUE : FALSE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.Flags = 0;
    parameters.FullScreen_RefreshRateInHz =
        windowed ? 0 : static_cast<UINT>(std::atoi(display["RefreshRate"].c_str()));
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return parameters;
}

bool CDirect3DRenderDevice::Create(CMainWindow* window)
{
    mainWindow = window;
    HWND hwnd = window && window->GetHandle() ? *window->GetHandle() : nullptr;

    IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!direct3D) {
        ShowFailure("Direct3DCreate9() - FAILED");
        return false;
    }
    D3DCAPS9 caps = {};
    direct3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
    const DWORD behaviour = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                                                            : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    uint32_t width, height;
    WindowSize(&width, &height);
    IniMap empty;
    D3DPRESENT_PARAMETERS parameters =
        PresentParameters(system && system->settings ? *system->settings : empty, hwnd, width, height);
    if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd, behaviour, &parameters, &device))) {
        parameters.AutoDepthStencilFormat = D3DFMT_D16;
        if (FAILED(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd, behaviour, &parameters, &device))) {
            direct3D->Release();
            device = nullptr;
            ShowFailure("CreateDevice() - FAILED");
            return false;
        }
    }
    direct3D->Release();

    IDirect3DTexture9* logo = nullptr;
    D3DXCreateTextureFromFileA(device, "textures/logo_pellum.tga", &logo);
    splash.handle = HandleOf(logo);
    splash.width = 1024;
    splash.height = 512;

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);

    device->CreateVertexBuffer(4 * sizeof(QuadVertex), D3DUSAGE_WRITEONLY, QUAD_FVF, D3DPOOL_DEFAULT, &quadBuffer,
                               nullptr);
    return true;
}

bool CDirect3DRenderDevice::Destroy()
{
    // Every texture holds the device; those nobody else releases go with it.
    IDirect3DTexture9* logo = TextureOf(splash.handle);
    Release(logo);
    splash.handle = 0;
    for (auto& [id, entry] : guiTextures) {
        if (!entry.texture)
            continue;
        IDirect3DTexture9* texture = TextureOf(entry.texture->handle);
        Release(texture);
        entry.texture->handle = 0;
    }
    Release(quadBuffer);
    Release(device);
    return true;
}

void CDirect3DRenderDevice::Set2DMode()
{
    if (!device)
        return;
    uint32_t width, height;
    WindowSize(&width, &height);
    D3DXMATRIX projection, identity;
    // A window without area keeps a unit box rather than dividing by zero.
    D3DXMatrixOrthoLH(&projection, static_cast<float>(width ? width : 1), static_cast<float>(height ? height : 1),
                      0.0f, 1.0f);
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
}

void CDirect3DRenderDevice::Set3DMode()
{
    if (!device)
        return;
    uint32_t width, height;
    WindowSize(&width, &height);
    const float aspect = width && height ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
    D3DXMATRIX projection, identity;
    D3DXMatrixPerspectiveFovLH(&projection, PI / 4.0f, aspect, 1.0f, 10000.0f);
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
}

// No shader path on this device.
void CDirect3DRenderDevice::LoadShaders() {}
void CDirect3DRenderDevice::SetLights(Light*, int32_t) {}

void CDirect3DRenderDevice::BeginFrame()
{
    if (!device)
        return;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(0, 0, 0, 0), 1.0f, 0);
    device->BeginScene();
}

void CDirect3DRenderDevice::EndFrame()
{
    if (!device)
        return;
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

void CDirect3DRenderDevice::UpdateCamera()
{
    CRenderDevice::UpdateCamera();
    if (!device || !camera)
        return;
    // Level (x, y, z) goes to Direct3D as (x, z, y): level z, which is up, becomes y.
    const float* p = camera->position;
    const float* t = camera->lookAt;
    const float* u = camera->up;
    const D3DXVECTOR3 eye = {p[0], p[2], p[1]};
    const D3DXVECTOR3 at = {t[0], t[2], t[1]};
    const D3DXVECTOR3 up = {u[0], u[2], u[1]};
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    device->SetTransform(D3DTS_VIEW, &view);
}

} // namespace Tamrik
