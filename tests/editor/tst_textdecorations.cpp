#include "editor/TextDecorations.h"

#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

namespace {

QTextLayout::FormatRange range(int start, int length, const QTextCharFormat &format = {})
{
    QTextLayout::FormatRange r;
    r.start = start;
    r.length = length;
    r.format = format;
    r.format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    return r;
}

// A shown view whose decorations mark every "sin", counting what they ask.
struct Marked {
    QTextEdit view;
    TextDecorations *decorations = nullptr;
    QHash<int, int> asked; // block number -> calls

    explicit Marked(const QString &text)
    {
        view.setPlainText(text);
        view.resize(300, 200);
        view.show();
        decorations = new TextDecorations(&view);
        decorations->addSource([this](const QTextBlock &block) {
            ++asked[block.blockNumber()];
            QList<QTextLayout::FormatRange> ranges;
            for (qsizetype at = block.text().indexOf(u"sin"); at >= 0; at = block.text().indexOf(u"sin", at + 1))
                ranges.append(range(int(at), 3));
            return ranges;
        });
    }
    QList<int> starts(const QTextBlock &block) const
    {
        QList<int> s;
        for (const QTextLayout::FormatRange &r : block.layout()->formats())
            s.append(r.start);
        return s;
    }
    QList<int> first() const { return starts(view.document()->firstBlock()); }
    bool idle() const { return !decorations->isPending(); }
};

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
    Marked m(QStringLiteral("no sin here\nsecond sin"));
    QTextDocument *doc = m.view.document();
    doc->setModified(false);
    const int undoSteps = doc->availableUndoSteps();
    QSignalSpy textChanged(&m.view, &QTextEdit::textChanged);
    QSignalSpy contentsChanged(doc, &QTextDocument::contentsChanged);
    // A larger size changes the lines: the paragraph is laid out again by
    // the document (markContentsDirty), not in place.
    QTextCharFormat large;
    large.setFontPointSize(30);
    m.decorations->addSource([&](const QTextBlock &block) {
        return block.blockNumber() == 0 ? QList<QTextLayout::FormatRange>{range(0, 2, large)}
                                        : QList<QTextLayout::FormatRange>{};
    });
    QTRY_COMPARE(m.first(), (QList<int>{3, 0}));
    QCOMPARE(m.starts(doc->lastBlock()), QList<int>{7});
    QVERIFY(doc->firstBlock().layout()->lineCount() > 0); // still drawn

    QCOMPARE(textChanged.count(), 0);
    QCOMPARE(contentsChanged.count(), 0);
    QVERIFY(!doc->isModified());
    QCOMPARE(doc->availableUndoSteps(), undoSteps);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it)
            QCOMPARE(it.fragment().charFormat().underlineStyle(), QTextCharFormat::NoUnderline);
    }
    const std::unique_ptr<QTextDocument> copy(doc->clone()); // what printing starts from
    QVERIFY(copy->firstBlock().layout()->formats().isEmpty());
}

