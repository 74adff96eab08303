#pragma once

#include "info/SystemInfoLocator.h"

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

// The About box: the program's name, version, description and notice, and
// a button that starts the system's system-information program.
class frmAbout : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)

public:
    // owner: the window kept inert while the box is open. Closing the box
    // destroys it.
    explicit frmAbout(QWidget *owner,
                      SystemInfoLocator::Places places = SystemInfoLocator::Places::standard());
    ~frmAbout() override;

    void StartSysInfo();
    bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal) const;

    // The message shown for every system-information failure.
    static QString unavailableMessage();

    QLabel *picIcon = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDisclaimer = nullptr;

public slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Form_Load();

    SystemInfoLocator m_locator;
    QPixmap m_background;
};
