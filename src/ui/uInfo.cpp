#include "ui/uInfo.h"

#include "ui/ui_support.h"
#include "workflow/overview_rows.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

TfrmInfo* frmInfo = nullptr;

namespace {
constexpr int kDesignPpi = 96;
constexpr int kColumnMargin = 5;
constexpr int kWindowMargin = 30;
} // namespace

TfrmInfo::TfrmInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Overview"));
    setFont(formFont("MS Sans Serif", 10, kDesignPpi));
    setSizeGripEnabled(false);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSortingEnabled(false);
    ListView1->setFocusPolicy(Qt::NoFocus);
    QStringList columns;
    for (const char* column : kOverviewColumns) {
        columns << QString::fromLatin1(column);
    }
    ListView1->setHeaderLabels(columns);
    QHeaderView* header = ListView1->header();
    header->setSectionsClickable(false); // a click on a column header does nothing
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < ListView1->columnCount(); ++i) {
        ListView1->setColumnWidth(i, layoutPx(41, kDesignPpi));
    }

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(layoutPx(37, kDesignPpi));
    Button1 = new QPushButton(QStringLiteral("OK"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(layoutPx(13, kDesignPpi), layoutPx(7, kDesignPpi),
                         layoutPx(98, kDesignPpi), layoutPx(24, kDesignPpi));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ListView1, 1);
    layout->addWidget(Panel1);
    resize(layoutPx(318, kDesignPpi), layoutPx(209, kDesignPpi));
    frmInfo = this;
}

TfrmInfo::~TfrmInfo() {
    if (frmInfo == this) {
        frmInfo = nullptr;
    }
}

void TfrmInfo::addRow(const TOverviewRow& row) {
    QStringList texts;
    for (const std::string& cell : row) {
        texts << toQString(cell);
    }
    ListView1->addTopLevelItem(new QTreeWidgetItem(texts));
}

int TfrmInfo::fitColumns() {
    QHeaderView* header = ListView1->header();
    int sum = 0;
    for (int i = 0; i < ListView1->columnCount(); ++i) {
        // Fitting header and cells, then the cells alone.
        const int cells = static_cast<const QAbstractItemView*>(ListView1)->sizeHintForColumn(i);
        const int w1 = std::max(cells, header->sectionSizeHint(i));
        const int w2 = cells;
        const int width = std::max(w1, w2) + kColumnMargin;
        ListView1->setColumnWidth(i, width);
        sum += width;
    }
    return sum;
}

void TfrmInfo::fill() {
    ListView1->clear();
    // Image 0 first when it is the selected one, then the built-in images newest first.
    for (const TOverviewRow& row : overviewRows()) {
        addRow(row);
    }
    const int clientWidth = fitColumns() + kWindowMargin;
    resize(clientWidth, height());
}

int TfrmInfo::Execute(int ALeft, int ATop, int /*AWidth*/, int AHeight) {
    fill();
    move(ALeft, ATop);
    resize(width(), clientHeightFor(*this, AHeight));
    Button1->setFocus();
    return exec();
}
