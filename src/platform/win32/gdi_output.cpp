#include "platform/gdi_output.h"

#include <windows.h>

#include <new>

namespace mora::platform {

struct GdiOutput {
    HWND window = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint8_t* pixels = nullptr;
};

namespace {

bool Fail(GdiFailure* failure, const char* step) {
    if (failure != nullptr) *failure = GdiFailure{step, static_cast<std::uint32_t>(GetLastError())};
    return false;
}

BITMAPINFOHEADER HeaderFor(std::int32_t width, std::int32_t height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;  // top-down rows
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
}

}  // namespace

GdiOutput* OpenGdiOutput(void* hwnd, std::int32_t width, std::int32_t height, GdiFailure* failure) {
    if (hwnd == nullptr || !IsWindow(static_cast<HWND>(hwnd))) {
        Fail(failure, "IsWindow");
        return nullptr;
    }
    auto* output = new (std::nothrow) GdiOutput;
    if (output == nullptr) {
        if (failure != nullptr) *failure = GdiFailure{"new GdiOutput", ERROR_OUTOFMEMORY};
        return nullptr;
    }
    output->window = static_cast<HWND>(hwnd);
    if (!ResizeGdiOutput(output, width, height, failure)) {
        CloseGdiOutput(output);
        return nullptr;
    }
    return output;
}

bool ResizeGdiOutput(GdiOutput* output, std::int32_t width, std::int32_t height, GdiFailure* failure) {
    if (output == nullptr) return false;
    delete[] output->pixels;
    output->pixels = nullptr;
    output->width = output->height = 0;
    if (width < 1 || height < 1) return Fail(failure, "GdiOutput size");
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u;
    output->pixels = new (std::nothrow) std::uint8_t[bytes];
    if (output->pixels == nullptr) {
        if (failure != nullptr) *failure = GdiFailure{"new GdiOutput image", ERROR_OUTOFMEMORY};
        return false;
    }
    output->width = width;
    output->height = height;
    return true;
}

std::uint8_t* GdiOutputPixels(GdiOutput* output, std::uint32_t* rowPitch) {
    if (output == nullptr || output->pixels == nullptr) return nullptr;
    if (rowPitch != nullptr) *rowPitch = static_cast<std::uint32_t>(output->width) * 4u;
    return output->pixels;
}

void GdiOutputSize(const GdiOutput* output, std::int32_t* width, std::int32_t* height) {
    *width = output != nullptr ? output->width : 0;
    *height = output != nullptr ? output->height : 0;
}

bool ShowGdiOutput(GdiOutput* output, GdiFailure* failure) {
    if (output == nullptr || output->pixels == nullptr) return Fail(failure, "GdiOutput image");
    HDC dc = GetDC(output->window);
    if (dc == nullptr) return Fail(failure, "GetDC");
    BITMAPINFO info{};
    info.bmiHeader = HeaderFor(output->width, output->height);
    const int rows =
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(output->width), static_cast<DWORD>(output->height), 0, 0, 0,
                          static_cast<UINT>(output->height), output->pixels, &info, DIB_RGB_COLORS);
    GdiFlush();
    ReleaseDC(output->window, dc);
    return rows == output->height || Fail(failure, "SetDIBitsToDevice");
}

void CloseGdiOutput(GdiOutput* output) {
    if (output == nullptr) return;
    delete[] output->pixels;
    delete output;
}

}  // namespace mora::platform
