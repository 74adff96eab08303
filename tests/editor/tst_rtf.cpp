#include "editor/RichTextBox.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QtTest>

namespace {

// One character with every attribute the RTF code carries.
struct Styled {
    QChar ch;
    QString family;
    int halfPoints = 0;
    QRgb colour = 0; // 0xff000000 bit set when a colour is given
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    char position = ' '; // ^ superscript, _ subscript
    QRgb highlight = 0;  // 0xff000000 bit set when a background is given
    bool operator==(const Styled &) const = default;
};

struct Paragraph {
    char align = 'l'; // l r c j
    QList<int> layout = {0, 0, 0, 0, 0}; // left, right, first line, before, after, in twips
    QList<Styled> chars;
    bool operator==(const Paragraph &) const = default;
};

char alignOf(const QTextBlockFormat &format)
{
    const Qt::Alignment a = format.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignJustify)
        return 'j';
    if (a & Qt::AlignHCenter)
        return 'c';
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return 'r';
    return 'l';
}

Styled styledOf(QChar ch, const QTextCharFormat &f, const QTextDocument &doc)
{
    Styled s;
    s.ch = ch;
    const QStringList families = f.fontFamilies().toStringList();
    s.family = families.isEmpty() ? doc.defaultFont().family() : families.first();
    const qreal points = f.fontPointSize() > 0 ? f.fontPointSize() : doc.defaultFont().pointSizeF();
    s.halfPoints = qRound(points * 2);
    if (f.foreground().style() != Qt::NoBrush)
        s.colour = f.foreground().color().rgb() | 0xff000000;
    s.bold = f.fontWeight() >= QFont::Bold;
    s.italic = f.fontItalic();
    s.underline = f.fontUnderline();
    s.strike = f.fontStrikeOut();
    s.position = f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? '^'
               : f.verticalAlignment() == QTextCharFormat::AlignSubScript ? '_'
                                                                           : ' ';
    if (f.background().style() != Qt::NoBrush)
        s.highlight = f.background().color().rgb() | 0xff000000;
    return s;
}

QList<Paragraph> contentOf(const QTextDocument &doc)
{
    QList<Paragraph> out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        Paragraph p;
        const QTextBlockFormat f = block.blockFormat();
        p.align = alignOf(f);
        p.layout.clear();
        for (const qreal px : {f.leftMargin(), f.rightMargin(), f.textIndent(), f.topMargin(), f.bottomMargin()})
            p.layout << qRound(px * 15);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            for (const QChar ch : fragment.text())
                p.chars.append(styledOf(ch, fragment.charFormat(), doc));
        }
        out.append(p);
    }
    return out;
}

QString describe(const QList<Paragraph> &paragraphs)
{
    QString out;
    for (const Paragraph &p : paragraphs) {
        QStringList layout;
        for (const int twips : p.layout)
            layout << QString::number(twips);
        out += QStringLiteral("[%1 %2]").arg(QLatin1Char(p.align)).arg(layout.join(u','));
        for (const Styled &s : p.chars) {
            out += QStringLiteral("%1{%2,%3,%4,%5%6%7%8%9,%10}")
                       .arg(s.ch)
                       .arg(s.family)
                       .arg(s.halfPoints)
                       .arg(s.colour, 0, 16)
                       .arg(s.bold ? "b" : "")
                       .arg(s.italic ? "i" : "")
                       .arg(s.underline ? "u" : "")
                       .arg(s.strike ? "s" : "")
                       .arg(QLatin1Char(s.position))
                       .arg(s.highlight, 0, 16);
        }
        out += QLatin1Char('\n');
    }
    return out;
}

QTextDocument *newDocument(QObject *parent)
{
    auto *doc = new QTextDocument(parent);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.5);
    doc->setDefaultFont(font);
    return doc;
}

