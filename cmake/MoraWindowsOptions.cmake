# Windows builds (MinGW-w64): flags every target of the DLL shares.
#  - _GDI32_ before <windows.h>: wingdi.h then declares the wgl* functions without dllimport, so
#    the driver's own definitions of them are not taken for imports.
#  - Scalar floating point in SSE registers with the contraction rule of the Linux build (ISO C++
#    mode, no fused multiply-add unless written): the 32-bit default, x87 arithmetic with extended
#    precision, would round transform, clipping and set-up results differently and so change pixels.
#  - 32-bit: callers (1990s games among them) may enter with a stack aligned to 4 bytes only, so
#    every function that needs a 16-byte aligned slot realigns its own frame.
#  - -static: the DLL imports nothing but system DLLs (no libwinpthread-1.dll, libstdc++ or libgcc).
target_compile_definitions(mora_options INTERFACE _GDI32_ WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
target_compile_options(mora_options INTERFACE -ffp-contract=off)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_compile_options(mora_options INTERFACE -msse2 -mfpmath=sse -mincoming-stack-boundary=2)
endif()
target_link_options(mora_options INTERFACE -static)
