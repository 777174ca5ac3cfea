// The headless updater on a production line: JSON events, the record of every update, several
// loggers at once.
#include "cli/cli_fixture.h"
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"
#include "sim/sim_server.h"

#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using json = nlohmann::json;

constexpr auto kBound = 60s;

std::vector<json> jsonLines(const std::string& text) {
    std::vector<json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(json::parse(line, nullptr, false));
        EXPECT_FALSE(lines.back().is_discarded()) << line;
    }
    return lines;
}

// Every line of the files valid against docs/json-schema.json (python3-jsonschema).
void expectSchemaValid(const std::vector<std::string>& files) {
    std::string cmd = std::string("/usr/bin/python3 ") + SDU_JSON_VALIDATOR + " " + SDU_JSON_SCHEMA;
    for (const auto& f : files) {
        cmd += " '" + f + "'";
    }
    cmd += " > '" + files.front() + ".schema-errors' 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << fileContent(files.front() + ".schema-errors");
}

std::string shellOutput(const std::string& cmd) {
    std::string out;
    if (std::FILE* p = ::popen(cmd.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p) != nullptr) {
            out += buffer;
        }
        ::pclose(p);
    }
    return out;
}

class CliProductionTest : public CliScratchTest {};

TEST_F(CliProductionTest, JsonOfAWholeRunAndItsRecord) {
    TSimServer sim;
    const std::string records = dir + "/records.jsonl";
    TCliProcess cli(dir, {{"--port", sim.slavePath(), "--yes", "--json", "--record", records}});
    ASSERT_EQ(cli.waitExit(kBound), 0) << cli.err();
    std::ofstream(dir + "/events.jsonl") << cli.out();
    expectSchemaValid({dir + "/events.jsonl", records});

    const std::vector<json> events = jsonLines(cli.out());
    ASSERT_FALSE(events.empty());
    std::map<std::string, int> kinds;
    for (const auto& e : events) {
        ++kinds[e["event"].get<std::string>()];
    }
    EXPECT_GE(kinds["status"], 8) << cli.out(); // class, version, platform, print, ...
    EXPECT_GE(kinds["progress"], 90);           // one per percent
    EXPECT_GE(kinds["phase"], 2);
    EXPECT_EQ(kinds["result"], 1);
    const json& result = events.back();
    EXPECT_EQ(result["event"], "result");
    EXPECT_EQ(result["exit_code"], 0);
    EXPECT_EQ(result["result"], "success");
    EXPECT_EQ(result["image"]["number"], 3);
    EXPECT_EQ(result["image"]["version"], "4.108");
    // First the start with the port, then the status messages in the order the worker posted
    // them, with the window's texts.
    EXPECT_EQ(events.front()["event"], "start");
    EXPECT_EQ(events.front()["port"], sim.slavePath());
    EXPECT_EQ(events[1]["event"], "status");
    const auto status = std::find_if(events.begin(), events.end(), [](const json& e) {
        return e["event"] == "status" && e["name"] == "completed";
    });
    ASSERT_NE(status, events.end());
    EXPECT_EQ((*status)["text"], "Update SD card module V4.108 succesfully completed.");
    EXPECT_TRUE(sim.restarted());
}

TEST_F(CliProductionTest, JsonOfAFailingRunEndsWithItsResult) {
    TSimServer sim(simWith({"silence%1"}));
    TCliProcess cli(dir, {{"--port", sim.slavePath(), "--yes", "--json", "--max-restarts", "1"}});
    ASSERT_EQ(cli.waitExit(kBound), 30) << cli.err();
    std::ofstream(dir + "/events.jsonl") << cli.out();
    expectSchemaValid({dir + "/events.jsonl"});
    const std::vector<json> events = jsonLines(cli.out());
    ASSERT_FALSE(events.empty());
    const json& result = events.back();
    EXPECT_EQ(result["result"], "no_reply");
    EXPECT_EQ(result["exit_code"], 30);
    EXPECT_EQ(result["error_code"], 30);
    EXPECT_EQ(result["restarts"], 1);
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const json& e) {
                                return e["event"] == "restart" && e["cause"] == "no_reply";
                            }),
              1);
    // The report lines are not on stdout in JSON mode.
    EXPECT_EQ(cli.out().find(" -> "), std::string::npos);
}