// Fills the document with random paragraphs of random runs.
void generate(QTextDocument *doc, QRandomGenerator &rng)
{
    static const QStringList families = {
        QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Times New Roman"),
        QStringLiteral("Semi;colon {Font}"), QStringLiteral("Caf\u00e9 Sans")};
    static const QString alphabet = QStringLiteral(
        "abcXYZ 019.,;:\\{}\t\u2028\u00e9\u00c9\u00fc\u00df\u20ac\u0152\u0178\u2019\u201c"
        "\u03a9\u03c9\u0416\u05d0\u4f60\u00a0?'\u2603");
    static const char aligns[] = {'l', 'r', 'c', 'j'};

    QTextCursor cursor(doc);
    const int paragraphs = rng.bounded(1, 5);
    for (int p = 0; p < paragraphs; ++p) {
        if (p > 0)
            cursor.insertBlock();
        QTextBlockFormat bf;
        switch (aligns[rng.bounded(4)]) {
        case 'l': bf.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
        case 'r': bf.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
        case 'c': bf.setAlignment(Qt::AlignHCenter); break;
        default: bf.setAlignment(Qt::AlignJustify); break;
        }
        if (rng.bounded(2)) {
            bf.setLeftMargin(rng.bounded(0, 97));
            bf.setRightMargin(rng.bounded(0, 49));
            bf.setTextIndent(rng.bounded(-24, 49));
            bf.setTopMargin(rng.bounded(0, 17));
            bf.setBottomMargin(rng.bounded(0, 17));
        }
        cursor.setBlockFormat(bf);
        const int runs = rng.bounded(1, 6);
        for (int r = 0; r < runs; ++r) {
            QString text;
            const int length = rng.bounded(1, 8);
            for (int i = 0; i < length; ++i)
                text += alphabet.at(rng.bounded(int(alphabet.size())));
            if (rng.bounded(6) == 0)
                text += QString::fromUtf8("\xf0\x9f\x98\x80"); // outside the BMP
            QTextCharFormat f;
            f.setFontFamilies({families.at(rng.bounded(int(families.size())))});
            f.setFontPointSize(rng.bounded(8, 73) / 2.0);
            if (rng.bounded(2))
                f.setForeground(QColor(QRgb(rng.bounded(0x1000000))));
            f.setFontWeight(rng.bounded(2) ? QFont::Bold : QFont::Normal);
            f.setFontItalic(rng.bounded(2));
            f.setFontUnderline(rng.bounded(2));
            f.setFontStrikeOut(rng.bounded(2));
            if (rng.bounded(4) == 0)
                f.setVerticalAlignment(rng.bounded(2) ? QTextCharFormat::AlignSuperScript
                                                      : QTextCharFormat::AlignSubScript);
            if (rng.bounded(4) == 0)
                f.setBackground(QColor(QRgb(rng.bounded(0x1000000))));
            cursor.insertText(text, f);
        }
    }
}

