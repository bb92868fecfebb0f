// mora-replay: replays a .mora-capture file through the driver's frame pipeline (see replay_tool.h).
#include <cstdio>
#include <string>
#include <vector>

#include "replay_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return mora::replay::RunReplayTool(arguments, stdout, stderr);
}
