# libmora.so: every subsystem linked in, the entry-point folders whole, and only
# the GL and WGL entry points named by the export list exported
# (src/api/exports.map is generated from that list).
# src/api/shared holds the load/unload hooks that only the shared library carries.
file(GLOB _mora_shared_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/api/shared/*.cpp)
add_library(mora SHARED ${CMAKE_SOURCE_DIR}/cmake/empty.cpp ${_mora_shared_sources})
add_dependencies(mora mora_api mora_wgl)
# Programs that link the driver call it through include/mora/gl.h and include/mora/wgl.h.
target_include_directories(mora PUBLIC ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(mora PRIVATE
  -Wl,--whole-archive $<TARGET_FILE:mora_api> $<TARGET_FILE:mora_wgl> -Wl,--no-whole-archive
  mora_core)
set(_mora_map ${CMAKE_SOURCE_DIR}/src/api/exports.map)
if(EXISTS ${_mora_map})
  target_link_options(mora PRIVATE -Wl,--version-script=${_mora_map} -Wl,--no-undefined)
  set_target_properties(mora PROPERTIES LINK_DEPENDS ${_mora_map})
endif()
