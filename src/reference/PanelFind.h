#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
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
// Find Next goes on down the list likewise, without starting over.
// What the user types may also name a place outright: in the Bible panel a
// reference ("jn 3:16") goes to its verses, in the dictionary a headword
// ("Moses") to its article. The selections that Find and Find Next leave
// are remembered, so that a later Find can tell them from the user's own.
class PanelFind : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PanelFind)

public:
    enum class Panel { Bible, Dictionary };
    enum class Result { Found, NotFound, NoSuchReference };

    // index: the index the list's lookup selects.
    PanelFind(Panel panel, DataSource *source, const QString &index, SubjectList *list, RichTextBox *view,
              QObject *parent = nullptr);

    // Called before the view is searched: the view must then hold its whole
    // entry (a long one may show only its beginning for a moment).
    void setBeforeSearch(std::function<void()> complete) { m_beforeSearch = std::move(complete); }

    // Find with the box's text (leading blanks already removed). For
    // NoSuchReference, problem says which reference does not exist.
    Result find(const QString &text, QString *problem);
    // Find Next: the plain search from one after the selection's start;
    // past the entry's last occurrence, the first occurrence in the next
    // entry down the list that holds the text (none after the last entry).
    void findNext(const QString &text);
    // Shows the reference's verses as Find does for a typed reference,
    // whatever the view holds or has selected.
    Result showReference(const BibleReference &ref, QString *problem);

private:
    // Whether a search of the other entries goes on from the top of the list.
    enum class Wrap { No, Yes };

    std::optional<Result> goTo(const BibleReference &ref, QString *problem);
    // Goes to the article of the word, if an entry has one. When it looked
    // through the other entries, textRow is the list row of the first that
    // holds the word at all (-1 for none); else it is left as it was.
    bool goToHeadword(const QString &word, int *textRow);
    // The list row of the first other entry holding the (folded) text.
    std::optional<int> rowHolding(const QString &folded, Wrap wrap);
    // The other entries' records in the order above, each once, less those
    // that the find index proves not to hold filter, with their list rows.
    QList<QPair<qint64, int>> otherEntries(const QString &filter, Wrap wrap);
    void show(int row);
    void completeView();
    // Puts the paragraph holding the selection's start at the top of the view.
    void scrollToSelection();
    // An entry's text as the view shows it.
    QString shownText(const QString &entry) const;
    std::optional<qint64> rowIdOf(const QString &key);
    bool selectionIsOwn() const;
    void rememberSelection();

    Panel m_panel;
    QPointer<DataSource> m_source;
    QString m_index;
    QPointer<SubjectList> m_list;
    QPointer<RichTextBox> m_view;
    QHash<QString, qint64> m_rowIds; // subject key -> the record its lookup shows

    QPointer<QTextDocument> m_ownDocument;
    int m_ownStart = -1;
    int m_ownEnd = -1;
    std::function<void()> m_beforeSearch;
};
