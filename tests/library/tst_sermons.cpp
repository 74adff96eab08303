// The sermon guides and sample sermons: one text per lstSermonType subject,
// substantial, and every Bible quotation in them word for word from the KJV.

#include "SermonBuilder.h"
#include "SwordSource.h"
#include "reference/SubjectLists.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

namespace {

// Quotations are written `"verse text" (Book C:V)` or `(Book C:V-W)`.
struct QuoteReport {
    int count = 0;
    QStringList faults;
};

QString normalised(QString text)
{
    text.replace(QChar(0x2019), QLatin1Char('\''));
    return text.simplified();
}

QString verseKey(const QString &book, int chapter, int verse)
{
    return QStringLiteral("%1 %2:%3").arg(book).arg(chapter).arg(verse);
}

// Checks one parenthesised reference and the quotation before it.
void checkQuotation(const QString &quote, const QString &reference, const QHash<QString, QString> &kjv,
                    QuoteReport *report)
{
    static const QRegularExpression grammar(QStringLiteral("^(.+) (\\d+):(\\d+)(?:-(\\d+))?$"));
    ++report->count;
    const auto m = grammar.match(reference);
    if (!m.hasMatch()) {
        report->faults.append(QStringLiteral("unreadable reference (%1)").arg(reference));
        return;
    }
    QString book = m.captured(1);
    if (book == QLatin1String("Psalm"))
        book = QStringLiteral("Psalms");
    const int chapter = m.captured(2).toInt();
    const int first = m.captured(3).toInt();
    const int last = m.captured(4).isEmpty() ? first : m.captured(4).toInt();
    if (last < first) {
        report->faults.append(QStringLiteral("backward range (%1)").arg(reference));
        return;
    }
    QStringList verses;
    for (int v = first; v <= last; ++v) {
        const QString text = kjv.value(verseKey(book, chapter, v));
        if (text.isEmpty()) {
            report->faults.append(QStringLiteral("no such verse %1 (%2)").arg(verseKey(book, chapter, v), reference));
            return;
        }
        verses.append(normalised(text));
    }
    const QString joined = verses.join(QLatin1Char(' '));
    const QString said = normalised(quote);
    const qsizetype at = joined.indexOf(said);
    // A part of a verse is fine, but a range must quote from its first verse through its last.
    const bool coversRange = at >= 0 && at < verses.constFirst().size()
        && at + said.size() > joined.size() - verses.constLast().size();
    if (!coversRange)
        report->faults.append(QStringLiteral("\"%1\" is not the KJV of %2: \"%3\"").arg(said, reference, joined));
}

QuoteReport checkQuotations(const QString &text, const QHash<QString, QString> &kjv)
{
    static const QRegularExpression chapterVerse(QStringLiteral("\\d+:\\d+"));
    QuoteReport report;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        QVector<qsizetype> marks;
        for (qsizetype i = 0; i < paragraph.size(); ++i) {
            if (paragraph.at(i) == QLatin1Char('"'))
                marks.append(i);
        }
        if (marks.size() % 2 != 0) {
            report.faults.append(QStringLiteral("unbalanced quotation marks: %1").arg(paragraph.left(80)));
            continue;
        }
        for (qsizetype k = 0; k < marks.size(); k += 2) {
            const QString quote = paragraph.mid(marks[k] + 1, marks[k + 1] - marks[k] - 1);
            qsizetype after = marks[k + 1] + 1;
            while (after < paragraph.size() && paragraph.at(after) == QLatin1Char(' '))
                ++after;
            if (after >= paragraph.size() || paragraph.at(after) != QLatin1Char('('))
                continue;
            const qsizetype close = paragraph.indexOf(QLatin1Char(')'), after);
            if (close < 0)
                continue;
            const QString reference = paragraph.mid(after + 1, close - after - 1);
            // "(1)" names a verse of the passage in hand; only chapter:verse claims a quotation.
            if (reference.contains(chapterVerse))
                checkQuotation(quote, reference, kjv, &report);
        }
    }
    return report;
}

