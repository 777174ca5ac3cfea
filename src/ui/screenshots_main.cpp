// sdupdate-screenshots: renders the program's windows into PNG files, for the documentation
// and for a look at the layout. Run under an X server (scripts/screenshots uses Xvfb) or, the
// Windows build, under wine (scripts/test-windows):
//   sdupdate-screenshots normal OUTDIR          the main window, the overview
//   sdupdate-screenshots internal OUTDIR f:+    internal mode: the main window, an update
//                                                against the simulated logger, the report,
//                                                the message window and the whole screen
// Internal mode needs the setting intern=2483 (XDG_CONFIG_HOME/Quorvane/Zel.conf; on Windows
// the registry value, and the simulated logger a null-modem pair, see sim/sim_line.h).
// For every picture one line on stdout: its path, its size in pixels, the window's size in
// device-independent pixels and the screen's scale, and for the main window the height of its
// menu bar (the client area below it is the window's fixed layout):
//   OUTDIR/main_normal.png 666x363 window 444x242 scale 1.5 menu 22
#include "sim/sim_server.h"
#include "ui/program.h"
#include "ui/uInfo.h"
#include "ui/uMain.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

QString gOutDir;
int gFailures = 0;

void save(const QPixmap& pixmap, const char* name, const QWidget* window = nullptr) {
    const QString path = QDir(gOutDir).filePath(QString::fromLatin1(name) + ".png");
    if (pixmap.isNull() || !pixmap.save(path)) {
        std::fprintf(stderr, "sdupdate-screenshots: cannot write %s\n", qPrintable(path));
        ++gFailures;
        return;
    }
    std::printf("%s %dx%d", qPrintable(path), pixmap.width(), pixmap.height());
    if (window != nullptr) {
        std::printf(" window %dx%d scale %g", window->width(), window->height(),
                    window->devicePixelRatioF());
        if (const auto* main = qobject_cast<const QMainWindow*>(window)) {
            std::printf(" menu %d", main->menuBar()->height());
        }
    }
    std::printf("\n");
    std::fflush(stdout);
}

void save(QWidget* window, const char* name) {
    save(window->grab(), name, window);
}

void saveScreen(const char* name) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        save(screen->grabWindow(0), name);
    }
}

// Calls `then` once `window` is the active modal window, after it has been painted.
void whenModal(QWidget* window, std::function<void()> then) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, window, then] {
        if (QApplication::activeModalWidget() == window && window->isVisible()) {
            timer->stop();
            timer->deleteLater();
            QTimer::singleShot(300, qApp, then);
        }
    });
    timer->start();
}

void normalSet(TfrmMain& main) {
    QTimer::singleShot(500, &main, [&main] {
        save(&main, "main_normal");
        whenModal(frmInfo, [] {
            save(frmInfo, "overview");
            frmInfo->accept();
            QTimer::singleShot(100, qApp, [] { QCoreApplication::exit(gFailures); });
        });
        main.menInfoFirmwareClick();
    });
}

void internalSet(TfrmMain& main, const std::string& port) {
    main.cbxPort->setEditText(QString::fromStdString(port));
    QTimer::singleShot(800, &main, [&main] {
        save(&main, "main_internal_files");
        saveScreen("screen_internal_idle");
        whenModal(frmMessage, [&main] {
            save(frmMessage, "message");
            saveScreen("screen_after_update");
            frmMessage->Button1->click();
            QTimer::singleShot(300, qApp, [&main] {
                save(frmProtocol, "report");
                save(&main, "main_after_update");
                QCoreApplication::exit(gFailures);
            });
        });
        main.btnProg->click(); // internal mode: no question
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 ||
        (std::strcmp(argv[1], "normal") != 0 && std::strcmp(argv[1], "internal") != 0)) {
        std::fprintf(stderr, "usage: sdupdate-screenshots normal|internal OUTDIR [options]\n");
        return 2;
    }
    const bool internal = std::strcmp(argv[1], "internal") == 0;
    gOutDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(gOutDir);
    std::unique_ptr<TSimServer> sim;
    if (internal) {
        sim = std::make_unique<TSimServer>(TSimOptions{}); // fits built-in image 3
    }
    const int result = runProgram(argc, argv, [&](TfrmMain& main) {
        if (internal) {
            internalSet(main, sim->slavePath());
        } else {
            normalSet(main);
        }
    });
    return result;
}
