// The table of status and error codes, checked against itself: every code the system knows has
// one row, every row that shows something has a text, every name is fit for machine-readable
// output and every exit status is one a process can return.
#include "comm/uExceptions1V0.h"
#include "settings/update_settings.h"
#include "workflow/status_table.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace {

const std::regex kName("[a-z][a-z0-9_]*");

TEST(StatusTable, EveryStatusCodeHasOneRowWithANameAndItsTexts) {
    gSelectedImage = 3; // codes 0 and 26 name the chosen image
    const std::set<std::int32_t> known = {
        kStatusCompleted,
        kStatusProgress,
        kStatusFailed,
        kStatusProgrammingError,
        kStatusConversionError,
        kStatusRepeat,
        kStatusSdTxError,
        kStatusSdRxError,
        kStatusClass,
        kStatusVersion,
        kStatusPlatform,
        kStatusPrint,
        kStatusInfo,
        kStatusUpdateClass,
        kStatusUpdate,
        kStatusCheck,
        kStatusUpdateInfo,
        kStatusUnknownRadio,
        kStatusFormat,
        kStatusVectorTable,
        kStatusShared,
        kStatusResistor,
        kStatusBlid,
    };
    std::set<std::int32_t> codes;
    std::set<std::string> names;
    for (const TStatusRow& row : statusRows()) {
        EXPECT_TRUE(codes.insert(row.code).second) << "two rows for status " << row.code;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_TRUE(std::regex_match(row.name, kName)) << row.name;
        EXPECT_EQ(findStatusRow(row.code), &row);
        for (const char output : row.outputs) {
            EXPECT_NE(std::string("RSM").find(output), std::string::npos) << row.code;
        }
        if (row.effect == TRunEffect::Fails) {
            EXPECT_TRUE(row.outputs.empty()) << "the error code's row decides the outputs";
            continue;
        }
        // A row that shows something has a text for an ordinary value.
        ASSERT_NE(row.text, nullptr) << row.code;
        if (!row.outputs.empty()) {
            EXPECT_TRUE(row.text(row.code == kStatusCheck ? 3 : 0, "COM3")) << row.code;
        }
    }
    EXPECT_EQ(codes, known);
    EXPECT_EQ(findStatusRow(2), nullptr);
    EXPECT_EQ(findStatusRow(103), nullptr);
}

TEST(StatusTable, EveryErrorCodeHasOneRowWithATextAndAnExitStatus) {
    const std::set<std::int32_t> known = {
        kErrFatal,         kErrPortNotReady,  kErrPortIo,   kErrCancelled,  kErrNoReply,
        kErrNoUpdatePath,  kErrNotReady,      kErrLastLine, kErrConversion, kErrRepeatProgramming,
        kErrNotSuccessful, kErrInvalidAnswer, kErrNoImage,  kErrSdAnswer,   kErrFormat,
        kErrReadInfoOnly,  kErrKeTimeout,     kErrKeCrc,    kErrKePor,      kErrTestUnavailable,
    };
    std::set<std::int32_t> codes;
    std::set<std::string> names;
    std::set<int> exitCodes;
    for (const TErrorRow& row : errorRows()) {
        EXPECT_TRUE(codes.insert(row.code).second) << "two rows for error " << row.code;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        EXPECT_TRUE(std::regex_match(row.name, kName)) << row.name;
        EXPECT_EQ(&errorRow(row.code), &row);
        ASSERT_NE(row.text, nullptr) << row.code;
        EXPECT_FALSE(row.text("COM3").empty()) << row.code;
        EXPECT_FALSE(row.outputs.empty()) << row.code;
        // A process exit status; 0 is success and 2 and 3 are the updater's own.
        EXPECT_GE(row.exitCode, 1) << row.code;
        EXPECT_LE(row.exitCode, 255) << row.code;
        EXPECT_NE(row.exitCode, 2) << row.code;
        EXPECT_NE(row.exitCode, 3) << row.code;
        EXPECT_TRUE(exitCodes.insert(row.exitCode).second) << row.code;
    }
    EXPECT_EQ(codes, known);
    // Only a failed programming starts a new run by itself.
    for (const TErrorRow& row : errorRows()) {
        EXPECT_EQ(row.restarts, row.code == kErrRepeatProgramming) << row.code;
    }
    // An unlisted code is shown and ends as error 0 does.
    EXPECT_EQ(&errorRow(99), &errorRow(kErrFatal));
}

TEST(StatusTable, HowARunEndedGivesExitStatusAndResultName) {
    struct Case {
        std::optional<TStatusMessage> endedWith;
        int exitStatus;
        const char* name;
    } const cases[] = {
        {TStatusMessage{kStatusCompleted, 0}, 0, "success"},
        {TStatusMessage{kStatusRepeat, 0}, 30, "no_reply"}, // past the restarts
        {TStatusMessage{kStatusFailed, kErrCancelled}, 20, "cancelled"},
        {TStatusMessage{kStatusFailed, kErrRepeatProgramming}, 44, "programming"},
        {TStatusMessage{kStatusFailed, kErrFatal}, 1, "fatal"},
        {TStatusMessage{kStatusFailed, 99}, 1, "fatal"}, // unlisted
        {std::nullopt, 1, "fatal"},                      // no run ended
    };
    for (const auto& c : cases) {
        EXPECT_EQ(exitStatusFor(c.endedWith), c.exitStatus) << c.name;
        EXPECT_EQ(resultName(c.endedWith), c.name);
    }
    EXPECT_EQ(resultText(TStatusMessage{kStatusFailed, kErrCancelled}, "COM3"),
              "Process cancelled!");
    EXPECT_EQ(resultText(TStatusMessage{kStatusRepeat, 0}, "COM3"),
              "Repeat update because communication error!");
}

} // namespace
