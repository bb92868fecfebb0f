#include "replay/replay_test_support.h"

#include <cstdio>
#include <cstdlib>

#include "platform/file.h"

namespace mora_replay_test {

namespace {

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs `command` through the shell with its output in files of `folder`; the shell writes the
// exit status to a file too, so no platform status decoding is needed here.
ProgramRun RunShell(const ScratchFolder& folder, const std::string& command) {
    const std::string out = folder.File("run.out");
    const std::string err = folder.File("run.err");
    const std::string status = folder.File("run.status");
    std::remove(status.c_str());
    const std::string line = "( " + command + " ) >" + Quote(out) + " 2>" + Quote(err) + "; echo $? >" + Quote(status);
    ProgramRun run;
    if (std::system(line.c_str()) != 0) return run;
    const std::string code = folder.Read("run.status");
    if (!code.empty()) run.status = std::atoi(code.c_str());
    run.out = folder.Read("run.out");
    run.err = folder.Read("run.err");
    return run;
}

}  // namespace

std::string RecordCapture(const ScratchFolder& folder, const CaptureRequest& request, ProgramRun* run) {
    const std::string range = std::to_string(request.firstFrame) + "-" + std::to_string(request.lastFrame);
    std::string command = "cd " + Quote(folder.path) + " && env XDG_CONFIG_HOME=" + Quote(folder.File("no-settings")) +
                          " MORA_CAPTURE_FRAMES=" + range +
                          " MORA_CAPTURE_REFERENCE_PIXELS=" + (request.referencePixels ? "1" : "0");
    if (!request.isa.empty()) command += " MORA_ISA=" + request.isa;
    command += " " + Quote(MORA_CAPTURE_SCENE_EXE) + " --size " + std::to_string(request.width) + "x" +
               std::to_string(request.height) + " --frames " + std::to_string(request.sceneFrames) +
               (request.arraysAndLists ? " --arrays-and-lists" : "");
    const ProgramRun result = RunShell(folder, command);
    if (run != nullptr) *run = result;
    const std::string path = folder.File("MORA_capture_frames" + range + ".mora-capture");  // a range of frames
    return mora::platform::FileExists(path.c_str()) ? path : std::string();
}

ProgramRun RunReplayExecutable(const ScratchFolder& folder, const std::vector<std::string>& arguments) {
    std::string command = Quote(MORA_REPLAY_EXE);
    for (const std::string& argument : arguments) command += " " + Quote(argument);
    return RunShell(folder, command);
}

}  // namespace mora_replay_test