void TestTextDecorations::onlyWhatIsSeenIsAskedOnce()
{
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QStringLiteral("line %1 of sin").arg(i);
    Marked m(lines.join(u'\n'));
    QTRY_VERIFY(!m.asked.isEmpty() && m.idle());
    // Marking never cuts the layout short: it reaches the last paragraph.
    QTRY_VERIFY(m.view.document()->lastBlock().layout()->lineCount() > 0);
    // A screenful and a little around, each once.
    QVERIFY(m.asked.contains(0) && m.asked.size() < 40);
    for (int calls : std::as_const(m.asked))
        QCOMPARE(calls, 1);

    // Typing asks again about its paragraph only (the first edit after
    // marking takes in the marked ones).
    m.view.moveCursor(QTextCursor::Start);
    QTest::keyClicks(&m.view, QStringLiteral("x"));
    QTRY_VERIFY(m.idle());
    m.asked.clear();
    QTest::keyClicks(&m.view, QStringLiteral("x"));
    QTRY_VERIFY(m.idle());
    QCOMPARE(m.asked, (QHash<int, int>{{0, 1}}));
    QCOMPARE(m.first(), QList<int>{12});

    // Scrolling to the end asks about the paragraphs that come into sight.
    m.asked.clear();
    m.view.moveCursor(QTextCursor::End);
    QTRY_VERIFY(m.asked.contains(4999) && m.idle());
    QVERIFY(!m.asked.contains(0) && m.asked.size() < 40);
    QCOMPARE(m.starts(m.view.document()->lastBlock()), QList<int>{13});
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
        QTest::addRow("%s: typed before both", when) << right << 0 << 0 << "xx" << QList<int>{4, 12};
        QTest::addRow("%s: typed inside the first", when) << right << 3 << 0 << "x" << QList<int>{11};
        QTest::addRow("%s: typed right after the first", when) << right << 5 << 0 << "x" << QList<int>{2, 11};
        QTest::addRow("%s: first deleted", when) << right << 2 << 0 << "<<<" << QList<int>{7};
        QTest::addRow("%s: split between them", when) << right << 7 << 0 << "|" << QList<int>{2};
        QTest::addRow("%s: same length, left to the pass", when) << right << 0 << 1 << "b" << QList<int>{2, 10};
    }
}

void TestTextDecorations::marksFollowAnEditAtOnce()
{
    QFETCH(bool, rightAfterMarking);
    QFETCH(int, position);
    QFETCH(int, selected);
    QFETCH(QString, keys);
    QFETCH(QList<int>, firstBlockStarts);

    Marked m(QStringLiteral("a sin and sin"));
    QTRY_COMPARE(m.first(), (QList<int>{2, 10}));
    if (!rightAfterMarking) {
        // The document takes the marks' change in with its next one.
        m.view.append(QString());
        QTRY_VERIFY(m.idle());
    }
    QTextCursor c(m.view.document());
    c.setPosition(position);
    c.setPosition(position + selected, QTextCursor::KeepAnchor);
    m.view.setTextCursor(c);
    for (QChar key : keys) {
        if (key == u'<' || key == u'|')
            QTest::keyClick(&m.view, key == u'<' ? Qt::Key_Delete : Qt::Key_Return);
        else
            QTest::keyClick(&m.view, key.toLatin1());
    }
    QCOMPARE(m.first(), firstBlockStarts); // before the event loop turns
}

void TestTextDecorations::sourcesMergeAndRefreshAlone()
{
    Marked m(QStringLiteral("sin and grace"));
    bool graceOn = true;
    int graceAsked = 0;
    const int grace = m.decorations->addSource([&](const QTextBlock &) {
        ++graceAsked;
        return graceOn ? QList<QTextLayout::FormatRange>{range(8, 5)} : QList<QTextLayout::FormatRange>{};
    });
    const QTextBlock block = m.view.document()->firstBlock();
    QTRY_COMPARE(m.starts(block), (QList<int>{0, 8}));
    QCOMPARE(graceAsked, 1);

    graceOn = false;
    m.decorations->refresh(grace);
    QTRY_COMPARE(m.starts(block), QList<int>{0});
    QCOMPARE(m.asked.value(0), 1);
    QCOMPARE(graceAsked, 2);

    // The caret leaving a word: one paragraph asked again.
    m.decorations->refreshBlock(block, grace);
    QTRY_COMPARE(graceAsked, 3);
    QCOMPARE(m.asked.value(0), 1);
}

void TestTextDecorations::followsAReplacedDocument()
{
    Marked m{QString()};
    auto *replacement = new QTextDocument(&m.view);
    replacement->setPlainText(QStringLiteral("original sin"));
    m.view.setDocument(replacement);
    QTRY_COMPARE(m.first(), QList<int>{9});
    m.asked.clear();
    QTextCursor(replacement).insertText(QStringLiteral("an "));
    QTRY_COMPARE(m.asked.value(0), 1);
    QCOMPARE(m.first(), QList<int>{12});
}

QTEST_MAIN(TestTextDecorations)
#include "tst_textdecorations.moc"
