#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringView>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

class QPoint;
class QTextDocument;
class QTextEdit;
class SpellChecker;
class TextDecorations;

// Check as you type in the sermon document: misspelled words in the part
// of the document on screen get a red wavy underline, shown through the
// view's TextDecorations and so never part of the document; the word being
// typed is left alone until the caret leaves it. Right-clicking a marked
// word puts up to eight suggestions, "Ignore All" and "Add to Dictionary"
// at the top of the view's own context menu.
class DocumentSpelling : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentSpelling)

public:
    // A word of a paragraph: positions inside the block.
    struct Word {
        int start = 0;
        int length = 0;
        bool operator==(const Word &) const = default;
    };

    static constexpr int MaxSuggestions = 8;

    // Lives as long as the view (its parent).
    DocumentSpelling(QTextEdit *view, TextDecorations *decorations, std::shared_ptr<SpellChecker> checker);
    ~DocumentSpelling() override;

    void setEnabled(bool on);

    // The words of a text that are checked: letters, with apostrophes and
    // hyphens inside; words with digits, parts of e-mail and web addresses,
    // words in other scripts than the Latin and over-long runs are not.
    static QList<Word> words(QStringView text);
    // The words of a paragraph that are marked.
    QList<Word> misspelled(const QTextBlock &block);

    // Puts the spelling items at the top of the view's context menu and
    // shows it, when there is a marked word at the document position;
    // false otherwise.
    bool showMenu(int position, const QPoint &globalPos);

    // Replaces the text at [position, position + length), which must still
    // read expected, by another spelling: one undo step, in the character
    // format of the word's first letter. The one place spelling writes the
    // document. False when the text there has changed.
    bool replace(int position, int length, const QString &expected, const QString &with);

signals:
    // A word could not be added to the user's list; message is for the user.
    void addFailed(const QString &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool known(const QString &word);
    void followDocument();
    void noteEdit(int from, int removed, int added);
    void caretMoved();
    void relearn();
    // The word around a document position: [start, end], end included.
    std::pair<int, int> wordAround(int position) const;

    QPointer<QTextEdit> m_view;
    QPointer<TextDecorations> m_decorations;
    int m_source = -1;
    std::shared_ptr<SpellChecker> m_checker;
    bool m_enabled = true;
    QHash<QString, bool> m_known;
    // The word the caret is typing in, document positions; -1: none.
    int m_typingStart = -1;
    int m_typingEnd = -1;
    QPointer<QTextDocument> m_document;
    QMetaObject::Connection m_contentsConnection;
};
