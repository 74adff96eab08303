#include "editor/TextDecorations.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

namespace {

// Marks every "sin" in a paragraph and counts what it was asked.
struct SinMarker {
    QHash<int, int> asked; // block number -> calls
    QList<QTextLayout::FormatRange> operator()(const QTextBlock &block)
    {
        ++asked[block.blockNumber()];
        QList<QTextLayout::FormatRange> ranges;
        const QString text = block.text();
        for (qsizetype at = text.indexOf(u"sin"); at >= 0; at = text.indexOf(u"sin", at + 1)) {
            QTextLayout::FormatRange r;
            r.start = int(at);
            r.length = 3;
            r.format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
            ranges.append(r);
        }
        return ranges;
    }
};

QList<int> starts(const QTextBlock &block)
{
    QList<int> s;
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        s.append(r.start);
    return s;
}

} // namespace

class TestTextDecorations : public QObject {
    Q_OBJECT

private slots:
    void marksStayOutOfTheDocument();
    void onlyWhatIsSeenIsAskedOnce();
    void marksFollowAnEditAtOnce_data();
    void marksFollowAnEditAtOnce();
    void sourcesMergeAndRefreshAlone();
    void followsAReplacedDocument();
};

void TestTextDecorations::marksStayOutOfTheDocument()
{
    QTextEdit view;
    view.setPlainText(QStringLiteral("no sin here\nsecond sin"));
    view.document()->setModified(false);
    const int undoSteps = view.document()->availableUndoSteps();
    QSignalSpy textChanged(&view, &QTextEdit::textChanged);
    QSignalSpy contentsChanged(view.document(), &QTextDocument::contentsChanged);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    auto *decorations = new TextDecorations(&view);
    SinMarker marker;
    decorations->addSource(std::ref(marker));
    // A larger size changes the lines: the paragraph is laid out again by the
    // document, not in place.
    decorations->addSource([](const QTextBlock &block) {
        QTextLayout::FormatRange r;
        r.start = 0;
        r.length = block.blockNumber() == 0 ? 2 : 0;
        r.format.setFontPointSize(30);
        return r.length ? QList<QTextLayout::FormatRange>{r} : QList<QTextLayout::FormatRange>{};
    });
    QTRY_COMPARE(starts(view.document()->firstBlock()), (QList<int>{3, 0}));
    QCOMPARE(starts(view.document()->lastBlock()), QList<int>{7});
    QVERIFY(view.document()->firstBlock().layout()->lineCount() > 0); // still drawn

    QCOMPARE(textChanged.count(), 0);
    QCOMPARE(contentsChanged.count(), 0);
    QVERIFY(!view.document()->isModified());
    QCOMPARE(view.document()->availableUndoSteps(), undoSteps);
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it)
            QCOMPARE(it.fragment().charFormat().underlineStyle(), QTextCharFormat::NoUnderline);
    }
    QVERIFY(!view.toHtml().contains(QStringLiteral("underline")));
    std::unique_ptr<QTextDocument> copy(view.document()->clone());
    QVERIFY(copy->firstBlock().layout()->formats().isEmpty());
}

void TestTextDecorations::onlyWhatIsSeenIsAskedOnce()
{
    QTextEdit view;
    view.resize(300, 200);
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QStringLiteral("line %1 of sin").arg(i);
    view.setPlainText(lines.join(u'\n'));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *decorations = new TextDecorations(&view);
    SinMarker marker;
    decorations->addSource(std::ref(marker));
    QTRY_VERIFY(!marker.asked.isEmpty() && !decorations->isPending());
    // Marking never cuts the layout short: it reaches the last paragraph.
    QTRY_VERIFY(view.document()->lastBlock().layout()->lineCount() > 0);

    // A screenful and a little around, each once.
    QVERIFY2(marker.asked.size() < 40, qPrintable(QString::number(marker.asked.size())));
    QVERIFY(marker.asked.contains(0));
    for (int calls : std::as_const(marker.asked))
        QCOMPARE(calls, 1);

    // Typing asks again about its paragraph only (the first edit after
    // marking takes in the marked ones).
    view.moveCursor(QTextCursor::Start);
    QTest::keyClicks(&view, QStringLiteral("x"));
    QTRY_VERIFY(!decorations->isPending());
    marker.asked.clear();
    QTest::keyClicks(&view, QStringLiteral("x"));
    QTRY_VERIFY(!decorations->isPending());
    QCOMPARE(marker.asked, (QHash<int, int>{{0, 1}}));
    QCOMPARE(starts(view.document()->firstBlock()), QList<int>{12});

    // Scrolling to the end asks about the paragraphs that come into sight.
    marker.asked.clear();
    view.moveCursor(QTextCursor::End);
    QTRY_VERIFY(marker.asked.contains(4999) && !decorations->isPending());
    QVERIFY(!marker.asked.contains(0));
    QVERIFY2(marker.asked.size() < 40, qPrintable(QString::number(marker.asked.size()) + u' ' + QString::number(*std::min_element(marker.asked.keyBegin(), marker.asked.keyEnd()))));
    QCOMPARE(starts(view.document()->lastBlock()), QList<int>{13});
}

