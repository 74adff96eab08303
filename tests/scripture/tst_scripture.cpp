// Scripture in the sermon: references in their shapes, passages inserted by
// Insert Scripture and by dragging verses, and live references.

#include "EditorWait.h"
#include "ModalDriver.h"
#include "reference/ReferenceFixture.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "reference/BibleReference.h"
#include "reference/SubjectList.h"
#include "scripture/BibleText.h"
#include "scripture/LiveReferences.h"
#include "scripture/ScriptureCommands.h"
#include "scripture/dlgInsertScripture.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>

namespace {

const QString John316 = QStringLiteral("For God so loved the world, that he gave his only begotten Son, that whosoever "
                                       "believeth in him should not perish, but have everlasting life.");

QString psalm119Verse(int v)
{
    return QStringLiteral("Verse %1 of the LORD\u2019s law.").arg(v);
}

QString section(const QString &title, const QStringList &verses)
{
    return title + QStringLiteral(" (King James Version)\n\n") + verses.join(QLatin1Char('\n'));
}

QList<ReferenceFixture::Row> bibleRows()
{
    QStringList psalm;
    for (int v = 1; v <= 176; ++v)
        psalm << QStringLiteral("Psalms 119:%1 ").arg(v) + psalm119Verse(v);
    QStringList genesis{QStringLiteral("Genesis 1:1 In the beginning God created the heaven and the earth.")};
    for (int v = 26; v <= 31; ++v)
        genesis << QStringLiteral("Genesis 1:%1 Day six, verse %1.").arg(v);
    genesis << QString();
    for (int v = 1; v <= 3; ++v)
        genesis << QStringLiteral("Genesis 2:%1 Day seven, verse %1.").arg(v);
    return {
        {"Genesis 1-16", section("Genesis 1-16", genesis)},
        {"Exodus 1-12", section("Exodus 1-12", {"Exodus 12:11 Ye shall eat it in haste: it is the LORD\u2019s passover."})},
        {"John 1-10", section("John 1-10", {"John 3:15 That whosoever believeth in him should not perish.",
                                            "John 3:16 " + John316,
                                            "John 3:17 For God sent not his Son into the world to condemn the world."})},
        {"Romans", section("Romans", {"Romans 5:8 But God commendeth his love toward us.", "",
                                      "Romans 8:28 And we know that all things work together for good.",
                                      "Romans 8:29 For whom he did foreknow.", "Romans 8:30 Moreover whom he did predestinate."})},
        {"Psalms 101-135", section("Psalms 101-135", psalm)},
    };
}

const QList<ReferenceFixture::ChapterRow> BibleChapters{
    {"Genesis", 1, 31, "Genesis 1-16"}, {"Genesis", 2, 25, "Genesis 1-16"}, {"Exodus", 12, 51, "Exodus 1-12"},
    {"John", 3, 36, "John 1-10"},       {"Romans", 5, 21, "Romans"},        {"Romans", 8, 39, "Romans"},
    {"Psalms", 119, 176, "Psalms 101-135"},
};

QString psalm119()
{
    QStringList verses;
    for (int v = 1; v <= 176; ++v)
        verses << QString::number(v) + QLatin1Char(' ') + psalm119Verse(v);
    return verses.join(QLatin1Char(' ')) + QStringLiteral(" (Psalms 119, KJV)");
}

} // namespace

class tst_Scripture : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void referenceShapes_data();
    void referenceShapes();
    void referencesInRunningText_data();
    void referencesInRunningText();
    void insertsPassages_data();
    void insertsPassages();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void oneUndoStepInTheCaretsFormat();
    void marksOnlyWhatTheBibleHas();
    void tooltipShowsThePassageCutAtAWord();
    void ctrlClickShowsTheReferenceInTheBible_data();
    void ctrlClickShowsTheReferenceInTheBible();
    void draggedVersesGoInAsTheirPassage_data();
    void draggedVersesGoInAsTheirPassage();

private:
    // Sets the document from text where "|" is the caret and "[...]" a selection.
    void setDocument(const QString &marked);
    QPoint pointOf(const QString &text) const;

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_main;
};

