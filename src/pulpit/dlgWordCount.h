#pragma once

#include "pulpit/TextCount.h"

#include <QDialog>
#include <QFutureWatcher>
#include <array>
#include <optional>

class QLabel;
class QSpinBox;

// The Word Count dialog: words, characters with and without spaces,
// paragraphs and the speaking time at a rate the user sets (kept in the
// settings), for the whole document and for the selection when there is
// one. A long text is counted on a worker thread; the dialog says
// "Counting…" meanwhile, stays usable, and closing it gives up the count.
class dlgWordCount : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(dlgWordCount)

public:
    enum Row { Words, Characters, CharactersNoSpaces, Paragraphs, Time, RowCount };
    enum Column { Document, Selection };

    // Texts with paragraphs separated as QTextDocument::toRawText() and
    // QTextCursor::selectedText() separate them.
    dlgWordCount(const QString &document, const std::optional<QString> &selection, QWidget *parent = nullptr);
    ~dlgWordCount() override;

    // Texts longer than this (both together) are counted on a worker.
    static constexpr qsizetype WorkerCharacters = 1 << 20;

    bool isCounting() const { return m_watcher.isRunning(); }
    std::optional<TextCount> count(Column column) const;
    QLabel *value(Row row, Column column) const { return m_values[column][row]; }

    QSpinBox *spnSpeakingRate = nullptr;

    void done(int result) override;

signals:
    // The counts are shown.
    void counted();

private:
    struct Counts {
        TextCount document;
        std::optional<TextCount> selection;
    };
    void showCounts(const Counts &counts);
    void showTimes();

    std::array<std::array<QLabel *, RowCount>, 2> m_values{};
    std::optional<Counts> m_counts;
    bool m_hasSelection = false;
    QFutureWatcher<Counts> m_watcher;
};