TEST_F(CliProductionTest, RecordHoldsTheLoggerTheImageAndItsDigest) {
    TSimServer sim;
    const std::string records = dir + "/records.jsonl";
    TCliProcess cli(dir, {{"--port", sim.slavePath(), "--yes", "--record", records}});
    ASSERT_EQ(cli.waitExit(kBound), 0) << cli.err();
    const std::vector<json> lines = jsonLines(fileContent(records));
    ASSERT_EQ(lines.size(), 1u);
    const json& r = lines[0];
    EXPECT_EQ(r["tool"], "sdupdate-cli");
    EXPECT_FALSE(r["tool_version"].get<std::string>().empty());
    EXPECT_TRUE(r["host"].is_string());
    EXPECT_LT(r["start"].get<std::string>(), r["end"].get<std::string>());
    EXPECT_EQ(r["port"], sim.slavePath());
    EXPECT_TRUE(r["adapter"].is_null()); // a pseudo-terminal has no USB adapter
    EXPECT_EQ(r["logger"]["class"], 0x6601);
    EXPECT_EQ(r["logger"]["version"], "6.0");
    EXPECT_TRUE(r["logger"]["name"].is_string());
    EXPECT_EQ(r["sd"]["platform"], 25);
    EXPECT_EQ(r["sd"]["print"], 52);
    EXPECT_EQ(r["image"]["number"], 3);
    EXPECT_EQ(r["image"]["version"], "4.108");
    EXPECT_EQ(r["image"]["date"], "12.12.2024 12:05:28");
    EXPECT_TRUE(r["image"]["file"].is_null());
    EXPECT_EQ(r["result"]["exit_code"], 0);
    EXPECT_EQ(r["result"]["name"], "success");
    EXPECT_TRUE(r["result"]["error_code"].is_null());
    EXPECT_EQ(r["restarts"], 0);
    EXPECT_EQ(r["lines_retried"], 0);
    // The digest, computed apart: the image's Intel HEX lines, each with one LF.
    const std::string digest =
        shellOutput(std::string("grep -v = '") + SDU_IMAGES_DIR +
                    "/image3.txt' | tr -d '\\r' | sha256sum | cut -d' ' -f1");
    EXPECT_EQ(r["image"]["sha256"].get<std::string>() + "\n", digest);
}

TEST_F(CliProductionTest, SeveralLoggersAtOnce) {
    std::vector<std::unique_ptr<TSimServer>> sims;
    for (int i = 0; i < 3; ++i) {
        sims.push_back(std::make_unique<TSimServer>());
    }
    sims.push_back(std::make_unique<TSimServer>(simWith({"silence%1"})));
    std::vector<std::string> args;
    for (const auto& sim : sims) {
        args.insert(args.end(), {"--port", sim->slavePath()});
    }
    const std::string records = dir + "/records.jsonl";
    args.insert(args.end(), {"--yes", "--max-restarts", "0", "--json", "--record", records});
    TCliProcess cli(dir, {args});
    ASSERT_EQ(cli.waitExit(kBound), 30) << cli.err(); // the silent one, the first that failed
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sims[std::size_t(i)]->flashHexRecords(), dataLinesOf(3)) << i;
    }
    // The summary table: a header and a row per port, in the order given.
    std::istringstream err(cli.err());
    std::string header;
    std::getline(err, header);
    EXPECT_EQ(header.rfind("port", 0), 0u) << cli.err();
    for (std::size_t i = 0; i < sims.size(); ++i) {
        std::string row;
        std::getline(err, row);
        EXPECT_EQ(row.rfind(sims[i]->slavePath(), 0), 0u) << row;
        EXPECT_NE(row.find(i < 3 ? "success" : "no_reply (30)"), std::string::npos) << row;
    }
    // The silent port's reason follows, prefixed with its port.
    EXPECT_NE(cli.err().find(sims[3]->slavePath() + ": the logger did not answer in 1 run"),
              std::string::npos)
        << cli.err();
    // Every child's events with its port, and a summary at the end.
    std::ofstream(dir + "/events.jsonl") << cli.out();
    expectSchemaValid({dir + "/events.jsonl", records});
    const std::vector<json> events = jsonLines(cli.out());
    ASSERT_FALSE(events.empty());
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        EXPECT_TRUE(events[i].contains("port")) << events[i].dump();
    }
    EXPECT_EQ(events.back()["event"], "summary");
    EXPECT_EQ(events.back()["exit_code"], 30);
    // Four records, one per logger.
    const std::vector<json> lines = jsonLines(fileContent(records));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const json& r) { return r["result"]["name"] == "success"; }),
              3);
}

TEST_F(CliProductionTest, CtrlCCancelsEveryLogger) {
    TSimOptions slow;
    slow.baud = 9600; // minutes per update: they are all still running at the signal
    TSimServer first(slow);
    TSimServer second(slow);
    TCliProcess cli(
        dir, {{"--port", first.slavePath(), "--port", second.slavePath(), "--yes", "--json"}});
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (cli.out().find("\"percent\":1,") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
    }
    cli.signal(SIGINT);
    ASSERT_EQ(cli.waitExit(kBound), 20) << cli.err();
    const std::vector<json> events = jsonLines(cli.out());
    int cancelled = 0;
    for (const auto& e : events) {
        cancelled += e["event"] == "result" && e["result"] == "cancelled" ? 1 : 0;
    }
    EXPECT_EQ(cancelled, 2) << cli.out();
}

} // namespace
