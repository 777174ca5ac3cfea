#pragma once
// The message window: one result or failure text at a time, laid over the bottom of the main
// window, modal, closed with "OK".

#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;
class QWidget;

class TfrmMessage : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMessage(QWidget* parent = nullptr);
    ~TfrmMessage() override;

    // x, y, w, h: the main window's left, top, width and height (outer bounds). Places the
    // window 10 in from the main window's sides, its bottom 10 above the main window's
    // bottom, shows `sMsg` as its only text and returns when it has been closed.
    void showMsg(const std::string& sMsg, int x, int y, int w, int h);
    void Button1Click();

    QWidget* Panel1;
    QPushButton* Button1;
    QPlainTextEdit* Memo1;
};

// The message window of the program; nullptr until it is created (last of the windows).
extern TfrmMessage* frmMessage;
