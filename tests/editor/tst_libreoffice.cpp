#include "EditorWait.h"
#include "app/AppSetup.h"
#include "editor/RichTextBox.h"
#include "editor/SermonDocument.h"

#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// One run of text with the formats a sermon uses, written the same way for
// both readers so that they can be compared: "text{bold italic ...}".
struct Run {
    QString text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    QString colour; // "#rrggbb", "" automatic
    QString font;
    double points = 0;
    QString position;  // "super", "sub" or ""
    QString highlight; // "#rrggbb", "" none

    QString props() const
    {
        QStringList p;
        if (!position.isEmpty())
            p << position;
        if (!highlight.isEmpty())
            p << "on " + highlight;
        if (bold)
            p << "bold";
        if (italic)
            p << "italic";
        if (underline)
            p << "underline";
        if (strike)
            p << "strike";
        if (!colour.isEmpty())
            p << colour;
        p << font << QString::number(points) + "pt";
        return p.join(u' ');
    }
};

// Paragraphs as "alignment: text{props} text{props}", runs of the same
// format joined, empty paragraphs left out.
QStringList describe(const QList<QPair<QString, QList<Run>>> &paragraphs)
{
    QStringList out;
    for (const auto &[alignment, runs] : paragraphs) {
        QStringList parts;
        QString text;
        QString props;
        for (const Run &r : runs) {
            if (r.text.isEmpty())
                continue;
            if (r.props() != props && !text.isEmpty()) {
                parts << text + "{" + props + "}";
                text.clear();
            }
            text += r.text;
            props = r.props();
        }
        if (!text.isEmpty())
            parts << text + "{" + props + "}";
        if (!parts.isEmpty())
            out << alignment + ": " + parts.join(u' ');
    }
    return out;
}

// A paragraph's alignment, then its indents and spacing where not zero.
QString paragraphName(const QString &alignment, const QList<int> &twips)
{
    QString name = alignment;
    const char *words[] = {"left", "right", "first", "before", "after"};
    for (int i = 0; i < 5; ++i) {
        if (twips.value(i) != 0)
            name += QStringLiteral(" %1 %2").arg(QLatin1String(words[i])).arg(twips.value(i));
    }
    return name;
}

// An OpenDocument length ("0.5in", "1.27cm") in twips.
int twipsOf(QStringView length)
{
    for (const auto &[unit, perUnit] : {std::pair{u"in", 1440.0}, std::pair{u"cm", 1440 / 2.54},
                                        std::pair{u"mm", 144 / 2.54}, std::pair{u"pt", 20.0}}) {
        if (length.endsWith(unit))
            return qRound(length.chopped(2).toDouble() * perUnit);
    }
    return 0;
}

QString alignmentName(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return "center";
    if (a & Qt::AlignRight)
        return "right";
    if (a & Qt::AlignJustify)
        return "justify";
    return "left";
}

QStringList describeEditor(RichTextBox *box)
{
    QList<QPair<QString, QList<Run>>> paragraphs;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        QList<Run> runs;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            Run r;
            r.text = it.fragment().text();
            r.bold = f.fontWeight() >= QFont::Bold;
            r.italic = f.fontItalic();
            r.underline = f.fontUnderline();
            r.strike = f.fontStrikeOut();
            if (f.foreground().style() != Qt::NoBrush && f.foreground().color() != Qt::black)
                r.colour = f.foreground().color().name();
            const QStringList families = f.fontFamilies().toStringList();
            r.font = families.value(0, box->document()->defaultFont().family());
            r.points = f.fontPointSize();
            if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
                r.position = "super";
            else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
                r.position = "sub";
            if (f.background().style() != Qt::NoBrush)
                r.highlight = f.background().color().name();
            runs << r;
        }
        const QTextBlockFormat b = block.blockFormat();
        QList<int> twips;
        for (const qreal px : {b.leftMargin(), b.rightMargin(), b.textIndent(), b.topMargin(), b.bottomMargin()})
            twips << qRound(px * 15);
        paragraphs << qMakePair(paragraphName(alignmentName(b.alignment()), twips), runs);
    }
    return describe(paragraphs);
}