QString readCorpus(const QString &name)
{
    QFile file(QStringLiteral(VELLUMOR_RTF_CORPUS) + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QList<Paragraph> readInto(QStringView rtf, QObject *parent)
{
    QTextDocument *doc = newDocument(parent);
    QTextCursor cursor(doc);
    RtfReader::insert(cursor, rtf);
    return contentOf(*doc);
}

QString textOf(const QList<Paragraph> &paragraphs)
{
    QStringList lines;
    for (const Paragraph &p : paragraphs) {
        QString line;
        for (const Styled &s : p.chars)
            line += s.ch;
        lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

// The styled characters of `paragraphs` whose text equals `word`, or an
// empty list when the word is not there.
QList<Styled> find(const QList<Paragraph> &paragraphs, const QString &word)
{
    for (const Paragraph &p : paragraphs) {
        QString line;
        for (const Styled &s : p.chars)
            line += s.ch;
        const qsizetype at = line.indexOf(word);
        if (at >= 0)
            return p.chars.mid(at, word.size());
    }
    return {};
}

bool all(const QList<Styled> &chars, bool Styled::*attribute)
{
    if (chars.isEmpty())
        return false;
    for (const Styled &s : chars) {
        if (!(s.*attribute))
            return false;
    }
    return true;
}

} // namespace

class TestRtf : public QObject {
    Q_OBJECT

private slots:
    void writerEmptySelectionIsValidDocument();
    void writerEncodesTextAndAttributes();
    void roundTripOverGeneratedDocuments();
    void roundTripOfPartialSelectionsIntoExistingText();
    void lowerCaseKeepsFormattingAndFonts();
    void readsWordPadOutput();
    void readsLibreOfficeOutput();
    void readsTextEditOutput();
    void readsOtherCodePagesAndUnicode();
    void hostileInputs();
    void hostileInputsStayLinear();
    void fontNamesAndFontTablesAreCapped();
    void readingInStepsGivesTheSameDocument();
    void everyCorpusFileReads();
    void plainTextAndEmptyStrings();
    void editorSelRtfIsOneUndoStepAndOneChange();
    void tooDeepNestingIsReportedOnce_data();
    void tooDeepNestingIsReportedOnce();
};

void TestRtf::writerEmptySelectionIsValidDocument()
{
    QTextDocument *doc = newDocument(this);
    QTextCursor(doc).insertText(QStringLiteral("some text"));
    QTextCursor caret(doc);
    caret.setPosition(4);
    const QString rtf = RtfWriter::write(caret);
    QVERIFY(rtf.startsWith(QLatin1String("{\\rtf1\\ansi\\ansicpg1252")));
    QVERIFY(rtf.contains(QLatin1String("{\\fonttbl")));
    QVERIFY(rtf.contains(QLatin1String("{\\colortbl")));
    QCOMPARE(rtf.count(QLatin1Char('{')), rtf.count(QLatin1Char('}')));
    QVERIFY(rtf.endsWith(QLatin1Char('}')));

    QTextCursor target(doc);
    target.setPosition(4);
    RtfReader::insert(target, rtf);
    QCOMPARE(doc->toPlainText(), QStringLiteral("some text"));
}

void TestRtf::writerEncodesTextAndAttributes()
{
    QTextDocument *doc = newDocument(this);
    QTextCursor cursor(doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    cursor.insertText(QStringLiteral("Caf\u00e9 \u20ac \u03a9 {x}\\"));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(QColor(255, 0, 0));
    cursor.insertText(QStringLiteral("B"), bold);
    cursor.select(QTextCursor::Document);

    const QString rtf = RtfWriter::write(cursor);
    for (const QChar c : rtf)
        QVERIFY2(c.unicode() < 0x80, qPrintable(rtf));
    QVERIFY(rtf.contains(QLatin1String("\\qc")));
    QVERIFY(rtf.contains(QLatin1String("\\fs17 ")));
    QVERIFY(rtf.contains(QLatin1String("Caf\\'e9 \\'80 \\u937? \\{x\\}\\\\")));
    QVERIFY(rtf.contains(QLatin1String("\\red255\\green0\\blue0;")));
    QVERIFY(rtf.contains(QLatin1String("\\cf1\\b B")));
    QVERIFY(rtf.contains(QLatin1String("MS Sans Serif;")));
}

void TestRtf::roundTripOverGeneratedDocuments()
{
    for (quint32 seed = 1; seed <= 300; ++seed) {
        QRandomGenerator rng(seed);
        QTextDocument *source = newDocument(nullptr);
        generate(source, rng);
        QTextCursor all(source);
        all.select(QTextCursor::Document);
        const QString rtf = RtfWriter::write(all);

        const QList<Paragraph> expected = contentOf(*source);
        const QList<Paragraph> actual = readInto(rtf, source);
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("seed %1\nexpected:\n%2actual:\n%3rtf:\n%4")
                                .arg(seed)
                                .arg(describe(expected), describe(actual), rtf)));
        delete source;
    }
}

void TestRtf::roundTripOfPartialSelectionsIntoExistingText()
{
    for (quint32 seed = 1000; seed < 1150; ++seed) {
        QRandomGenerator rng(seed);
        QTextDocument *source = newDocument(nullptr);
        generate(source, rng);
        const int last = source->characterCount() - 1;
        // The editor never puts a selection edge inside a surrogate pair.
        const QString text = source->toPlainText();
        auto edge = [&](int at) {
            return at < text.size() && text.at(at).isLowSurrogate() ? at - 1 : at;
        };
        const int a = edge(rng.bounded(last + 1));
        const int b = edge(rng.bounded(last + 1));
        QTextCursor selection(source);
        selection.setPosition(qMin(a, b));
        selection.setPosition(qMax(a, b), QTextCursor::KeepAnchor);
        const QString rtf = RtfWriter::write(selection);

        // Expected: the same span copied natively into the same target.
        QTextDocument *expectedDoc = newDocument(source);
        QTextDocument *actualDoc = newDocument(source);
        for (QTextDocument *doc : {expectedDoc, actualDoc}) {
            QTextCursor c(doc);
            QTextCharFormat plain;
            plain.setFontPointSize(10);
            c.insertText(QStringLiteral("before|after"), plain);
            c.setPosition(6);
            if (doc == expectedDoc)
                c.insertFragment(selection.selection());
            else
                RtfReader::insert(c, rtf);
        }
        QList<Paragraph> expected = contentOf(*expectedDoc);
        QList<Paragraph> actual = contentOf(*actualDoc);
        // The layout of paragraphs the fragment only partly fills is a
        // policy question; text and character formats must match.
        for (auto *list : {&expected, &actual}) {
            for (Paragraph &p : *list) {
                p.align = 'l';
                p.layout = Paragraph().layout;
            }
        }
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("seed %1\nexpected:\n%2actual:\n%3")
                                .arg(seed)
                                .arg(describe(expected), describe(actual))));
        delete source;
    }
}

