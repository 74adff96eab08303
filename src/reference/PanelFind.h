#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class DataSource;
class QTextDocument;
class RichTextBox;
class SubjectList;
struct BibleReference;

// Find and Find Next of one reference panel. Find first searches the entry
// on show as the plain find does; where that finds nothing and the user had
// not selected text to search within, it reaches the panel's other entries
// in list order after the current item, then from the top, and shows the
// first that holds the text by selecting its list item, as a click would.
// In the Bible panel a reference ("jn 3:16") goes straight to its verses.
// The selections that Find and Find Next leave are remembered, so that a
// later Find can tell them from a selection the user made.
class PanelFind : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PanelFind)

public:
    enum class Result { Found, NotFound, NoSuchReference };

    // index: the index the list's lookup selects. references: whether typed
    // Bible references are followed (the Bible panel).
    PanelFind(DataSource *source, const QString &index, SubjectList *list, RichTextBox *view, bool references,
              QObject *parent = nullptr);

    // Find with the box's text (leading blanks already removed). For
    // NoSuchReference, problem says which reference does not exist.
    Result find(const QString &text, QString *problem);
    // Find Next: the plain search from one after the selection's start.
    void findNext(const QString &text);

    // The list row of the first other entry holding the text, in the order
    // above; nothing when none does.
    std::optional<int> rowHolding(const QString &text);

private:
    std::optional<Result> goTo(const BibleReference &ref, QString *problem);
    void show(int row);
    // Puts the selection's first line at the top of the view.
    void scrollToSelection();
    // An entry's text as the view shows it.
    QString shownText(const QString &entry) const;
    std::optional<qint64> rowIdOf(const QString &key);
    bool selectionIsOwn() const;
    void rememberSelection();

    QPointer<DataSource> m_source;
    QString m_index;
    QPointer<SubjectList> m_list;
    QPointer<RichTextBox> m_view;
    bool m_references = false;
    QHash<QString, qint64> m_rowIds; // subject key -> the record its lookup shows

    QPointer<QTextDocument> m_ownDocument;
    int m_ownStart = -1;
    int m_ownEnd = -1;
};
