#include "control/DataFolderLock.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace panemark {
namespace {

class DataFolderLockTest : public ::testing::Test {
protected:
    ~DataFolderLockTest() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("panemark-lock-" + std::to_string(::getpid()));
};

TEST_F(DataFolderLockTest, ACrashedHoldersRecordIsNeverTakenForALiveHolder) {
    std::filesystem::create_directories(folder);
    // A program takes the folder, records how to reach it, and dies without letting go.
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        Result<DataFolderLock::Attempt> attempt = DataFolderLock::take(folder.string(), 0);
        if (attempt && attempt.value().lock) {
            (void)attempt.value().lock->record({::getpid(), ":9", "/nowhere/socket"});
        }
        ::kill(::getpid(), SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(program, &status, 0), program);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(std::filesystem::exists(DataFolderLock::recordPath(folder.string())));

    // Its lock and record are still there; the folder is free all the same, and nobody is
    // named as holding it.
    Result<DataFolderLock::Attempt> attempt = DataFolderLock::take(folder.string(), 0);
    ASSERT_TRUE(attempt) << attempt.error();
    EXPECT_TRUE(attempt.value().lock);
    EXPECT_FALSE(attempt.value().holder);
    EXPECT_FALSE(DataFolderLock::holder(folder.string()));
}

} // namespace
} // namespace panemark
