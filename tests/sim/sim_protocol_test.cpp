// The simulated logger's answers frame by frame, without faults.

#include "sim/sim_client.h"
#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

TSimOptions loggerOf(std::uint16_t cls, std::uint16_t version) {
    TSimOptions options;
    options.loggerClass = cls;
    options.loggerVersion = version;
    return options;
}

TEST(SimProtocol, DefaultsFitTheNewestImageOnTheCommand2Path) {
    const TSimOptions options;
    EXPECT_EQ(options.loggerClass, 0x6601);
    EXPECT_EQ(options.loggerVersion, 0x0600);
    EXPECT_EQ(options.platform, 25);
    EXPECT_EQ(options.print, 52);
    EXPECT_EQ(options.baud, 0u);
    const TSimLogger device(options);
    EXPECT_EQ(device.relayCommand(), 2);
    EXPECT_EQ(device.relaySelector(), 200);
}

struct TRelayCase {
    std::uint16_t cls;
    std::uint16_t version;
    std::uint8_t command; // 0: no relay path
    std::uint8_t selector;
};

class SimRelayPath : public ::testing::TestWithParam<TRelayCase> {};

TEST_P(SimRelayPath, IdentifiesAndAnswersOnlyItsOwnRelayFrames) {
    const TRelayCase c = GetParam();
    TSimLogger device(loggerOf(c.cls, c.version));
    TSimClient client(device);

    const auto id = client.ident();
    ASSERT_TRUE(id);
    const TFrame expected = [&] {
        TFrame f{0x01,
                 0x00,
                 static_cast<std::uint8_t>(c.cls >> 8),
                 static_cast<std::uint8_t>(c.cls),
                 static_cast<std::uint8_t>(c.version >> 8),
                 static_cast<std::uint8_t>(c.version),
                 0x00,
                 0};
        f[7] = calculateCRC8(f.data(), 7);
        return f;
    }();
    EXPECT_EQ(*id, expected);
    EXPECT_EQ(device.relayCommand(), c.command);
    EXPECT_EQ(device.relaySelector(), c.selector);

    // Both relay forms: the logger's own gets a normal reply, the other the device exception.
    for (const auto& [cmd, sel] : {std::pair<std::uint8_t, std::uint8_t>{2, 200}, {5, 20}}) {
        const auto reply = client.frame(cmd, sel, 0x00);
        ASSERT_TRUE(reply);
        if (cmd == c.command && sel == c.selector) {
            EXPECT_EQ((*reply)[0], cmd);
            EXPECT_EQ((*reply)[1], 0);
        } else {
            EXPECT_EQ((*reply)[0], cmd | 0x20);
        }
    }
    // The right command with the other path's selector is not a relay frame either.
    if (c.command != 0) {
        const auto reply = client.frame(c.command, c.selector == 200 ? 20 : 200, 0x00);
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[0], c.command | 0x20);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Classes, SimRelayPath,
    ::testing::Values(TRelayCase{0x6601, 0x05FF, 5, 20}, TRelayCase{0x6601, 0x0600, 2, 200},
                      TRelayCase{0x6601, 0x0A01, 2, 200}, TRelayCase{0x6605, 0x0100, 2, 200},
                      TRelayCase{0x6606, 0x0700, 5, 20}, TRelayCase{0x6607, 0x0000, 5, 20},
                      TRelayCase{0x6602, 0x0600, 0, 0}),
    [](const ::testing::TestParamInfo<TRelayCase>& param) {
        char name[32];
        std::snprintf(name, sizeof name, "class%04X_v%04X", param.param.cls, param.param.version);
        return std::string(name);
    });

TEST(SimProtocol, FramesWithoutAnAnswer) {
    TSimLogger device;
    TFrame badCrc = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);
    badCrc[7] ^= 0x01;
    TFrame noCommandBit{0x01, 0, 0, 0, 0, 0, 0, 0};
    noCommandBit[7] = calculateCRC8(noCommandBit.data(), 7);
    EXPECT_FALSE(device.onFrame(buildCommandFrame(255, 1, 2, 3, 4, 5, 6)));
    EXPECT_FALSE(device.onFrame(badCrc));
    EXPECT_FALSE(device.onFrame(noCommandBit));
    const TSimCounters counters = device.counters();
    EXPECT_EQ(counters.wakeFrames, 1u);
    EXPECT_EQ(counters.badFrames, 2u);
    EXPECT_EQ(counters.frames, 0u);
    EXPECT_EQ(counters.replies, 0u);
}