void tst_Scripture::initTestCase()
{
    QVERIFY(ReferenceFixture::write(m_dir.filePath("bible.db"), ReferenceSchema::Bible, bibleRows()));
    QVERIFY(ReferenceFixture::addFindTables(m_dir.filePath("bible.db"), ReferenceSchema::Bible, BibleChapters));
    for (const ReferenceSchema::Table &t : {ReferenceSchema::Joke, ReferenceSchema::Quote, ReferenceSchema::Sermon})
        QVERIFY(ReferenceFixture::write(m_dir.filePath(QString::fromLatin1(t.file.data(), qsizetype(t.file.size()))), t,
                                        {{"subject", "entry"}}));
}

void tst_Scripture::init()
{
    m_main = std::make_unique<frmMain>(m_dir.path());
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void tst_Scripture::cleanup()
{
    m_main.reset();
}

void tst_Scripture::setDocument(const QString &marked)
{
    QString text = marked;
    const qsizetype caret = text.indexOf(QLatin1Char('|'));
    const qsizetype open = text.indexOf(QLatin1Char('['));
    text.remove(QLatin1Char('|')).remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    RichTextBox *doc = m_main->RichTextBox1;
    QVERIFY(EditorWait::load(*doc, text).ok);
    m_main->TextChanged = false;
    if (open >= 0)
        doc->setSelection(int(open), int(marked.indexOf(QLatin1Char(']')) - open - 1));
    else
        doc->setSelection(int(qMax<qsizetype>(caret, 0)), 0);
}

QPoint tst_Scripture::pointOf(const QString &text) const
{
    RichTextBox *doc = m_main->RichTextBox1;
    QTextCursor c(doc->document());
    c.setPosition(int(doc->Text().indexOf(text)) + 1);
    return doc->cursorRect(c).center();
}

void tst_Scripture::referenceShapes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("references"); // as written out, "; " between; empty: none

    QTest::newRow("verse") << "jn 3:16" << "John 3:16";
    QTest::newRow("range") << "Romans 8:28-30" << "Romans 8:28-30";
    QTest::newRow("whole chapter") << "Ps 119" << "Psalms 119";
    QTest::newRow("across chapters") << "Gen 1:26-2:3" << "Genesis 1:26-2:3";
    QTest::newRow("across, en dash") << "Gen 1:26\u20132:3" << "Genesis 1:26-2:3";
    QTest::newRow("list") << "John 3:16; Rom 5:8" << "John 3:16; Romans 5:8";
    QTest::newRow("verses of one chapter") << "Rom 8:28, 30-31" << "Romans 8:28; Romans 8:30-31";
    QTest::newRow("chapter:verse after ;") << "John 3:16; 4:1" << "John 3:16; John 4:1";
    QTest::newRow("chapters after a chapter") << "Ps 23, 24; 25" << "Psalms 23; Psalms 24; Psalms 25";
    QTest::newRow("one-chapter book") << "Jude 3, 5" << "Jude 1:3; Jude 1:5";
    QTest::newRow("range of chapters") << "Ps 23-24" << "";
    QTest::newRow("across, backwards") << "Gen 2:3-1:26" << "";
    QTest::newRow("list, unknown book") << "John 3:16; Hezekiah 1:1" << "";
    QTest::newRow("list, empty item") << "John 3:16;" << "";
    QTest::newRow("garbage") << "for God so loved" << "";
}

void tst_Scripture::referenceShapes()
{
    QFETCH(QString, typed);
    QFETCH(QString, references);
    QStringList texts;
    for (const BibleReference &ref : BibleReference::parseList(typed).value_or(QList<BibleReference>()))
        texts << ref.text();
    QCOMPARE(texts.join(QStringLiteral("; ")), references);
}

void tst_Scripture::referencesInRunningText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found"); // "item = reference", lists as one string each item

    QTest::newRow("in a sentence") << "as Paul says in rom 8:28, all is well" << QStringList{"rom 8:28 = Romans 8:28"};
    QTest::newRow("list") << "read John 3:16; Rom 5:8 and 1 Cor 13"
                          << QStringList{"John 3:16 = John 3:16", "Rom 5:8 = Romans 5:8", "1 Cor 13 = 1 Corinthians 13"};
    QTest::newRow("verse after a comma") << "John 3:16, 17 and more" << QStringList{"John 3:16 = John 3:16", "17 = John 3:17"};
    QTest::newRow("number of the next book") << "Rom 8:28, 1 Corinthians too" << QStringList{"Rom 8:28 = Romans 8:28"};
    QTest::newRow("across chapters, full stop") << "See Gen 1:26-2:3." << QStringList{"Gen 1:26-2:3 = Genesis 1:26-2:3"};
    QTest::newRow("chapter needs a capital") << "ps 23 and Ps 23" << QStringList{"Ps 23 = Psalms 23"};
    QTest::newRow("words that are abbreviations") << "I am 5 and it is 3:15 here; song 3" << QStringList{};
    QTest::newRow("capital short name with verse") << "Is 53:5" << QStringList{"Is 53:5 = Isaiah 53:5"};
    QTest::newRow("inside words and numbers") << "Genesis1:1x, 12John 3, at 3:16 pm" << QStringList{};
}

