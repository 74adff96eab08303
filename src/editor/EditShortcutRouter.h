#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// Sends Ctrl+X, Ctrl+C and Ctrl+V pressed anywhere in one window to the
// window's Edit commands, except in the widgets given as native: there the
// key stays with the widget (a reference view copies its own selection, a
// find box pastes into itself).
class EditShortcutRouter : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditShortcutRouter)

public:
    enum class Command { Cut, Copy, Paste };

    // run: called once per key press, with the command the key stands for.
    EditShortcutRouter(QWidget *window, std::function<void(Command)> run);
    ~EditShortcutRouter() override;

    void addNativeWidget(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isNative(const QWidget *widget) const;

    QWidget *m_window;
    std::function<void(Command)> m_run;
    QList<QPointer<QWidget>> m_native;
};