void TestTextDecorations::marksFollowAnEditAtOnce_data()
{
    QTest::addColumn<bool>("rightAfterMarking");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("keys"); // '<' Delete, '|' Return
    QTest::addColumn<QList<int>>("firstBlockStarts");

    // "a sin and sin" marks 2 and 10.
    for (bool right : {false, true}) {
        const char *when = right ? "right after marking" : "later";
        QTest::addRow("%s: typed before both", when) << right << 0 << 0 << QStringLiteral("xx") << QList<int>{4, 12};
        QTest::addRow("%s: typed inside the first", when) << right << 3 << 0 << QStringLiteral("x") << QList<int>{11};
        QTest::addRow("%s: typed right after the first", when)
            << right << 5 << 0 << QStringLiteral("x") << QList<int>{2, 11};
        QTest::addRow("%s: first deleted", when) << right << 2 << 0 << QStringLiteral("<<<") << QList<int>{7};
        QTest::addRow("%s: split between them", when) << right << 7 << 0 << QStringLiteral("|") << QList<int>{2};
        QTest::addRow("%s: same length, left to the pass", when)
            << right << 0 << 1 << QStringLiteral("b") << QList<int>{2, 10};
    }
}

void TestTextDecorations::marksFollowAnEditAtOnce()
{
    QFETCH(bool, rightAfterMarking);
    QFETCH(int, position);
    QFETCH(int, selected);
    QFETCH(QString, keys);
    QFETCH(QList<int>, firstBlockStarts);

    QTextEdit view;
    view.setPlainText(QStringLiteral("a sin and sin"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *decorations = new TextDecorations(&view);
    SinMarker marker;
    decorations->addSource(std::ref(marker));
    QTRY_COMPARE(starts(view.document()->firstBlock()), (QList<int>{2, 10}));
    if (!rightAfterMarking) {
        // The document takes the marks' change in with its next one.
        view.append(QString());
        QTRY_VERIFY(!decorations->isPending());
    }

    QTextCursor c(view.document());
    c.setPosition(position);
    c.setPosition(position + selected, QTextCursor::KeepAnchor);
    view.setTextCursor(c);
    for (QChar key : keys) {
        if (key == u'<')
            QTest::keyClick(&view, Qt::Key_Delete);
        else if (key == u'|')
            QTest::keyClick(&view, Qt::Key_Return);
        else
            QTest::keyClick(&view, key.toLatin1());
    }
    // Before the event loop turns.
    QCOMPARE(starts(view.document()->firstBlock()), firstBlockStarts);
}

void TestTextDecorations::sourcesMergeAndRefreshAlone()
{
    QTextEdit view;
    view.setPlainText(QStringLiteral("sin and grace"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *decorations = new TextDecorations(&view);
    SinMarker sins;
    bool graceOn = true;
    int graceAsked = 0;
    decorations->addSource(std::ref(sins));
    const int grace = decorations->addSource([&](const QTextBlock &) {
        ++graceAsked;
        QList<QTextLayout::FormatRange> ranges;
        if (graceOn) {
            QTextLayout::FormatRange r;
            r.start = 8;
            r.length = 5;
            r.format.setUnderlineStyle(QTextCharFormat::DotLine);
            ranges.append(r);
        }
        return ranges;
    });
    const QTextBlock block = view.document()->firstBlock();
    QTRY_COMPARE(starts(block), (QList<int>{0, 8}));
    QCOMPARE(graceAsked, 1);

    graceOn = false;
    decorations->refresh(grace);
    QTRY_COMPARE(starts(block), QList<int>{0});
    QCOMPARE(sins.asked.value(0), 1);
    QCOMPARE(graceAsked, 2);

    // The caret leaving a word: one paragraph asked again.
    decorations->refreshBlock(block, grace);
    QTRY_COMPARE(graceAsked, 3);
    QCOMPARE(sins.asked.value(0), 1);
}

void TestTextDecorations::followsAReplacedDocument()
{
    QTextEdit view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *decorations = new TextDecorations(&view);
    SinMarker marker;
    decorations->addSource(std::ref(marker));

    auto *replacement = new QTextDocument(&view);
    replacement->setPlainText(QStringLiteral("original sin"));
    view.setDocument(replacement);
    QTRY_COMPARE(starts(replacement->firstBlock()), QList<int>{9});
    marker.asked.clear();
    QTextCursor(replacement).insertText(QStringLiteral("an "));
    QTRY_COMPARE(marker.asked.value(0), 1);
    QCOMPARE(starts(replacement->firstBlock()), QList<int>{12});
}

QTEST_MAIN(TestTextDecorations)
#include "tst_textdecorations.moc"
