#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

// Answers the next modal dialog from a timer, the way a user would: tests
// that trigger a message box or a dialog arm this first, then act.
class ModalDriver : public QObject {
public:
    explicit ModalDriver(QObject *parent = nullptr)
        : QObject(parent)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    }

    // handle receives the dialog; it must close it (accept, reject, a button click).
    void arm(std::function<void(QDialog *)> handle)
    {
        m_handle = std::move(handle);
        m_seen = 0;
        m_timer.start();
    }

    // Presses the message box button, remembering its text and title.
    void answer(QMessageBox::StandardButton button)
    {
        arm([this, button](QDialog *d) {
            auto *box = qobject_cast<QMessageBox *>(d);
            if (!box) {
                d->reject();
                return;
            }
            texts.append(box->text());
            titles.append(box->windowTitle());
            icons.append(box->icon());
            if (QAbstractButton *b = box->button(button))
                b->click();
            else
                box->reject();
        });
    }

    int seen() const { return m_seen; }
    void stop() { m_timer.stop(); }

    QStringList texts;
    QStringList titles;
    QList<QMessageBox::Icon> icons;

private:
    void poll()
    {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        m_timer.stop();
        ++m_seen;
        if (m_handle)
            m_handle(d);
    }

    QTimer m_timer;
    std::function<void(QDialog *)> m_handle;
    int m_seen = 0;
};
