// The Direct3D object and the table of real Direct3D 9 calls. D3DX 9 is loaded at run time: a stock
// Windows does not ship it, and the device's own CreateTexture makes the same texture without it.
#include <cstdio>

#include <d3d9.h>

#include "Engine/Platform/Win32/Direct3DCalls.h"
#include "Engine/Platform/Win32/Win32Internal.h"
#include "Engine/Platform/Win32/Win32Platform.h"

namespace {

IDirect3D9* direct3D;
D3DPRESENT_PARAMETERS presentParameters;

typedef HRESULT(WINAPI* CreateTextureProcedure)(IDirect3DDevice9*, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                                IDirect3DTexture9**);
CreateTextureProcedure d3dxCreateTexture;
bool d3dxLooked;
char textureMaker[32];

// The newest D3DX 9 library that is installed, from d3dx9_43.dll down to d3dx9_24.dll.
void FindD3dx()
{
    d3dxLooked = true;
    for (int version = 43; version >= 24; --version) {
        char name[16];
        snprintf(name, sizeof(name), "d3dx9_%d.dll", version);
        HMODULE library = LoadLibraryA(name);
        if (!library)
            continue;
        d3dxCreateTexture = (CreateTextureProcedure)(void*)GetProcAddress(library, "D3DXCreateTexture");
        if (d3dxCreateTexture) {
            snprintf(textureMaker, sizeof(textureMaker), "%s", name);
            return;
        }
        FreeLibrary(library);
    }
    snprintf(textureMaker, sizeof(textureMaker), "device");
}

IDirect3DDevice9* Device(void* device)
{
    return (IDirect3DDevice9*)device;
}

i32 CreateDevice(void* window, void** device)
{
    presentParameters = D3DPRESENT_PARAMETERS{};
    presentParameters.BackBufferWidth = 0;
    presentParameters.BackBufferHeight = 0;
    presentParameters.BackBufferFormat = D3DFMT_UNKNOWN;
    presentParameters.BackBufferCount = 1;
    presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    presentParameters.MultiSampleQuality = 0;
    presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParameters.hDeviceWindow = (HWND)window;
    presentParameters.Windowed = TRUE;
    presentParameters.EnableAutoDepthStencil = FALSE;
    presentParameters.Flags = 0;
    presentParameters.FullScreen_RefreshRateInHz = 0;
    presentParameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (!direct3D)
        return (i32)D3DERR_INVALIDCALL;
    IDirect3DDevice9* created = nullptr;
    const HRESULT result = direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, (HWND)window,
                                                  D3DCREATE_SOFTWARE_VERTEXPROCESSING, &presentParameters, &created);
    *device = created;
    return (i32)result;
}

i32 TestCooperativeLevel(void* device)
{
    return (i32)Device(device)->TestCooperativeLevel();
}

i32 Reset(void* device)
{
    return (i32)Device(device)->Reset(&presentParameters);
}

i32 SetSamplerState(void* device, u32 sampler, u32 type, u32 value)
{
    return (i32)Device(device)->SetSamplerState(sampler, (D3DSAMPLERSTATETYPE)type, value);
}

i32 SetTextureStageState(void* device, u32 stage, u32 type, u32 value)
{
    return (i32)Device(device)->SetTextureStageState(stage, (D3DTEXTURESTAGESTATETYPE)type, value);
}

i32 SetTexture(void* device, u32 stage, void* texture)
{
    return (i32)Device(device)->SetTexture(stage, (IDirect3DTexture9*)texture);
}

i32 CreateVertexBuffer(void* device, u32 length, u32 usage, u32 fvf, u32 pool, void** buffer)
{
    IDirect3DVertexBuffer9* created = nullptr;
    const HRESULT result = Device(device)->CreateVertexBuffer(length, usage, fvf, (D3DPOOL)pool, &created, nullptr);
    *buffer = created;
    return (i32)result;
}

