// Window output through Direct3D 11 on Windows: a flip-model swap chain on the window, two
// CPU-writable staging textures the renderer draws into, and one full-screen draw per frame that
// copies the finished staging texture to the GPU and runs the post-process pixel shader onto the
// back buffer, with the FPS text drawn over it by Direct2D/DirectWrite before Present.
// d3d11, dxgi, d3dcompiler_47, d2d1 and dwrite are loaded when the output opens, so the driver
// imports none of them and still loads where they are missing.
#pragma once

#include <cstdint>

namespace mora::platform {

struct D3d11Failure {
    const char* step = "";
    std::uint32_t code = 0;  // HRESULT
};

// Receives a failed step that did not end the operation (the hardware device before WARP, an
// overlay object that is retried on the next frame).
using D3d11Report = void (*)(const D3d11Failure& failure);

struct D3d11Output;  // opaque: device, swap chain, staging ring, pipeline objects, overlay

// The post-process constant buffer: gamma, hue (radians), saturation, brightness, video range and
// three zero floats.
inline constexpr int kD3d11ConstantBytes = 32;

// Builds the device (hardware, then WARP), the swap chain on `hwnd` at width x height, and the
// pipeline objects with `constants` as the buffer's first contents. Null on failure, with the
// step that failed and everything released; `report` (may be null) hears non-fatal failures.
D3d11Output* OpenD3d11Output(void* hwnd, std::int32_t width, std::int32_t height, const void* constants,
                             D3d11Report report, D3d11Failure* failure);

// (Re)creates the staging ring and the redirection texture for a width x height rendered image;
// nothing happens when the size is unchanged. False with the step on failure.
bool SizeD3d11Staging(D3d11Output* output, std::int32_t width, std::int32_t height, D3d11Failure* failure);

// Resizes the swap chain's buffers (the back-buffer objects are rebuilt). False with the step.
bool ResizeD3d11Output(D3d11Output* output, std::int32_t width, std::int32_t height, D3d11Failure* failure);

// Maps staging texture `index` (0 or 1) for reading and writing: its memory and row pitch. A
// mapped texture is not mapped twice: the same memory comes back until the present unmaps it.
bool MapD3d11Staging(D3d11Output* output, int index, std::uint8_t** data, std::uint32_t* rowPitch,
                     D3d11Failure* failure);

// Unmaps staging `index`, copies it to the GPU, draws it through the post-process shader with
// `constants`, draws `overlayText` (null or "" for none; lines split at '\n') and presents
// (sync interval 0, tearing where supported). False with the failing step ("Present" and its
// HRESULT for a failed present).
bool PresentD3d11Staging(D3d11Output* output, int index, const void* constants, const char* overlayText,
                         D3d11Failure* failure);

// Test hook: while set, every present first copies the back buffer (swap size, B, G, R, A, top
// row first, `rowPitch` bytes a row) into `pixels`, so the frame the shaders produced can be read
// where the window's content cannot. Null stops it.
void CaptureD3d11BackBuffer(D3d11Output* output, std::uint8_t* pixels, std::uint32_t rowPitch);

// The font family the overlay text uses ("" before the first overlay frame).
const char* D3d11OverlayFamily(const D3d11Output* output);

void CloseD3d11Output(D3d11Output* output);

}  // namespace mora::platform
