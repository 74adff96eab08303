#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// Sends Ctrl+X, Ctrl+C and Ctrl+V pressed anywhere in one window to the
// window's Edit commands, except in the widgets given as native: there the
// key stays with the widget (a reference view copies its own selection, a
// find box pastes into itself). A command that declines the key leaves it to
// the focused widget too.
class EditShortcutRouter : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditShortcutRouter)

public:
    enum class Command { Cut, Copy, Paste };

    // run: called once per key press, with the command the key stands for;
    // it returns false when the command does not take the key.
    EditShortcutRouter(QWidget *window, std::function<bool(Command)> run);
    ~EditShortcutRouter() override;

    void addNativeWidget(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isNative(const QWidget *widget) const;

    QWidget *m_window;
    std::function<bool(Command)> m_run;
    QList<QPointer<QWidget>> m_native;
};