int wordCount(const QString &text)
{
    static const QRegularExpression letter(QStringLiteral("\\p{L}"));
    int words = 0;
    const QStringList tokens = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString &token : tokens) {
        if (token.contains(letter))
            ++words;
    }
    return words;
}

const QStringList SampleKeys = {QStringLiteral("Topical Sermon Sample"), QStringLiteral("Textual Sermon Sample"),
                                QStringLiteral("Expository Sermon Sample ")};

} // namespace

class TestSermons : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void keysFollowTheSubjectList();
    void everyTextFileIsUsedOnce();
    void recordsAreSubstantialPlainText();
    void samplesAreCompleteSermons();
    void quotationCheckCatchesMisquotes_data();
    void quotationCheckCatchesMisquotes();
    void everyQuotationIsTheKjv();

private:
    QString textOf(const QString &key) const;

    QVector<LibraryEntry> m_entries;
    QHash<QString, QString> m_kjv;
};

void TestSermons::initTestCase()
{
    QString error;
    const auto entries = SermonBuilder::build(&error);
    QVERIFY2(entries, qPrintable(error));
    m_entries = *entries;

    SwordSource sword;
    QVERIFY2(sword.open(&error), qPrintable(error));
    for (const KjvVerse &verse : sword.kjv())
        m_kjv.insert(verse.reference(), verse.text);
    QCOMPARE(m_kjv.size(), 31102);
}

QString TestSermons::textOf(const QString &key) const
{
    for (const LibraryEntry &entry : m_entries) {
        if (entry.key == key)
            return entry.text;
    }
    return {};
}

void TestSermons::keysFollowTheSubjectList()
{
    QStringList keys;
    for (const LibraryEntry &entry : m_entries)
        keys.append(entry.key);
    QCOMPARE(keys, SubjectLists::load(QStringLiteral("lstSermonType")));
    QCOMPARE(keys.size(), 15);
    QVERIFY(keys.contains(QStringLiteral("Divisions , The")));
    QVERIFY(keys.contains(QStringLiteral("Expository Sermon Sample ")));
}

void TestSermons::everyTextFileIsUsedOnce()
{
    const QDir dir(QStringLiteral(":/sermons"));
    const QStringList files = dir.entryList(QDir::Files);
    QCOMPARE(files.size(), m_entries.size());

    QHash<QString, QString> fileOfText;
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll()).trimmed();
        QVERIFY2(!fileOfText.contains(text), qPrintable(name + QStringLiteral(" repeats another text")));
        fileOfText.insert(text, name);
    }
    QSet<QString> seen;
    for (const LibraryEntry &entry : m_entries) {
        const QString file = fileOfText.value(entry.text);
        QVERIFY2(!file.isEmpty(), qPrintable(QStringLiteral("\"%1\" matches no text file").arg(entry.key)));
        QVERIFY2(!seen.contains(file), qPrintable(file + QStringLiteral(" serves two subjects")));
        seen.insert(file);
    }
}

void TestSermons::recordsAreSubstantialPlainText()
{
    for (const LibraryEntry &entry : m_entries) {
        const QString why = QStringLiteral("\"%1\"").arg(entry.key);
        QVERIFY2(entry.text.size() >= 500, qPrintable(why + QStringLiteral(" is too short")));
        QVERIFY2(!entry.text.contains(QLatin1Char('<')) && !entry.text.contains(QLatin1Char('{'))
                     && !entry.text.contains(QLatin1Char('\r')),
                 qPrintable(why + QStringLiteral(" carries markup or Windows line ends")));
        QVERIFY2(entry.text == entry.text.trimmed(), qPrintable(why + QStringLiteral(" has stray blanks at its ends")));
        if (!SampleKeys.contains(entry.key))
            QVERIFY2(entry.text.size() >= 2000 && entry.text.size() <= 8000,
                     qPrintable(why + QStringLiteral(" is not a guide of readable length")));
    }
}