void TestRtf::lowerCaseKeepsFormattingAndFonts()
{
    for (quint32 seed = 2000; seed < 2100; ++seed) {
        QRandomGenerator rng(seed);
        QTextDocument *doc = newDocument(nullptr);
        generate(doc, rng);
        QList<Paragraph> expected = contentOf(*doc);
        for (Paragraph &p : expected) {
            for (Styled &s : p.chars) {
                if (!s.ch.isSurrogate())
                    s.ch = s.ch.toLower();
            }
        }
        QTextCursor all(doc);
        all.select(QTextCursor::Document);
        const QString lowered = RtfWriter::toLower(RtfWriter::write(all));
        QVERIFY(lowered.contains(QLatin1String("ms sans serif")));
        RtfReader::insert(all, lowered);
        const QList<Paragraph> actual = contentOf(*doc);
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("seed %1\nexpected:\n%2actual:\n%3")
                                .arg(seed)
                                .arg(describe(expected), describe(actual))));
        delete doc;
    }
}

void TestRtf::readsWordPadOutput()
{
    const QString rtf = readCorpus(QStringLiteral("wordpad.rtf"));
    QVERIFY(!rtf.isEmpty());
    const QList<Paragraph> doc = readInto(rtf, this);
    QCOMPARE(textOf(doc), QStringLiteral("Grace and Peace to you.\nCentred red italic\n"
                                         "Caf\u00e9 na\u00efve \u20ac 5\nJustified\tblue\u2028second line\n"));
    QCOMPARE(doc.at(0).align, 'l');
    QCOMPARE(doc.at(1).align, 'c');
    QCOMPARE(doc.at(2).align, 'r');
    QCOMPARE(doc.at(3).align, 'j');

    const QList<Styled> peace = find(doc, QStringLiteral("Peace"));
    QVERIFY(all(peace, &Styled::bold));
    QCOMPARE(peace.first().family, QStringLiteral("Calibri"));
    QCOMPARE(peace.first().halfPoints, 22);
    QVERIFY(!find(doc, QStringLiteral("Grace")).first().bold);
    QVERIFY(!find(doc, QStringLiteral(" to you")).first().bold);

    const QList<Styled> centred = find(doc, QStringLiteral("Centred red italic"));
    QVERIFY(all(centred, &Styled::italic));
    QCOMPARE(centred.first().colour, QRgb(0xffff0000));
    QCOMPARE(centred.first().halfPoints, 28);

    const QList<Styled> cafe = find(doc, QStringLiteral("Caf\u00e9"));
    QVERIFY(all(cafe, &Styled::underline));
    QCOMPARE(cafe.first().family, QStringLiteral("Arial"));
    QCOMPARE(cafe.first().colour, QRgb(0));
    QVERIFY(all(find(doc, QStringLiteral("na\u00efve")), &Styled::strike));
    QVERIFY(!find(doc, QStringLiteral("na\u00efve")).first().underline);
    QCOMPARE(find(doc, QStringLiteral("blue")).first().colour, QRgb(0xff0000ff));
}

