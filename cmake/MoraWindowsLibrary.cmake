# opengl32.dll: every subsystem linked in, the entry-point folders whole, DllMain from
# src/api/win32, and the exports from the module definition generated from the export list
# (src/api/mora.def: every entry under its plain name and its stdcall-decorated alias). 64-bit
# Windows has no stdcall decoration, so the x86-64 DLL exports the plain names only.
file(GLOB _mora_dll_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/api/win32/*.cpp)
# The checked-in definition names the module "mora"; the DLL's own name goes in its place.
file(READ ${CMAKE_SOURCE_DIR}/src/api/mora.def _def_text)
string(REPLACE "LIBRARY mora\n" "LIBRARY opengl32\n" _def_text "${_def_text}")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  string(REGEX REPLACE "\n    _[^\n]*" "" _def_text "${_def_text}")
endif()
set(_mora_def ${CMAKE_BINARY_DIR}/opengl32.def)
file(CONFIGURE OUTPUT ${_mora_def} CONTENT "${_def_text}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/api/mora.def)
add_library(opengl32 SHARED ${_mora_dll_sources} ${_mora_def})
set_target_properties(opengl32 PROPERTIES PREFIX "" OUTPUT_NAME opengl32 LINK_DEPENDS ${_mora_def})
add_dependencies(opengl32 mora_api mora_wgl)
target_include_directories(opengl32 PUBLIC ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(opengl32 PRIVATE
  -Wl,--whole-archive $<TARGET_FILE:mora_api> $<TARGET_FILE:mora_wgl> -Wl,--no-whole-archive
  mora_core gdi32 user32 advapi32 synchronization)
target_link_options(opengl32 PRIVATE -Wl,--enable-stdcall-fixup -Wl,--no-undefined)

# The Wine test programs (tests/win32), built against MinGW's import library of the system
# opengl32 as a game is.
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/win32/CMakeLists.txt)
  add_subdirectory(tests/win32)
endif()
# The per-call cost benchmark through the DLL.
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/win32/CMakeLists.txt)
  add_subdirectory(bench/win32)
endif()
