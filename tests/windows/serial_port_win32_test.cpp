// The Win32 serial port and the worker on it. Ports that cannot be opened need nothing; the
// other tests need a logger (the simulated one) on the port named by SDU_TEST_COM_PORT, such
// as COM5, and are skipped without it.
#include "comm/frame.h"
#include "comm/serial_port.h"
#include "comm/uExceptions1V0.h"
#include "support/scratch_registry_win32.h"
#include "support/test_worker.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Messages = std::vector<TStatusMessage>;

const char* loggerPort() {
    const char* port = std::getenv("SDU_TEST_COM_PORT");
    return port != nullptr && *port != '\0' ? port : nullptr;
}

HANDLE handleOf(TPortHandle port) {
    return reinterpret_cast<HANDLE>(port);
}

TEST(SerialPortWin32, PortsThatCannotBeOpened) {
    for (const char* name : {"", "COM250", "NOSUCHPORT", "COM"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(openComPort(name, kLoggerBaudRate), kInvalidPortHandle);
    }
}

TEST(SerialPortWin32, WorkerOnAPortThatCannotBeOpenedGivesOnlyError10) {
    EXPECT_EQ(runTestWorker(TCmd::tCMD0, "COM250", [](TTestWorker& w) { w.sendCmd(true, 1); }),
              (Messages{{kStatusFailed, kErrPortNotReady}}));
}

class LoggerPort : public ::testing::Test {
protected:
    void SetUp() override {
        if (loggerPort() == nullptr) {
            GTEST_SKIP() << "no logger: set SDU_TEST_COM_PORT to the COM port of one";
        }
        gCancel = false;
    }
    void TearDown() override {
        closeComPort(FhPort);
        gCancel = false;
    }
    TPortHandle FhPort = kInvalidPortHandle;
};

TEST_F(LoggerPort, LineSettingsAndTimeoutsAreApplied) {
    FhPort = openComPort(loggerPort(), kLoggerBaudRate);
    ASSERT_NE(FhPort, kInvalidPortHandle);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(handleOf(FhPort), &dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fParity, 0u);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);
    // DTR and RTS are not compared: wine on a pseudo-terminal does not report them back.

    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(handleOf(FhPort), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);
}

TEST_F(LoggerPort, IdentificationExchange) {
    FhPort = openComPort(loggerPort(), kLoggerBaudRate);
    ASSERT_NE(FhPort, kInvalidPortHandle);
    const TFrame identify = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);
    std::size_t written = 0;
    ASSERT_TRUE(clearPortErrors(FhPort));
    ASSERT_TRUE(purgePort(FhPort));
    ASSERT_TRUE(writePort(FhPort, identify.data(), identify.size(), written));
    EXPECT_EQ(written, kFrameSize);
    TFrame reply{};
    std::size_t received = 0;
    ASSERT_TRUE(readPort(FhPort, reply.data(), reply.size(), received));
    ASSERT_EQ(received, kFrameSize);
    EXPECT_EQ(checkReply(reply.data(), received), TReplyCheck::Valid);
    EXPECT_EQ(reply[0], 0x01);
    EXPECT_EQ(bytesToWord(reply[2], reply[3]), 0x6601); // the simulated logger's class
}

TEST_F(LoggerPort, ReadWithNothingArrivingEndsWithNoBytes) {
    FhPort = openComPort(loggerPort(), kLoggerBaudRate);
    ASSERT_NE(FhPort, kInvalidPortHandle);
    TFrame reply{};
    std::size_t received = 99;
    ASSERT_TRUE(readPort(FhPort, reply.data(), reply.size(), received));
    EXPECT_EQ(received, 0u);
}

TEST_F(LoggerPort, ClosedPortOpensAgainAtOnce) {
    for (int round = 0; round < 3; ++round) {
        const TPortHandle port = openComPort(loggerPort(), kLoggerBaudRate);
        ASSERT_NE(port, kInvalidPortHandle) << "round " << round;
        closeComPort(port);
    }
}

TEST_F(LoggerPort, PortHeldOpenCannotBeOpenedTwice) {
    if (runningUnderWine()) {
        GTEST_SKIP() << "wine does not refuse a second open of a serial port";
    }
    FhPort = openComPort(loggerPort(), kLoggerBaudRate);
    ASSERT_NE(FhPort, kInvalidPortHandle);
    EXPECT_EQ(openComPort(loggerPort(), kLoggerBaudRate), kInvalidPortHandle);
}

TEST_F(LoggerPort, WorkerRunsItsJobAndClosesThePort) {
    struct Case {
        TCmd cmd;
        Messages expected;
    } const cases[] = {
        {TCmd::tCMD0, {{kStatusCompleted, 0}}},
        {TCmd::tCMD_TEST, {{kStatusCompleted, 3}}},
    };
    for (const Case& c : cases) {
        std::uint16_t loggerClass = 0;
        EXPECT_EQ(runTestWorker(c.cmd, loggerPort(),
                                [&](TTestWorker& w) {
                                    w.sendCmd(true, 1);
                                    loggerClass = bytesToWord(w.FRxBuffer[2], w.FRxBuffer[3]);
                                }),
                  c.expected);
        EXPECT_EQ(loggerClass, 0x6601);
    }
    // The worker closed the port before its final message.
    FhPort = openComPort(loggerPort(), kLoggerBaudRate);
    EXPECT_NE(FhPort, kInvalidPortHandle);
}

} // namespace
