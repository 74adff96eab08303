#include "app/AppSetup.h"
#include "editor/RichTextBox.h"

#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

class TestRichTextBox : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { AppSetup::installFontSubstitutes(); }
    void initialContentIsOneSmallSpace();
    void changeRaisedOncePerWriteBeforeItReturns();
    void textAndSelection();
    void findRules_data();
    void findRules();
    void findKeepsSelectionWhenNothingFound();
    void mixedAttributeReads();
    void attributeWritesWithoutSelectionApplyToTypedText();
    void fontSizeColourStrikeAndAlignment();
    void qtPasteAndDropFollowPasteRule_data();
    void qtPasteAndDropFollowPasteRule();
};

void TestRichTextBox::initialContentIsOneSmallSpace()
{
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    QCOMPARE(box.Text(), QStringLiteral(" "));
    box.setSelection(0, 1);
    QCOMPARE(box.textCursor().charFormat().fontPointSize(), 8.5);
    QCOMPARE(box.document()->defaultFont().family(), QStringLiteral("MS Sans Serif"));
}

void TestRichTextBox::changeRaisedOncePerWriteBeforeItReturns()
{
    RichTextBox box(QStringLiteral("Arial"));
    int changes = 0;
    QString textAtChange;
    connect(&box, &RichTextBox::Change, this, [&] {
        ++changes;
        textAtChange = box.Text();
    });
    box.SetText(QStringLiteral("In the beginning\nwas the Word"));
    QCOMPARE(changes, 1);
    QCOMPARE(textAtChange, QStringLiteral("In the beginning\nwas the Word"));

    box.SetText(QString());
    QCOMPARE(changes, 2);
    QCOMPARE(box.Text(), QString());

    box.SetText(QStringLiteral("grace"));
    box.setSelection(0, 5);
    box.SetSelText(QStringLiteral("peace"));
    QCOMPARE(changes, 4);
    box.SetSelBold(true); // nothing selected: only the next typed text changes
    QCOMPARE(changes, 4);
    box.setSelection(0, 5);
    box.SetSelBold(true);
    QCOMPARE(changes, 5);

    // Typing raises it too; moving the caret does not.
    box.moveCursor(QTextCursor::End);
    QCOMPARE(changes, 5);
    QTest::keyClicks(&box, QStringLiteral("ab"));
    QCOMPARE(changes, 7);

    // A document swapped in is watched too.
    auto *other = new QTextDocument(&box);
    box.setDocument(other);
    const int before = changes;
    QTextCursor(other).insertText(QStringLiteral("x"));
    QCOMPARE(changes, before + 1);
    box.setDocument(new QTextDocument(&box));
    box.SetText(QStringLiteral("peaceab"));

    // A whole-text write stays undoable.
    box.SetText(QStringLiteral("new"));
    box.undo();
    QCOMPARE(box.Text(), QStringLiteral("peaceab"));
}

void TestRichTextBox::textAndSelection()
{
    RichTextBox box(QStringLiteral("Arial"));
    box.SetText(QStringLiteral("Amazing grace\nhow sweet"));
    box.setSelection(8, 5);
    QCOMPARE(box.SelStart(), 8);
    QCOMPARE(box.SelLength(), 5);
    QCOMPARE(box.SelText(), QStringLiteral("grace"));
    box.setSelection(8, 9);
    QCOMPARE(box.SelText(), QStringLiteral("grace\nhow"));
    box.setSelection(3, 0);
    QCOMPARE(box.SelLength(), 0);
    QCOMPARE(box.SelStart(), 3);
    QCOMPARE(box.SelText(), QString());
    // Non-breaking spaces and line breaks inside a paragraph survive.
    const QString nbsp = QStringLiteral("St.\u00a0John\nverse");
    box.SetText(nbsp);
    QCOMPARE(box.Text(), nbsp);
    QTextCursor(box.document()).insertText(QString(QChar::LineSeparator));
    QCOMPARE(box.Text(), QStringLiteral("\n") + nbsp);
    // Out-of-range selections are clamped, not refused.
    box.setSelection(500, 3);
    QCOMPARE(box.SelStart(), box.Text().size());
}

