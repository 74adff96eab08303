#include "app/AppSetup.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "editor/Contrast.h"
#include "pulpit/PreachCopy.h"
#include "pulpit/PreachPages.h"
#include "pulpit/PreachText.h"
#include "pulpit/PulpitSettings.h"
#include "pulpit/SpeakingTime.h"
#include "pulpit/TextCount.h"
#include "pulpit/dlgWordCount.h"
#include "pulpit/frmPreach.h"
#include "reference/ReferenceFixture.h"
#include "WindowTestSetup.h"

#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include <memory>

class TestPulpit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void countsAsAReaderWould_data();
    void countsAsAReaderWould();
    void countGivesUpWhenAsked();
    void speakingTime_data();
    void speakingTime();
    void settingsReadSafely_data();
    void settingsReadSafely();
    void coloursStayReadable_data();
    void coloursStayReadable();

    void copyKeepsWhatReadsFromThePulpit();
    void longParagraphHeldInPieces();
    void copyBetweenEventsStartsAgainOnChange();
    void screensOverlapByOneLine_data();
    void screensOverlapByOneLine();
    void viewKeys_data();
    void viewKeys();
    void elapsedTimeStartsAtFirstMove();

    void wordCountOfDocumentAndSelection();
    void longTextCountedOnWorker();
    void speakingRateKept();
    void preachReturnsToParagraphOnTop_data();
    void preachReturnsToParagraphOnTop();
    void preachFollowsEdits();
    void toolsWaitForLongCommands();
    void preachOnTheSecondScreen_data();
    void preachOnTheSecondScreen();

private:
    // count paragraphs "Paragraph N of the sermon." as the editor's content
    static QString numberedParagraphs(int count);
    std::unique_ptr<frmPreach> openView(QTextDocument &doc, int paragraph);

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
    std::unique_ptr<frmMain> m_main;
};

void TestPulpit::initTestCase()
{
    setUpWindowTests(m_settingsDir.path());
    QVERIFY(ReferenceFixture::writeAllSmall(m_data.path()));
}

void TestPulpit::init()
{
    QSettings s(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
    s.clear();
    s.sync();
}

void TestPulpit::cleanup()
{
    m_main.reset();
}

QString TestPulpit::numberedParagraphs(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("Paragraph %1 of the sermon.").arg(i);
    return lines.join(QLatin1Char('\n'));
}

std::unique_ptr<frmPreach> TestPulpit::openView(QTextDocument &doc, int paragraph)
{
    auto view = std::make_unique<frmPreach>(doc, paragraph);
    view->setAttribute(Qt::WA_DeleteOnClose, false);
    view->resize(800, 600);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    return view;
}

void TestPulpit::countsAsAReaderWould_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("words");
    QTest::addColumn<qint64>("characters");
    QTest::addColumn<qint64>("noSpaces");
    QTest::addColumn<qint64>("paragraphs");
    QTest::newRow("typographic apostrophe") << QStringLiteral("The Lord\u2019s day") << 3LL << 14LL << 12LL << 1LL;
    QTest::newRow("straight apostrophe") << QStringLiteral("The Lord's day") << 3LL << 14LL << 12LL << 1LL;
    QTest::newRow("apostrophes at the ends") << QStringLiteral("\u2019tis the apostles\u2019 teaching") << 4LL << 27LL
                                            << 24LL << 1LL;
    QTest::newRow("hyphen") << QStringLiteral("a well-known text") << 3LL << 17LL << 15LL << 1LL;
    QTest::newRow("two hyphens part words") << QStringLiteral("well--known") << 2LL << 11LL << 11LL << 1LL;
    QTest::newRow("dash parts words") << QStringLiteral("life\u2014death") << 2LL << 10LL << 10LL << 1LL;
    QTest::newRow("numbers") << QStringLiteral("John 3:16, 1,000 sheep, 99.5 per cent") << 7LL << 37LL << 31LL << 1LL;
    QTest::newRow("stop between words") << QStringLiteral("end.Next 3.Then") << 4LL << 15LL << 14LL << 1LL;
    QTest::newRow("punctuation alone") << QStringLiteral("\u2014 ! ... ?") << 0LL << 9LL << 6LL << 1LL;
    QTest::newRow("quotation marks") << QStringLiteral("\u201cFear not,\u201d he said.") << 4LL << 20LL << 17LL << 1LL;
    QTest::newRow("beyond the BMP") << QStringLiteral("\U0001D50Aod is") << 2LL << 6LL << 5LL << 1LL;
    QTest::newRow("combining accent") << QStringLiteral("cafe\u0301 au lait") << 3LL << 13LL << 11LL << 1LL;
    QTest::newRow("Greek") << QStringLiteral("\u1F10\u03BD \u1F00\u03C1\u03C7\u1FC7 \u03BB\u03CC\u03B3\u03BF\u03C2")
                           << 3LL << 13LL << 11LL << 1LL;
    QTest::newRow("spaces of all kinds") << QStringLiteral("a\tb\u00A0c\u2028d") << 4LL << 7LL << 4LL << 1LL;
    QTest::newRow("soft hyphen") << QStringLiteral("won\u00ADderful") << 1LL << 9LL << 9LL << 1LL;
    QTest::newRow("empty paragraphs not counted")
        << QStringLiteral("First\u2029\u2029   \u2029Second\nThird") << 3LL << 19LL << 16LL << 3LL;
    QTest::newRow("nothing") << QString() << 0LL << 0LL << 0LL << 0LL;
}

