# mora_subsystem(name DEPS ...): builds src/<name> into the static library
# mora_<name>. A folder with its own CMakeLists.txt (the raster kernels, which
# need per-instruction-set flags) adds its sources itself to the target that
# this function creates.
function(mora_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/*.cpp)
  add_library(mora_${name} STATIC ${_sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_link_libraries(mora_${name} PUBLIC mora_options Threads::Threads ${ARG_DEPS})
  if(EXISTS ${CMAKE_SOURCE_DIR}/src/${name}/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/src/${name} ${CMAKE_BINARY_DIR}/src/${name})
  endif()
endfunction()

# mora_subsystem_tests(name): tests/<name>/*.cpp become the test program
# mora_<name>_tests, registered with CTest.
function(mora_subsystem_tests name)
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${name}/*.cpp)
  if(NOT _tests)
    return()
  endif()
  add_executable(mora_${name}_tests ${_tests})
  target_link_libraries(mora_${name}_tests PRIVATE mora_${name} mora_core GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(mora_${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(mora_${name}_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${name} ENVIRONMENT "MORA_TEST_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
