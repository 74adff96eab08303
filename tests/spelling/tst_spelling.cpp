// Check as you type in the sermon document, against the installed Hunspell
// dictionary (the tests that need one skip without it) and a word list in
// the importer's format.

#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "editor/RtfWriter.h"
#include "editor/TextDecorations.h"
#include "spelling/DocumentSpelling.h"
#include "spelling/SpellChecker.h"
#include "spelling/Speller.h"
#include "WindowTestSetup.h"

#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace {

// The words a view's paragraphs mark as misspelled, in order.
QStringList marked(const QTextEdit &view)
{
    QStringList out;
    for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) {
        for (const QTextLayout::FormatRange &r : b.layout()->formats()) {
            if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                out << b.text().mid(r.start, r.length);
        }
    }
    return out;
}

// The items of the context menu for the document position; the one named
// (when it is there) is chosen.
QStringList menuItems(DocumentSpelling &spelling, int position, const QString &choose = {})
{
    QStringList items;
    if (!spelling.showMenu(position, QPoint(20, 10)))
        return items;
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    for (QAction *a : menu->actions())
        items << a->text();
    if (const qsizetype i = items.indexOf(choose); i >= 0)
        menu->actions().at(i)->trigger();
    menu->close();
    return items;
}

// The main window on a data folder without databases, their warning answered.
std::unique_ptr<frmMain> window(const QString &dataDir)
{
    ModalDriver warning;
    warning.answer(QMessageBox::Ok);
    auto w = std::make_unique<frmMain>(dataDir);
    w->show();
    (void)QTest::qWaitFor([&] { return warning.seen() > 0; }, 3000);
    return w;
}

} // namespace

class TestSpelling : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void marksOnlyWhatIsMisspelled_data();
    void marksOnlyWhatIsMisspelled();
    void wordBeingTypedWaitsForTheCaret();
    void marksStayOnTheScreen();
    void suggestionKeepsFormatInOneUndoStep();
    void ignoredAndAddedWordsAreNotMarked();
    void toolsItemTurnsCheckingOffAndIsKept();
    void withoutDictionaryTheItemNamesThePackage();

private:
    // A shown document editor checked against the dictionary and m_words.
    void checkedEditor(const QString &text);

    QTemporaryDir m_dir;
    QString m_words;    // the Bible's words, as the importer writes them
    QString m_personal; // the user's list
    std::unique_ptr<RichTextBox> m_box;
    DocumentSpelling *m_spelling = nullptr;
};

void TestSpelling::initTestCase()
{
    setUpWindowTests(m_dir.path());
    m_words = m_dir.filePath(QStringLiteral("kjv-words.list"));
    QFile words(m_words);
    QVERIFY(words.open(QIODevice::WriteOnly));
    words.write("begat\nMahershalalhashbaz\nMaher-shalal-hash-baz\nMelchizedek\nsaith\nShiloh\nthee\n");
    m_personal = m_dir.filePath(QStringLiteral("words.txt"));
}

void TestSpelling::init()
{
    // Only the test of a missing dictionary does without one.
    if (!Speller::find(Speller::systemFolders(), QLocale(QLocale::English, QLocale::UnitedStates))
        && QLatin1String(QTest::currentTestFunction()) != QLatin1String("withoutDictionaryTheItemNamesThePackage"))
        QSKIP("No Hunspell dictionary is installed (hunspell-en-us)");
}

void TestSpelling::cleanup()
{
    m_box.reset();
    m_spelling = nullptr;
    QFile::remove(m_personal);
    SpellChecker::setDictionaryFolders({});
}

void TestSpelling::checkedEditor(const QString &text)
{
    m_box = std::make_unique<RichTextBox>(QStringLiteral("Arial"));
    m_box->resize(400, 300);
    m_box->LoadText(text);
    m_box->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
    std::shared_ptr<SpellChecker> checker = SpellChecker::load(
        {Speller::systemFolders(), QLocale(QLocale::English, QLocale::UnitedStates), m_words, m_personal});
    QVERIFY(checker->hasDictionary());
    m_spelling = new DocumentSpelling(m_box.get(), new TextDecorations(m_box.get()), checker);
}