void TestRtf::readsLibreOfficeOutput()
{
    const QList<Paragraph> doc = readInto(readCorpus(QStringLiteral("libreoffice.rtf")), this);
    QCOMPARE(textOf(doc), QStringLiteral("In the beginning God created the heaven and the earth.\n"
                                         "Genesis 1:1\n\u201cSelah\u201d \u2014 \u03c0\n"));
    QVERIFY(all(find(doc, QStringLiteral("God")), &Styled::bold));
    QVERIFY(!find(doc, QStringLiteral("beginning")).first().bold);
    QCOMPARE(find(doc, QStringLiteral("beginning")).first().family, QStringLiteral("Liberation Serif"));
    QCOMPARE(doc.at(1).align, 'c');
    const QList<Styled> genesis = find(doc, QStringLiteral("Genesis"));
    QVERIFY(all(genesis, &Styled::italic));
    QCOMPARE(genesis.first().colour, QRgb(0xffc9211e));
    QCOMPARE(genesis.first().halfPoints, 32);
    QCOMPARE(doc.at(2).align, 'r');
    QVERIFY(all(find(doc, QStringLiteral("Selah")), &Styled::underline));
    QCOMPARE(find(doc, QStringLiteral("Selah")).first().family, QStringLiteral("Liberation Sans"));

    // Superscript, subscript, a character background, indents and spacing.
    const QList<Paragraph> laid = readInto(readCorpus(QStringLiteral("libreoffice-layout.rtf")), this);
    QCOMPARE(textOf(laid), QStringLiteral("x2 and H2O marked words\nplain\n"));
    QCOMPARE(laid.at(0).layout, QList<int>({1440, 720, -360, 180, 90}));
    QCOMPARE(laid.at(1).layout, Paragraph().layout);
    QCOMPARE(find(laid, QStringLiteral("x2")).at(1).position, '^');
    QCOMPARE(find(laid, QStringLiteral("H2O")).at(1).position, '_');
    QCOMPARE(find(laid, QStringLiteral("marked")).first().highlight, QRgb(0xffffff00));
}

void TestRtf::readsTextEditOutput()
{
    const QList<Paragraph> doc = readInto(readCorpus(QStringLiteral("textedit.rtf")), this);
    QCOMPARE(textOf(doc), QStringLiteral("Blessed are the meek\nfor they shall inherit the earth"));
    QVERIFY(all(find(doc, QStringLiteral("meek")), &Styled::bold));
    QCOMPARE(find(doc, QStringLiteral("meek")).first().family, QStringLiteral("Helvetica-Bold"));
    QCOMPARE(find(doc, QStringLiteral("Blessed")).first().family, QStringLiteral("Helvetica"));
    QCOMPARE(find(doc, QStringLiteral("Blessed")).first().halfPoints, 24);
    QCOMPARE(doc.at(0).align, 'l');
    QCOMPARE(doc.at(1).align, 'c');
    const QList<Styled> inherit = find(doc, QStringLiteral("for they shall inherit"));
    QVERIFY(all(inherit, &Styled::strike));
    QCOMPARE(inherit.first().colour, QRgb(0xfffb0207));
    const QList<Styled> earth = find(doc, QStringLiteral("the earth"));
    QVERIFY(all(earth, &Styled::italic));
    QVERIFY(!earth.first().strike);
    QCOMPARE(earth.first().colour, QRgb(0));
}

