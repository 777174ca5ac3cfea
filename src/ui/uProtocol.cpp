#include "ui/uProtocol.h"

#include "ui/ui_support.h"
#include "workflow/report_line.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

TfrmProtocol* frmProtocol = nullptr;

namespace {
constexpr int kDesignPpi = 96;
} // namespace

TfrmProtocol::TfrmProtocol(QWidget* mainWindow)
    // A title bar without system menu, so without buttons: the operator cannot close it.
    : QWidget(mainWindow, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmProtocol"));
    setWindowTitle(QStringLiteral("Report"));
    setFont(formFont("MS Sans Serif", 10, kDesignPpi));
    resize(layoutPx(454, kDesignPpi), layoutPx(141, kDesignPpi));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);

    frmProtocol = this;
    FormCreate(mainWindow);
}

TfrmProtocol::~TfrmProtocol() {
    if (frmProtocol == this) {
        frmProtocol = nullptr;
    }
}

void TfrmProtocol::FormCreate(QWidget* mainWindow) {
    if (mainWindow != nullptr) {
        const QRect main = mainWindow->frameGeometry();
        move(main.left(), main.top() + main.height());
        resize(clientWidthFor(*this, main.width()), height());
    }
    Clear();
}

void TfrmProtocol::Add(const std::string& sLine) {
    Memo1->appendPlainText(toQString(reportLine(sLine)));
    QScrollBar* bar = Memo1->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void TfrmProtocol::Clear() {
    Memo1->clear();
}

QStringList TfrmProtocol::lines() const {
    const QString text = Memo1->toPlainText();
    if (text.isEmpty() && Memo1->document()->blockCount() <= 1) {
        return {};
    }
    return text.split(QLatin1Char('\n'));
}
