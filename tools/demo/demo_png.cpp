#include "demo_png.h"

#include <png.h>

#include <cstdio>

namespace demo {

bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb) {
    if (width < 1 || height < 1 || argb.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "mora-demo: cannot create %s\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    bool ok = png != nullptr && info != nullptr;
    if (ok && setjmp(png_jmpbuf(png)) != 0) ok = false;  // libpng reports errors by longjmp
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            const uint32_t* source = argb.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
            for (int x = 0; x < width; ++x) {
                row[3 * static_cast<size_t>(x)] = static_cast<png_byte>(source[x] >> 16);
                row[3 * static_cast<size_t>(x) + 1] = static_cast<png_byte>(source[x] >> 8);
                row[3 * static_cast<size_t>(x) + 2] = static_cast<png_byte>(source[x]);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(png != nullptr ? &png : nullptr, info != nullptr ? &info : nullptr);
    const bool closed = std::fclose(file) == 0;
    if (!ok || !closed) std::fprintf(stderr, "mora-demo: writing %s failed\n", path.c_str());
    return ok && closed;
}

}  // namespace demo
