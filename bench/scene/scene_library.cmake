# mora_scene: the synthetic first-person scene, its renderer backends (MORA and OSMesa, both
# loaded at run time), image comparison and PNG output. Shared by mora-scenebench (bench/scene)
# and the comparison tests (tests/compare), whichever is configured first defines it.
include_guard(GLOBAL)

include(${CMAKE_SOURCE_DIR}/tools/png/png.cmake)
set(_scene_dir ${CMAKE_SOURCE_DIR}/bench/scene)
add_library(mora_scene STATIC
  ${_scene_dir}/bench_options.cpp
  ${_scene_dir}/call_summary.cpp
  ${_scene_dir}/frame_timing.cpp
  ${_scene_dir}/image_compare.cpp
  ${_scene_dir}/renderer.cpp
  ${_scene_dir}/renderer_environment.cpp
  ${_scene_dir}/scene.cpp
  ${_scene_dir}/scene_effects.cpp
  ${_scene_dir}/scene_gl.cpp
  ${_scene_dir}/scene_models.cpp
  ${_scene_dir}/scene_textures.cpp
  ${_scene_dir}/scene_world.cpp
  ${_scene_dir}/shared_library.cpp)
target_include_directories(mora_scene PUBLIC ${_scene_dir})
# The driver is reached only through dlopen; mora_platform supplies environment and file helpers.
target_link_libraries(mora_scene PUBLIC mora_platform mora_png ${CMAKE_DL_LIBS})
add_dependencies(mora_scene mora)

# OSMesa is optional: without it the tools run MORA alone and the comparison tests skip.
find_library(MORA_OSMESA_LIBRARY NAMES OSMesa)
find_path(MORA_OSMESA_INCLUDE_DIR GL/osmesa.h)
if(MORA_OSMESA_LIBRARY AND MORA_OSMESA_INCLUDE_DIR)
  message(STATUS "OSMesa found: ${MORA_OSMESA_LIBRARY} (scene comparisons enabled)")
  set(_scene_osmesa ${MORA_OSMESA_LIBRARY})
else()
  message(STATUS "OSMesa development files not found: scene comparisons will skip")
  set(_scene_osmesa "")
endif()
target_compile_definitions(mora_scene PUBLIC
  MORA_SCENE_MORA_LIBRARY="$<TARGET_FILE:mora>"
  MORA_SCENE_OSMESA_LIBRARY="${_scene_osmesa}")
