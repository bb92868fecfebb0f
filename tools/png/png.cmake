# mora_png: the PNG writer of the tools, benchmarks and comparison tests (libpng). Included by each
# folder that needs it; whichever is configured first defines it.
include_guard(GLOBAL)
find_package(PkgConfig REQUIRED)
pkg_check_modules(MORA_LIBPNG REQUIRED IMPORTED_TARGET libpng)
add_library(mora_png STATIC ${CMAKE_SOURCE_DIR}/tools/png/png_file.cpp)
target_include_directories(mora_png PUBLIC ${CMAKE_SOURCE_DIR}/tools/png)
target_link_libraries(mora_png PRIVATE PkgConfig::MORA_LIBPNG mora_options)