i32 CreateTexture(void* device, u32 width, u32 height, u32 levels, u32 usage, u32 format, u32 pool, void** texture)
{
    if (!d3dxLooked)
        FindD3dx();
    IDirect3DTexture9* created = nullptr;
    HRESULT result;
    if (d3dxCreateTexture)
        result = d3dxCreateTexture(Device(device), width, height, levels, usage, (D3DFORMAT)format, (D3DPOOL)pool,
                                   &created);
    else
        result = Device(device)->CreateTexture(width, height, levels, usage, (D3DFORMAT)format, (D3DPOOL)pool,
                                               &created, nullptr);
    *texture = created;
    return (i32)result;
}

i32 Clear(void* device, u32 flags, u32 colour, f32 z, u32 stencil)
{
    return (i32)Device(device)->Clear(0, nullptr, flags, colour, z, stencil);
}

i32 BeginScene(void* device)
{
    return (i32)Device(device)->BeginScene();
}

i32 SetFVF(void* device, u32 fvf)
{
    return (i32)Device(device)->SetFVF(fvf);
}

i32 SetStreamSource(void* device, u32 stream, void* buffer, u32 offset, u32 stride)
{
    return (i32)Device(device)->SetStreamSource(stream, (IDirect3DVertexBuffer9*)buffer, offset, stride);
}

i32 DrawPrimitive(void* device, u32 type, u32 start, u32 count)
{
    return (i32)Device(device)->DrawPrimitive((D3DPRIMITIVETYPE)type, start, count);
}

i32 EndScene(void* device)
{
    return (i32)Device(device)->EndScene();
}

i32 Present(void* device)
{
    return (i32)Device(device)->Present(nullptr, nullptr, nullptr, nullptr);
}

i32 LockVertexBuffer(void* buffer, u32 offset, u32 size, void** data, u32 flags)
{
    return (i32)((IDirect3DVertexBuffer9*)buffer)->Lock(offset, size, data, flags);
}

i32 UnlockVertexBuffer(void* buffer)
{
    return (i32)((IDirect3DVertexBuffer9*)buffer)->Unlock();
}

i32 LockRect(void* texture, u32 level, D3dLockedRect* locked, const D3dRect* rect, u32 flags)
{
    const RECT area = {rect->left, rect->top, rect->right, rect->bottom};
    D3DLOCKED_RECT lockedRect = {};
    const HRESULT result = ((IDirect3DTexture9*)texture)->LockRect(level, &lockedRect, &area, flags);
    locked->pitch = lockedRect.Pitch;
    locked->bits = lockedRect.pBits;
    return (i32)result;
}

i32 UnlockRect(void* texture, u32 level)
{
    return (i32)((IDirect3DTexture9*)texture)->UnlockRect(level);
}

u32 Release(void* object)
{
    return ((IUnknown*)object)->Release();
}

} // namespace

const Direct3DCalls systemDirect3DCalls = {
    .createDevice = CreateDevice,
    .testCooperativeLevel = TestCooperativeLevel,
    .reset = Reset,
    .setSamplerState = SetSamplerState,
    .setTextureStageState = SetTextureStageState,
    .setTexture = SetTexture,
    .createVertexBuffer = CreateVertexBuffer,
    .createTexture = CreateTexture,
    .clear = Clear,
    .beginScene = BeginScene,
    .setFVF = SetFVF,
    .setStreamSource = SetStreamSource,
    .drawPrimitive = DrawPrimitive,
    .endScene = EndScene,
    .present = Present,
    .lockVertexBuffer = LockVertexBuffer,
    .unlockVertexBuffer = UnlockVertexBuffer,
    .lockRect = LockRect,
    .unlockRect = UnlockRect,
    .release = Release,
};

const Direct3DCalls* direct3DCalls = &systemDirect3DCalls;

const char* TextureMaker()
{
    return textureMaker;
}

bool CreateDirect3D()
{
    direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!direct3D) {
        MessageBoxA(nullptr, "Could not initialize Direct3D", "Fatal Error!", MB_ICONERROR);
        return false;
    }
    return true;
}

void ReleaseDirect3D()
{
    if (direct3D) {
        direct3D->Release();
        direct3D = nullptr;
    }
}
