// Screenshots for the documentation: with MORA_SCREENSHOT_DIR set, a test program writes an image
// it has read back as a 32-bit BMP there. Nothing is written otherwise.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline void WriteScreenshot(const char* name, const std::uint8_t* pixels, int width, int height, int rowPitch) {
    char folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("MORA_SCREENSHOT_DIR", folder, sizeof(folder));
    if (length == 0 || length >= sizeof(folder)) return;
    std::FILE* file = std::fopen((std::string(folder) + "\\" + name).c_str(), "wb");
    if (file == nullptr) return;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;  // top row first
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(width * height * 4);
    std::fwrite(&fileHeader, sizeof(fileHeader), 1, file);
    std::fwrite(&header, sizeof(header), 1, file);
    for (int y = 0; y < height; ++y) std::fwrite(pixels + static_cast<std::size_t>(y) * rowPitch, 4, width, file);
    std::fclose(file);
}

// The screen's pixels in `rect` (screen coordinates) as a screenshot.
inline void WriteScreenAreaScreenshot(const char* name, const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    WriteScreenshot(name, static_cast<const std::uint8_t*>(bits), width, height, width * 4);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}
