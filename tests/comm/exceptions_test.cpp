#include "comm/uCommThread.h"
#include "comm/uExceptions1V0.h"

#include <gtest/gtest.h>

namespace {

TEST(EZel, Constructors) {
    EXPECT_EQ(EZel(44).iException, 44);
    EXPECT_STREQ(EZel(44).what(), "");
    EXPECT_STREQ(EZel(11, "ReadFile").what(), "ReadFile");
    EXPECT_STREQ(EZel(12, -305).what(), "-305");
    EXPECT_EQ(EZel(12, -305).iException, 12);
}

TEST(FinalMessage, FromException) {
    const auto cmd = static_cast<std::int32_t>(TCmd::tCMD_TEST);
    struct Case {
        const char* what;
        std::exception_ptr error;
        TStatusMessage expected;
    } const cases[] = {
        {"no reply repeats", std::make_exception_ptr(EZel(kErrNoReply)), {kStatusRepeat, cmd}},
        {"EZel fails with its code",
         std::make_exception_ptr(EZel(kErrRepeatProgramming)),
         {kStatusFailed, kErrRepeatProgramming}},
        {"negative code", std::make_exception_ptr(EZel(-7)), {kStatusFailed, -7}},
        {"std exception", std::make_exception_ptr(std::runtime_error("x")), {kStatusFailed, 0}},
        {"not an exception class", std::make_exception_ptr(42), {kStatusFailed, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(finalMessageFor(c.error, cmd), c.expected) << c.what;
    }
}

} // namespace