void TestSermons::samplesAreCompleteSermons()
{
    const QStringList parts = {QStringLiteral("Title:"),        QStringLiteral("Proposition:"),
                               QStringLiteral("Divisions:"),    QStringLiteral("INTRODUCTION"),
                               QStringLiteral("\nI. "),         QStringLiteral("\nII. "),
                               QStringLiteral("\nIII. "),       QStringLiteral("Illustration:"),
                               QStringLiteral("APPLICATION"),   QStringLiteral("CONCLUSION")};
    for (const QString &key : SampleKeys) {
        const QString text = textOf(key);
        QVERIFY2(wordCount(text) >= 1200, qPrintable(QStringLiteral("\"%1\": %2 words").arg(key).arg(wordCount(text))));
        for (const QString &part : parts)
            QVERIFY2(text.contains(part), qPrintable(QStringLiteral("\"%1\" lacks %2").arg(key, part.trimmed())));
        // The samples preach from the Bible: a sermon with few checked quotations hides misquotes.
        QVERIFY2(checkQuotations(text, m_kjv).count >= 8, qPrintable(key));
    }
}

void TestSermons::quotationCheckCatchesMisquotes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("faults");

    QTest::newRow("whole verse") << QStringLiteral("\"Jesus wept.\" (John 11:35)") << 0;
    QTest::newRow("part of a verse") << QStringLiteral("He said, \"Peace, be still.\" (Mark 4:39)") << 0;
    QTest::newRow("psalm in the singular")
        << QStringLiteral("\"The LORD is my shepherd; I shall not want.\" (Psalm 23:1)") << 0;
    QTest::newRow("straight apostrophe")
        << QStringLiteral("\"he leadeth me in the paths of righteousness for his name's sake.\" (Psalms 23:3)") << 0;
    QTest::newRow("verse number only is no claim") << QStringLiteral("\"I shall not want\" (1)") << 0;
    QTest::newRow("range") << QStringLiteral("\"Trust in the LORD with all thine heart; and lean not unto thine own "
                                             "understanding. In all thy ways acknowledge him\" (Proverbs 3:5-6)")
                           << 0;
    QTest::newRow("changed word") << QStringLiteral("\"Jesus cried.\" (John 11:35)") << 1;
    QTest::newRow("modern wording") << QStringLiteral("\"The Lord is my shepherd; I have all that I need.\" (Psalm 23:1)")
                                    << 1;
    QTest::newRow("wrong verse") << QStringLiteral("\"Jesus wept.\" (John 11:36)") << 1;
    QTest::newRow("unknown book") << QStringLiteral("\"Jesus wept.\" (Jhon 11:35)") << 1;
    QTest::newRow("range quoting one verse")
        << QStringLiteral("\"Trust in the LORD with all thine heart\" (Proverbs 3:5-6)") << 1;
    QTest::newRow("unbalanced marks") << QStringLiteral("\"Jesus wept. (John 11:35)") << 1;
    QTest::newRow("two quotations, one wrong")
        << QStringLiteral("\"Jesus wept.\" (John 11:35) and \"God is light.\" (1 John 4:8)") << 1;
}

void TestSermons::quotationCheckCatchesMisquotes()
{
    QFETCH(QString, text);
    QFETCH(int, faults);
    QCOMPARE(checkQuotations(text, m_kjv).faults.size(), faults);
}

void TestSermons::everyQuotationIsTheKjv()
{
    int total = 0;
    for (const LibraryEntry &entry : m_entries) {
        const QuoteReport report = checkQuotations(entry.text, m_kjv);
        total += report.count;
        QVERIFY2(report.faults.isEmpty(),
                 qPrintable(QStringLiteral("\"%1\": %2").arg(entry.key, report.faults.join(QStringLiteral("; ")))));
    }
    QVERIFY2(total >= 40, qPrintable(QString::number(total)));
}

QTEST_GUILESS_MAIN(TestSermons)
#include "tst_sermons.moc"
