// How a process with the driver ends, seen from a parent process. The crash report: a child with
// a trace running faults on purpose after a few entry calls; the child must end with the fault's
// code, the call summary must be written and the trace file must end with the crash mark. The
// quit request: a child whose environment-started trace covers frames 0-1 must find a quit
// message (exit code 0) in its own message loop once that trace is closed. Exit status 0 when all
// of this holds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "mora/gl.h"

namespace {

HDC ChildContext() {
    HWND window = CreateWindowA("STATIC", "MORA crash", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    HGLRC context = wglCreateContext(dc);
    wglMakeCurrent(dc, context);
    return dc;
}

int CrashingChild() {
    ChildContext();
    glClear(GL_COLOR_BUFFER_BIT);
    glFlush();
    *static_cast<volatile int*>(nullptr) = 1;  // the deliberate fault
    return 0;
}

// A game loop: 100 + the quit code when a quit message arrives, 1 when none came in 20 frames.
int QuittingChild() {
    HDC dc = ChildContext();
    for (int frame = 0; frame < 20; ++frame) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return 100 + static_cast<int>(message.wParam);
            DispatchMessageA(&message);
        }
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(dc);
    }
    return 1;
}

DWORD RunChild(const char* mode, const char* folder) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" " + mode;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process)) {
        return 0xFFFFFFFFu;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::string ReadAll(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) text.append(chunk, got);
        std::fclose(file);
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "crash") == 0) return CrashingChild();
    if (argc > 1 && std::strcmp(argv[1], "quit") == 0) return QuittingChild();

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char folder[MAX_PATH];
    std::snprintf(folder, sizeof(folder), "%smora-crash-%lu", temp, GetCurrentProcessId());
    CreateDirectoryA(folder, nullptr);
    SetEnvironmentVariableA("MORA_TRACE_FRAMES", "0-1");
    const DWORD quit = RunChild("quit", folder);
    SetEnvironmentVariableA("MORA_TRACE_FRAMES", "0-5");
    const DWORD code = RunChild("crash", folder);

    const std::string summary = ReadAll(std::string(folder) + "\\MORA_api_calls.log");
    const std::string trace = ReadAll(std::string(folder) + "\\MORA_trace_frames0-5.mora-trace");
    const char kMark[] = "\n=== CRASH (vectored handler triggered) ===\n";
    const bool ended = code == 0xC0000005u;
    const bool summarised = summary.find("Total API calls:") != std::string::npos;
    const bool marked = trace.size() >= sizeof(kMark) - 1 &&
                        trace.compare(trace.size() - (sizeof(kMark) - 1), std::string::npos, kMark) == 0;
    std::printf("child exit code 0x%08lX (%s), summary %s, trace %s\n", code, ended ? "the fault" : "FAIL",
                summarised ? "written" : "FAIL: missing", marked ? "ends with the crash mark" : "FAIL: no crash mark");
    std::printf("quitting child: exit code %lu (%s)\n", quit, quit == 100 ? "quit message with code 0" : "FAIL");
    return ended && summarised && marked && quit == 100 ? 0 : 1;
}
