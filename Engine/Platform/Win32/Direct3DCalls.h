// The Direct3D calls that device creation, presentation and recovery make, gathered in one table so
// that a test can stand in for the device. Handles are opaque and results are the HRESULTs as i32,
// so the table carries no system header.
#pragma once
#include "Engine/Common/Types.h"

constexpr i32 d3dOk = 0;
constexpr i32 d3dDeviceLost = (i32)0x88760868;
constexpr i32 d3dDeviceNotReset = (i32)0x88760869;

struct D3dRect {
    i32 left, top, right, bottom;
};
struct D3dLockedRect {
    i32 pitch;
    void* bits;
};

struct Direct3DCalls {
    // The Direct3D object: a device on the window, with the presentation parameters kept for Reset.
    i32 (*createDevice)(void* window, void** device);
    // The device.
    i32 (*testCooperativeLevel)(void* device);
    i32 (*reset)(void* device); // with the kept presentation parameters
    i32 (*setSamplerState)(void* device, u32 sampler, u32 type, u32 value);
    i32 (*setTextureStageState)(void* device, u32 stage, u32 type, u32 value);
    i32 (*setTexture)(void* device, u32 stage, void* texture);
    i32 (*createVertexBuffer)(void* device, u32 length, u32 usage, u32 fvf, u32 pool, void** buffer);
    // D3DXCreateTexture where D3DX 9 is installed, else the device's own CreateTexture.
    i32 (*createTexture)(void* device, u32 width, u32 height, u32 levels, u32 usage, u32 format, u32 pool,
                         void** texture);
    i32 (*clear)(void* device, u32 flags, u32 colour, f32 z, u32 stencil);
    i32 (*beginScene)(void* device);
    i32 (*setFVF)(void* device, u32 fvf);
    i32 (*setStreamSource)(void* device, u32 stream, void* buffer, u32 offset, u32 stride);
    i32 (*drawPrimitive)(void* device, u32 type, u32 start, u32 count);
    i32 (*endScene)(void* device);
    i32 (*present)(void* device);
    // The vertex buffer.
    i32 (*lockVertexBuffer)(void* buffer, u32 offset, u32 size, void** data, u32 flags);
    i32 (*unlockVertexBuffer)(void* buffer);
    // The texture.
    i32 (*lockRect)(void* texture, u32 level, D3dLockedRect* locked, const D3dRect* rect, u32 flags);
    i32 (*unlockRect)(void* texture, u32 level);
    // Any of them.
    u32 (*release)(void* object);
};

// The calls on the real Direct3D 9.
extern const Direct3DCalls systemDirect3DCalls;

// The table in use (systemDirect3DCalls unless a test installed its own).
extern const Direct3DCalls* direct3DCalls;
