#include "app/WindowCentring.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

void centreNow(QWidget *window, const QMargins &expectedFrame)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    QMargins frame = WindowCentring::frameOf(window);
    if (frame.isNull())
        frame = expectedFrame;
    const QSize outer = window->size().grownBy(frame);
    // move() places the frame's top left corner, also before the window
    // manager has framed the window.
    const QPoint at(area.x() + qMax(0, (area.width() - outer.width()) / 2),
                    area.y() + qMax(0, (area.height() - outer.height()) / 2));
    if (window->pos() != at || !window->testAttribute(Qt::WA_Moved))
        window->move(at);
}

// Lives with its window until the window's first expose.
class Centring : public QObject {
public:
    Centring(QWidget *window, const QMargins &expectedFrame)
        : QObject(window)
        , m_window(window)
        , m_expected(expectedFrame)
    {
        setObjectName(QStringLiteral("WindowCentring"));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            // The platform window exists now: some platforms know the frame already.
            centreNow(m_window, m_expected);
            if (QWindow *handle = m_window->windowHandle())
                handle->installEventFilter(this);
        } else if (watched == m_window->windowHandle() && event->type() == QEvent::Expose
                   && m_window->windowHandle()->isExposed()) {
            // Framed and mapped, not yet painted.
            centreNow(m_window, m_expected);
            m_window->windowHandle()->removeEventFilter(this);
            m_window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *m_window;
    QMargins m_expected;
};

} // namespace

namespace WindowCentring {

QMargins frameOf(const QWidget *window)
{
    if (!window || !window->isVisible())
        return {};
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void centre(QWidget *window, QMargins expectedFrame)
{
    centreNow(window, expectedFrame);
    // One helper per window, however often it is centred.
    delete window->findChild<QObject *>(QStringLiteral("WindowCentring"), Qt::FindDirectChildrenOnly);
    new Centring(window, expectedFrame);
}

} // namespace WindowCentring
