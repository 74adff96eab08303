#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

// The help screen: the user guide in a scrollable box beside the notice and
// the emblem. A window of its own, open beside the main window.
class frmHelp : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmHelp)

public:
    // Closing the window destroys it, so each opening starts from the stored text.
    explicit frmHelp(QWidget *parent = nullptr);
    ~frmHelp() override;

    QPlainTextEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;

private:
    void Form_Load();
};
