#pragma once

#include <QList>

// Which subjects of a list to have ready: those the user is likely to look
// up next, judged from where they are and which way they are going.
namespace SubjectNeighbours {

// The rows of a list of count items worth preparing, the most likely
// first: two ahead in the direction of the last move (down when none is
// known), one behind, and before them the row scrolled into view when it
// is not the current one (the next click's target). With no current row:
// the row in view and the one after it. Never the current row itself.
QList<int> rows(int current, int previous, int visible, int count);

} // namespace SubjectNeighbours
