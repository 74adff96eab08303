#pragma once

#include <QListWidget>

// A one-row subject list: shows one subject at a time; the arrow keys, the
// scroll arrows and the mouse wheel move through the subjects, each move
// selecting one.
class SubjectList : public QListWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SubjectList)

public:
    explicit SubjectList(QWidget *parent = nullptr);

    // The selected subject's text, unchanged; empty when none is selected.
    QString selectedText() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Moves the selection by whole wheel notches, one lookup each.
    void turnWheel(QWheelEvent *event);

    int m_wheelRemainder = 0; // eighths of a degree short of a notch
};
