// The crash report: a child process with a trace running faults on purpose after a few entry
// calls; the parent checks that the child ended with the fault's code, that the call summary was
// written and that the trace file ends with the crash mark. Exit status 0 when all three hold.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "mora/gl.h"

namespace {

int Child() {
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
    glClear(GL_COLOR_BUFFER_BIT);
    glFlush();
    *static_cast<volatile int*>(nullptr) = 1;  // the deliberate fault
    return 0;
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
    if (argc > 1 && std::strcmp(argv[1], "child") == 0) return Child();

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char folder[MAX_PATH];
    std::snprintf(folder, sizeof(folder), "%smora-crash-%lu", temp, GetCurrentProcessId());
    CreateDirectoryA(folder, nullptr);
    SetEnvironmentVariableA("MORA_TRACE_FRAMES", "0-5");
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" child";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process)) {
        std::printf("FAIL: CreateProcess\n");
        return 1;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const std::string summary = ReadAll(std::string(folder) + "\\MORA_api_calls.log");
    const std::string trace = ReadAll(std::string(folder) + "\\MORA_trace_frames0-5.mora-trace");
    const char kMark[] = "\n=== CRASH (vectored handler triggered) ===\n";
    const bool ended = code == 0xC0000005u;
    const bool summarised = summary.find("Total API calls:") != std::string::npos;
    const bool marked = trace.size() >= sizeof(kMark) - 1 && trace.compare(trace.size() - (sizeof(kMark) - 1), std::string::npos, kMark) == 0;
    std::printf("child exit code 0x%08lX (%s), summary %s, trace %s\n", code, ended ? "the fault" : "FAIL",
                summarised ? "written" : "FAIL: missing", marked ? "ends with the crash mark" : "FAIL: no crash mark");
    return ended && summarised && marked ? 0 : 1;
}