void tst_Scripture::referencesInRunningText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    QStringList seen;
    for (const BibleReference::Found &f : BibleReference::findIn(text))
        seen << text.mid(f.start, f.length) + QStringLiteral(" = ") + f.reference.text();
    QCOMPARE(seen, found);
}

void tst_Scripture::insertsPassages_data()
{
    QTest::addColumn<QString>("before"); // "|" caret, "[...]" selection
    QTest::addColumn<QString>("typed");  // into the dialog; empty: no dialog expected
    QTest::addColumn<QString>("after");

    QTest::newRow("selected verse, blanks kept") << "See[ jn 3:16 ]here." << ""
                                    << "See " + John316 + " (John 3:16, KJV) here.";
    QTest::newRow("range before the caret") << "as Paul says in rom 8:28-30|" << ""
                                            << "as Paul says in 28 And we know that all things work together for good. "
                                               "29 For whom he did foreknow. 30 Moreover whom he did predestinate. "
                                               "(Romans 8:28-30, KJV)";
    QTest::newRow("blanks after the reference stay") << "Ex 12:11 |" << ""
                                                     << "Ye shall eat it in haste: it is the LORD\u2019s passover. "
                                                        "(Exodus 12:11, KJV) ";
    QTest::newRow("whole chapter by the dialog") << "Text |" << "Ps 119" << "Text " + psalm119();
    QTest::newRow("across chapters") << "|" << "Gen 1:26-2:3"
                                     << "26 Day six, verse 26. 27 Day six, verse 27. 28 Day six, verse 28. "
                                        "29 Day six, verse 29. 30 Day six, verse 30. 31 Day six, verse 31. "
                                        "2:1 Day seven, verse 1. 2 Day seven, verse 2. 3 Day seven, verse 3. "
                                        "(Genesis 1:26-2:3, KJV)";
    QTest::newRow("list: a paragraph each") << "[John 3:16; Rom 5:8]" << ""
                                            << John316 + " (John 3:16, KJV)\nBut God commendeth his love toward us. "
                                                         "(Romans 5:8, KJV)";
    QTest::newRow("selection no reference: replaced") << "a [word] b" << "Rom 5:8"
                                                      << "a But God commendeth his love toward us. (Romans 5:8, KJV) b";
}

void tst_Scripture::insertsPassages()
{
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    setDocument(before);
    ModalDriver driver;
    driver.arm([&](QDialog *d) {
        if (auto *dialog = qobject_cast<dlgInsertScripture *>(d)) {
            dialog->txtScriptureReference->setText(typed);
            dialog->accept();
        } else {
            d->reject();
        }
    });
    m_main->mnuToolsInsertScripture->trigger();
    driver.stop();
    QCOMPARE(driver.seen(), typed.isEmpty() ? 0 : 1);
    QCOMPARE(m_main->RichTextBox1->Text(), after);
    QVERIFY(m_main->TextChanged);
}

void tst_Scripture::refusalsChangeNothing_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed"); // into the dialog; empty: no dialog
    QTest::addColumn<QString>("message"); // empty: none

    QTest::newRow("verse past the chapter's end") << "[John 3:99]" << "" << "\"John 3:99\" is not in the Bible: John 3 has 36 verses.";
    QTest::newRow("chapter the Bible lacks") << "see Rom 99:1|" << "" << "\"Rom 99:1\" is not in the Bible: Romans has 2 chapters.";
    QTest::newRow("unknown book") << "Text|" << "Hezekiah 3:1" << "\"Hezekiah 3:1\" is not a Bible reference.";
    QTest::newRow("garbage") << "Text|" << "so loved" << "\"so loved\" is not a Bible reference.";
    QTest::newRow("cancel") << "Text|" << "" << "";
}