void TestPulpit::countsAsAReaderWould()
{
    QFETCH(QString, text);
    QFETCH(qint64, words);
    QFETCH(qint64, characters);
    QFETCH(qint64, noSpaces);
    QFETCH(qint64, paragraphs);
    const std::optional<TextCount> n = TextCount::of(text);
    QVERIFY(n);
    QCOMPARE(n->words, words);
    QCOMPARE(n->characters, characters);
    QCOMPARE(n->charactersNoSpaces, noSpaces);
    QCOMPARE(n->paragraphs, paragraphs);
}

void TestPulpit::countGivesUpWhenAsked()
{
    const QString text = QStringLiteral("word ").repeated(600'000);
    int asked = 0;
    QVERIFY(!TextCount::of(text, [&asked] { return ++asked > 0; }));
    QCOMPARE(asked, 1);
    const std::optional<TextCount> n = TextCount::of(text, [] { return false; });
    QVERIFY(n);
    QCOMPARE(n->words, 600'000);
}

void TestPulpit::speakingTime_data()
{
    QTest::addColumn<qint64>("words");
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("text");
    QTest::newRow("no words") << 0LL << 130 << "none";
    QTest::newRow("under half a minute") << 64LL << 130 << "less than a minute";
    QTest::newRow("half a minute rounds up") << 65LL << 130 << "about 1 minute";
    QTest::newRow("eighteen minutes") << 2340LL << 130 << "about 18 minutes";
    QTest::newRow("eighteen and a half") << 2405LL << 130 << "about 19 minutes";
    QTest::newRow("just under") << 2404LL << 130 << "about 18 minutes";
    QTest::newRow("an hour") << 7800LL << 130 << "about 1 hour";
    QTest::newRow("hour and minutes") << 8450LL << 130 << "about 1 hour 5 minutes";
    QTest::newRow("hours and a minute") << 15730LL << 130 << "about 2 hours 1 minute";
    QTest::newRow("faster speaker") << 2400LL << 160 << "about 15 minutes";
    QTest::newRow("rate below the least") << 100LL << 10 << "about 2 minutes";
}

void TestPulpit::speakingTime()
{
    QFETCH(qint64, words);
    QFETCH(int, rate);
    QFETCH(QString, text);
    QCOMPARE(SpeakingTime::describe(words, rate), text);
}

void TestPulpit::settingsReadSafely_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("dark");
    QTest::newRow("nothing kept") << QString() << QVariant() << 130 << 100 << false;
    QTest::newRow("rate") << "SpeakingRate" << QVariant(QStringLiteral("150")) << 150 << 100 << false;
    QTest::newRow("rate not a number") << "SpeakingRate" << QVariant(QStringLiteral("fast")) << 130 << 100 << false;
    QTest::newRow("rate too high") << "SpeakingRate" << QVariant(1000) << 300 << 100 << false;
    QTest::newRow("zoom") << "PreachZoom" << QVariant(175) << 130 << 175 << false;
    QTest::newRow("zoom too small") << "PreachZoom" << QVariant(10) << 130 << 50 << false;
    QTest::newRow("dark") << "PreachDark" << QVariant(QStringLiteral("true")) << 130 << 100 << true;
    QTest::newRow("dark unclear") << "PreachDark" << QVariant(QStringLiteral("maybe")) << 130 << 100 << false;
}

void TestPulpit::settingsReadSafely()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    if (!key.isEmpty()) {
        QSettings s(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
        s.setValue(QStringLiteral("Settings/") + key, stored);
        s.sync();
    }
    QTEST(PulpitSettings::speakingRate(), "rate");
    QTEST(PulpitSettings::preachZoom(), "zoom");
    QTEST(PulpitSettings::preachDark(), "dark");
}

void TestPulpit::coloursStayReadable_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QColor>("background");
    QTest::newRow("gold on white") << QColor(255, 215, 0) << QColor(Qt::white);
    QTest::newRow("yellow on white") << QColor(Qt::yellow) << QColor(Qt::white);
    QTest::newRow("navy on black") << QColor(0, 0, 128) << QColor(Qt::black);
    QTest::newRow("dark red on black") << QColor(192, 0, 0) << QColor(Qt::black);
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white);
    QTest::newRow("red on white") << QColor(192, 0, 0) << QColor(Qt::white);
}

