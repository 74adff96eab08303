#include "app/FocusRing.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {

const QColor Outer(255, 255, 255);
const QColor Inner(0, 0, 0);

} // namespace

// Drawn on the control's parent, around the control, passing the mouse through.
class FocusRing::Overlay : public QWidget {
public:
    explicit Overlay(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("focusRing"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QRect r = rect().adjusted(0, 0, -1, -1);
        for (int line = 0; line < Width; ++line) {
            p.setPen(line == 0 ? Outer : Inner);
            p.drawRect(r);
            r.adjust(1, 1, -1, -1);
        }
    }
};

FocusRing::FocusRing(QObject *parent)
    : QObject(parent)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
    follow(QApplication::focusWidget());
}

FocusRing::~FocusRing()
{
    delete m_overlay;
}

bool FocusRing::shows(const QWidget *w)
{
    if (!w || w->isWindow() || w->window()->windowType() == Qt::Popup)
        return false;
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QAbstractScrollArea *>(w);
}

void FocusRing::follow(QWidget *now)
{
    if (m_target)
        m_target->removeEventFilter(this);
    delete m_overlay;
    m_target = shows(now) ? now : nullptr;
    if (!m_target)
        return;
    m_target->installEventFilter(this);
    m_overlay = new Overlay(m_target->parentWidget());
    place();
}

void FocusRing::place()
{
    // Just outside the control, over its parent's background: one of a
    // white and a black line stands out from any colour there, whatever the
    // control draws at its own edge.
    const QRect control = m_target->geometry();
    const QRect ring = control.adjusted(-Width, -Width, Width, Width);
    m_overlay->setGeometry(ring);
    m_overlay->setMask(QRegion(ring.translated(-ring.topLeft()))
                           .subtracted(QRegion(control.translated(-ring.topLeft()))));
    m_overlay->raise();
    m_overlay->setVisible(m_target->isVisible());
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched == m_target && m_overlay)
            place();
        break;
    default:
        break;
    }
    return false;
}
