#pragma once
// The report window: one time-stamped line per step of a run, docked below the main window.

#include <QWidget>

#include <string>

class QPlainTextEdit;

class TfrmProtocol : public QWidget {
    Q_OBJECT
public:
    // Placed below `mainWindow`, as wide as it, hidden and empty.
    explicit TfrmProtocol(QWidget* mainWindow);
    ~TfrmProtocol() override;

    // Appends "hh-nn-ss -> sLine" as the last line; the view follows it.
    void Add(const std::string& sLine);
    void Clear();

    QStringList lines() const;

    QPlainTextEdit* Memo1;

private:
    void FormCreate(QWidget* mainWindow);
};

// The report window of the program; nullptr until it is created (after the main window).
extern TfrmProtocol* frmProtocol;
