// Faults of the simulated logger: each kind shows at the frame it is aimed at; rate faults are
// reproducible from the seed.

#include "sim/sim_client.h"
#include "sim/sim_options.h"

#include <gtest/gtest.h>

namespace {

const TFrame kIdent = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);

TSimOptions withFaults(std::initializer_list<const char*> faults, std::uint64_t seed = 1) {
    TSimOptions options;
    options.seed = seed;
    for (const char* text : faults) {
        std::string error;
        const auto fault = parseFault(text, &error);
        EXPECT_TRUE(fault) << text << ": " << error;
        if (fault) {
            options.faults.push_back(*fault);
        }
    }
    return options;
}

// What a reply looked like: no reply, a valid one, a wrong check byte, the device exception.
char judge(const std::optional<TFrame>& reply) {
    if (!reply) {
        return '-';
    }
    switch (checkReply(reply->data(), reply->size())) {
    case TReplyCheck::NoValidReply:
        return 'c';
    case TReplyCheck::DeviceException:
        return 'x';
    default:
        return 'o';
    }
}

TEST(SimFaults, FrameFaultsHitTheAimedFrames) {
    struct TCase {
        const char* fault;
        const char* replies; // of six identification frames
    } const cases[] = {
        {"silence@3", "oo-ooo"}, {"silence@2x3", "o---oo"},     {"silence@ident:5", "oooo-o"},
        {"crc@1", "cooooo"},     {"crc@4x2", "ooocco"},         {"exception@6", "ooooox"},
        {"hangup@3", "oo----"},  {"silence@probe:1", "oooooo"},
    };
    for (const TCase& c : cases) {
        TSimLogger device(withFaults({c.fault}));
        std::string seen;
        for (int i = 0; i < 6; ++i) {
            seen += judge(device.onFrame(kIdent));
        }
        EXPECT_EQ(seen, c.replies) << c.fault;
        EXPECT_EQ(device.hungUp(), std::string(c.fault).starts_with("hangup")) << c.fault;
    }
}

TEST(SimFaults, WakeAndBadFramesAreNotCounted) {
    TSimLogger device(withFaults({"silence@1"}));
    TFrame bad = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);
    bad[7] ^= 1;
    device.onFrame(buildCommandFrame(255, 0, 0, 0, 0, 0, 0));
    device.onFrame(bad);
    TSimClient client(device);
    EXPECT_EQ(judge(client.ident()), '-');
    EXPECT_EQ(judge(client.ident()), 'o');
    EXPECT_EQ(device.counters().faultsInjected, 1u);
}

TEST(SimFaults, ReadinessBitsOnTheAimedProbe) {
    struct TCase {
        const char* fault;
        std::uint8_t second; // byte 0 of the second probe's reply
    } const cases[] = {{"ready40@2", 0x42}, {"ready80@2", 0x82}, {"ready40@1", 0x02}};
    for (const TCase& c : cases) {
        TSimLogger device(withFaults({c.fault}));
        TSimClient client(device);
        client.relay(0);
        client.ident(); // not a probe: not counted
        const auto reply = client.relay(0);
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[0], c.second) << c.fault;
        EXPECT_EQ(judge(reply), 'o') << c.fault;
    }
}

TEST(SimFaults, StatusFaultsAnswerTheirValueAndLeaveTheRecordUndone) {
    {
        TSimLogger device(withFaults({"cmd-status@info:1=0x21"}));
        TSimClient client(device);
        client.openController();
        EXPECT_EQ(client.sdCommand(0x20), 0x21);
        EXPECT_EQ(client.receive(10), kSdNothingToReceive);
        EXPECT_EQ(client.sdCommand(0x20), 0);
        EXPECT_EQ(client.receive(10), 0);
    }
    {
        TSimLogger device(withFaults({"cmd-status@2"})); // the second SD command: begin
        TSimClient client(device);
        client.openController();
        EXPECT_EQ(client.sdCommand(0x20), 0);
        EXPECT_EQ(client.sdCommand(0x31), kSdInjectedStatus);
        EXPECT_EQ(client.sdCommand(0x32), kSdNotProgramming);
    }
    {
        TSimLogger device(withFaults({"end-status@1x2=0x42"}));
        TSimClient client(device);
        client.openController();
        client.sdCommand(0x31);
        EXPECT_EQ(client.sdCommand(0x32), 0x42);
        EXPECT_EQ(client.sdCommand(0x32), 0x42);
        EXPECT_FALSE(device.programmingEnded());
        EXPECT_EQ(client.sdCommand(0x32), 0);
        EXPECT_TRUE(device.programmingEnded());
    }
    {
        TSimLogger device(withFaults({"recv-status@1=0x33"}));
        TSimClient client(device);
        client.openController();
        client.sdCommand(0x20);
        EXPECT_EQ(client.receive(10), 0x33);
        EXPECT_EQ(client.receive(10), 0);
    }
}

