#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

// A key held down repeats into whatever window comes up meanwhile: a held
// Return that opened the main window from the splash would answer the
// message box that follows unseen and then type blank lines into the
// document. Installed on the application, this filter lets a repeating key
// act only in the window where its press began; once it has repeated into
// another window it does nothing anywhere until it is released. A repeat
// whose press the program never saw (held since before it started) does
// nothing either.
class HeldKeyFilter : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HeldKeyFilter)

public:
    explicit HeldKeyFilter(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Held {
        QPointer<const QObject> window; // where the press began
        bool stray = false;       // has repeated into another window
    };
    QHash<int, Held> m_held; // by key
};
