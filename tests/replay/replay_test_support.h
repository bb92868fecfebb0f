// What the replay tests share: a scratch folder per test, captures recorded by the driver itself
// (mora-capture-scene run with the capture switches), and runs of the mora-replay executable with
// their exit status and output.
#pragma once

#include <string>
#include <vector>

#include "test_support/temp_dir.h"

namespace mora_replay_test {

// A fresh folder under the system temporary folder, removed with everything in it at the end.
using ScratchFolder = mora::test::TempDir;

struct CaptureRequest {
    int width = 200;  // not a multiple of the 32-pixel tiles
    int height = 150;
    int sceneFrames = 16;  // frames the scene draws
    int firstFrame = 3;    // captured frames (inclusive, more than one); frame 3 clears its colour
    int lastFrame = 12;
    bool referencePixels = true;
    std::string isa;              // MORA_ISA for the recording run; empty: unset
    bool arraysAndLists = false;  // the scene's --arrays-and-lists switch
};

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program could not be run or did not exit
    std::string out;
    std::string err;
};

// Runs mora-capture-scene in `folder` with the capture switches and returns the path of the
// capture file it should have written ("" if none appeared). `run` receives the scene's result.
std::string RecordCapture(const ScratchFolder& folder, const CaptureRequest& request, ProgramRun* run = nullptr);

// Runs the mora-replay executable with `arguments` (each quoted for the shell).
ProgramRun RunReplayExecutable(const ScratchFolder& folder, const std::vector<std::string>& arguments);

}  // namespace mora_replay_test