void TestPulpit::coloursStayReadable()
{
    QFETCH(QColor, colour);
    QFETCH(QColor, background);
    const QColor shown = Contrast::readableOn(colour, background);
    QVERIFY(Contrast::ratio(shown, background) >= Contrast::Readable);
    if (Contrast::ratio(colour, background) >= Contrast::Readable)
        QCOMPARE(shown, colour);
    else // moved just far enough, not all the way to black or white
        QVERIFY2(Contrast::ratio(shown, background) < 5.0, qPrintable(shown.name()));

    // The clock's colour: readable, and one level nearer the background is not.
    const QColor dim = Contrast::dimmestReadable(background);
    QVERIFY(Contrast::ratio(dim, background) >= Contrast::Readable);
    const int nearer = qGray(background.rgb()) > 127 ? dim.red() + 1 : dim.red() - 1;
    QVERIFY(Contrast::ratio(QColor(nearer, nearer, nearer), background) < Contrast::Readable);
}

void TestPulpit::copyKeepsWhatReadsFromThePulpit()
{
    QTextDocument doc;
    QFont base(QStringLiteral("Liberation Serif"));
    base.setPointSizeF(12);
    doc.setDefaultFont(base);
    QTextCursor c(&doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    QTextCharFormat title;
    title.setFontPointSize(24);
    title.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("Title"), title);
    c.insertBlock(QTextBlockFormat(), QTextCharFormat());
    c.insertText(QStringLiteral("Body text of the sermon "), QTextCharFormat());
    QTextCharFormat red;
    red.setFontItalic(true);
    red.setForeground(QColor(Qt::red));
    c.insertText(QStringLiteral("word"), red);
    c.insertBlock();
    c.insertBlock();
    QTextCharFormat marked;
    marked.setFontUnderline(true);
    marked.setFontStrikeOut(true);
    marked.setFontFamilies({QStringLiteral("Liberation Sans")});
    c.insertText(QStringLiteral("x"), marked);

    const PreachText t = PreachText::fromDocument(doc);
    QCOMPARE(t.paragraphCount(), doc.blockCount());
    auto styleAt = [&t](qsizetype position) {
        for (const PreachText::Run &r : t.runs())
            if (position >= r.start && position < r.start + r.length)
                return t.styles()[std::size_t(r.style)];
        return PreachText::Style{};
    };
    const PreachText::Style titleStyle = styleAt(0);
    QCOMPARE(titleStyle.relativeSize, 2.0);
    QCOMPARE(titleStyle.weight, int(QFont::Bold));
    QCOMPARE(t.pieces().at(0).alignment, Qt::AlignHCenter);
    const qsizetype body = doc.findBlockByNumber(1).position();
    QCOMPARE(styleAt(body).relativeSize, 1.0);
    QVERIFY(!styleAt(body).italic && !styleAt(body).colour.isValid());
    const PreachText::Style wordStyle = styleAt(body + 24);
    QVERIFY(wordStyle.italic);
    QCOMPARE(wordStyle.colour, QColor(Qt::red));
    const PreachText::Style xStyle = styleAt(doc.lastBlock().position());
    QVERIFY(xStyle.underline && xStyle.strike);
    QCOMPARE(xStyle.family, QStringLiteral("Liberation Sans"));
    QCOMPARE(styleAt(0).family, QStringLiteral("Liberation Serif"));
    for (int p = 0; p < t.paragraphCount(); ++p) {
        const PreachText::Piece &piece = t.pieces()[std::size_t(t.firstPieceOf(p))];
        QCOMPARE(piece.paragraph, p);
        QCOMPARE(t.text().mid(piece.start, piece.length), doc.findBlockByNumber(p).text());
    }
}

