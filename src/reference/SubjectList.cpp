#include "reference/SubjectList.h"

#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

SubjectList::SubjectList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setSpacing(0);
    // The scroll arrows step one subject and select it, so that the list
    // behaves like the arrow keys and every move shows its entry.
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        int step = 0;
        if (action == QAbstractSlider::SliderSingleStepAdd || action == QAbstractSlider::SliderPageStepAdd)
            step = 1;
        else if (action == QAbstractSlider::SliderSingleStepSub || action == QAbstractSlider::SliderPageStepSub)
            step = -1;
        if (step == 0 || count() == 0)
            return;
        const int row = qBound(0, (currentRow() < 0 ? verticalScrollBar()->value() : currentRow()) + step,
                               count() - 1);
        setCurrentRow(row);
    });
    // The wheel over the scroll bar moves the selection too.
    verticalScrollBar()->installEventFilter(this);
}

QString SubjectList::selectedText() const
{
    const QListWidgetItem *item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void SubjectList::resizeEvent(QResizeEvent *event)
{
    QListWidget::resizeEvent(event);
    // One subject fills the whole row, so no part of its neighbour shows.
    setGridSize(QSize(viewport()->width(), qMax(1, viewport()->height())));
}

void SubjectList::wheelEvent(QWheelEvent *event)
{
    turnWheel(event);
}

bool SubjectList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel) {
        turnWheel(static_cast<QWheelEvent *>(event));
        return true;
    }
    return QListWidget::eventFilter(watched, event);
}

void SubjectList::turnWheel(QWheelEvent *event)
{
    // Scrolling alone would show a subject that is not the one looked up:
    // each notch (120 eighths of a degree; fine wheels send parts of one)
    // moves the selection instead, as an arrow key does.
    event->accept();
    m_wheelRemainder += event->angleDelta().y();
    while (qAbs(m_wheelRemainder) >= 120 && count() > 0) {
        const int step = m_wheelRemainder > 0 ? -1 : 1;
        m_wheelRemainder += step * 120;
        const QListWidgetItem *current = currentItem();
        // With nothing selected the first notch selects the subject shown.
        const int row = current && current->isSelected() ? currentRow() + step : verticalScrollBar()->value();
        if (row < 0 || row >= count()) {
            m_wheelRemainder = 0;
            break;
        }
        setCurrentRow(row);
    }
}

void SubjectList::focusInEvent(QFocusEvent *event)
{
    // Taking the focus makes the first subject current without selecting
    // it; that would look it up. The list keeps no current subject until
    // the user picks one (the first arrow key then selects the first).
    const bool hadCurrent = currentIndex().isValid();
    {
        const QSignalBlocker quiet(selectionModel());
        QListWidget::focusInEvent(event);
        if (!hadCurrent && currentIndex().isValid() && selectedItems().isEmpty())
            selectionModel()->clearCurrentIndex();
    }
    viewport()->update();
}
