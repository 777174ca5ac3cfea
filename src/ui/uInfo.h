#pragma once
// The overview window: one row per firmware image the program can install.

#include "workflow/overview_rows.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;
class QWidget;

class TfrmInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInfo(QWidget* parent = nullptr);
    ~TfrmInfo() override;

    // Fills the list, puts the window at ALeft, ATop with the outer height AHeight (AWidth has
    // no effect: the width follows from the columns), shows it modally and returns the result.
    int Execute(int ALeft, int ATop, int AWidth, int AHeight);
    // Fills the list and sizes the window as Execute does, without showing it.
    void fill();

    // Sets every column to the larger of its width with and without the header text, plus 5;
    // returns the sum of the widths.
    int fitColumns();

    QTreeWidget* ListView1;
    QWidget* Panel1;
    QPushButton* Button1;

private:
    void addRow(const TOverviewRow& row);
};

// The overview window of the program; nullptr until it is created (first after the main window).
extern TfrmInfo* frmInfo;
