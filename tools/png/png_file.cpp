#include "png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace mora::png {

namespace {

// State libpng's longjmp may skip over lives outside the setjmp frame (in this record), so that
// nothing with a destructor is abandoned by the jump.
struct PngWrite {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> row;
};

// Returns false when libpng reported an error (by longjmp back here).
bool WriteRows(PngWrite& write, int width, int height, const uint8_t* bgra) {
    if (setjmp(png_jmpbuf(write.png)) != 0) return false;
    png_init_io(write.png, write.file);
    png_set_IHDR(write.png, write.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(write.png, write.info);
    const std::size_t rowPixels = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = bgra + rowPixels * 4 * static_cast<std::size_t>(y);
        for (std::size_t x = 0; x < rowPixels; ++x) {
            write.row[3 * x] = source[4 * x + 2];
            write.row[3 * x + 1] = source[4 * x + 1];
            write.row[3 * x + 2] = source[4 * x];
        }
        png_write_row(write.png, write.row.data());
    }
    png_write_end(write.png, nullptr);
    return true;
}

bool Fail(std::string* error, const std::string& message) {
    if (error != nullptr) *error = message;
    return false;
}

}  // namespace

bool WriteBgraPng(const std::string& path, int width, int height, std::span<const uint8_t> bgra, std::string* error) {
    if (width < 1 || height < 1 || bgra.size() != static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u)
        return Fail(error, "image size does not match its pixels: " + path);
    PngWrite write;
    write.row.resize(static_cast<std::size_t>(width) * 3);
    write.file = std::fopen(path.c_str(), "wb");
    if (write.file == nullptr) return Fail(error, "cannot create " + path);
    write.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (write.png != nullptr) write.info = png_create_info_struct(write.png);
    const bool written = write.info != nullptr && WriteRows(write, width, height, bgra.data());
    png_destroy_write_struct(write.png != nullptr ? &write.png : nullptr,
                             write.info != nullptr ? &write.info : nullptr);
    const bool closed = std::fclose(write.file) == 0;
    if (!written || !closed) return Fail(error, "writing " + path + " failed");
    return true;
}

}  // namespace mora::png
