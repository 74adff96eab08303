#pragma once

#include <QListWidget>

// A one-row subject list: shows one subject at a time; the arrow keys and
// the scroll arrows move through the subjects, each move selecting one.
class SubjectList : public QListWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SubjectList)

public:
    explicit SubjectList(QWidget *parent = nullptr);

    // The selected subject's text, unchanged; empty when none is selected.
    QString selectedText() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
};