void TestPulpit::longParagraphHeldInPieces()
{
    QTextDocument doc;
    QString words;
    for (int i = 0; words.size() < 4 * PreachText::PieceLength; ++i)
        words += QStringLiteral("w%1 ").arg(i);
    QTextCursor(&doc).insertText(words + QStringLiteral("\nAmen"));
    const auto text = std::make_shared<const PreachText>(PreachText::fromDocument(doc));

    const int last = text->firstPieceOf(1);
    QVERIFY(last >= 4);
    QString joined;
    for (int i = 0; i < last; ++i) {
        const PreachText::Piece &p = text->pieces()[std::size_t(i)];
        QCOMPARE(p.paragraph, 0);
        QVERIFY(p.length <= PreachText::PieceLength);
        if (i > 0) // cut after a space: no word is split
            QCOMPARE(text->text().at(p.start - 1), QLatin1Char(' '));
        joined += text->text().mid(p.start, p.length);
    }
    QCOMPARE(joined, words);

    // Every line of the paragraph is reached going forward, and back again.
    PreachPages pages;
    pages.setArea(QSizeF(500, 300));
    pages.setLook(20, Qt::black, Qt::white);
    pages.setText(text, 0);
    int screens = 0;
    while (pages.forward())
        QVERIFY(++screens < 10'000);
    QCOMPARE(pages.shownLines().constLast(), QStringLiteral("Amen"));
    QCOMPARE(pages.topParagraph(), 0);
    while (pages.back())
        --screens;
    QCOMPARE(screens, 0);
    QVERIFY(pages.shownLines().constFirst().startsWith(QStringLiteral("w0 w1 ")));
}

void TestPulpit::copyBetweenEventsStartsAgainOnChange()
{
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("In the beginning\n").repeated(300'000));
    PreachCopy copy;
    QSignalSpy finished(&copy, &PreachCopy::finished);
    copy.start(doc);
    QVERIFY(copy.isRunning());
    QCOMPARE(finished.count(), 0);
    // Changed after the first slice: what was copied no longer holds.
    QTextCursor(&doc).insertText(QStringLiteral("Amen\n"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60'000);
    const auto text = finished.at(0).at(0).value<std::shared_ptr<const PreachText>>();
    QCOMPARE(text->paragraphCount(), doc.blockCount());
    QVERIFY(text->text().startsWith(QStringLiteral("Amen\u2029In the beginning")));
    QVERIFY(!copy.isRunning());
}

void TestPulpit::screensOverlapByOneLine_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("paragraph");
    QTest::newRow("short paragraphs") << numberedParagraphs(60) << 0;
    QTest::newRow("short paragraphs from the middle") << numberedParagraphs(60) << 30;
    QString words;
    for (int i = 0; i < 400; ++i)
        words += QStringLiteral("w%1 ").arg(i);
    QTest::newRow("one long paragraph") << words << 0;
}

void TestPulpit::screensOverlapByOneLine()
{
    QFETCH(QString, content);
    QFETCH(int, paragraph);
    QTextDocument doc;
    QTextCursor(&doc).insertText(content);
    PreachPages pages;
    pages.setArea(QSizeF(400, 300));
    pages.setLook(20, Qt::black, Qt::white);
    pages.setText(std::make_shared<const PreachText>(PreachText::fromDocument(doc)), paragraph);
    QCOMPARE(pages.topParagraph(), paragraph);
    QStringList screen = pages.shownLines();
    QVERIFY(screen.size() > 3);
    while (pages.forward()) {
        const QStringList next = pages.shownLines();
        QCOMPARE(next.constFirst(), screen.constLast());
        QVERIFY(pages.back());
        QCOMPARE(pages.shownLines(), screen);
        QVERIFY(pages.forward());
        screen = next;
    }
    // At the end, the document's last line shows.
    QVERIFY(doc.lastBlock().text().trimmed().endsWith(screen.constLast().trimmed()));
    QVERIFY(pages.toStart());
    QCOMPARE(pages.topParagraph(), 0);
    QVERIFY(!pages.back());
}

void TestPulpit::viewKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("startZoom");
    QTest::addColumn<int>("direction"); // +1 forward, -1 back, 0 stays
    QTest::addColumn<bool>("blank");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("dark");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << none << 100 << 1 << false << 100 << false;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << 100 << 1 << false << 100 << false;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 100 << 1 << false << 100 << false;
    QTest::newRow("Right") << int(Qt::Key_Right) << none << 100 << 1 << false << 100 << false;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << none << 100 << -1 << false << 100 << false;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << 100 << -1 << false << 100 << false;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << 100 << -1 << false << 100 << false;
    QTest::newRow("Shift+Space") << int(Qt::Key_Space) << int(Qt::ShiftModifier) << 100 << -1 << false << 100
                                 << false;
    QTest::newRow("B") << int(Qt::Key_B) << none << 100 << 0 << true << 100 << false;
    QTest::newRow("full stop") << int(Qt::Key_Period) << none << 100 << 0 << true << 100 << false;
    QTest::newRow("Ctrl+Plus") << int(Qt::Key_Plus) << ctrl << 100 << 0 << false << 110 << false;
    QTest::newRow("Ctrl+=") << int(Qt::Key_Equal) << ctrl << 100 << 0 << false << 110 << false;
    QTest::newRow("Ctrl+Minus") << int(Qt::Key_Minus) << ctrl << 100 << 0 << false << 90 << false;
    QTest::newRow("Ctrl+0") << int(Qt::Key_0) << ctrl << 150 << 0 << false << 100 << false;
    QTest::newRow("Ctrl+Plus at the largest") << int(Qt::Key_Plus) << ctrl << 400 << 0 << false << 400 << false;
    QTest::newRow("D") << int(Qt::Key_D) << none << 100 << 0 << false << 100 << true;
}

void TestPulpit::viewKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, startZoom);
    QFETCH(int, direction);
    QFETCH(bool, blank);
    QFETCH(int, zoom);
    QFETCH(bool, dark);
    PulpitSettings::setPreachZoom(startZoom);
    QTextDocument doc;
    QTextCursor(&doc).insertText(numberedParagraphs(200));
    const std::unique_ptr<frmPreach> view = openView(doc, 100);
    QVERIFY(view);
    const QStringList before = view->shownLines();

    QTest::keyClick(view.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    const int top = view->topParagraph();
    if (direction > 0) // the last line becomes the first
        QCOMPARE(view->shownLines().constFirst(), before.constLast());
    else if (direction < 0)
        QCOMPARE(view->shownLines().constLast(), before.constFirst());
    else
        QCOMPARE(top, 100);
    QCOMPARE(view->isBlank(), blank);
    QCOMPARE(view->zoom(), zoom);
    QCOMPARE(PulpitSettings::preachZoom(), zoom);
    QCOMPARE(view->isDark(), dark);
    QCOMPARE(PulpitSettings::preachDark(), dark);
    if (blank) {
        const QImage shot = view->grab().toImage();
        QCOMPARE(shot.pixelColor(shot.width() / 2, shot.height() / 3), QColor(Qt::black));
        // The next key brings the text back and does nothing else.
        QTest::keyClick(view.get(), Qt::Key_PageDown);
        QVERIFY(!view->isBlank());
        QCOMPARE(view->topParagraph(), top);
    }
    // The clock's colour stays readable in either look.
    QVERIFY(Contrast::ratio(view->cornerColour(), view->background()) >= Contrast::Readable);
}

void TestPulpit::elapsedTimeStartsAtFirstMove()
{
    QTextDocument doc;
    QTextCursor(&doc).insertText(numberedParagraphs(100));
    const std::unique_ptr<frmPreach> view = openView(doc, 0);
    QVERIFY(view);
    QTest::keyClick(view.get(), Qt::Key_PageUp); // nothing before the start: no move
    QVERIFY(!view->isTiming());
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    QVERIFY(view->isTiming());
    QTRY_VERIFY_WITH_TIMEOUT(view->elapsedMs() >= 1000, 5000);
    QTest::keyClick(view.get(), Qt::Key_T);
    QVERIFY(view->isTiming());
    QVERIFY(view->elapsedMs() < 1000);
}

void TestPulpit::wordCountOfDocumentAndSelection()
{
    m_main = std::make_unique<frmMain>(m_data.path());
    QVERIFY(m_main->mnuTools->actions().contains(m_main->mnuToolsWordCount));
    QVERIFY(m_main->mnuTools->actions().contains(m_main->mnuToolsPreach));
    QCOMPARE(m_main->mnuToolsWordCount->text(), QStringLiteral("&Word Count..."));
    QCOMPARE(m_main->mnuToolsPreach->text(), QStringLiteral("&Preach"));
    QCOMPARE(m_main->mnuToolsPreach->shortcut(), QKeySequence(Qt::Key_F5));

    RichTextBox *editor = m_main->RichTextBox1;
    editor->LoadText(QStringLiteral("The Lord\u2019s well-known words.\nJohn 3:16 says it."));
    QVERIFY(!editor->isBusy());
    for (const bool withSelection : {false, true}) {
        editor->setSelection(29, withSelection ? 9 : 0); // "John 3:16"
        m_main->mnuToolsWordCount->trigger();
        QPointer<dlgWordCount> dialog = m_main->findChild<dlgWordCount *>();
        QVERIFY(dialog);
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->value(dlgWordCount::Words, dlgWordCount::Document)->text(), QStringLiteral("8"));
        QCOMPARE(dialog->value(dlgWordCount::Paragraphs, dlgWordCount::Document)->text(), QStringLiteral("2"));
        QCOMPARE(dialog->value(dlgWordCount::Time, dlgWordCount::Document)->text(),
                 QStringLiteral("less than a minute"));
        if (withSelection) {
            QCOMPARE(dialog->value(dlgWordCount::Words, dlgWordCount::Selection)->text(), QStringLiteral("2"));
            QCOMPARE(dialog->value(dlgWordCount::Characters, dlgWordCount::Selection)->text(), QStringLiteral("9"));
            QCOMPARE(dialog->value(dlgWordCount::CharactersNoSpaces, dlgWordCount::Selection)->text(),
                     QStringLiteral("8"));
        } else {
            QVERIFY(!dialog->value(dlgWordCount::Words, dlgWordCount::Selection));
        }
        dialog->reject();
        QTRY_VERIFY(!dialog);
    }
}

