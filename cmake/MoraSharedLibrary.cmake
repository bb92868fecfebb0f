# libmora.so: every subsystem linked in, the entry-point folders whole, and only
# the GL and WGL entry points named by the export list exported
# (src/api/exports.map is generated from that list).
add_library(mora SHARED ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
add_dependencies(mora mora_api mora_wgl)
target_link_libraries(mora PRIVATE
  -Wl,--whole-archive $<TARGET_FILE:mora_api> $<TARGET_FILE:mora_wgl> -Wl,--no-whole-archive
  mora_core)
set(_mora_map ${CMAKE_SOURCE_DIR}/src/api/exports.map)
if(EXISTS ${_mora_map})
  target_link_options(mora PRIVATE -Wl,--version-script=${_mora_map} -Wl,--no-undefined)
  set_target_properties(mora PROPERTIES LINK_DEPENDS ${_mora_map})
endif()
