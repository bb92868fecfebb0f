// How a process with the driver ends, seen from a parent process. The crash report: a child with
// a trace running faults on purpose after a few entry calls; the child must end with the fault's
// code, the call summary must be written and the trace file must end with the crash mark. The
// quit request: a child whose environment-started trace covers frames 0-1 must find a quit
// message (exit code 0) in its own message loop once that trace is closed. Exit status 0 when all
// of this holds.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "mora/gl.h"
#include "win32_test.h"

namespace {

HDC ChildContext() {
    HDC dc = GetDC(CreateTestWindow("MORA process end", 64, 64));
    MakeCurrentContext(dc);
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

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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
    Check(RunSelf("quit", folder, 30000) == 100, "the quitting child finds a quit message with code 0");
    SetEnvironmentVariableA("MORA_TRACE_FRAMES", "0-5");
    Check(RunSelf("crash", folder, 30000) == 0xC0000005u, "the crashing child ends with the fault's code");

    const std::string summary = ReadAll(std::string(folder) + "\\MORA_api_calls.log");
    const std::string trace = ReadAll(std::string(folder) + "\\MORA_trace_frames0-5.mora-trace");
    const std::string mark = "\n=== CRASH (vectored handler triggered) ===\n";
    Check(summary.find("Total API calls:") != std::string::npos, "the call summary is written");
    Check(trace.ends_with(mark), "the trace ends with the crash mark");
    return Finish();
}
