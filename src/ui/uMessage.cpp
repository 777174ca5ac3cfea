#include "ui/uMessage.h"

#include "ui/ui_support.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmMessage* frmMessage = nullptr;

namespace {
constexpr int kDesignPpi = 120;
constexpr int kMargin = 3;
} // namespace

TfrmMessage::TfrmMessage(QWidget* parent)
    // Dialog border without title-bar buttons.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmMessage"));
    setWindowTitle(QStringLiteral("Information"));
    setFont(formFont("Tahoma", 13, kDesignPpi));
    setModal(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setMinimumSize(24, 24); // the window may be as low as its design

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(layoutPx(45, kDesignPpi));
    Button1 = new QPushButton(QStringLiteral("OK"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedWidth(layoutPx(93, kDesignPpi));
    Button1->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    Button1->setDefault(true);
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    panelLayout->addWidget(Button1);
    panelLayout->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* memoLayout = new QVBoxLayout;
    memoLayout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    memoLayout->addWidget(Memo1);
    layout->addLayout(memoLayout, 1);
    layout->addWidget(Panel1);
    resize(layoutPx(435, kDesignPpi), layoutPx(101, kDesignPpi));

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    frmMessage = this;
}

TfrmMessage::~TfrmMessage() {
    if (frmMessage == this) {
        frmMessage = nullptr;
    }
}

void TfrmMessage::showMsg(const std::string& sMsg, int x, int y, int w, int h) {
    const int ownHeight = outerHeightOf(*this);
    move(x + 10, y + h - ownHeight - 10);
    resize(clientWidthFor(*this, w - 20), height());
    Memo1->clear();
    Memo1->setPlainText(displayText(sMsg));
    Button1->setFocus();
    exec();
}

void TfrmMessage::Button1Click() {
    accept();
}
