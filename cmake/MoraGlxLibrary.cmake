# libGL.so.1: the driver under the name Linux programs load OpenGL by, with the GLX entries on
# top of the GL and WGL ones. libGLX.so.0 and libOpenGL.so.0 (the names of the vendor-neutral
# split) are links to the same file, so a program that loads several of them gets one library.
# It lives in <build>/lib and installs into <libdir>/mora, never beside the system's libGL:
# tools/mora-run puts it first on a program's library path.
include(GNUInstallDirs)
set(_mora_gl_map ${CMAKE_BINARY_DIR}/glx_exports.map)
file(READ ${CMAKE_SOURCE_DIR}/src/api/exports.map _mora_gl_exports)
string(REPLACE "global:" "global:\n    glX*;" _mora_gl_exports "${_mora_gl_exports}")
file(CONFIGURE OUTPUT ${_mora_gl_map} CONTENT "${_mora_gl_exports}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/api/exports.map)

add_library(mora_libgl SHARED ${CMAKE_SOURCE_DIR}/cmake/empty.cpp ${_mora_shared_sources})
add_dependencies(mora_libgl mora_api mora_wgl mora_glx)
set_target_properties(mora_libgl PROPERTIES OUTPUT_NAME GL SOVERSION 1
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib LINK_DEPENDS ${_mora_gl_map})
target_link_libraries(mora_libgl PRIVATE
  -Wl,--whole-archive $<TARGET_FILE:mora_glx> $<TARGET_FILE:mora_api> $<TARGET_FILE:mora_wgl> -Wl,--no-whole-archive
  mora_glx mora_core)
target_link_options(mora_libgl PRIVATE -Wl,--version-script=${_mora_gl_map} -Wl,--no-undefined)
install(TARGETS mora_libgl LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/mora NAMELINK_SKIP)
foreach(_alias libGLX.so.0 libOpenGL.so.0)
  add_custom_command(TARGET mora_libgl POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink libGL.so.1 ${CMAKE_BINARY_DIR}/lib/${_alias})
  install(CODE "execute_process(COMMAND ${CMAKE_COMMAND} -E create_symlink libGL.so.1 \
\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/mora/${_alias})")
endforeach()
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/mora-run DESTINATION ${CMAKE_INSTALL_BINDIR})
