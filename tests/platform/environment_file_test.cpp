// Environment reads with their buffer rule, and file writes including the
// atomic whole-file replacement.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/file.h"
#include "test_support/temp_dir.h"

namespace mora::platform {
namespace {

constexpr char kVariable[] = "MORA_PLATFORM_TEST_VARIABLE";

TEST(Environment, BufferRuleTreatsAValueThatDoesNotFitAsFailed) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    ASSERT_TRUE(UnsetEnvironment(kVariable));
    EXPECT_EQ(ReadEnvironment(kVariable, buffer), EnvironmentRead::Unset);
    EXPECT_STREQ(buffer, "");

    ASSERT_TRUE(SetEnvironment(kVariable, "1234567"));  // 7 characters + NUL fill 8 bytes
    EXPECT_EQ(ReadEnvironment(kVariable, buffer), EnvironmentRead::Value);
    EXPECT_STREQ(buffer, "1234567");

    ASSERT_TRUE(SetEnvironment(kVariable, "12345678"));  // 8 characters: no room for the NUL
    EXPECT_EQ(ReadEnvironment(kVariable, buffer), EnvironmentRead::TooLong);
    EXPECT_STREQ(buffer, "");

    ASSERT_TRUE(SetEnvironment(kVariable, ""));
    EXPECT_EQ(ReadEnvironment(kVariable, buffer), EnvironmentRead::Value);
    EXPECT_STREQ(buffer, "");

    EXPECT_EQ(ReadEnvironment(kVariable, nullptr, 0), EnvironmentRead::TooLong);
    EXPECT_EQ(ReadEnvironment(nullptr, buffer, sizeof(buffer)), EnvironmentRead::Unset);
    ASSERT_TRUE(UnsetEnvironment(kVariable));
}

using TempDirectory = test::TempDir;

// Append mode writes at the end whatever the seek; a closed file takes no writes.
TEST(File, WriteSeekReadRoundTrip) {
    TempDirectory dir;
    ASSERT_FALSE(dir.path.empty());
    const std::string path = dir.File("data.bin");
    File file;
    ASSERT_TRUE(OpenFile(file, path.c_str(), FileMode::WriteTruncate));
    ASSERT_TRUE(WriteFile(file, "abcdefgh", 8));
    ASSERT_TRUE(SeekFile(file, 2));
    ASSERT_TRUE(WriteFile(file, "XY", 2));
    CloseFile(file);
    EXPECT_FALSE(WriteFile(file, "z", 1));
    ASSERT_TRUE(OpenFile(file, path.c_str(), FileMode::Append));
    ASSERT_TRUE(SeekFile(file, 0));
    ASSERT_TRUE(WriteFile(file, "!", 1));
    CloseFile(file);
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), contents));
    EXPECT_EQ(contents, "abXYefgh!");
    EXPECT_TRUE(RemoveFile(path.c_str()));
    EXPECT_EQ(FileSize(path.c_str()), -1);
}

TEST(File, ReplaceAtomicallySwapsWholeContentsOrKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempDirectory dir;
    const std::string path = dir.File("summary.log");
    ASSERT_TRUE(ReplaceFileAtomically(path.c_str(), "first version, long", 19));
    ASSERT_TRUE(ReplaceFileAtomically(path.c_str(), "second", 6));
    std::string contents;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), contents));
    EXPECT_EQ(contents, "second");
    // A failed replacement keeps the old file; only the target remains in the directory.
    ASSERT_TRUE(ReplaceFileAtomically(path.c_str(), "old", 3));
    EXPECT_FALSE(ReplaceFileAtomically(dir.File("no-such-folder/summary.log").c_str(), "x", 1));
    EXPECT_FALSE(ReplaceFileAtomically(path.c_str(), nullptr, 5));  // data missing
    ASSERT_TRUE(ReadWholeFile(path.c_str(), contents));
    EXPECT_EQ(contents, "old");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path)) names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"summary.log"});
}

// Reading never waits and never runs away: a FIFO without a writer or a device is refused at open
// (a blocking open of the FIFO would hang this test), and a whole-file read stops at its limit.
TEST(File, ReadsOnlyRegularFilesAndNoMoreThanTheLimit) {
    TempDirectory dir;
    const std::string fifo = dir.File("driver.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::string contents = "old";
    for (const char* path : {fifo.c_str(), "/dev/zero", "/dev/null"}) {
        File file;
        EXPECT_FALSE(OpenFile(file, path, FileMode::Read)) << path;
        EXPECT_FALSE(ReadWholeFile(path, contents, 1024)) << path;
    }
    const std::string regular = dir.File("settings.ini");
    ASSERT_TRUE(ReplaceFileAtomically(regular.c_str(), "0123456789", 10));
    EXPECT_TRUE(ReadWholeFile(regular.c_str(), contents, 10));
    EXPECT_EQ(contents, "0123456789");
    EXPECT_FALSE(ReadWholeFile(regular.c_str(), contents, 9));
}

}  // namespace
}  // namespace mora::platform
