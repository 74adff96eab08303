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
#include <cstdlib>
#include <ctime>

namespace FirstPaintReport {

// Prints "<what> <epoch ns> <cpu ms>".
inline void print(const char *what)
{
    const auto wall = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
    const double cpu = double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
    std::printf("%s %lld %.1f\n", what, static_cast<long long>(wall), cpu);
    std::fflush(stdout);
}

} // namespace FirstPaintReport

class FirstPaint : public QObject {
public:
    // What happens once the first paint has been reported.
    enum class Then {
        // The process ends at once: an instruction count (callgrind) stops
        // there too, rather than taking in the application's teardown.
        Exit,
        // The program goes on with what it has queued, then quits.
        Settle,
        // The program goes on (another watcher ends it).
        Continue,
    };

    // Watches window; once it has been exposed and painted, prints
    // "first-paint <epoch ns> <cpu ms>".
    explicit FirstPaint(QWidget *window, Then then = Then::Exit)
        : QObject(window)
        , m_window(window)
        , m_then(then)
    {
        window->winId(); // the platform window exists from here on
        window->windowHandle()->installEventFilter(this);
    }

    bool reported() const { return m_reported; }
    void setThen(Then then) { m_then = then; }

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
        FirstPaintReport::print("first-paint");
        m_reported = true;
        if (m_then == Then::Exit)
            std::_Exit(0);
        if (m_then == Then::Settle)
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        return true;
    }

private:
    QWidget *m_window;
    Then m_then;
    bool m_done = false;
    bool m_reported = false;
};
