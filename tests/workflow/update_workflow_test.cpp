#include "comm/uExceptions1V0.h"
#include "settings/update_settings.h"
#include "workflow/status_texts.h"
#include "workflow/update_workflow.h"

#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <system_error>

namespace {

using Events = std::vector<std::string>;

class TRecordingView : public TWorkflowView {
public:
    Events events;
    void addReportLine(const std::string& t) override { events.push_back("R:" + t); }
    void clearReport() override { events.push_back("clear"); }
    void setStatusText(const std::string& t) override { events.push_back("S:" + t); }
    void showMessageText(const std::string& t) override { events.push_back("M:" + t); }
    void setProgress(int p) override { events.push_back("P:" + std::to_string(p)); }
    void setApplicationTitle(const std::string& t) override { events.push_back("T:" + t); }
    void beep() override { events.push_back("beep"); }
    void setRunning(bool r) override { events.push_back(r ? "running" : "idle"); }
    std::string portText() const override { return "COM3"; }
    bool readInfoOnlyChecked() const override { return false; }
    void pauseFrontEnd(std::chrono::milliseconds d) override {
        events.push_back("pause:" + std::to_string(d.count()));
        if (onPause) {
            onPause();
        }
    }
    bool cancelRequested() const override { return standingCancel; }
    void restarting() override { events.push_back("restarting"); }

    std::function<void()> onPause;
    bool standingCancel = false;
};

// Workers created by the workflow: their command and the cancel flag at creation. They post to
// no window and end at once (their port does not exist).
struct TCreated {
    TCmd cmd;
    bool cancelAtCreation;
};
std::mutex gCreatedLock;
std::vector<TCreated> gCreated;

std::unique_ptr<TCommThread> recordingWorkerClass(TWindowHandle, TCmd cmd, const std::string&) {
    std::lock_guard guard(gCreatedLock);
    gCreated.push_back({cmd, gCancel.load()});
    return std::make_unique<TCommThread>(kNoWindow, cmd, "");
}

class UpdateWorkflowTest : public ::testing::Test {
protected:
    void SetUp() override {
        gWorkerClass = recordingWorkerClass;
        gCreated.clear();
        gCancel = false;
        gSelectedImage = -1;
    }
    void TearDown() override {
        EXPECT_TRUE(TCommThread::waitUntilNoneLive(std::chrono::seconds(60)));
        gWorkerClass = nullptr;
        gCancel = false;
    }