void TestSpelling::marksOnlyWhatIsMisspelled_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("misspelled");

    QTest::newRow("misspelled word") << "We recieve grace." << QStringList{"recieve"};
    QTest::newRow("names of the Bible") << "Melchizedek and Mahershalalhashbaz" << QStringList{};
    QTest::newRow("hyphenated name") << "Maher-shalal-hash-baz" << QStringList{};
    QTest::newRow("a name's possessive") << "Melchizedek's bread" << QStringList{};
    QTest::newRow("archaic forms") << "Abraham begat Isaac; I beseech thee" << QStringList{};
    QTest::newRow("curly apostrophe") << "it doesn\u2019t matter" << QStringList{};
    QTest::newRow("compound: the wrong part only") << "a well-knwon verse" << QStringList{"knwon"};
    QTest::newRow("numbers and addresses") << "1st 2nd verse 3:16 see www.exampel.org or joe@exampel.org"
                                           << QStringList{};
    QTest::newRow("another script") << "\u03b1\u03b3\u03ac\u03c0\u03b7 is love" << QStringList{};
    QTest::newRow("every paragraph") << "teh first\nthe secnod" << QStringList{"teh", "secnod"};
    QTest::newRow("an inserted passage's reference") << "everlasting life. (John 3:16, KJV)" << QStringList{};
}

void TestSpelling::marksOnlyWhatIsMisspelled()
{
    QFETCH(QString, text);
    QFETCH(QStringList, misspelled);
    // A word marked at the end: nothing marked before it means checked, not yet unchecked.
    checkedEditor(text + QStringLiteral(" qzxv"));
    QTRY_COMPARE(marked(*m_box), misspelled + QStringList{QStringLiteral("qzxv")});
}

void TestSpelling::wordBeingTypedWaitsForTheCaret()
{
    checkedEditor(QStringLiteral("Grace "));
    m_box->moveCursor(QTextCursor::End);
    QTest::keyClicks(m_box.get(), QStringLiteral("teh"));
    QTest::qWait(50);
    QCOMPARE(marked(*m_box), QStringList());
    QTest::keyClick(m_box.get(), Qt::Key_Space);
    QTRY_COMPARE(marked(*m_box), QStringList{"teh"});
    // Back into it and typing: left alone; the caret leaving by a click or a key: marked.
    QTest::keyClick(m_box.get(), Qt::Key_Left);
    QTest::keyClick(m_box.get(), Qt::Key_Backspace);
    QTest::keyClicks(m_box.get(), QStringLiteral("hh"));
    QTest::qWait(50);
    QCOMPARE(marked(*m_box), QStringList());
    QTest::keyClick(m_box.get(), Qt::Key_Home);
    QTRY_COMPARE(marked(*m_box), QStringList{"tehh"});
}

void TestSpelling::marksStayOnTheScreen()
{
    checkedEditor(QStringLiteral("We recieve grace"));
    m_box->document()->setModified(false);
    const int undoSteps = m_box->document()->availableUndoSteps();
    QSignalSpy changes(m_box.get(), &RichTextBox::Change);
    QTRY_COMPARE(marked(*m_box), QStringList{"recieve"});

    QCOMPARE(changes.count(), 0);
    QVERIFY(!m_box->document()->isModified());
    QCOMPARE(m_box->document()->availableUndoSteps(), undoSteps);
    for (auto it = m_box->document()->firstBlock().begin(); !it.atEnd(); ++it)
        QCOMPARE(it.fragment().charFormat().underlineStyle(), QTextCharFormat::NoUnderline);
    m_box->setSelection(0, 16);
    QVERIFY(!m_box->SelRTF().contains(QStringLiteral("\\ul")));
    const std::unique_ptr<QMimeData> copied(m_box->SelMimeData());
    for (const QString &format : copied->formats())
        QVERIFY(!QString::fromLatin1(copied->data(format)).contains(QStringLiteral("\\ul")));
}