TEST(SimFaults, LineFaultsCostAttemptsButTheFlashEndsRight) {
    struct TCase {
        const char* fault;
        bool ok;
        int retries; // attempts beyond the first (five attempts, five polls each)
        std::uint32_t programmed;
    } const cases[] = {
        {"send-status@2", true, 1, 10}, {"send-status@2x4", true, 4, 10},
        {"busy@3=4", true, 0, 10},      {"busy@3=5", true, 1, 11},
        {"busy@3", true, 0, 10},        {"recv-status@receive:3", true, 0, 10},
        {"readback@2", true, 1, 11},    {"readback@1x4", true, 4, 14},
        {"readback@1x5", false, 4, 5},  {"crc@group:40", true, 1, 11},
    };
    const std::vector<std::string> image = syntheticImage(0x4400, 8, 5);
    for (const TCase& c : cases) {
        TSimLogger device(withFaults({c.fault}));
        const TMiniUpdateResult result = runMiniUpdate(device, image);
        EXPECT_EQ(result.ok, c.ok) << c.fault << " " << result.failure;
        EXPECT_EQ(result.lineRetries, c.retries) << c.fault;
        EXPECT_EQ(device.counters().linesProgrammed, c.programmed) << c.fault;
        if (c.ok) {
            EXPECT_EQ(device.flashHexRecords(), image) << c.fault;
        }
    }
}

TEST(SimFaults, ReadBackFaultCorruptsTheCopyNotTheFlash) {
    TSimLogger device(withFaults({"readback@1"}));
    TSimClient client(device);
    client.openController();
    client.sdCommand(0x31);
    const std::vector<std::uint8_t> record =
        recordOf(dataLine(0x4400, std::vector<std::uint8_t>(64, 0x3C)));
    const std::vector<std::uint8_t> sent(record.begin(), record.end() - 1);
    client.writeRecord(sent);
    ASSERT_EQ(client.send(68), 0);
    ASSERT_EQ(client.receive(68), 0);
    std::vector<std::uint8_t> expected = sent;
    expected[4] = 0xC3;
    EXPECT_EQ(client.readRecord(68), expected);
    EXPECT_EQ(device.flash()[0x4400], 0x3C);
}

TEST(SimFaults, BusyAndMalformedAnswerOnTheInformationRequest) {
    TSimLogger device(withFaults({"answer@1", "busy@info:1=2"}));
    TSimClient client(device);
    client.openController();
    ASSERT_EQ(client.sdCommand(0x20), 0);
    EXPECT_EQ(client.receive(10), kSdBusy);
    EXPECT_EQ(client.receive(10), kSdBusy);
    ASSERT_EQ(client.receive(10), 0);
    const std::vector<std::uint8_t> answer = client.readRecord(4);
    EXPECT_EQ(answer, (std::vector<std::uint8_t>{0x06, 0x00, 0x00, 0x04}));
    // The next request is answered properly.
    ASSERT_EQ(client.sdCommand(0x20), 0);
    ASSERT_EQ(client.receive(10), 0);
    EXPECT_EQ(client.readRecord(4), (std::vector<std::uint8_t>{0x06, 0x00, 0x00, 0x05}));
}

TEST(SimFaults, HangUpIgnoresEverythingAfterIt) {
    TSimLogger device(withFaults({"hangup@line:2"}));
    const TMiniUpdateResult result = runMiniUpdate(device, syntheticImage(0x4400, 4, 1));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(device.hungUp());
    EXPECT_EQ(device.counters().linesProgrammed, 1u);
    const TFrame ident = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);
    EXPECT_TRUE(device.feed(ident).empty());
}

std::string silencePattern(double rate, std::uint64_t seed, int frames = 400) {
    TSimOptions options;
    options.seed = seed;
    TSimFault fault;
    fault.kind = TFaultKind::Silence;
    fault.first = 0;
    fault.rate = rate;
    options.faults.push_back(fault);
    TSimLogger device(options);
    std::string pattern;
    for (int i = 0; i < frames; ++i) {
        pattern += judge(device.onFrame(kIdent));
    }
    return pattern;
}

TEST(SimFaults, RateFaultsAreReproducibleFromTheSeed) {
    const std::string a = silencePattern(0.25, 42);
    EXPECT_EQ(a, silencePattern(0.25, 42));
    EXPECT_NE(a, silencePattern(0.25, 43));
    const auto silent = std::count(a.begin(), a.end(), '-');
    EXPECT_GT(silent, 50);
    EXPECT_LT(silent, 150);
    EXPECT_EQ(silencePattern(0.0, 42), std::string(400, 'o'));
    EXPECT_EQ(silencePattern(1.0, 42), std::string(400, '-'));
}

