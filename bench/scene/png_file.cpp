#include "png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace mora::scene {

namespace {

// Everything libpng needs freed, released on every path (libpng reports errors by longjmp back
// into WritePng, so no C++ object with a destructor may live between setjmp and the writes).
struct PngWriter {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() {
        if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        if (file != nullptr) std::fclose(file);
    }
};

bool WriteRows(PngWriter& writer, png_bytep* rows, int width, int height) {
    if (setjmp(png_jmpbuf(writer.png)) != 0) return false;
    png_init_io(writer.png, writer.file);
    png_set_IHDR(writer.png, writer.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png, writer.info);
    png_write_image(writer.png, rows);
    png_write_end(writer.png, nullptr);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height, std::string* error) {
    const auto fail = [&](const char* what) {
        if (error != nullptr) *error = std::string(what) + ": " + path;
        return false;
    };
    if (width < 1 || height < 1 || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return fail("image size does not match its pixels");
    }
    std::vector<png_byte> rgb(pixels.size() * 3u);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgb[3 * i + 0] = static_cast<png_byte>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(pixels[i]);
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3u;

    PngWriter writer;
    writer.file = std::fopen(path.c_str(), "wb");
    if (writer.file == nullptr) return fail("cannot open");
    writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (writer.png != nullptr) writer.info = png_create_info_struct(writer.png);
    if (writer.info == nullptr) return fail("libpng cannot start");
    if (!WriteRows(writer, rows.data(), width, height)) return fail("libpng failed writing");
    std::FILE* file = writer.file;
    writer.file = nullptr;
    if (std::fclose(file) != 0) return fail("cannot finish");
    return true;
}

}  // namespace mora::scene
