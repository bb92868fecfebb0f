// The Windows window targets: Direct3D 11 (WindowPresentTarget), and GDI, its fallback where no
// Direct3D device, swap chain or shader compiler can be had.
#pragma once

#include <cstdint>

#include "present/dxgi_present.h"
#include "present/present_target.h"

namespace mora {

const PresentTarget& D3d11PresentTarget();
const PresentTarget& GdiPresentTarget();

// Test hook: from the next present on, the back buffer is copied into `pixels` (swap size, B, G,
// R, A, top row first) just before it is presented. False when `present` does not show through
// Direct3D.
bool CaptureD3d11Frames(DxgiPresent& present, uint8_t* pixels, uint32_t rowPitch);

// The font family of the overlay text ("" before the first overlay frame or without Direct3D).
const char* D3d11OverlayFontFamily(const DxgiPresent& present);

}  // namespace mora
