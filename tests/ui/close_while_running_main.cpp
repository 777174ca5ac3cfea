// The program itself, closed while a worker runs: the operator starts an update on a logger
// that never answers, closes the window and confirms with "Yes". The process must end at once
// and cleanly (exit code 0), with the worker still running.
#include "ui_test_support.h"

#include "comm/uCommThread.h"
#include "sim/sim_options.h"
#include "sim/sim_server.h"
#include "ui/program.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    TSimOptions options;
    options.faults.push_back(*parseFault("silence@any:1x1000000"));
    // Never destroyed: it serves until the process ends, as a real logger would.
    auto* sim = new TSimServer(options);

    return runProgram(argc, argv, [sim](TfrmMain& main) {
        // "Yes" to the question about saved measurements, then "Yes" to closing.
        auto* clicker = new TModalClicker({{QStringLiteral("Yes")}, {QStringLiteral("Yes")}});
        clicker->setParent(&main);
        typePort(main, QString::fromStdString(sim->slavePath()));
        QTest::mouseClick(main.btnProg, Qt::LeftButton);
        QTimer::singleShot(300, &main, [&main, clicker] {
            if (!main.running() || TCommThread::liveWorkers() == 0) {
                std::fprintf(stderr, "no update was running\n");
                QCoreApplication::exit(3);
                return;
            }
            main.close();
            if (main.isVisible() || clicker->seen().size() != 2) {
                std::fprintf(stderr, "the close was not confirmed\n");
                QCoreApplication::exit(4);
            }
        });
    });
}
