#pragma once

#include "reference/BibleReference.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class BibleText;
class DataSource;
class LiveReferences;
class QMimeData;
class QTextCharFormat;
class QTextCursor;
class RichTextBox;

// Scripture in the sermon document: Insert Scripture puts in the passage of
// a reference (the one selected, the one just before the caret, or one
// asked for), verses dragged from the Bible view go in the same way, and
// references already in the document are live (LiveReferences).
class ScriptureCommands : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScriptureCommands)

public:
    // show: shows a reference in the Bible panel (Ctrl+click on one).
    ScriptureCommands(QWidget *window, RichTextBox *document, RichTextBox *bibleView, DataSource *bible,
                      std::function<void(const BibleReference &)> show, QObject *parent = nullptr);
    ~ScriptureCommands() override;

    // The Insert Scripture command.
    void insertScripture();

    const BibleText *bible() const { return m_bible.get(); }
    LiveReferences *liveReferences() const { return m_live; }

    // The passage of what was typed; nothing when it is not a reference the
    // Bible has, and message then says why, naming what was typed.
    std::optional<QStringList> passageOf(const QString &typed, QString *message) const;
    QString problemWith(const QString &typed) const;
    // The passage of the verses a selection of the Bible view covers: part
    // of one verse goes with that verse's reference. Nothing when it covers
    // no verse's words.
    std::optional<QStringList> passageOfSelection(const QTextCursor &selection) const;

protected:
    // Verses dropped from the Bible view go in as their passage.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Every change this feature makes to the document goes through here:
    // replaces the cursor's selection (or inserts at it) with the
    // paragraphs in the format, as one undo step, and leaves the caret after.
    void write(QTextCursor cursor, const QStringList &paragraphs, const QTextCharFormat &format);
    bool fromBibleView(const QObject *source, const QMimeData *mime) const;
    void refuse(const QString &message);

    QPointer<QWidget> m_window;
    QPointer<RichTextBox> m_document;
    QPointer<RichTextBox> m_bibleView;
    std::unique_ptr<BibleText> m_bible;
    LiveReferences *m_live = nullptr;
    QString m_lastTyped; // offered again by the dialog
};
