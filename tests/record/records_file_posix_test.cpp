// The records file on POSIX: whole lines from parallel writers, the default place.
#include "record/records_file.h"
#include "records_fixture.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST_F(RecordsFileTest, ParallelWritersNeitherInterleaveNorLoseARecord) {
    const std::string file = dir + "/sub/updates.jsonl"; // the folder is made as well
    constexpr int kWriters = 8;
    constexpr int kEach = 25;
    // A record of a realistic size (about 1 KB), so a write is far from atomic by accident.
    const std::string filler(900, 'x');
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0; i < kEach; ++i) {
                const nlohmann::json record = {{"writer", w}, {"n", i}, {"filler", filler}};
                std::string error;
                if (!appendRecord(file, record.dump(), error)) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), std::size_t(kWriters * kEach));
    std::set<std::pair<int, int>> seen;
    for (const auto& line : lines) {
        const auto record = nlohmann::json::parse(line, nullptr, false);
        ASSERT_FALSE(record.is_discarded()) << line.substr(0, 80);
        seen.insert({record["writer"].get<int>(), record["n"].get<int>()});
    }
    EXPECT_EQ(seen.size(), std::size_t(kWriters * kEach)); // none lost, none twice
}

// A program that keeps the file locked makes the append fail with the reason after the wait,
// never hang; once the lock is free, the record goes in.
TEST_F(RecordsFileTest, ALockHeldByAnotherWriterEndsTheWaitWithTheReason) {
    std::filesystem::create_directories(dir);
    const std::string file = dir + "/updates.jsonl";
    const int other = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    std::string error;
    EXPECT_FALSE(appendRecord(file, R"({"n":1})", error, std::chrono::milliseconds(200)));
    EXPECT_NE(error.find("another program has held it for 0.2 s"), std::string::npos) << error;
    ::close(other);
    EXPECT_TRUE(appendRecord(file, R"({"n":2})", error, std::chrono::milliseconds(200))) << error;
    EXPECT_EQ(linesOf(file), std::vector<std::string>{R"({"n":2})"});
}

TEST(DefaultRecordsFile, FollowsXdgDataHomeThenHome) {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::setenv("XDG_DATA_HOME", "/data/here", 1);
    EXPECT_EQ(defaultRecordsFile(), "/data/here/sdupdate/updates.jsonl");
    ::setenv("XDG_DATA_HOME", "relative", 1); // not absolute: ignored, as the XDG rules say
    ::setenv("HOME", "/home/tech", 1);
    EXPECT_EQ(defaultRecordsFile(), "/home/tech/.local/share/sdupdate/updates.jsonl");
    xdg ? ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    home ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
}

} // namespace
