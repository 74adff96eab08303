#pragma once

// Reports when a window has been painted for the first time: the wall clock
// (nanoseconds since the epoch, so that a script can subtract the moment it
// started the process) and the process's CPU time so far. Both programs of
// the start-up benchmark use it, so that they are measured alike.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <ctime>

class FirstPaint : public QObject {
public:
    // Watches window; once it has been exposed and painted, prints
    // "first-paint <epoch ns> <cpu ms>" and quits the application.
    explicit FirstPaint(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        window->winId(); // the platform window exists from here on
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Expose || m_done)
            return false;
        // Let the window handle the expose first: it paints and flushes in it.
        m_done = true;
        QCoreApplication::sendEvent(watched, event);
        if (!m_window->windowHandle()->isExposed()) {
            m_done = false;
            return true;
        }
        const auto wall = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
        const double cpu = double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
        std::printf("first-paint %lld %.1f\n", static_cast<long long>(wall), cpu);
        std::fflush(stdout);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        return true;
    }

private:
    QWidget *m_window;
    bool m_done = false;
};