TEST(SimFaults, RateFaultsDrawOnlyForTheirClass) {
    // Frames of other classes between them do not change which lines are hit.
    const auto run = [](bool extraProbes) {
        TSimLogger device(withFaults({"readback%0.3"}, 9));
        TSimClient client(device);
        client.openController();
        client.sdCommand(0x31);
        std::string pattern;
        for (int i = 0; i < 60; ++i) {
            if (extraProbes) {
                client.relay(0);
                client.ident();
            }
            const std::vector<std::uint8_t> record = recordOf(dataLine(
                static_cast<std::uint16_t>(0x4400 + 64 * i), std::vector<std::uint8_t>(64, 0x11)));
            client.writeRecord({record.begin(), record.end() - 1});
            client.send(68);
            client.receive(68);
            pattern += client.readRecord(5)[4] == 0x11 ? 'o' : 'r';
        }
        return pattern;
    };
    const std::string plain = run(false);
    EXPECT_EQ(plain, run(true));
    EXPECT_NE(plain.find('r'), std::string::npos);
    EXPECT_NE(plain.find('o'), std::string::npos);
}

TEST(SimFaultText, ParsesTheCommandLineForms) {
    struct TCase {
        const char* fault;
        TFaultKind kind;
        TFrameClass target;
        std::uint32_t first;
        std::uint32_t count;
        double rate;
        std::uint32_t value;
    } const cases[] = {
        {"silence@12", TFaultKind::Silence, TFrameClass::Any, 12, 1, 0, 0},
        {"crc@group:0x10", TFaultKind::BadCrc, TFrameClass::Group, 16, 1, 0, 0},
        {"readback@1x5", TFaultKind::ReadBack, TFrameClass::Line, 1, 5, 0, 0},
        {"readback@0x10x0x5", TFaultKind::ReadBack, TFrameClass::Line, 16, 5, 0, 0},
        {"busy@4=3", TFaultKind::Busy, TFrameClass::Line, 4, 1, 0, 3},
        {"send-status@2=0x1E", TFaultKind::SendStatus, TFrameClass::Line, 2, 1, 0, 0x1E},
        {"cmd-status@begin:1", TFaultKind::CommandStatus, TFrameClass::Begin, 1, 1, 0, 0},
        {"end-status@3x2=7", TFaultKind::EndStatus, TFrameClass::End, 3, 2, 0, 7},
        {"recv-status@1", TFaultKind::ReceiveStatus, TFrameClass::Receive, 1, 1, 0, 0},
        {"ready40@1", TFaultKind::Ready40, TFrameClass::Probe, 1, 1, 0, 0},
        {"ready80@probe:2", TFaultKind::Ready80, TFrameClass::Probe, 2, 1, 0, 0},
        {"answer@1", TFaultKind::BadAnswer, TFrameClass::Info, 1, 1, 0, 0},
        {"exception@final:1", TFaultKind::Exception, TFrameClass::Final, 1, 1, 0, 0},
        {"hangup@100", TFaultKind::HangUp, TFrameClass::Any, 100, 1, 0, 0},
        {"silence%0.05", TFaultKind::Silence, TFrameClass::Any, 0, 1, 0.05, 0},
        {"busy%line:0.5=2", TFaultKind::Busy, TFrameClass::Line, 0, 1, 0.5, 2},
    };
    for (const TCase& c : cases) {
        std::string error;
        const auto fault = parseFault(c.fault, &error);
        ASSERT_TRUE(fault) << c.fault << ": " << error;
        EXPECT_EQ(fault->kind, c.kind) << c.fault;
        EXPECT_EQ(fault->target, c.target) << c.fault;
        EXPECT_EQ(fault->first, c.first) << c.fault;
        EXPECT_EQ(fault->count, c.count) << c.fault;
        EXPECT_DOUBLE_EQ(fault->rate, c.rate) << c.fault;
        EXPECT_EQ(fault->value, c.value) << c.fault;
    }
}

TEST(SimFaultText, RejectsMalformedOrMisaimedFaults) {
    for (const char* fault : {"",
                              "silence",
                              "quiet@1",
                              "silence@0",
                              "silence@",
                              "silence@-1",
                              "silence@1x0",
                              "silence@12junk",
                              "silence@lines:1",
                              "ready40@ident:1",
                              "readback@group:1",
                              "answer@line:1",
                              "end-status@begin:1",
                              "silence%1.5",
                              "silence%-0.1",
                              "silence%abc",
                              "busy@1=",
                              "busy@1=zz",
                              "silence@0x",
                              "send-status@1=0x100"}) {
        std::string error;
        EXPECT_FALSE(parseFault(fault, &error)) << fault;
        EXPECT_FALSE(error.empty()) << fault;
    }
}

} // namespace
