#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class frmSplash;

// Where documents asked for from outside the window go: those of the
// command line, and those a later start of the program hands over. Until
// ENTER has opened the main window the splash is brought to the front and
// the latest request waits for ENTER; after it the main window is brought
// to the front and opens the first document as File, Open would (the
// unsaved-changes question first), once no dialog is open.
class OpenRequests : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OpenRequests)

public:
    explicit OpenRequests(frmSplash &splash, QObject *parent = nullptr);

    // files: absolute paths; none only brings the program to the front.
    void request(const QStringList &files);

private:
    void deliver();

    frmSplash &m_splash;
    QStringList m_pending;
    QTimer m_retry;
};