void TestRtf::readsOtherCodePagesAndUnicode()
{
    const QList<Paragraph> cyrillic = readInto(readCorpus(QStringLiteral("codepage.rtf")), this);
    QCOMPARE(textOf(cyrillic), QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442 caf\u00e9"));

    const QList<Paragraph> unicode = readInto(readCorpus(QStringLiteral("unicode.rtf")), this);
    QCOMPARE(textOf(unicode), QStringLiteral("\u05d0\u05d1\u05d2\uf020\uf09f") + QString::fromUtf8("\xf0\x9f\x98\x80")
                                  + QStringLiteral(" end"));
}

void TestRtf::hostileInputs()
{
    // Nesting beyond the limit is dropped with its content; the rest reads.
    const QList<Paragraph> deep = readInto(readCorpus(QStringLiteral("deep.rtf")), this);
    QCOMPARE(textOf(deep), QStringLiteral(" shallow"));

    const QList<Paragraph> truncated = readInto(readCorpus(QStringLiteral("truncated.rtf")), this);
    QCOMPARE(textOf(truncated), QStringLiteral("truncated bold and ital"));
    QVERIFY(all(find(truncated, QStringLiteral("ital")), &Styled::italic));
    QVERIFY(all(find(truncated, QStringLiteral("bold and ital")), &Styled::bold));

    const QList<Paragraph> numbers = readInto(readCorpus(QStringLiteral("numbers.rtf")), this);
    QCOMPARE(textOf(numbers), QStringLiteral("bigzz"));
    QCOMPARE(numbers.first().chars.first().halfPoints, 3276);
    QVERIFY(numbers.first().chars.first().bold);

    const QList<Paragraph> binary = readInto(readCorpus(QStringLiteral("binary.rtf")), this);
    QCOMPARE(textOf(binary), QStringLiteral("ab"));

    const QList<Paragraph> destinations = readInto(readCorpus(QStringLiteral("destinations.rtf")), this);
    QCOMPARE(textOf(destinations), QStringLiteral("kept after bin\nlink"));

    const QList<Paragraph> control = readInto(readCorpus(QStringLiteral("controlchars.rtf")), this);
    QCOMPARE(textOf(control), QStringLiteral("xyz\u2028\nnext"));

    // Unbalanced closing braces end the document; nothing after it is read.
    QCOMPARE(textOf(readInto(u"{\\rtf1 one}two}three", this)), QStringLiteral("one"));
    // A lone backslash or a cut-off escape at the very end.
    QCOMPARE(textOf(readInto(u"{\\rtf1 x\\", this)), QStringLiteral("x"));
    QCOMPARE(textOf(readInto(u"{\\rtf1 x\\'4", this)), QStringLiteral("x"));
    QCOMPARE(textOf(readInto(u"{\\rtf1 x\\u", this)), QStringLiteral("x"));
}

void TestRtf::hostileInputsStayLinear()
{
    // Each of these would take quadratic time or unbounded memory in a naive
    // reader (and this test would not end); bench_rtf_reader times them.
    const int n = 200000;
    const QStringList inputs = {
        QStringLiteral("{\\rtf1 ") + QString(n, QLatin1Char('{')) + QStringLiteral("x"),
        QStringLiteral("{\\rtf1 ") + QStringLiteral("a\\b b\\b0 ").repeated(n / 4),
        QStringLiteral("{\\rtf1 {\\fonttbl") + QStringLiteral("{\\f1 F;}").repeated(n / 8) + QStringLiteral("}x}"),
        QStringLiteral("{\\rtf1 \\uc16") + QStringLiteral("\\u9999999999999999999999").repeated(n / 25),
        QStringLiteral("{\\rtf1 {\\*") + QStringLiteral("\\bin1 }").repeated(n / 8) + QStringLiteral("}tail}"),
        QStringLiteral("{\\rtf1 \\") + QString(n, QLatin1Char('a')) + QStringLiteral(" z}"),
    };
    for (const QString &input : inputs) {
        QTextDocument *doc = newDocument(nullptr);
        QTextCursor cursor(doc);
        RtfReader::insert(cursor, input);
        QVERIFY2(doc->characterCount() <= input.size() + 1, qPrintable(input.left(40)));
        delete doc;
    }
}

void TestRtf::fontNamesAndFontTablesAreCapped()
{
    // A name is cut at the cap.
    const QString longName(RtfReader::MaxFontName + 50, QLatin1Char('N'));
    const QList<Paragraph> named = readInto(QStringLiteral("{\\rtf1{\\fonttbl{\\f0 %1;}}\\f0 x}").arg(longName), this);
    QCOMPARE(named.first().chars.first().family, longName.left(RtfReader::MaxFontName));

    // Fonts numbered past the first MaxFonts entries read as the default.
    QString table;
    for (int i = 0; i <= RtfReader::MaxFonts; ++i)
        table += QStringLiteral("{\\f%1 Font%1;}").arg(i);
    const QList<Paragraph> many = readInto(QStringLiteral("{\\rtf1{\\fonttbl%1}\\f%2 a\\f%3 b}")
                                               .arg(table)
                                               .arg(RtfReader::MaxFonts - 1)
                                               .arg(RtfReader::MaxFonts),
                                           this);
    QCOMPARE(many.first().chars.at(0).family, QStringLiteral("Font%1").arg(RtfReader::MaxFonts - 1));
    QCOMPARE(many.first().chars.at(1).family, QStringLiteral("MS Sans Serif"));
}

void TestRtf::readingInStepsGivesTheSameDocument()
{
    // Long pastes are read a slice at a time; any cut must read the same.
    QStringList inputs;
    const QDir dir(QStringLiteral(VELLUMOR_RTF_CORPUS));
    for (const QString &name : dir.entryList(QDir::Files))
        inputs << readCorpus(name);
    QRandomGenerator rng(17);
    for (int i = 0; i < 20; ++i) {
        QTextDocument *doc = newDocument(this);
        generate(doc, rng);
        QTextCursor all(doc);
        all.select(QTextCursor::Document);
        inputs << RtfWriter::write(all);
    }
    for (const QString &input : std::as_const(inputs)) {
        // Into the middle of bold, right-aligned text, as a paste lands.
        const auto target = [this] {
            QTextDocument *doc = newDocument(this);
            QTextCursor c(doc);
            QTextBlockFormat right;
            right.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
            c.setBlockFormat(right);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            c.insertText(QStringLiteral("beforeafter"), bold);
            c.setPosition(6);
            return c;
        };
        QTextCursor whole = target();
        RtfReader::insert(whole, input);
        QTextCursor stepped = target();
        RtfReader reader(stepped, input);
        stepped.beginEditBlock();
        while (reader.step(7)) {
            stepped.endEditBlock();
            stepped.joinPreviousEditBlock();
        }
        reader.finish();
        stepped.endEditBlock();
        QCOMPARE(describe(contentOf(*stepped.document())), describe(contentOf(*whole.document())));
        QCOMPARE(stepped.position(), whole.position());
    }
}

void TestRtf::everyCorpusFileReads()
{
    const QDir dir(QStringLiteral(VELLUMOR_RTF_CORPUS));
    const QStringList files = dir.entryList(QDir::Files);
    QVERIFY(files.size() >= 10);
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString input = QString::fromUtf8(file.readAll());
        QVERIFY2(RtfReader::isRtf(input), qPrintable(name));
        QTextDocument *doc = newDocument(nullptr);
        QTextCursor cursor(doc);
        RtfReader::insert(cursor, input);
        // What was read survives a write and a second read.
        QTextCursor all(doc);
        all.select(QTextCursor::Document);
        QCOMPARE(readInto(RtfWriter::write(all), doc), contentOf(*doc));
        delete doc;
    }
}

