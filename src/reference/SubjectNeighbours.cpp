#include "reference/SubjectNeighbours.h"

QList<int> SubjectNeighbours::rows(int current, int previous, int visible, int count)
{
    QList<int> wanted;
    const auto add = [&](int row) {
        if (row >= 0 && row < count && row != current && !wanted.contains(row))
            wanted << row;
    };
    add(visible);
    if (current < 0) {
        add(visible + 1);
        return wanted;
    }
    const int step = previous > current ? -1 : 1;
    add(current + step);
    add(current + 2 * step);
    add(current - step);
    return wanted;
}
