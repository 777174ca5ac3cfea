// Every failure of the update as a scenario: the simulated logger is told a fault, the worker
// runs against it, and the status messages are compared in order, the final one included.
#include "e2e_support.h"

#include <cctype>
#include <functional>
#include <thread>

namespace {

constexpr std::int32_t kInjected = 0x0E; // the simulator's status of an injected SD failure

struct TScenario {
    const char* name;
    std::vector<const char*> faults; // as loggersim's --fault takes them
    Messages expectedAfterStart;     // the messages after status 26 (or all, see below)
    // Changes to the small image or the simulated logger before the run.
    std::function<void(TSimOptions&, std::vector<std::string>& lines)> setup = {};
    bool fromIdentification = false; // expected messages start at the first one
};

void PrintTo(const TScenario& s, std::ostream* os) {
    *os << s.name;
}

// The three first data lines of image 3 and the end-of-file line, as image 0.
std::vector<std::string> smallImage() {
    auto lines = dataLinesOf(3);
    lines.resize(3);
    lines.push_back(":00000001FF");
    return lines;
}

const TBl3FileHeader& image3() {
    static const TBl3FileHeader header = getFirmwareHeader(3);
    return header;
}

Messages identification(std::uint16_t cls = 0x6601, std::uint16_t version = 0x0600) {
    return {{20, cls}, {21, version}};
}

Messages upToTheImage() {
    Messages m = identification();
    for (const TStatusMessage& next :
         Messages{{22, image3().zel_platform}, {23, image3().zel_print}, {25, 0x660A}, {27, 0}}) {
        m.push_back(next);
    }
    return m;
}

Messages concat(Messages a, const Messages& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Messages kProgress = {{1, 33}, {1, 66}};
const TStatusMessage kDone{0, 0};

class UpdateFailures : public ::testing::TestWithParam<TScenario> {
protected:
    TSettingsGuard settings;
};

TEST_P(UpdateFailures, StatusMessagesInOrder) {
    const TScenario& s = GetParam();
    TSimOptions options;
    for (const char* faultText : s.faults) {
        std::string error;
        const auto fault = parseFault(faultText, &error);
        ASSERT_TRUE(fault) << faultText << ": " << error;
        options.faults.push_back(*fault);
    }
    std::vector<std::string> lines = smallImage();
    if (s.setup) {
        s.setup(options, lines);
    }
    gImage0Header = image3();
    gImage0Lines = lines;
    gSelectedImage = 0;
    TSimServer sim(options);

    const Messages messages = runUpdate(sim.slavePath());
    Messages expected = s.expectedAfterStart;
    if (!s.fromIdentification) {
        expected = concat(concat(upToTheImage(), {{26, 0}}), s.expectedAfterStart);
    }
    EXPECT_EQ(messages, expected);
    if (expected.back() == kDone) {
        std::vector<std::string> dataRecords; // 64-byte data records only are programmed
        for (const auto& line : lines) {
            if (line.size() == 139) {
                dataRecords.push_back(line);
            }
        }
        EXPECT_EQ(sim.flashHexRecords(), dataRecords);
    }
}

std::string lowerCase(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

const TScenario kScenarios[] = {
    {"clean_run", {}, concat(kProgress, {kDone})},
    // Identification and SD controller access.
    {"class_without_update_path",
     {},
     concat(identification(0x6602), {{10, 40}}),
     [](TSimOptions& o, auto&) { o.loggerClass = 0x6602; },
     true},
    {"readiness_bit_40", {"ready40@1"}, concat(identification(), {{10, 41}}), {}, true},
    {"readiness_bit_80", {"ready80@1"}, concat(identification(), {{10, 41}}), {}, true},
    {"device_exception", {"exception@group:1"}, concat(identification(), {{10, 41}}), {}, true},
    {"info_request_refused",
     {"cmd-status@info:1"},
     concat(identification(), {{14, kInjected}, {10, 48}}),
     {},
     true},
    {"answer_receive_refused",
     {"recv-status@1"},
     concat(identification(), {{15, kInjected}, {10, 48}}),
     {},
     true},
    {"malformed_answer_record",
     {"answer@1"},
     concat(identification(), {{15, 256}, {10, 48}}),
     {},
     true},
    {"unknown_platform_matches_nothing",
     {},
     concat(identification(),
            {{22, 0xFFFF}, {23, image3().zel_print}, {25, 0x660A}, {27, 0}, {10, 47}}),
     [](TSimOptions& o, auto&) { o.platform = 0x7777; },
     true},
    {"silent_logger", {"silence@ident:1x5"}, {{13, 0}}, {}, true},
    {"line_hangs_up", {"hangup@ident:1"}, {{10, 11}}, {}, true},
    // The image itself.
    {"end_of_file_only",
     {},
     concat(upToTheImage(), {{10, 42}}),
     [](TSimOptions&, auto& lines) { lines = {":00000001FF"}; },
     true},
    {"end_of_file_lower_case",
     {},
     concat(upToTheImage(), {{10, 42}}),
     [](TSimOptions&, auto& lines) { lines.back() = lowerCase(lines.back()); },
     true},
    {"checksum_off_by_one",
     {},
     {{12, 1}, {10, 43}},
     [](TSimOptions&, auto& lines) {
         char& last = lines[1].back();
         last = last == '0' ? '1' : static_cast<char>(last - 1);
     }},
    {"short_and_extended_records_send_nothing",
     {},
     {{1, 19}, {1, 39}, {1, 59}, {1, 79}, kDone},
     [](TSimOptions&, auto& lines) {
         lines.insert(lines.begin() + 1, ":020000040000FA");
         lines.insert(lines.begin() + 1, ":0400000001020304F2");
     }},
    // Line transfer.
    {"begin_refused", {"cmd-status@begin:1"}, {{14, 0x200 + kInjected}, {10, 48}}},
    {"line_send_refused_once",
     {"send-status@line:2"},
     concat({{14, 0x300 + kInjected}}, concat(kProgress, {kDone}))},
    {"four_busy_polls_then_ready", {"busy@line:1=4"}, concat(kProgress, {kDone})},
    {"five_busy_polls_retry_the_line",
     {"busy@line:1=5"},
     concat({{15, 0x300 + 0x01}}, concat(kProgress, {kDone}))},
    {"read_back_differs_once", {"readback@line:1"}, concat({{11, 0}}, concat(kProgress, {kDone}))},
    {"read_back_differs_five_times",
     {"readback@line:1x5"},
     {{11, 0}, {11, 0}, {11, 0}, {11, 0}, {11, 0}, {10, 44}}},
    {"end_refused_once", {"end-status@1"}, concat(kProgress, {{14, 0x400 + kInjected}, kDone})},
    {"end_refused_five_times",
     {"end-status@1x5"},
     concat(kProgress,
            {{14, 0x40E}, {14, 0x40E}, {14, 0x40E}, {14, 0x40E}, {14, 0x40E}, {10, 44}})},
};

INSTANTIATE_TEST_SUITE_P(Scenarios, UpdateFailures, ::testing::ValuesIn(kScenarios),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(UpdateChoice, BuiltInSearchTriesEveryImageUpToTheFirstMatch) {
    TSettingsGuard settings;
    TSimOptions options;
    options.platform = 0x7777; // matches none
    TSimServer sim(options);
    const Messages messages = runUpdate(sim.slavePath());
    EXPECT_EQ(withCode(messages, kStatusCheck), (Messages{{27, 1}, {27, 2}, {27, 3}}));
    EXPECT_EQ(messages.back(), (TStatusMessage{10, kErrNoImage}));
    EXPECT_EQ(gSelectedImage, -1);
}

TEST(UpdateChoice, CancelDuringTheRunEndsAtTheNextExchange) {
    TSettingsGuard settings;
    TSimServer sim;
    std::thread canceller([&] {
        sim.waitUntil([](const TSimLogger& d) { return d.counters().linesProgrammed >= 3; },
                      std::chrono::seconds(20));
        gCancel = true;
    });
    const Messages messages = runUpdate(sim.slavePath());
    canceller.join();
    EXPECT_EQ(messages.back(), (TStatusMessage{10, kErrCancelled}));
    EXPECT_FALSE(sim.restarted());
}

} // namespace
