#include "app/RainButton.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QStyleOptionFocusRect>

RainButton::RainButton(const QString &caption, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

void RainButton::setFaceColor(const QColor &color)
{
    m_face = color;
    update();
}

void RainButton::setTextColor(const QColor &color)
{
    m_text = color;
    update();
}

void RainButton::setGradientColor(const QColor &color)
{
    m_gradient = color;
    update();
}

void RainButton::setMouseTrack(bool on)
{
    m_mouseTrack = on;
    update();
}

QSize RainButton::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 16, fm.height() + 8};
}

void RainButton::keyPressEvent(QKeyEvent *event)
{
    // Return and Enter press the focused button as Space does: the splash
    // tells the user to press ENTER.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void RainButton::enterEvent(QEnterEvent *event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void RainButton::leaveEvent(QEvent *event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void RainButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    const bool lit = isHighlighted();
    QColor top = m_face;
    QColor bottom = m_gradient.isValid() ? m_gradient : m_face;
    if (lit) {
        top = top.lighter(135);
        bottom = bottom.lighter(135);
    }
    if (top == bottom) {
        p.fillRect(r, top);
    } else {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, top);
        g.setColorAt(1, bottom);
        p.fillRect(r, g);
    }
    // A raised edge that sinks while pressed.
    const bool down = isDown();
    p.setPen(down ? QColor(64, 64, 64) : QColor(255, 255, 255));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? QColor(255, 255, 255) : QColor(64, 64, 64));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    if (lit) {
        p.setPen(QPen(QColor(255, 255, 255, 200), 1, Qt::DotLine));
        p.drawRect(r.adjusted(2, 2, -3, -3));
    }

    p.setPen(m_text);
    p.setFont(font());
    p.drawText(r.translated(down ? 1 : 0, down ? 1 : 0), Qt::AlignCenter, text());

    if (hasFocus()) {
        QStyleOptionFocusRect opt;
        opt.initFrom(this);
        opt.rect = r.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
    }
}