void TestSpelling::suggestionKeepsFormatInOneUndoStep()
{
    checkedEditor(QStringLiteral("We recieve grace"));
    m_box->setSelection(3, 7);
    m_box->SetSelBold(true);
    m_box->SetSelColor(qRgb(160, 0, 0));
    m_box->setSelection(0, 0);
    QTRY_COMPARE(marked(*m_box), QStringList{"recieve"});

    const QStringList items = menuItems(*m_spelling, 5, QStringLiteral("receive"));
    QCOMPARE(items.value(0), QStringLiteral("receive"));
    const qsizetype ignore = items.indexOf(QStringLiteral("Ignore All"));
    QVERIFY(ignore > 1 && ignore <= 1 + DocumentSpelling::MaxSuggestions + 1);
    QCOMPARE(items.value(ignore + 1), QStringLiteral("Add to Dictionary"));
    QCOMPARE(items.filter(QStringLiteral("Select All")).size(), 1); // the view's own items follow

    QCOMPARE(m_box->Text(), QStringLiteral("We receive grace"));
    m_box->setSelection(3, 7);
    QCOMPARE(m_box->SelBold(), RichTextBox::Tri::On);
    QCOMPARE(m_box->textCursor().charFormat().foreground().color(), QColor(160, 0, 0));
    QTRY_COMPARE(marked(*m_box), QStringList());
    // One undo step, which leaves the formatting done before.
    m_box->undo();
    QCOMPARE(m_box->Text(), QStringLiteral("We recieve grace"));
    m_box->setSelection(3, 7);
    QCOMPARE(m_box->SelBold(), RichTextBox::Tri::On);
}

void TestSpelling::ignoredAndAddedWordsAreNotMarked()
{
    checkedEditor(QStringLiteral("Shiloh saith the Vellumite to the Grufflings"));
    QTRY_COMPARE(marked(*m_box), (QStringList{"Vellumite", "Grufflings"}));
    QVERIFY(menuItems(*m_spelling, 4).isEmpty()); // a right word: the view's own menu
    menuItems(*m_spelling, 36, QStringLiteral("Ignore All"));
    QTRY_COMPARE(marked(*m_box), QStringList{"Vellumite"});
    menuItems(*m_spelling, 20, QStringLiteral("Add to Dictionary"));
    QTRY_COMPARE(marked(*m_box), QStringList());

    // Added words are kept, one a line; ignored ones are not.
    QCOMPARE(SpellChecker::readWords(m_personal), QStringList{"Vellumite"});
    checkedEditor(QStringLiteral("Shiloh saith the Vellumite to the Grufflings"));
    QTRY_COMPARE(marked(*m_box), QStringList{"Grufflings"});
}

void TestSpelling::toolsItemTurnsCheckingOffAndIsKept()
{
    QTemporaryDir data;
    QVERIFY(QFile::copy(m_words, data.filePath(QStringLiteral("kjv-words.list"))));
    for (bool on : {true, false}) {
        const std::unique_ptr<frmMain> w = window(data.path());
        QVERIFY(w->mnuToolsSpelling->isCheckable());
        QCOMPARE(w->mnuToolsSpelling->isChecked(), on); // on at first, then as left
        w->RichTextBox1->SetText(QStringLiteral("Melchizedek said teh word"));
        w->RichTextBox2->SetText(QStringLiteral("teh")); // reference views are not checked
        QTRY_VERIFY(w->findChild<DocumentSpelling *>() && !w->documentDecorations()->isPending());
        QCOMPARE(marked(*w->RichTextBox1), on ? QStringList{"teh"} : QStringList());
        w->mnuToolsSpelling->setChecked(false);
        QTRY_COMPARE(marked(*w->RichTextBox1), QStringList());
        QCOMPARE(marked(*w->RichTextBox2), QStringList());
    }
}

void TestSpelling::withoutDictionaryTheItemNamesThePackage()
{
    QTemporaryDir none;
    SpellChecker::setDictionaryFolders({none.path()});
    const std::unique_ptr<frmMain> w = window(none.path());
    QTRY_VERIFY(!w->mnuToolsSpelling->isEnabled());
    QVERIFY2(w->mnuToolsSpelling->statusTip().contains(QStringLiteral("hunspell-en")),
             qPrintable(w->mnuToolsSpelling->statusTip()));
}

QTEST_MAIN(TestSpelling)
#include "tst_spelling.moc"