void tst_Scripture::refusalsChangeNothing()
{
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    setDocument(before);
    const QString text = m_main->RichTextBox1->Text();
    // The dialog shows its message over itself and stays for a correction.
    QStringList messages;
    bool typedOnce = false;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        if (auto *box = qobject_cast<QMessageBox *>(d)) {
            messages << box->text();
            box->accept();
        } else if (auto *dialog = qobject_cast<dlgInsertScripture *>(d); dialog && !typed.isEmpty() && !typedOnce) {
            typedOnce = true;
            dialog->txtScriptureReference->setText(typed);
            // Clicked once this call has returned, so that the timer runs again for the message.
            QTimer::singleShot(0, dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), &QPushButton::click);
        } else {
            d->reject();
        }
    });
    answer.start();
    m_main->mnuToolsInsertScripture->trigger();
    answer.stop();
    QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(messages.constFirst().startsWith(message), qPrintable(messages.constFirst()));
    QCOMPARE(m_main->RichTextBox1->Text(), text);
    QVERIFY(!m_main->RichTextBox1->document()->isUndoAvailable());
    QVERIFY(!m_main->TextChanged);
}

void tst_Scripture::oneUndoStepInTheCaretsFormat()
{
    // The reference before the caret is bold italic 14 pt: so is its passage.
    RichTextBox *doc = m_main->RichTextBox1;
    QVERIFY(EditorWait::load(*doc, QStringLiteral("{\\rtf1 Text {\\b\\i\\fs28 Jn 3:16; Rom 5:8} end}"), true).ok);
    doc->setSelection(int(doc->Text().indexOf(QStringLiteral(" end"))), 0);
    m_main->mnuToolsInsertScripture->trigger();
    const int end = int(doc->Text().indexOf(QStringLiteral(" end")));
    QVERIFY(end > 100);
    for (QTextBlock b = doc->document()->begin(); b.isValid() && b.position() < end; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() + f.length() <= 5 || f.position() >= end)
                continue;
            QVERIFY2(f.charFormat().fontWeight() == QFont::Bold && f.charFormat().fontItalic()
                         && f.charFormat().fontPointSize() == 14 && !f.charFormat().hasProperty(QTextFormat::ForegroundBrush),
                     qPrintable(f.text()));
        }
    doc->undo();
    QCOMPARE(doc->Text(), QStringLiteral("Text Jn 3:16; Rom 5:8 end"));
    QVERIFY(!doc->document()->isUndoAvailable());
}

void tst_Scripture::marksOnlyWhatTheBibleHas()
{
    setDocument(QStringLiteral("John 3:16 and John 3:99, Ps 119."));
    const LiveReferences *live = m_main->findChild<ScriptureCommands *>()->liveReferences();
    QStringList marked;
    for (const QTextLayout::FormatRange &r : live->referenceMarks(m_main->RichTextBox1->document()->firstBlock()))
        marked << m_main->RichTextBox1->Text().mid(r.start, r.length);
    QCOMPARE(marked, QStringList({"John 3:16", "Ps 119"}));
    // Shown in the view as a dotted underline of its layout, not of the text.
    const QTextBlock block = m_main->RichTextBox1->document()->firstBlock();
    QTRY_VERIFY(std::any_of(block.layout()->formats().cbegin(), block.layout()->formats().cend(),
                            [](const QTextLayout::FormatRange &r) {
                                return r.start == 0 && r.format.underlineStyle() == QTextCharFormat::DotLine;
                            }));
    QVERIFY(!block.begin().fragment().charFormat().hasProperty(QTextFormat::TextUnderlineStyle));
}

