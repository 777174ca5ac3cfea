// The records file on Windows: a lock that another writer keeps.
#include "record/records_file.h"
#include "records_fixture.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// A program that keeps the file locked makes the append fail with the reason after the wait,
// never hang; once the lock is free, the record goes in.
TEST_F(RecordsFileTest, ALockHeldByAnotherWriterEndsTheWaitWithTheReason) {
    std::filesystem::create_directories(dir);
    const std::string file = dir + "/updates.jsonl";
    const HANDLE other =
        CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole));
    std::string error;
    EXPECT_FALSE(appendRecord(file, R"({"n":1})", error, std::chrono::milliseconds(200)));
    EXPECT_NE(error.find("another program has held it for 0.2 s"), std::string::npos) << error;
    UnlockFileEx(other, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(other);
    EXPECT_TRUE(appendRecord(file, R"({"n":2})", error, std::chrono::milliseconds(200))) << error;
    EXPECT_EQ(linesOf(file), std::vector<std::string>{R"({"n":2})"});
}

} // namespace