void TestPulpit::longTextCountedOnWorker()
{
    const QString text = QStringLiteral("word ").repeated(500'000);
    QPointer<dlgWordCount> dialog = new dlgWordCount(text, text.left(50), nullptr);
    QSignalSpy counted(dialog.data(), &dlgWordCount::counted);
    dialog->show();
    // The figures come from the worker, through the event loop: not yet.
    QCOMPARE(dialog->value(dlgWordCount::Words, dlgWordCount::Document)->text(), QStringLiteral("Counting\u2026"));
    // Usable meanwhile.
    dialog->spnSpeakingRate->setValue(200);
    QTRY_COMPARE_WITH_TIMEOUT(counted.count(), 1, 30'000);
    QCOMPARE(dialog->value(dlgWordCount::Words, dlgWordCount::Document)->text(), QLocale().toString(500'000));
    QCOMPARE(dialog->value(dlgWordCount::Words, dlgWordCount::Selection)->text(), QStringLiteral("10"));
    QCOMPARE(dialog->value(dlgWordCount::Time, dlgWordCount::Document)->text(), SpeakingTime::describe(500'000, 200));
    dialog->close();
    QTRY_VERIFY(!dialog);
}

void TestPulpit::speakingRateKept()
{
    const QString text = QStringLiteral("word ").repeated(1300);
    auto *dialog = new dlgWordCount(text, std::nullopt, nullptr);
    QCOMPARE(dialog->spnSpeakingRate->value(), SpeakingTime::DefaultWordsPerMinute);
    QCOMPARE(dialog->value(dlgWordCount::Time, dlgWordCount::Document)->text(), QStringLiteral("about 10 minutes"));
    dialog->spnSpeakingRate->setValue(100);
    QCOMPARE(dialog->value(dlgWordCount::Time, dlgWordCount::Document)->text(), QStringLiteral("about 13 minutes"));
    QCOMPARE(PulpitSettings::speakingRate(), 100);
    delete dialog;
    auto *again = new dlgWordCount(text, std::nullopt, nullptr);
    QCOMPARE(again->spnSpeakingRate->value(), 100);
    delete again;
}

void TestPulpit::preachReturnsToParagraphOnTop_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Esc") << int(Qt::Key_Escape);
    QTest::newRow("F5") << int(Qt::Key_F5);
}

void TestPulpit::preachReturnsToParagraphOnTop()
{
    QFETCH(int, key);
    m_main = std::make_unique<frmMain>(m_data.path());
    RichTextBox *editor = m_main->RichTextBox1;
    editor->LoadText(numberedParagraphs(300));
    QVERIFY(!editor->isBusy());
    const QString html = editor->document()->toHtml();
    const QFont font = editor->document()->defaultFont();
    editor->setTextCursor(QTextCursor(editor->document()->findBlockByNumber(40)));
    m_main->show();

    m_main->mnuToolsPreach->trigger();
    QPointer<frmPreach> view = m_main->findChild<frmPreach *>();
    QVERIFY(view);
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QVERIFY(view->isFullScreen());
    QCOMPARE(view->topParagraph(), 40);
    QTest::keyClick(view, Qt::Key_PageDown);
    QTest::keyClick(view, Qt::Key_PageDown);
    QTest::keyClick(view, Qt::Key_Plus, Qt::ControlModifier);
    const int top = view->topParagraph();
    QVERIFY(top > 41);
    QTest::keyClick(view, Qt::Key(key));
    QTRY_VERIFY(!view);
    QCOMPARE(editor->textCursor().position(), editor->document()->findBlockByNumber(top).position());
    QVERIFY(!editor->textCursor().hasSelection());
    // The user's document is as it was: the view zoomed its own copy.
    QCOMPARE(editor->document()->toHtml(), html);
    QCOMPARE(editor->document()->defaultFont(), font);
}

void TestPulpit::preachFollowsEdits()
{
    m_main = std::make_unique<frmMain>(m_data.path());
    RichTextBox *editor = m_main->RichTextBox1;
    editor->LoadText(numberedParagraphs(50));
    QVERIFY(!editor->isBusy());
    editor->setSelection(0, 0);
    m_main->mnuToolsPreach->trigger();
    QPointer<frmPreach> view = m_main->findChild<frmPreach *>();
    QVERIFY(view);
    QCOMPARE(view->shownLines().constFirst(), QStringLiteral("Paragraph 0 of the sermon."));
    editor->SetSelText(QStringLiteral("Amen. "));
    QTRY_COMPARE(view->shownLines().constFirst(), QStringLiteral("Amen. Paragraph 0 of the sermon."));
    // F5 in the main window closes the view as well.
    m_main->mnuToolsPreach->trigger();
    QTRY_VERIFY(!view);
}

void TestPulpit::toolsWaitForLongCommands()
{
    m_main = std::make_unique<frmMain>(m_data.path());
    RichTextBox *editor = m_main->RichTextBox1;
    editor->LoadText(numberedParagraphs(20));
    m_main->mnuToolsPreach->trigger();
    QPointer<frmPreach> view = m_main->findChild<frmPreach *>();
    QVERIFY(view);
    // A document long enough to be loaded as a job.
    editor->LoadText(QStringLiteral("Long document line.\n").repeated(int(RichTextBox::WorkerCharacters / 10)));
    QVERIFY(editor->isBusy());
    QVERIFY(!m_main->mnuToolsWordCount->isEnabled());
    QVERIFY(m_main->mnuToolsPreach->isEnabled()); // closes the open view
    QTRY_VERIFY_WITH_TIMEOUT(!editor->isBusy(), 60'000);
    QVERIFY(m_main->mnuToolsWordCount->isEnabled());
    // The view shows the new document once it is in.
    QTRY_COMPARE_WITH_TIMEOUT(view->shownLines().constFirst(), QStringLiteral("Long document line."), 30'000);
    view->close();
    QTRY_VERIFY(!view);
}

void TestPulpit::preachOnTheSecondScreen_data()
{
    QTest::addColumn<int>("windowScreen");
    QTest::newRow("window on the first") << 0;
    QTest::newRow("window on the second") << 1;
}

void TestPulpit::preachOnTheSecondScreen()
{
    QFETCH(int, windowScreen);
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        QSKIP("Needs two screens: run as tst_pulpit_two_screens");
    QCOMPARE(QGuiApplication::primaryScreen(), screens.at(0));
    m_main = std::make_unique<frmMain>(m_data.path());
    m_main->setScreen(screens.at(windowScreen));
    m_main->move(screens.at(windowScreen)->geometry().topLeft() + QPoint(20, 20));
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QCOMPARE(m_main->screen(), screens.at(windowScreen));
    m_main->mnuToolsPreach->trigger();
    QPointer<frmPreach> view = m_main->findChild<frmPreach *>();
    QVERIFY(view);
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QCOMPARE(view->screen(), screens.at(1));
    QCOMPARE(view->geometry(), screens.at(1)->geometry());
}

QTEST_MAIN(TestPulpit)
#include "tst_pulpit.moc"
