#pragma once

#include <QObject>
#include <functional>

// Takes a file dragged from a file manager onto the widgets it watches:
// the drop is accepted there and the file handed on (after the drop has
// ended, so that the handler may ask questions), instead of the widget
// inserting the file's address. Other drags pass through untouched.
class FileDropFilter : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileDropFilter)

public:
    // open: called with the local path of the first file dropped.
    FileDropFilter(std::function<void(const QString &)> open, QObject *parent);
    // Watches widget (for a scroll area: its viewport) and lets it take drops.
    void watch(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(const QString &)> m_open;
};
