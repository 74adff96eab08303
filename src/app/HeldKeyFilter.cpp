#include "app/HeldKeyFilter.h"

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

HeldKeyFilter::HeldKeyFilter(QObject *parent)
    : QObject(parent)
{
}

bool HeldKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    // A key reaches its window first, then the focus widget: the window sees
    // presses that a filter of the widget's (the edit keys') may take.
    const QObject *window = nullptr;
    if (auto *w = qobject_cast<QWindow *>(watched)) {
        window = w;
    } else if (auto *widget = qobject_cast<QWidget *>(watched)) {
        QWidget *top = widget->window();
        window = top->windowHandle() ? static_cast<const QObject *>(top->windowHandle()) : top;
    } else {
        return false;
    }
    auto *key = static_cast<QKeyEvent *>(event);

    if (!key->isAutoRepeat()) {
        if (type == QEvent::KeyPress) {
            m_held.insert(key->key(), {window, false});
        } else if (type == QEvent::KeyRelease) {
            const auto held = m_held.constFind(key->key());
            if (held != m_held.constEnd()) {
                const bool stray = held->stray;
                m_held.erase(held);
                // Released where it never acted: a button pressed by nothing stays unpressed.
                return stray;
            }
        }
        return false;
    }

    auto held = m_held.find(key->key());
    if (held == m_held.end())
        held = m_held.insert(key->key(), {nullptr, true});
    else if (held->window != window)
        held->stray = true;
    if (!held->stray)
        return false;
    // Claimed, so that no shortcut of the window fires either.
    if (type == QEvent::ShortcutOverride)
        key->accept();
    return true;
}