void TestRtf::plainTextAndEmptyStrings()
{
    QVERIFY(RtfReader::isRtf(u"{\\rtf1}"));
    QVERIFY(!RtfReader::isRtf(u" {\\rtf1}"));
    QVERIFY(!RtfReader::isRtf(u"{\\rt"));
    QVERIFY(!RtfReader::isRtf(u""));

    QTextDocument *doc = newDocument(this);
    QTextCursor cursor(doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText(QStringLiteral("0123456789"), bold);
    cursor.setPosition(2);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    RtfReader::insert(cursor, u"plain {\\b not rtf}");
    QCOMPARE(doc->toPlainText(), QStringLiteral("01plain {\\b not rtf}56789"));

    cursor.setPosition(0);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    RtfReader::insert(cursor, u"");
    QCOMPARE(doc->toPlainText(), QStringLiteral("plain {\\b not rtf}56789"));
}

void TestRtf::editorSelRtfIsOneUndoStepAndOneChange()
{
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.SetText(QStringLiteral("Grace and Peace"));
    box.setSelection(10, 5);
    box.SetSelBold(true);
    const QString rtf = box.SelRTF();
    QVERIFY(rtf.startsWith(QLatin1String("{\\rtf")));

    box.setSelection(0, 5);
    QSignalSpy changes(&box, &RichTextBox::Change);
    box.SetSelRTF(rtf + QString());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(box.Text(), QStringLiteral("Peace and Peace"));
    box.setSelection(0, 5);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::On);
    box.setSelection(6, 3);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::Off);

    box.undo();
    QCOMPARE(box.Text(), QStringLiteral("Grace and Peace"));

    // Several paragraphs in one write are still one step and one Change.
    const QString multi = QStringLiteral("{\\rtf1 one\\par two\\par {\\b three}}");
    box.setSelection(0, 0);
    changes.clear();
    box.SetSelRTF(multi);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(box.Text(), QStringLiteral("one\ntwo\nthreeGrace and Peace"));
    box.undo();
    QCOMPARE(box.Text(), QStringLiteral("Grace and Peace"));

    box.setSelection(0, 6);
    box.SetSelRTF(QString());
    QCOMPARE(box.Text(), QStringLiteral("and Peace"));
}