void TestRichTextBox::findRules_data()
{
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("start"); // -2: no start given
    QTest::addColumn<int>("expected");

    // Text: "Grace upon grace; GRACE abounds"
    QTest::newRow("whole text, first match") << 0 << 0 << "grace" << -2 << 0;
    QTest::newRow("case ignored") << 0 << 0 << "ABOUNDS" << -2 << 24;
    QTest::newRow("inside longer word") << 0 << 0 << "bound" << -2 << 25;
    QTest::newRow("inside the selection only") << 6 << 12 << "grace" << -2 << 11;
    QTest::newRow("selection without it") << 0 << 5 << "upon" << -2 << -1;
    QTest::newRow("same selection found again") << 11 << 5 << "grace" << -2 << 11;
    QTest::newRow("from a start") << 0 << 0 << "grace" << 1 << 11;
    QTest::newRow("start at an occurrence") << 0 << 0 << "grace" << 11 << 11;
    QTest::newRow("start skips an occurrence") << 0 << 0 << "grace" << 12 << 18;
    QTest::newRow("start at the end") << 0 << 0 << "s" << 31 << -1;
    QTest::newRow("start past the end") << 0 << 0 << "grace" << 99 << -1;
    QTest::newRow("not there") << 0 << 0 << "mercy" << -2 << -1;
    QTest::newRow("empty text") << 0 << 0 << "" << -2 << -1;
    QTest::newRow("blank and word") << 0 << 0 << " grace" << -2 << 10;
}

void TestRichTextBox::findRules()
{
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, what);
    QFETCH(int, start);
    QFETCH(int, expected);

    RichTextBox box(QStringLiteral("Arial"));
    box.SetText(QStringLiteral("Grace upon grace; GRACE abounds"));
    box.setSelection(selStart, selLength);
    const int found = start == -2 ? box.Find(what) : box.Find(what, start);
    QCOMPARE(found, expected);
    if (found >= 0) {
        QCOMPARE(box.SelStart(), found);
        QCOMPARE(box.SelLength(), what.size());
    }
}

void TestRichTextBox::findKeepsSelectionWhenNothingFound()
{
    RichTextBox box(QStringLiteral("Arial"));
    box.SetText(QStringLiteral("faith hope charity"));
    box.setSelection(6, 4);
    QCOMPARE(box.Find(QStringLiteral("love")), -1);
    QCOMPARE(box.SelStart(), 6);
    QCOMPARE(box.SelLength(), 4);
    QCOMPARE(box.Find(QStringLiteral("faith"), 1), -1);
    QCOMPARE(box.SelStart(), 6);
    // Find Next over overlapping matches: "aaa" in "aaaa" at 0, then 1.
    box.SetText(QStringLiteral("aaaa"));
    QCOMPARE(box.Find(QStringLiteral("aaa")), 0);
    QCOMPARE(box.Find(QStringLiteral("aaa"), box.SelStart() + 1), 1);
    QCOMPARE(box.Find(QStringLiteral("aaa"), box.SelStart() + 1), -1);
    QCOMPARE(box.SelStart(), 1);
}

void TestRichTextBox::mixedAttributeReads()
{
    RichTextBox box(QStringLiteral("Arial"));
    box.SetText(QStringLiteral("Grace and Peace"));
    box.setSelection(10, 5);
    box.SetSelBold(true);
    box.SetSelItalic(true);

    box.setSelection(0, 15);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::Mixed);
    QCOMPARE(box.SelItalic(), RichTextBox::Tri::Mixed);
    QCOMPARE(box.SelUnderline(), RichTextBox::Tri::Off);
    box.setSelection(10, 5);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::On);
    box.setSelection(0, 5);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::Off);
    // The selection edge touching a bold run does not make it mixed.
    box.setSelection(6, 4);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::Off);
    // A mixed selection set on becomes all on.
    box.setSelection(0, 15);
    box.SetSelBold(true);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::On);

    // Across paragraphs.
    box.SetText(QStringLiteral("one\ntwo"));
    box.setSelection(4, 3);
    box.SetSelUnderline(true);
    box.setSelection(0, 7);
    QCOMPARE(box.SelUnderline(), RichTextBox::Tri::Mixed);
}

void TestRichTextBox::attributeWritesWithoutSelectionApplyToTypedText()
{
    RichTextBox box(QStringLiteral("Arial"));
    box.SetText(QStringLiteral("abc"));
    box.moveCursor(QTextCursor::End);
    box.SetSelBold(true);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::On);
    QTest::keyClicks(&box, QStringLiteral("de"));
    box.setSelection(3, 2);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::On);
    box.setSelection(0, 3);
    QCOMPARE(box.SelBold(), RichTextBox::Tri::Off);
    QCOMPARE(box.Text(), QStringLiteral("abcde"));
}