// The same from a flat OpenDocument text file: automatic styles give each
// span and paragraph its formats.
QStringList describeFlatOdt(const QByteArray &xml, QString *error)
{
    QHash<QString, Run> textStyles;
    QHash<QString, QString> paragraphAlign;
    QList<QPair<QString, QList<Run>>> paragraphs;
    QXmlStreamReader r(xml);
    QString style;
    QString family;
    QList<Run> spanStack; // empty outside a paragraph
    bool inBody = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const QXmlStreamAttributes a = r.attributes();
            if (r.qualifiedName() == u"style:style") {
                style = a.value("style:name").toString();
                family = a.value("style:family").toString();
            } else if (r.qualifiedName() == u"style:paragraph-properties" && family == u"paragraph") {
                const QStringView align = a.value("fo:text-align");
                const QList<int> twips = {twipsOf(a.value("fo:margin-left")), twipsOf(a.value("fo:margin-right")),
                                          twipsOf(a.value("fo:text-indent")), twipsOf(a.value("fo:margin-top")),
                                          twipsOf(a.value("fo:margin-bottom"))};
                paragraphAlign[style] = paragraphName(align == u"center"                       ? "center"
                                                      : align == u"end" || align == u"right" ? "right"
                                                      : align == u"justify"                  ? "justify"
                                                                                             : "left",
                                                      twips);
            } else if (r.qualifiedName() == u"style:text-properties" && family == u"text") {
                Run run;
                run.bold = a.value("fo:font-weight") == u"bold";
                run.italic = a.value("fo:font-style") == u"italic";
                run.underline = a.hasAttribute("style:text-underline-style")
                                && a.value("style:text-underline-style") != u"none";
                run.strike = a.hasAttribute("style:text-line-through-style")
                             && a.value("style:text-line-through-style") != u"none";
                const QString colour = a.value("fo:color").toString();
                run.colour = colour == u"#000000" ? QString() : colour;
                run.font = a.value("style:font-name").toString();
                run.points = a.value("fo:font-size").toString().chopped(2).toDouble();
                // "super 58%", "sub 58%", or a raise in percent ("33% 58%", "-33% 58%").
                const QString position = a.value("style:text-position").toString().section(u' ', 0, 0);
                run.position = position == u"super" || (position.endsWith(u'%') && position.chopped(1).toDouble() > 0) ? "super"
                             : position == u"sub" || (position.endsWith(u'%') && position.chopped(1).toDouble() < 0) ? "sub"
                                                                                                                   : "";
                const QString background = a.value("fo:background-color").toString();
                run.highlight = background.startsWith(u'#') ? background : QString();
                textStyles[style] = run;
            } else if (r.qualifiedName() == u"office:text") {
                inBody = true;
            } else if (inBody && r.qualifiedName() == u"text:p") {
                paragraphs << qMakePair(paragraphAlign.value(a.value("text:style-name").toString(), "left"), QList<Run>());
                spanStack = {Run()};
            } else if (inBody && r.qualifiedName() == u"text:span") {
                spanStack << textStyles.value(a.value("text:style-name").toString());
            } else if (!spanStack.isEmpty() && r.qualifiedName() == u"text:s") {
                Run run = spanStack.last();
                run.text = QString(qMax(1, a.value("text:c").toInt()), u' ');
                paragraphs.last().second << run;
            }
        } else if (r.isEndElement() && inBody && r.qualifiedName() == u"text:span") {
            spanStack.removeLast();
        } else if (r.isEndElement() && inBody && r.qualifiedName() == u"text:p") {
            spanStack.clear();
        } else if (r.isCharacters() && inBody && !paragraphs.isEmpty() && !spanStack.isEmpty()) {
            Run run = spanStack.last();
            run.text = r.text().toString();
            paragraphs.last().second << run;
        }
    }
    if (r.hasError() && error)
        *error = r.errorString();
    return describe(paragraphs);
}

} // namespace

// Sermons travel to and from word processors as RTF: what Vellumor writes
// opens formatted in LibreOffice Writer, and what Writer writes opens
// formatted in Vellumor. Runs only where LibreOffice is installed.
class TestLibreOffice : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rtfTravelsBothWays();