    TRecordingView view;
    TUpdateWorkflow workflow{view, kNoWindow};
    const std::string start = "Start at serial port \"COM3\"";
    Events startEvents() const { return {"R:" + start, "S:" + start, "P:0", "running"}; }
};

TEST_F(UpdateWorkflowTest, OutputsPerStatusCode) {
    gSelectedImage = 3;
    const std::string done = *statusText(0, 0, "");
    struct Case {
        const char* what;
        std::int32_t code, value;
        Events expected;
    } const cases[] = {
        {"success", 0, 0, {"P:100", "idle", "T:Tarnwell", "R:" + done, "S:" + done, "M:" + done}},
        {"test command completes silently", 0, 3, {"P:100", "idle", "T:Tarnwell"}},
        {"progress", 1, 42, {"R:Progress 42%", "P:42", "T:42%"}},
        {"cancelled",
         10,
         20,
         {"idle", "T:Tarnwell", "beep", "R:Process cancelled!", "S:Process cancelled!",
          "M:Process cancelled!"}},
        {"conversion error: message only",
         10,
         43,
         {"idle", "T:Tarnwell", "beep", "M:Aborted because conversion error!"}},
        {"unlisted error code",
         10,
         99,
         {"idle", "T:Tarnwell", "beep", "R:Fatal Exception has occurred!",
          "S:Fatal Exception has occurred!", "M:Fatal Exception has occurred!"}},
        {"programming error line",
         11,
         4,
         {"R:Aborted because programming error at line 4 !",
          "S:Aborted because programming error at line 4 !"}},
        {"conversion error line", 12, 5, {"R:Aborted because conversion error at line  5 !"}},
        {"SD answer", 14, 0x312, {"R:Wrong answer from SD controller [TX 312] !"}},
        {"vector table value 2", 40, 2, {}},
        {"vector table value 1", 40, 1, {"R:Vector table is programmed."}},
        {"resistor: full report",
         101,
         2,
         {"R:No test result available!", "S:No test result available!",
          "M:No test result available!"}},
        {"unlisted code 2", 2, 0, {}},
        {"unlisted code 103", 103, 0, {}},
    };
    for (const auto& c : cases) {
        view.events.clear();
        gSelectedImage = 3;
        workflow.WMStatus(c.code, c.value);
        EXPECT_EQ(view.events, c.expected) << c.what;
    }
    EXPECT_TRUE(gCreated.empty());
}

TEST_F(UpdateWorkflowTest, StartAndFinish) {
    workflow.prepareRun();
    workflow.startWorker(TCmd::tCMD0);
    EXPECT_TRUE(workflow.running());
    Events expected = {"clear"};
    for (const auto& e : startEvents()) {
        expected.push_back(e);
    }
    EXPECT_EQ(view.events, expected);
    EXPECT_EQ(workflow.port(), "COM3");
    workflow.WMStatus(10, 10);
    EXPECT_FALSE(workflow.running());
    EXPECT_EQ(workflow.endedWith(), (TStatusMessage{10, 10}));
}

TEST_F(UpdateWorkflowTest, RepeatAfterNoReplyKeepsAPendingCancel) {
    workflow.startWorker(TCmd::tCMD0);
    gCancel = true; // pressed while the run was failing its last tries
    view.events.clear();
    workflow.WMStatus(13, 0x103); // the command is the low byte
    const std::string repeat = "Repeat update because communication error!";
    Events expected = {"S:" + repeat, "R:" + repeat, "pause:1500", "restarting"};
    for (const auto& e : startEvents()) {
        expected.push_back(e);
    }
    EXPECT_EQ(view.events, expected);
    ASSERT_EQ(gCreated.size(), 2u);
    EXPECT_EQ(gCreated[1].cmd, TCmd::tCMD_TEST);
    // Set before the new worker exists: no moment in which its first exchange could miss it.
    EXPECT_TRUE(gCreated[1].cancelAtCreation);
    EXPECT_TRUE(gCancel);
    EXPECT_TRUE(workflow.running());
    EXPECT_EQ(workflow.restarts(), 1);
}

// A cancel must reach the next worker wherever it arrives: during the pause before a restart,
// or as a standing request of the front end (a signal) across any start.
TEST_F(UpdateWorkflowTest, CancelArrivingAroundARestartIsCarriedIntoTheNewRun) {
    struct Case {
        const char* what;
        bool cancelDuringPause;
        bool standingCancel;
        std::int32_t code, value; // the message that restarts
        bool cancelAtCreation;
    } const cases[] = {
        {"no cancel, after status 13", false, false, 13, 0, false},
        {"cancel during the pause", true, false, 13, 0, true},
        {"standing cancel after status 13", false, true, 13, 0, true},
        {"no cancel, after error 44", false, false, 10, 44, false},
        {"standing cancel after error 44", false, true, 10, 44, true},
    };
    for (const auto& c : cases) {
        gCreated.clear();
        gCancel = false;
        view.standingCancel = false;
        view.onPause = nullptr;
        workflow.startWorker(TCmd::tCMD0);
        if (c.cancelDuringPause) {
            view.onPause = [] { gCancel = true; };
        }
        view.standingCancel = c.standingCancel;
        workflow.WMStatus(c.code, c.value);
        ASSERT_EQ(gCreated.size(), 2u) << c.what;
        EXPECT_EQ(gCreated[1].cancelAtCreation, c.cancelAtCreation) << c.what;
        EXPECT_EQ(gCancel.load(), c.cancelAtCreation) << c.what;
        workflow.WMStatus(10, 20); // the new run ends
        ASSERT_TRUE(TCommThread::waitUntilNoneLive(std::chrono::seconds(60)));
    }
    view.onPause = nullptr;
}

TEST_F(UpdateWorkflowTest, StandingCancelHoldsFromTheFirstStart) {
    view.standingCancel = true;
    workflow.startWorker(TCmd::tCMD0);
    ASSERT_EQ(gCreated.size(), 1u);
    EXPECT_TRUE(gCreated[0].cancelAtCreation);
}

TEST_F(UpdateWorkflowTest, RepeatAfterProgrammingErrorStartsAFreshUpdate) {
    workflow.startWorker(TCmd::tCMD_TEST);
    gCancel = true;
    view.events.clear();
    workflow.WMStatus(10, 44);
    const std::string repeat = "Repeat because programming error!";
    Events expected = {"idle", "T:Tarnwell", "beep", "R:" + repeat, "S:" + repeat, "restarting"};
    for (const auto& e : startEvents()) {
        expected.push_back(e);
    }
    EXPECT_EQ(view.events, expected);
    ASSERT_EQ(gCreated.size(), 2u);
    EXPECT_EQ(gCreated[1].cmd, TCmd::tCMD0);
    EXPECT_FALSE(gCancel);
    EXPECT_TRUE(workflow.running());
    EXPECT_FALSE(workflow.endedWith());
}

TEST_F(UpdateWorkflowTest, RestartLimitEndsTheRunInstead) {
    workflow.setRestartLimit(1);
    workflow.startWorker(TCmd::tCMD0);
    workflow.WMStatus(13, 0); // restart 1 of 1
    EXPECT_EQ(gCreated.size(), 2u);
    view.events.clear();
    workflow.WMStatus(13, 0);
    const std::string repeat = "Repeat update because communication error!";
    EXPECT_EQ(view.events, (Events{"S:" + repeat, "R:" + repeat, "idle", "T:Tarnwell"}));
    EXPECT_EQ(gCreated.size(), 2u);
    EXPECT_FALSE(workflow.running());
    EXPECT_EQ(workflow.endedWith(), (TStatusMessage{13, 0}));
}

TEST_F(UpdateWorkflowTest, WorkerThatCannotBeCreatedEndsTheRun) {
    gWorkerClass = [](TWindowHandle, TCmd, const std::string&) -> std::unique_ptr<TCommThread> {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    workflow.startWorker(TCmd::tCMD0);
    EXPECT_FALSE(workflow.running());
    EXPECT_EQ(workflow.endedWith(), (TStatusMessage{10, 0}));
    EXPECT_EQ(view.events.back(), "M:Fatal Exception has occurred!");
}

} // namespace