TEST(SimProtocol, UnknownCommandsAndSubCommandsRaiseTheDeviceException) {
    TSimLogger device;
    TSimClient client(device);
    for (const int sub : {0x04, 0x09, 0x0C, 0x7F, 0x91, 0xFF}) {
        const auto reply = client.relay(static_cast<std::uint8_t>(sub));
        ASSERT_TRUE(reply) << int(sub);
        EXPECT_EQ((*reply)[0], 0x22) << int(sub);
    }
    const auto reply = client.frame(7);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[0], 0x27);
    EXPECT_EQ(device.counters().rejectedFrames, 7u);
}

TEST(SimProtocol, TransferBufferAnswersTheOldBytesComplementedAndStoresTheNew) {
    TSimLogger device;
    TSimClient client(device);
    using G = std::array<std::uint8_t, 4>;
    struct {
        std::uint8_t group;
        G written;
    } const cases[] = {{0, {0x01, 0x00, 0x00, 0x05}},
                       {7, {0xFF, 0x00, 0x5A, 0xA5}},
                       {16, {0x12, 0x34, 0x56, 0x78}}};
    for (const auto& c : cases) {
        const auto fresh = client.writeGroup(c.group, c.written);
        ASSERT_TRUE(fresh);
        EXPECT_EQ(*fresh, (G{0, 0, 0, 0})) << int(c.group);
        // The raw reply carries the stored bytes complemented; a read stores zeros.
        const auto raw = client.relay(static_cast<std::uint8_t>(0x80 + c.group));
        ASSERT_TRUE(raw);
        EXPECT_EQ((*raw)[1], 0);
        EXPECT_EQ((*raw)[2], 0);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ((*raw)[3 + i], static_cast<std::uint8_t>(~c.written[i]));
        }
        EXPECT_EQ(client.readGroup(c.group), (G{0, 0, 0, 0})) << int(c.group);
    }
    // Groups are independent: group n is bytes 4n..4n+3.
    client.writeGroup(3, {1, 2, 3, 4});
    client.writeGroup(4, {5, 6, 7, 8});
    const auto& buffer = device.transferBuffer();
    EXPECT_EQ(buffer[12], 1);
    EXPECT_EQ(buffer[19], 8);
    EXPECT_EQ(client.readGroup(3), (G{1, 2, 3, 4}));
}

TEST(SimProtocol, AnswerRecordCarriesPlatformAndPrint) {
    TSimOptions options;
    options.platform = 0x1234;
    options.print = 0xABCD;
    TSimLogger device(options);
    TSimClient client(device);
    const auto probe = client.relay(0);
    ASSERT_TRUE(probe);
    EXPECT_EQ((*probe)[0], 0x02);
    client.openController();
    EXPECT_EQ(client.sdCommand(0x20), 0);
    EXPECT_EQ(client.receive(10), 0);
    const std::vector<std::uint8_t> answer = client.readRecord(12);
    EXPECT_EQ(answer, (std::vector<std::uint8_t>{0x06, 0x00, 0x00, 0x05, 0x12, 0x34, 0xAB, 0xCD,
                                                 0x00, 0x00, 0x00, 0x00}));
}