private:
    // Converts file into format (an extension) with LibreOffice; the new file's path.
    QString convert(const QString &file, const QString &format);

    QString m_soffice;
    QTemporaryDir m_dir;
};

void TestLibreOffice::initTestCase()
{
    AppSetup::initResources();
    AppSetup::installFontSubstitutes();
    m_soffice = QStandardPaths::findExecutable("soffice");
    if (m_soffice.isEmpty())
        QSKIP("LibreOffice Writer (soffice, Debian package libreoffice-writer-nogui) is not installed: "
              "the RTF exchange with word processors is not checked.");
    QVERIFY(m_dir.isValid());
}

QString TestLibreOffice::convert(const QString &file, const QString &format)
{
    const QString out = m_dir.filePath(format);
    QDir().mkpath(out);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    // A profile of its own: never the user's, and no clash with another run.
    p.start(m_soffice, {"-env:UserInstallation=" + QUrl::fromLocalFile(m_dir.filePath("profile")).toString(),
                        "--headless", "--convert-to", format, "--outdir", out, file});
    if (!p.waitForFinished(240000) || p.exitCode() != 0) {
        qWarning().noquote() << "soffice:" << p.readAll();
        return {};
    }
    return QDir(out).filePath(QFileInfo(file).completeBaseName() + "." + format);
}

void TestLibreOffice::rtfTravelsBothWays()
{
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    SermonDocument doc;
    doc.setEditor(&box);
    box.SetText(QString::fromUtf8("Sermon Title\nGrace and peace be unto you “café”\nAmen"));
    auto format = [&box](int start, int length, const std::function<void()> &apply) {
        box.setSelection(start, length);
        apply();
    };
    format(0, 12, [&] {
        box.SetSelBold(true);
        box.SetSelFontSize(14);
        box.SetSelAlignment(2);
    });
    format(13, 5, [&] {
        box.SetSelItalic(true);
        box.SetSelColor(qRgb(160, 0, 0));
    });
    format(23, 5, [&] { box.SetSelUnderline(true); });
    format(29, 2, [&] { box.SetSelStrikeThru(true); });
    format(32, 4, [&] { box.SetSelFontName("Times New Roman"); });
    format(50, 4, [&] { box.SetSelAlignment(1); });
    // A quoted verse: indented, spaced, with a superscript, a subscript
    // and a highlighted word, as an RTF from a word processor brings them.
    box.setSelection(54, 0);
    box.SetSelRTF("{\\rtf1{\\colortbl;\\red255\\green255\\blue0;}\\par\\pard\\li720\\ri360\\fi-360\\sb120\\sa240 "
                  "x{\\super 2} is H{\\sub 2}O, {\\highlight1 marked}}");
    const QStringList expected = describeEditor(&box);
    QCOMPARE(expected.size(), 4);
    QVERIFY2(expected.at(3).startsWith("left left 720 right 360 first -360 before 120 after 240: x{")
                 && expected.at(3).contains("2{super ") && expected.at(3).contains("2{sub ")
                 && expected.at(3).contains("marked{on #ffff00"),
             qPrintable(expected.at(3)));

    QString reason;
    const QString ours = m_dir.filePath("sermon.rtf");
    QVERIFY2(doc.save(ours, SermonDocument::Format::RichText, &reason), qPrintable(reason));

    // Writer reads ours: the same paragraphs and runs.
    const QString odt = convert(ours, "fodt");
    QVERIFY(!odt.isEmpty());
    QFile file(odt);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString error;
    QCOMPARE(describeFlatOdt(file.readAll(), &error), expected);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    // Writer's own RTF opens in Vellumor the same way.
    const QString theirs = convert(odt, "rtf");
    QVERIFY(!theirs.isEmpty());
    RichTextBox back(QStringLiteral("MS Sans Serif"));
    SermonDocument opened;
    opened.setEditor(&back);
    const EditorWait::Loaded loaded = EditorWait::open(opened, theirs);
    QVERIFY2(loaded.ok, qPrintable(loaded.reason));
    QCOMPARE(opened.fileFormat(), SermonDocument::Format::RichText);
    QCOMPARE(describeEditor(&back), expected);
}

QTEST_MAIN(TestLibreOffice)
#include "tst_libreoffice.moc"
