#include "ui_test_support.h"

#include "comm/uCommThread.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "support/program_settings.h"
#include "ui/program.h"
#include "ui/uProtocol.h"
#include "update/uSDCommThread.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

void resetProgramState() {
    resetProgramSettings();
    gWorkerClass = createWorker<TSDCommThread>;
    TfrmMain::setPortSource([] { return std::vector<std::string>{}; });
}

void TRecordingMain::addReportLine(const std::string& text) {
    outputs.push_back({'R', text, std::chrono::steady_clock::now()});
    TfrmMain::addReportLine(text);
}

void TRecordingMain::setStatusText(const std::string& text) {
    outputs.push_back({'S', text, std::chrono::steady_clock::now()});
    TfrmMain::setStatusText(text);
}

void TRecordingMain::showMessageText(const std::string& text) {
    outputs.push_back({'M', text, std::chrono::steady_clock::now()});
    TfrmMain::showMessageText(text);
}

void TRecordingMain::clearReport() {
    outputs.push_back({'C', {}, std::chrono::steady_clock::now()});
    TfrmMain::clearReport();
}

std::vector<std::string> TRecordingMain::reportTexts() const {
    std::vector<std::string> texts;
    for (const TOutput& o : outputs) {
        if (o.kind == 'R') {
            texts.push_back(o.text);
        }
    }
    return texts;
}

std::unique_ptr<TRecordingMain> createWindows(const QStringList& args) {
    std::vector<std::string> argv{"sdupdate"};
    for (const QString& arg : args) {
        argv.push_back(arg.toStdString());
    }
    auto main = std::make_unique<TRecordingMain>(argv);
    createSecondaryWindows(*main);
    main->show();
    return main;
}

TModalClicker::TModalClicker(std::vector<TAnswer> answers) : FAnswers(std::move(answers)) {
    qApp->installEventFilter(this);
}

TModalClicker::~TModalClicker() {
    qApp->removeEventFilter(this);
}

bool TModalClicker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        auto* widget = qobject_cast<QDialog*>(watched);
        if (widget != nullptr && widget->isWindow()) {
            QPointer<QWidget> window(widget);
            QTimer::singleShot(20, this, [this, window] { answer(window); });
        }
    }
    return QObject::eventFilter(watched, event);
}

namespace {

QString textOf(QWidget* window) {
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        return box->text();
    }
    if (auto* memo = window->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))) {
        return memo->toPlainText();
    }
    if (auto* list = window->findChild<QTreeWidget*>()) {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c) {
                cells << list->topLevelItem(i)->text(c);
            }
            rows << cells.join(QLatin1Char('\t'));
        }
        return rows.join(QLatin1Char('\n'));
    }
    return {};
}

} // namespace

void TModalClicker::answer(QPointer<QWidget> window) {
    if (window.isNull() || !window->isVisible()) {
        return;
    }
    if (onAnswer) {
        onAnswer(window.data());
    }
    FSeen.push_back({QString::fromLatin1(window->metaObject()->className()), window->windowTitle(),
                     textOf(window.data()), window->frameGeometry()});
    auto* dialog = qobject_cast<QDialog*>(window.data());
    if (FNext >= FAnswers.size()) {
        ++FUnexpected;
        if (dialog != nullptr) {
            dialog->reject();
        }
        return;
    }
    const TAnswer next = FAnswers[FNext++];
    if (auto* files = qobject_cast<QFileDialog*>(window.data())) {
        if (next.file.isEmpty()) {
            files->reject();
        } else {
            // Typed into the name field, then "Open".
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name != nullptr) {
                name->setText(next.file);
            } else {
                files->selectFile(next.file);
            }
            static_cast<QDialog*>(files)->accept();
        }
        return;
    }
    if (next.button == QStringLiteral("<close>")) {
        window->close(); // the title bar's close button
        return;
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->isVisible() && button->text().remove(QLatin1Char('&')) == next.button) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    ++FUnexpected; // no such button: close it all the same
    if (dialog != nullptr) {
        dialog->reject();
    }
}

bool waitFor(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    return QTest::qWaitFor(predicate, static_cast<int>(timeout.count()));
}

void typePort(TfrmMain& main, const QString& text) {
    QLineEdit* edit = main.cbxPort->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}