TEST(SimProtocol, ControllerStatusForRecordsOutOfPlace) {
    struct TCase {
        const char* name;
        std::function<int(TSimClient&)> steps;
        int status;
    };
    const std::vector<std::uint8_t> line =
        recordOf(dataLine(0x4400, std::vector<std::uint8_t>(64, 7)));
    const std::vector<std::uint8_t> sent(line.begin(), line.end() - 1);
    const TCase cases[] = {
        {"command before sub-command 2", [](TSimClient& c) { return c.sdCommand(0x20); },
         kSdNotOpen},
        {"command after sub-command 1",
         [](TSimClient& c) {
             c.openController();
             c.relay(1);
             return c.sdCommand(0x20);
         },
         kSdNotOpen},
        {"end before begin",
         [](TSimClient& c) {
             c.openController();
             return c.sdCommand(0x32);
         },
         kSdNotProgramming},
        {"line before begin",
         [&](TSimClient& c) {
             c.openController();
             c.writeRecord(sent);
             return c.send(68);
         },
         kSdNotProgramming},
        {"unknown SD command",
         [](TSimClient& c) {
             c.openController();
             return c.sdCommand(0x40);
         },
         kSdUnknownCommand},
        {"count byte does not fit the send count",
         [&](TSimClient& c) {
             c.openController();
             c.sdCommand(0x31);
             c.writeRecord(sent);
             return c.send(36);
         },
         kSdBadRecord},
        {"send of more than the buffer",
         [](TSimClient& c) {
             c.openController();
             return c.send(69);
         },
         kSdBadRecord},
        {"record of another type",
         [](TSimClient& c) {
             c.openController();
             c.sdCommand(0x31);
             c.writeRecord({0x02, 0x00, 0x00, 0x04, 0x00, 0x01});
             return c.send(6);
         },
         kSdBadRecord},
        {"receive with nothing pending",
         [](TSimClient& c) {
             c.openController();
             return c.receive(10);
         },
         kSdNothingToReceive},
        {"receive of another count",
         [](TSimClient& c) {
             c.openController();
             c.sdCommand(0x20);
             return c.receive(68);
         },
         kSdBadCount},
        {"receive after a send dropped the answer",
         [](TSimClient& c) {
             c.openController();
             c.sdCommand(0x20);
             c.sdCommand(0x31);
             return c.receive(10);
         },
         kSdNothingToReceive},
    };
    for (const TCase& c : cases) {
        TSimLogger device;
        TSimClient client(device);
        EXPECT_EQ(c.steps(client), c.status) << c.name;
    }
}

TEST(SimProtocol, ReadBackComesFromTheFlashAndRepeatsUntilTheNextSend) {
    TSimLogger device;
    TSimClient client(device);
    client.openController();
    ASSERT_EQ(client.sdCommand(0x31), 0);
    std::vector<std::uint8_t> data(64);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 3);
    }
    const std::vector<std::uint8_t> record = recordOf(dataLine(0x4440, data));
    const std::vector<std::uint8_t> sent(record.begin(), record.end() - 1);
    client.writeRecord(sent);
    // The buffer is overwritten between send and receive: the receive refills it.
    ASSERT_EQ(client.send(68), 0);
    client.writeRecord(std::vector<std::uint8_t>(68, 0x55));
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(client.receive(68), 0);
        EXPECT_EQ(client.readRecord(68), sent);
    }
    EXPECT_TRUE(device.isProgrammed(0x4440));
    EXPECT_TRUE(device.isProgrammed(0x447F));
    EXPECT_FALSE(device.isProgrammed(0x443F));
    EXPECT_FALSE(device.isProgrammed(0x4480));
    EXPECT_EQ(device.flash()[0x4441], 3);
    EXPECT_EQ(device.counters().linesProgrammed, 1u);
}

TEST(SimProtocol, FullUpdateFlashesTheImageByteForByteOnBothPaths) {
    for (const auto& [cls, version] :
         {std::pair<std::uint16_t, std::uint16_t>{0x6601, 0x0600}, {0x6606, 0x0100}}) {
        TSimLogger device(loggerOf(cls, version));
        const std::vector<std::string> image = syntheticImage(0x4400, 205, 3);
        const TMiniUpdateResult result = runMiniUpdate(device, image);
        ASSERT_TRUE(result.ok) << result.failure;
        EXPECT_EQ(result.lineRetries, 0);
        EXPECT_EQ(device.flashHexRecords(), image);
        EXPECT_TRUE(device.programmingEnded());
        EXPECT_TRUE(device.restarted());
        const TSimCounters counters = device.counters();
        EXPECT_EQ(counters.linesProgrammed, 207u);
        EXPECT_EQ(counters.restarts, 1u);
        EXPECT_EQ(counters.rejectedFrames, 0u);
    }
}