void TestRichTextBox::fontSizeColourStrikeAndAlignment()
{
    RichTextBox box(QStringLiteral("Arial"));
    box.SetText(QStringLiteral("first\nsecond\nthird"));
    box.setSelection(0, 5);
    box.SetSelFontName(QStringLiteral("Times New Roman"));
    box.SetSelFontSize(14.5f);
    box.SetSelColor(qRgb(128, 0, 0));
    box.SetSelStrikeThru(true);
    QTextCursor c(box.document());
    c.setPosition(2);
    const QTextCharFormat f = c.charFormat();
    QCOMPARE(f.fontFamilies().toStringList().value(0), QStringLiteral("Times New Roman"));
    QCOMPARE(f.fontPointSize(), 14.5);
    QCOMPARE(f.foreground().color(), QColor(128, 0, 0));
    QVERIFY(f.fontStrikeOut());

    // Alignment touches every paragraph of the selection: index 1 right, 2 centre.
    box.setSelection(3, 5);
    box.SetSelAlignment(2);
    QTextBlock b = box.document()->firstBlock();
    QCOMPARE(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(b.next().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QVERIFY(!(b.next().next().blockFormat().alignment() & Qt::AlignHCenter));
    box.SetSelAlignment(1);
    QVERIFY(b.blockFormat().alignment() & Qt::AlignRight);
    box.SetSelAlignment(7); // ignored
    QVERIFY(b.blockFormat().alignment() & Qt::AlignRight);
    box.SetSelAlignment(0);
    QVERIFY(b.blockFormat().alignment() & Qt::AlignLeft);
}

using Flavours = QList<QPair<QString, QByteArray>>;

void TestRichTextBox::qtPasteAndDropFollowPasteRule_data()
{
    QTest::addColumn<bool>("drop"); // else Qt's paste (context menu, Shift+Insert)
    QTest::addColumn<Flavours>("flavours"); // "image": a picture
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("bold"); // the inserted word: from the RTF
    QTest::addColumn<bool>("italic"); // in the caret's format

    const QByteArray rtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b Peace}");
    const QByteArray html("<table><tr><td><b>Peace</b><img src=\"x.png\"></td></tr></table>");
    const QString inserted = QStringLiteral("GracePeace and Peace");
    struct Row {
        const char *name;
        Flavours flavours;
        QString expected;
        bool bold;
        bool italic;
    };
    const QList<Row> rows = {
        {"RTF flavour over plain text", {{"text/rtf", rtf}, {"text/plain", "Peace"}}, inserted, true, false},
        {"application/rtf alone", {{"application/rtf", rtf}}, inserted, true, false},
        {"RTF document as plain text", {{"text/plain", rtf}}, inserted, true, false},
        {"HTML layout", {{"text/html", html}, {"text/plain", "Peace"}}, inserted, false, true},
        {"RTF flavour not RTF", {{"text/rtf", "no RTF"}, {"text/plain", "Peace"}}, inserted, false, true},
        {"image only", {{"image", {}}}, QStringLiteral("Grace and Peace"), false, false},
    };
    for (const bool drop : {false, true}) {
        for (const Row &r : rows) {
            QTest::addRow("%s, %s", drop ? "drop" : "paste", r.name)
                << drop << r.flavours << r.expected << r.bold << r.italic;
        }
    }
}

void TestRichTextBox::qtPasteAndDropFollowPasteRule()
{
    QFETCH(bool, drop);
    QFETCH(Flavours, flavours);
    QFETCH(QString, expected);
    QFETCH(bool, bold);
    QFETCH(bool, italic);

    RichTextBox box(QStringLiteral("Arial"));
    box.resize(300, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.SetText(QStringLiteral("Grace and Peace"));
    box.setSelection(0, 5);
    box.SetSelItalic(true);
    box.setSelection(5, 0);

    auto *mime = new QMimeData;
    for (const auto &[type, data] : flavours) {
        if (type == QLatin1String("image"))
            mime->setImageData(QImage(4, 4, QImage::Format_RGB32));
        else
            mime->setData(type, data);
    }
    if (drop) {
        const QPoint at = box.cursorRect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box.viewport(), &enter);
        QDropEvent event(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box.viewport(), &event);
        delete mime;
    } else {
        QGuiApplication::clipboard()->setMimeData(mime);
        box.paste();
    }
    QCOMPARE(box.Text(), expected);
    QTextCursor word(box.document());
    word.setPosition(8);
    QCOMPARE(word.charFormat().fontWeight() >= QFont::Bold, bold);
    QCOMPARE(word.charFormat().fontItalic(), italic);
}

QTEST_MAIN(TestRichTextBox)
#include "tst_richtextbox.moc"
