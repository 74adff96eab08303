#pragma once

#include "reference/BibleReference.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

class DataSource;

// The words of the Bible for references, read through the Bible panel's
// data source (each section holds one line per verse, "John 3:16 For God
// so loved ...", and the file lists every chapter's verses and section),
// and set out as a passage goes into a sermon.
class BibleText {
public:
    explicit BibleText(DataSource *bible);

    struct Verse {
        int chapter = 0;
        int verse = 0;
        QString text;
    };

    // The verses the reference names, in order. Empty when the Bible lacks
    // any of them; problem (when given) then says why, in words for the user
    // ("John 3 has 36 verses").
    QList<Verse> verses(const BibleReference &ref, QString *problem = nullptr) const;
    // Whether the Bible has every verse of the reference, by its chapter
    // list alone (no text is read): cheap enough for every reference on show.
    bool exists(const BibleReference &ref) const;

    // One paragraph per reference: the words as the Bible holds them, each
    // verse numbered when there are several ("2:1" where a range enters
    // the next chapter), then the reference: "For God so loved ... life.
    // (John 3:16, KJV)". Nothing when a reference is not in the Bible.
    std::optional<QStringList> passage(const QList<BibleReference> &refs, QString *problem = nullptr) const;
    // The passage of ref cut at a word to at most about maxCharacters, then
    // its reference; empty when it is not in the Bible.
    QString preview(const BibleReference &ref, int maxCharacters = 300) const;

    // " (John 3:16, KJV)"
    static QString citation(const BibleReference &ref);
    // The words of the verses, numbered when there are several.
    static QString words(const QList<Verse> &verses);

private:
    struct Chapter {
        int verses = 0; // 0: no such chapter
        QString subject;
    };
    Chapter chapter(const QString &book, int number) const;
    // Why the reference is not in the Bible; empty when it is.
    QString problemWith(const BibleReference &ref) const;
    QString section(const QString &subject) const;

    QPointer<DataSource> m_bible;
    // The file never changes while the program runs: each chapter is asked for once.
    mutable QHash<QString, Chapter> m_chapters;
    mutable QHash<QString, int> m_chapterCounts;
    // The section read last: a passage, its preview and its neighbours share it.
    mutable QString m_sectionSubject;
    mutable QString m_section;
};
