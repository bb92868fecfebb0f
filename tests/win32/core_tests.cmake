# The core's unit tests (the GoogleTest suites of the subsystems below the entry fronts) built into
# one Windows program, mora_core_tests.exe, that tools/wine-test.sh runs under Wine. 32-bit only:
# that is where Windows arithmetic differs most from the Linux build (SSE on a 32-bit target,
# stdcall, 4-byte stack alignment). GoogleTest comes from Debian's source package; without it the
# program is not built.
set(MORA_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows test program")
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4 OR NOT EXISTS ${MORA_GTEST_SOURCE_DIR}/CMakeLists.txt)
  return()
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)  # no test here uses GoogleMock
add_subdirectory(${MORA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(_core_suites platform panel diag gl rjq raster render geometry present capture frame wgl api)
set(_core_tests)
foreach(suite ${_core_suites})
  file(GLOB _suite_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${suite}/*.cpp)
  list(APPEND _core_tests ${_suite_tests})
endforeach()
# Left out, each for its reason:
#  - x11_*: the X11 window output and keyboard (Linux only).
#  - platform/crash_signals, frame/crash_report: death tests of POSIX signals; on Windows the
#    vectored exception handler is tested by mora_process_end.exe.
#  - platform/environment_file: FIFOs and POSIX path names.
#  - platform/topology, present/cpu_usage_sampler: the parsers of Linux's sysfs CPU lists and
#    /proc/stat, which the Windows build does not have (it asks the system directly).
#  - frame/diagnostics_poll: its hotkey case presses keys in an X11 window; on Windows the hotkey is
#    tested through the driver by mora_settings_keys.exe.
#  - panel/driver_settings: the settings file of the other platforms; Windows keeps the settings
#    in the registry, tested by registry_settings_test.cpp here.
#  - *steady*allocation / steady_frame_alloc: they replace the global operator new with one built
#    on std::aligned_alloc, which MinGW's C runtime does not have; allocation counts do not depend
#    on the platform and are checked on Linux.
#  - api/export_list: reads the export list from the source tree; the DLL's export table is
#    checked against it by mora_export_table.exe.
list(FILTER _core_tests EXCLUDE REGEX
  "/(x11_[^/]*|crash_signals_test|crash_report_test|environment_file_test|topology_test|cpu_usage_sampler_test|diagnostics_poll_test|driver_settings_test|steady_[^/]*|export_list_test)\\.cpp$")
# Single cases left out are named, with their reasons, in core_tests_main.cpp.
list(APPEND _core_tests ${CMAKE_CURRENT_SOURCE_DIR}/registry_settings_test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/core_tests_main.cpp)
add_executable(mora_core_tests ${_core_tests})
target_include_directories(mora_core_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(mora_core_tests PRIVATE mora_core gtest)
set_target_properties(mora_core_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
