#include "editor/EditShortcutRouter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <optional>

namespace {

std::optional<EditShortcutRouter::Command> commandFor(const QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return std::nullopt;
    switch (event->key()) {
    case Qt::Key_X: return EditShortcutRouter::Command::Cut;
    case Qt::Key_C: return EditShortcutRouter::Command::Copy;
    case Qt::Key_V: return EditShortcutRouter::Command::Paste;
    default: return std::nullopt;
    }
}

} // namespace

EditShortcutRouter::EditShortcutRouter(QWidget *window, std::function<bool(Command)> run)
    : QObject(window), m_window(window), m_run(std::move(run))
{
    // Application-wide, so that widgets created later are covered too.
    QCoreApplication::instance()->installEventFilter(this);
}

EditShortcutRouter::~EditShortcutRouter()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void EditShortcutRouter::addNativeWidget(QWidget *widget)
{
    if (widget)
        m_native.append(widget);
}

bool EditShortcutRouter::isNative(const QWidget *widget) const
{
    for (const QPointer<QWidget> &native : m_native) {
        if (native && (native == widget || native->isAncestorOf(widget)))
            return true;
    }
    return false;
}

bool EditShortcutRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const std::optional<Command> command = commandFor(key);
    if (!command)
        return false;
    // Only the first delivery, to the focus widget of our own window; a key
    // that a widget ignored and passed on to its parents is not ours. The
    // window's own focus child is asked rather than the application's, which
    // is unset while the window system has not made the window active.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    QWidget *focus = m_window->focusWidget();
    QWidget *target = focus ? focus : m_window;
    if (widget != target)
        return false;

    if (event->type() == QEvent::ShortcutOverride) {
        // Claim the key for the focus widget, so that no window shortcut
        // fires; the key press that follows decides where it goes.
        key->accept();
        return true;
    }
    if (isNative(target))
        return false;
    return m_run(*command);
}
