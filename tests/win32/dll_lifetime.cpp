// The DLL loaded and freed by hand, three times over, with a context still alive at each
// FreeLibrary: every cycle draws a frame and reads a pixel back, with every call made through the
// pointers GetProcAddress returns. Each call enters with the stack pointer
// deliberately off 16-byte alignment (4, 8 and 12 bytes), as 1990s game code calls; an entry
// that assumed more would fault on an aligned SSE spill. Exit status 0 when every cycle works and
// each FreeLibrary unloads the DLL without hanging.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "win32_test.h"

namespace {

// Calls the stdcall function `function` with `count` 4-byte arguments so that the stack pointer
// at the call is `misalign` bytes off 16-byte alignment (0 keeps it aligned). 32-bit only: the
// 64-bit ABI keeps alignment in the caller and has no stdcall.
extern "C" std::uint32_t MoraCallMisaligned(const void* function, std::uint32_t count, const std::uint32_t* args,
                                            std::uint32_t misalign);
asm(R"(
    .text
    .globl _MoraCallMisaligned
_MoraCallMisaligned:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    movl 12(%ebp), %ecx
    movl 16(%ebp), %esi
    leal (,%ecx,4), %edi
    subl %edi, %esp
    andl $-16, %esp
    addl %edi, %esp
    subl 20(%ebp), %esp
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  call *8(%ebp)
    leal -8(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebp
    ret
)");

int gMisalign = 0;  // bytes off alignment of the last call

std::uint32_t Call(HMODULE gl, const char* name, std::initializer_list<std::uint32_t> args) {
    const void* function = reinterpret_cast<const void*>(GetProcAddress(gl, name));
    if (function == nullptr) return 0;  // an entry missing: the frame's checks fail
    std::uint32_t values[8] = {};
    std::uint32_t count = 0;
    for (std::uint32_t a : args) values[count++] = a;
    gMisalign = gMisalign == 12 ? 4 : gMisalign + 4;  // 4, 8, 12, 4, ...
    return MoraCallMisaligned(function, count, values, static_cast<std::uint32_t>(gMisalign));
}

std::uint32_t Float(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

std::uint32_t Pointer(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }

struct Frame {
    HMODULE gl;
    HWND window;
    bool ok;
};

// One frame on a thread of its own, the way a game's render thread uses the driver.
DWORD WINAPI DrawFrame(void* raw) {
    Frame& frame = *static_cast<Frame*>(raw);
    HMODULE gl = frame.gl;
    HDC dc = GetDC(frame.window);
    const PIXELFORMATDESCRIPTOR pfd = GamePixelFormat(0);
    const int format = static_cast<int>(Call(gl, "wglChoosePixelFormat", {Pointer(dc), Pointer(&pfd)}));
    Call(gl, "wglSetPixelFormat", {Pointer(dc), static_cast<std::uint32_t>(format), Pointer(&pfd)});
    const std::uint32_t context = Call(gl, "wglCreateContext", {Pointer(dc)});
    bool ok = context != 0 && Call(gl, "wglMakeCurrent", {Pointer(dc), context}) != 0;
    unsigned char pixel[4] = {};
    if (ok) {
        Call(gl, "glViewport", {0, 0, 64, 64});
        Call(gl, "glClear", {0x4000});
        Call(gl, "glMatrixMode", {0x1701});
        Call(gl, "glLoadIdentity", {});
        Call(gl, "glMatrixMode", {0x1700});
        Call(gl, "glLoadIdentity", {});
        Call(gl, "glBegin", {0x0004});  // a triangle over the centre, red
        Call(gl, "glColor3f", {Float(1.0f), Float(0.0f), Float(0.0f)});
        Call(gl, "glVertex3f", {Float(-1.0f), Float(-1.0f), Float(0.0f)});
        Call(gl, "glVertex3f", {Float(3.0f), Float(-1.0f), Float(0.0f)});
        Call(gl, "glVertex3f", {Float(-1.0f), Float(3.0f), Float(0.0f)});
        Call(gl, "glEnd", {});
        Call(gl, "glReadPixels", {32, 32, 1, 1, 0x1908, 0x1401, Pointer(pixel)});
        ok = Call(gl, "wglSwapBuffers", {Pointer(dc)}) != 0;
        ok = ok && pixel[0] == 255 && pixel[1] == 0 && pixel[2] == 0;
    }
    ReleaseDC(frame.window, dc);
    frame.ok = ok;
    return 0;
}

// The thread that made the calls has ended when FreeLibrary runs (a live thread that called the
// driver holds a reference to it: the runtime's thread-exit destructors live in the DLL). The
// context stays alive: unloading must stop and join the driver's own threads regardless.
void Cycle(HWND window) {
    Frame frame{LoadLibraryA("opengl32.dll"), window, false};
    HANDLE thread = frame.gl != nullptr ? CreateThread(nullptr, 0, DrawFrame, &frame, 0, nullptr) : nullptr;
    if (thread != nullptr) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        FreeLibrary(frame.gl);
    }
    Check(frame.ok, "a red frame drawn and read back through the loaded DLL");
    Check(GetModuleHandleA("opengl32.dll") == nullptr, "FreeLibrary unloads the DLL");
}

}  // namespace

int main() {
    HWND window = CreateWindowA("STATIC", "MORA lifetime", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr,
                                nullptr, nullptr);
    for (int cycle = 1; window != nullptr && gFailures == 0 && cycle <= 3; ++cycle) Cycle(window);
    DestroyWindow(window);
    return window != nullptr ? Finish() : 1;
}
