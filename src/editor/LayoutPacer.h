#pragma once

#include <QPointer>
#include <QTextDocument>
#include <QtGlobal>
#include <limits>

// Lays a document out towards a position in slices, for the event loop to
// run between them: each slice lays out paragraph after paragraph until it
// has taken its share of time. Left to itself, Qt's layout works on in
// steps that grow to 200,000 characters, and lays out everything above a
// place in one go when the view scrolls there.
class LayoutPacer {
public:
    explicit LayoutPacer(QTextDocument *doc, int target = std::numeric_limits<int>::max());

    // One slice of about budgetMs (a paragraph at least); false once laid
    // out down to the target, or when the document is gone.
    bool step(qint64 budgetMs);
    qreal fraction() const;

private:
    QPointer<QTextDocument> m_doc;
    int m_target;
    int m_position = 0;
};