void TestRtf::tooDeepNestingIsReportedOnce_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("leftOut");
    const auto nest = [](int depth, const QString &in) { return QString(depth, u'{') + in + QString(depth, u'}'); };
    const QString rtf = QStringLiteral("{\\rtf1 ");
    QTest::newRow("text too deep") << readCorpus(QStringLiteral("deep.rtf")) << " shallow" << true;
    QTest::newRow("two places too deep") << rtf + nest(150, "a") + "b" + nest(150, "c\\par d") + "}" << "b" << true;
    QTest::newRow("long: pasted in slices") << rtf + QString(70000, u'x') + nest(150, "a") + "}" << QString(70000, u'x')
                                            << true;
    QTest::newRow("just within the limit") << rtf + nest(RtfReader::MaxDepth - 1, "a") + "}" << "a" << false;
    QTest::newRow("empty groups too deep") << rtf + nest(150, "\\b") + "ok}" << "ok" << false;
    QTest::newRow("a skipped destination too deep") << rtf + nest(120, "{\\*\\generator x}") + "ok}" << "ok" << false;
    QTest::newRow("a font table too deep") << rtf + nest(120, "{\\fonttbl{\\f0 Arial;}}") + "ok}" << "ok" << false;
    QTest::newRow("inside a skipped destination") << rtf + "{\\*\\info" + nest(150, "x") + "}ok}" << "ok" << false;
}

void TestRtf::tooDeepNestingIsReportedOnce()
{
    QFETCH(QString, rtf);
    QFETCH(QString, text);
    QFETCH(bool, leftOut);
    QTextDocument *doc = newDocument(this);
    QTextCursor cursor(doc);
    QCOMPARE(RtfReader::insert(cursor, rtf), !leftOut);
    QCOMPARE(doc->toPlainText(), text);

    // The editor says so once per paste or load, after it is done.
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    QSignalSpy said(&box, &RichTextBox::LeftOut);
    box.SetSelRTF(rtf);
    QTRY_VERIFY(!box.isBusy());
    box.LoadRtf(rtf);
    QCoreApplication::processEvents();
    QCOMPARE(said.count(), leftOut ? 2 : 0);
}

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