void tst_Scripture::tooltipShowsThePassageCutAtAWord()
{
    const BibleText *bible = m_main->findChild<ScriptureCommands *>()->bible();
    const BibleReference john = *BibleReference::parse(u"John 3:16");
    QCOMPARE(bible->preview(john), John316 + " (John 3:16, KJV)");
    const QString psalm = bible->preview(*BibleReference::parse(u"Ps 119"));
    const QString cut = psalm.left(psalm.indexOf(QStringLiteral("\u2026 (Psalms 119, KJV)")));
    QVERIFY2(cut.size() > 250 && cut.size() <= 300, qPrintable(psalm));
    QVERIFY(psalm119().startsWith(cut + QLatin1Char(' ')) || psalm119().startsWith(cut + QStringLiteral(". ")));

    // Hovering over the reference in the document shows it.
    setDocument(QStringLiteral("Read John 3:16 today|"));
    QWidget *viewport = m_main->RichTextBox1->viewport();
    QHelpEvent help(QEvent::ToolTip, pointOf(QStringLiteral("3:16")), viewport->mapToGlobal(pointOf("3:16")));
    QApplication::sendEvent(viewport, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY2(QToolTip::text().contains(QStringLiteral("that he gave")), qPrintable(QToolTip::text()));
    QHelpEvent away(QEvent::ToolTip, pointOf(QStringLiteral("today")), viewport->mapToGlobal(pointOf("today")));
    QApplication::sendEvent(viewport, &away);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void tst_Scripture::ctrlClickShowsTheReferenceInTheBible_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("item"); // empty: lstBible not moved, the caret placed
    QTest::newRow("ctrl+click") << int(Qt::ControlModifier) << "John 1-10";
    QTest::newRow("plain click") << int(Qt::NoModifier) << "";
}

void tst_Scripture::ctrlClickShowsTheReferenceInTheBible()
{
    QFETCH(int, modifiers);
    QFETCH(QString, item);
    setDocument(QStringLiteral("Read John 3:16 today|"));
    const int caret = m_main->RichTextBox1->SelStart();
    QWidget *viewport = m_main->RichTextBox1->viewport();
    QMouseEvent move(QEvent::MouseMove, pointOf(QStringLiteral("3:16")), viewport->mapToGlobal(pointOf("3:16")), Qt::NoButton,
                     Qt::NoButton, Qt::KeyboardModifiers(modifiers));
    QApplication::sendEvent(viewport, &move);
    QCOMPARE(viewport->cursor().shape(), item.isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
    QTest::mouseClick(m_main->RichTextBox1->viewport(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers),
                      pointOf(QStringLiteral("3:16")));
    if (item.isEmpty()) {
        QCOMPARE(m_main->lstBible->currentRow(), -1);
        QVERIFY(m_main->RichTextBox1->SelStart() != caret);
        return;
    }
    QCOMPARE(m_main->lstBible->currentItem()->text(), item);
    QCOMPARE(m_main->RichTextBox2->SelText(), "John 3:16 " + John316);
    QCOMPARE(m_main->RichTextBox1->SelStart(), caret);
}

void tst_Scripture::draggedVersesGoInAsTheirPassage_data()
{
    QTest::addColumn<QString>("selected"); // in the Bible view
    QTest::addColumn<QString>("inserted");
    QTest::newRow("two verses, partly") << "he gave his only begotten Son, that whosoever believeth in him should not "
                                           "perish, but have everlasting life.\nJohn 3:17 For God sent"
                                        << "16 " + John316 + " 17 For God sent not his Son into the world to condemn "
                                                             "the world. (John 3:16-17, KJV)";
    QTest::newRow("part of a verse") << "3:16 For God so loved the world" << "For God so loved the world (John 3:16, KJV)";
}

void tst_Scripture::draggedVersesGoInAsTheirPassage()
{
    QFETCH(QString, selected);
    QFETCH(QString, inserted);
    m_main->lstBible->setCurrentItem(m_main->lstBible->findItems("John 1-10", Qt::MatchExactly).constFirst());
    RichTextBox *view = m_main->RichTextBox2;
    QTRY_VERIFY(view->Text().contains(selected));
    view->setSelection(int(view->Text().indexOf(selected)), int(selected.size()));
    setDocument(QStringLiteral("Before after"));

    QMimeData mime;
    mime.setText(view->SelText());
    QWidget *viewport = m_main->RichTextBox1->viewport();
    const QPoint at = m_main->RichTextBox1->cursorRect(QTextCursor(m_main->RichTextBox1->document())).center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(m_main->RichTextBox1->Text(), inserted + "Before after");
    m_main->RichTextBox1->undo();
    QCOMPARE(m_main->RichTextBox1->Text(), QStringLiteral("Before after"));
}

QTEST_MAIN(tst_Scripture)
#include "tst_scripture.moc"
