#include "reference/SubjectList.h"

#include <QResizeEvent>
#include <QScrollBar>

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
