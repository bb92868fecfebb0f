// A fresh directory under the system temporary directory for one test, removed with everything
// in it when the test ends; optionally the process works inside it meanwhile (the driver writes
// its relative diagnostic files to the current directory). Used by the tests of every folder.
#pragma once

#include <string>

#include "platform/file.h"

namespace mora::test {

struct TempDir {
    enum class Enter { No, Yes };

    explicit TempDir(const char* prefix = "mora-test-", Enter enter = Enter::No)
        : path(platform::CreateTemporaryDirectory(prefix)) {
        if (enter == Enter::Yes && !path.empty()) {
            previous = platform::CurrentDirectory();
            entered = platform::ChangeDirectory(path.c_str());
        }
    }
    ~TempDir() {
        if (entered) platform::ChangeDirectory(previous.c_str());
        if (!path.empty()) platform::RemoveDirectoryTree(path.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return path + "/" + name; }
    // The whole file, or "" when it cannot be read.
    std::string Read(const std::string& name) const {
        std::string text;
        platform::ReadWholeFile(File(name).c_str(), text);
        return text;
    }

    std::string path;      // "" when the directory could not be created
    std::string previous;  // the working directory before entering
    bool entered = false;  // true while the process works inside `path`
};

}  // namespace mora::test
