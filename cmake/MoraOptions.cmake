# Compiler warnings and sanitizers shared by every target of the project.
add_library(mora_options INTERFACE)
target_compile_options(mora_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
if(MORA_WERROR)
  target_compile_options(mora_options INTERFACE -Werror)
endif()
target_include_directories(mora_options INTERFACE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/include)
if(MORA_SANITIZE)
  string(REPLACE ";" "," _mora_san "${MORA_SANITIZE}")
  target_compile_options(mora_options INTERFACE -fsanitize=${_mora_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(mora_options INTERFACE -fsanitize=${_mora_san})
  # GCC 12 reports false maybe-uninitialized warnings inside libstdc++ (std::regex) once the
  # sanitizers instrument it; the optimised build without sanitizers keeps the warning.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(mora_options INTERFACE -Wno-maybe-uninitialized)
  endif()
endif()
