// The records file: a torn line closed before the next record, a file that cannot be written.
#include "record/records_file.h"
#include "records_fixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST_F(RecordsFileTest, ATornLineIsClosedBeforeTheNextRecord) {
    std::filesystem::create_directories(dir);
    const std::string file = dir + "/updates.jsonl";
    std::ofstream(file) << "{\"record\":1}\n{\"record\":1,\"to"; // a crash in mid-write
    std::string error;
    ASSERT_TRUE(appendRecord(file, "{\"record\":2}", error)) << error;
    const std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "{\"record\":2}");
}

TEST_F(RecordsFileTest, AFileThatCannotBeWrittenSaysWhy) {
    std::filesystem::create_directories(dir + "/updates.jsonl"); // a folder in its place
    std::string error;
    EXPECT_FALSE(appendRecord(dir + "/updates.jsonl", "{}", error));
    EXPECT_NE(error.find("updates.jsonl"), std::string::npos) << error;
}

} // namespace
