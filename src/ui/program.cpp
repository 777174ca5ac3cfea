#include "ui/program.h"

#include "comm/uCommThread.h"
#include "settings/update_settings.h"
#include "ui/process_end.h"
#include "ui/uInfo.h"
#include "ui/uMain.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"
#include "update/uSDCommThread.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

int runWindows(int argc, char** argv, const std::function<void(TfrmMain&)>& started) {
    // The modules initialised themselves before main: image 0 is empty and
    // gReadInfoOnlyAvailable is true.
    QApplication app(argc, argv);
    gWorkerClass = createWorker<TSDCommThread>;

    int exitCode = 0;
    {
        // The command line as it was given, element 0 the program path.
        std::vector<std::string> args(argv, argv + argc);
        auto main = std::make_unique<TfrmMain>(std::move(args));
        createSecondaryWindows(*main);
        main->show();
        if (started) {
            started(*main);
        }
        exitCode = QApplication::exec();
    }
    return exitCode;
}

} // namespace

void createSecondaryWindows(TfrmMain& main) {
    // Owned by the main window; none of them is shown yet.
    new TfrmInfo(&main);
    new TfrmProtocol(&main);
    new TfrmMessage(&main);
}

int runProgram(int argc, char** argv, const std::function<void(TfrmMain&)>& started) {
    // The one argument of the program's own besides the window's key:value options.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("sdupdate %s\n", SDU_VERSION);
        return 0;
    }
    int exitCode = 1;
    try {
        exitCode = runWindows(argc, argv, started);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sdupdate: %s\n", e.what());
        exitCode = 1;
    }
    if (TCommThread::liveWorkers() > 0) {
        // A worker that still runs is neither cancelled nor awaited: it ends with the process.
        // The process ends here, before the destructors of static objects run, so the worker
        // never meets a destroyed one.
        std::fflush(nullptr);
        endProcessNow(exitCode);
    }
    // A worker that has just ended may still be leaving its thread: the process ends after it.
    TCommThread::waitUntilNoneLive(std::chrono::seconds(2));
    return exitCode;
}