TEST(SimProtocol, BeginCommandErasesWhatAnEarlierRunProgrammed) {
    TSimLogger device;
    ASSERT_TRUE(runMiniUpdate(device, syntheticImage(0x8000, 225, 1)).ok);
    const std::vector<std::string> second = syntheticImage(0x4400, 257, 2);
    ASSERT_TRUE(runMiniUpdate(device, second).ok);
    EXPECT_EQ(device.flashHexRecords(), second);
    EXPECT_EQ(device.counters().restarts, 2u);
}

TEST(SimProtocol, FlashRecordsCutEachProgrammedRunIntoSixtyFourBytes) {
    TSimLogger device;
    TSimClient client(device);
    client.openController();
    client.sdCommand(0x31);
    const auto program = [&](std::uint16_t address, std::size_t count) {
        std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(count),
                                        static_cast<std::uint8_t>(address >> 8),
                                        static_cast<std::uint8_t>(address), 0x00};
        bytes.resize(4 + count, 0xA5);
        client.writeRecord(bytes);
        return client.send(static_cast<std::uint8_t>(bytes.size()));
    };
    ASSERT_EQ(program(0x1010, 32), 0);
    ASSERT_EQ(program(0x1030, 64), 0);
    ASSERT_EQ(program(0xFFC0, 64), 0);
    EXPECT_EQ(program(0xFFE0, 64), kSdBadRecord); // beyond 64 KiB
    const std::vector<std::uint8_t> a5(64, 0xA5);
    EXPECT_EQ(device.flashHexRecords(),
              (std::vector<std::string>{dataLine(0x1010, a5),
                                        dataLine(0x1050, std::vector<std::uint8_t>(32, 0xA5)),
                                        dataLine(0xFFC0, a5)}));
}

TEST(SimProtocol, FinalFrameRestartsOnlyWhenItIsTheLoggersOwn) {
    struct TCase {
        std::uint16_t cls;
        TFrame frame;
        bool restarts;
    };
    const TCase cases[] = {
        {0x6605, buildCommandFrame(2, 0x80, 0x00, 0x22, 0x11, 0x00, 0x00), true},
        {0x6607, buildCommandFrame(5, 0x02, 0x00, 0xA5, 0x5A, 0x00, 0x00), true},
        {0x6605, buildCommandFrame(5, 0x02, 0x00, 0xA5, 0x5A, 0x00, 0x00), false},
        {0x6607, buildCommandFrame(2, 0x80, 0x00, 0x22, 0x11, 0x00, 0x00), false},
        {0x6605, buildCommandFrame(2, 0x80, 0x00, 0x22, 0x12, 0x00, 0x00), false},
    };
    for (const TCase& c : cases) {
        TSimLogger device(loggerOf(c.cls, 0x0600));
        const auto reply = device.onFrame(c.frame);
        EXPECT_EQ(device.restarted(), c.restarts) << std::hex << c.cls;
        // The restarting module answers nothing; a frame it does not know gets the exception.
        EXPECT_EQ(reply.has_value(), !c.restarts);
    }
}

TEST(SimProtocol, ByteStreamSplitsFramesAnywhereAndResynchronisesAfterAPause) {
    TSimLogger device;
    const TFrame ident = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);
    std::vector<std::uint8_t> stream(16, 0); // two wake frames
    for (int i = 0; i < 3; ++i) {
        stream.insert(stream.end(), ident.begin(), ident.end());
    }
    std::size_t replies = 0;
    for (std::size_t at = 0; at < stream.size(); at += 5) {
        const std::size_t n = std::min<std::size_t>(5, stream.size() - at);
        replies += device.feed(std::span(stream).subspan(at, n)).size();
    }
    EXPECT_EQ(replies, 3u);
    EXPECT_EQ(device.counters().wakeFrames, 2u);

    // Three stray bytes, a pause, then a whole frame.
    device.feed(std::span(ident).first(3));
    EXPECT_TRUE(device.hasPartialFrame());
    device.dropPartialFrame();
    EXPECT_EQ(device.feed(ident).size(), 1u);
    EXPECT_EQ(device.counters().droppedBytes, 3u);
}

} // namespace
