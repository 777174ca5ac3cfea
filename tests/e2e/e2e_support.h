#pragma once
// Helpers of the end-to-end tests: the real update worker through the real serial code against
// the simulated logger on a pty.

#include "comm/uExceptions1V0.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "sim/sim_server.h"
#include "support/program_settings.h"
#include "support/test_worker.h"
#include "update/uSDCommThread.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using Messages = std::vector<TStatusMessage>;

// Readable failure output: "(code, value)".
inline void PrintTo(const TStatusMessage& m, std::ostream* os) {
    *os << "(" << m.code << ", " << m.value << ")";
}

// The update settings as the program starts with them; put back after every test.
using TSettingsGuard = TProgramSettingsGuard;

inline Messages runUpdate(const std::string& port, TCmd cmd = TCmd::tCMD0) {
    return runWorker(createWorker<TSDCommThread>, cmd, port);
}

// The data lines of an image: every line but the end-of-file record.
inline std::vector<std::string> dataLinesOf(int image) {
    std::vector<std::string> lines;
    std::string text;
    int last = 0;
    TBl3FileHeader header;
    accessFirmware(image, kFwOpLastLine, 0, text, last, header);
    for (int i = 0; i < last; ++i) {
        int unused = 0;
        accessFirmware(image, kFwOpLine, i, text, unused, header);
        lines.push_back(text);
    }
    return lines;
}

// Only the messages of one status code.
inline Messages withCode(const Messages& all, std::int32_t code) {
    Messages some;
    for (const auto& m : all) {
        if (m.code == code) {
            some.push_back(m);
        }
    }
    return some;
}
