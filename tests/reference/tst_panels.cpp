#include "ModalDriver.h"
#include "ReferenceFixture.h"
#include "app/RainButton.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "reference/DataSource.h"
#include "reference/SubjectList.h"

#include <QAction>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using ReferenceFixture::Row;

namespace {

const QString Genesis = QStringLiteral("In the beginning God created the heaven and the earth.\n"
                                       "And God said, Let there be light.\n"
                                       "the Godhead and the ungodly: banana");

QByteArray digestOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

int rowOf(const SubjectList *list, const QString &text)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text)
            return i;
    return -1;
}

} // namespace

class tst_Panels : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpShowsFirstRecordInTableOrder();
    void lookupsByKey();
    void keyboardWalkRunsOneLookupPerItem();
    void viewsAreReadOnlyButSelectable();
    void findRules();
    void findNotFoundMessage();
    void findBoxesSearchTheirViews();
    void formatMenuFind();
    void databasesUnchangedAfterSession();
    void brokenDatabases();

private:
    void select(SubjectList *list, const QString &text)
    {
        const int row = rowOf(list, text);
        QVERIFY2(row >= 0, qPrintable(text));
        list->setCurrentRow(row);
    }
    void clickFind(RainButton *button, ModalDriver &driver)
    {
        driver.answer(QMessageBox::Ok);
        button->click();
        QTest::qWait(30);
        driver.stop();
    }

    QTemporaryDir m_dir;
    QMap<QString, QString> m_bible; // key -> entry
    std::unique_ptr<frmMain> m_main;
};

void tst_Panels::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QList<Row> bible{{"Revelation 12-22", "revelation, first in the table"},
                           {"1 Timothy", "timothy, first in the index"},
                           {"Genesis 1-16", Genesis},
                           {"Genesis 17-30", ReferenceFixture::versesOfSize(150'000, QStringLiteral("Genesis"))},
                           {"Genesis 31-41", ReferenceFixture::versesOfSize(60'000, QStringLiteral("Later"))},
                           {"Exodus 1-12", "exodus"}};
    for (const Row &r : bible)
        m_bible.insert(r.key, r.entry);
    QVERIFY(ReferenceFixture::write(m_dir.filePath("bible.db"), ReferenceSchema::Bible, bible));
    QVERIFY(ReferenceFixture::write(m_dir.filePath("joke.db"), ReferenceSchema::Joke,
                                    {{"TopicalTextBook", "topical first"},
                                     {"TopicalTextBook", "topical second"},
                                     {"WordUsage E- G", "usage e to g"},
                                     {"WordUsage E-G", "wrong"},
                                     {"BibleDict ALPHA", "{\\rtf1\\ansi {\\b Alpha} first letter}"},
                                     {"BibleNames A-J", "Aaron Abel Adam; the adamant Abner"}}));
    QVERIFY(ReferenceFixture::write(m_dir.filePath("quote.db"), ReferenceSchema::Quote,
                                    {{"Cats", "cats"}, {"Animals", "animals"}}));
    QVERIFY(ReferenceFixture::write(m_dir.filePath("sermon.db"), ReferenceSchema::Sermon,
                                    {{"Expository Sermon Sample", "no blank"},
                                     {"Expository Sermon Sample ", "with blank"},
                                     {"Title, The", "title"}}));
}

void tst_Panels::init()
{
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    m_main = std::make_unique<frmMain>(m_dir.path());
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QTest::qWait(20);
    QCOMPARE(driver.seen(), 0); // good files: no start-up message
}

void tst_Panels::cleanup()
{
    m_main.reset();
}

void tst_Panels::startUpShowsFirstRecordInTableOrder()
{
    QCOMPARE(m_main->RichTextBox2->Text(), QStringLiteral("revelation, first in the table"));
    QCOMPARE(m_main->RichTextBox5->Text(), QStringLiteral("topical first"));
    QCOMPARE(m_main->RichTextBox3->Text(), QStringLiteral("cats"));
    QCOMPARE(m_main->RichTextBox4->Text(), QStringLiteral("no blank"));
    QVERIFY(m_main->strBibleSubject.isEmpty());
    QVERIFY(m_main->strQuoteSubject.isEmpty());
    QVERIFY(m_main->strSermonSubject.isEmpty());
    QCOMPARE(m_main->databible->objectName(), QStringLiteral("databible"));
    QCOMPARE(m_main->datasermon->objectName(), QStringLiteral("datasermon"));
}

void tst_Panels::lookupsByKey()
{
    select(m_main->lstBible, QStringLiteral("Genesis 1-16"));
    QCOMPARE(m_main->RichTextBox2->Text(), Genesis);
    QCOMPARE(m_main->strBibleSubject, QStringLiteral("Genesis 1-16"));
    QCOMPARE(m_main->databible->currentIndex(), QStringLiteral("books"));

    // A subject the table lacks: the first record in index order, no message.
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    select(m_main->lstBible, QStringLiteral("Amos"));
    QCOMPARE(m_main->RichTextBox2->Text(), QStringLiteral("timothy, first in the index"));
    QCOMPARE(m_main->strBibleSubject, QStringLiteral("Amos"));

    // The seven identical items all show the first record with their key.
    for (int i = 0; i < m_main->lstJoke->count(); ++i) {
        if (m_main->lstJoke->item(i)->text() != QLatin1String("TopicalTextBook"))
            continue;
        m_main->lstJoke->setCurrentRow(i);
        QCOMPARE(m_main->RichTextBox5->Text(), QStringLiteral("topical first"));
    }
    select(m_main->lstJoke, QStringLiteral("WordUsage E- G"));
    QCOMPARE(m_main->RichTextBox5->Text(), QStringLiteral("usage e to g"));
    // Missing in the dictionary: its first record is an RTF entry, shown formatted.
    select(m_main->lstJoke, QStringLiteral("BibleDict ZEMARAIM"));
    QCOMPARE(m_main->RichTextBox5->Text(), QStringLiteral("Alpha first letter"));
    QTextCursor c(m_main->RichTextBox5->document());
    c.setPosition(2);
    QVERIFY(c.charFormat().fontWeight() >= QFont::Bold);

    select(m_main->lstSermonType, QStringLiteral("Expository Sermon Sample "));
    QCOMPARE(m_main->RichTextBox4->Text(), QStringLiteral("with blank"));
    QCOMPARE(m_main->strSermonSubject, QStringLiteral("Expository Sermon Sample "));
    select(m_main->lstSermonType, QStringLiteral("Title, The"));
    QCOMPARE(m_main->RichTextBox4->Text(), QStringLiteral("title"));

    select(m_main->LstQuote, QStringLiteral("Animals"));
    QCOMPARE(m_main->RichTextBox3->Text(), QStringLiteral("animals"));
    QCOMPARE(m_main->strQuoteSubject, QStringLiteral("Animals"));
    select(m_main->LstQuote, QStringLiteral("Death"));
    QCOMPARE(m_main->RichTextBox3->Text(), QStringLiteral("animals"));

    QTest::qWait(30);
    QCOMPARE(driver.seen(), 0);
}

void tst_Panels::keyboardWalkRunsOneLookupPerItem()
{
    SubjectList *list = m_main->lstBible;
    QApplication::setActiveWindow(m_main.get());
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    select(list, QStringLiteral("Galatians"));
    // Walks through the large entries, most of them prepared ahead.
    for (int step = 0; step < 6; ++step) {
        QTest::keyClick(list, Qt::Key_Down);
        const QString key = list->currentItem()->text();
        QCOMPARE(m_main->strBibleSubject, key);
        QCOMPARE(m_main->RichTextBox2->Text(), m_bible.value(key, m_bible.value(QStringLiteral("1 Timothy"))));
        QVERIFY(list->hasFocus());
    }
    for (int step = 0; step < 6; ++step) {
        QTest::keyClick(list, Qt::Key_Up);
        const QString key = list->currentItem()->text();
        QCOMPARE(m_main->RichTextBox2->Text(), m_bible.value(key, m_bible.value(QStringLiteral("1 Timothy"))));
    }
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Galatians"));
}

void tst_Panels::viewsAreReadOnlyButSelectable()
{
    select(m_main->lstBible, QStringLiteral("Genesis 1-16"));
    RichTextBox *view = m_main->RichTextBox2;
    QApplication::setActiveWindow(m_main.get());
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QTest::keyClicks(view, QStringLiteral("typed"));
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(view->Text(), Genesis);
    for (RichTextBox *v : {m_main->RichTextBox2, m_main->RichTextBox3, m_main->RichTextBox4, m_main->RichTextBox5})
        QVERIFY(v->isReadOnly());
    QVERIFY(!m_main->RichTextBox1->isReadOnly());

    // The keyboard still moves and selects.
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(view->SelText(), Genesis.section(QLatin1Char('\n'), 0, 0));
    // And the selection can be copied for the document.
    QApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), Genesis.section(QLatin1Char('\n'), 0, 0));
}

void tst_Panels::findRules()
{
    select(m_main->lstBible, QStringLiteral("Genesis 1-16"));
    RichTextBox *view = m_main->RichTextBox2;
    QLineEdit *box = m_main->txtTextBox1;
    ModalDriver driver;

    // Leading blanks go for Find; case does not matter.
    box->setText(QStringLiteral("  GOD"));
    clickFind(m_main->rnbFind1, driver);
    const int first = int(Genesis.indexOf(QLatin1String("God")));
    QCOMPARE(view->SelStart(), first);
    QCOMPARE(view->SelText(), QStringLiteral("God"));
    QVERIFY(view->hasFocus());
    // Twice the same: confined to the occurrence already selected.
    clickFind(m_main->rnbFind1, driver);
    QCOMPARE(view->SelStart(), first);
    QCOMPARE(driver.seen(), 0);

    // Find Next keeps the blanks: one blank before the word must match too.
    box->setText(QStringLiteral(" GOD"));
    m_main->rnbFindNext1->click();
    QCOMPARE(view->SelStart(), int(Genesis.indexOf(QLatin1String(" God said"))));
    QCOMPARE(view->SelText(), QStringLiteral(" God"));
    m_main->rnbFindNext1->click();
    QCOMPARE(view->SelText(), QStringLiteral(" God")); // " Godhead"
    QCOMPARE(view->SelStart(), int(Genesis.indexOf(QLatin1String(" Godhead"))));

    // Inside longer words, any case.
    box->setText(QStringLiteral("god"));
    m_main->rnbFindNext1->click();
    QCOMPARE(view->SelStart(), int(Genesis.indexOf(QLatin1String("Godhead"))));
    m_main->rnbFindNext1->click();
    QCOMPARE(view->SelStart(), int(Genesis.indexOf(QLatin1String("godly"))));
    // The entry's last one: Find Next goes on to the next entry holding it, and says nothing.
    driver.answer(QMessageBox::Ok);
    m_main->rnbFindNext1->click();
    QCOMPARE(m_main->lstBible->currentItem()->text(), QStringLiteral("Genesis 17-30"));
    QCOMPARE(view->SelStart(), int(view->Text().indexOf(QLatin1String("God"))));
    QTest::qWait(30);
    driver.stop();
    QCOMPARE(driver.seen(), 0);
    select(m_main->lstBible, QStringLiteral("Genesis 1-16"));

    // Find inside a selection, then Find Next through overlapping matches.
    const int banana = int(Genesis.indexOf(QLatin1String("banana")));
    view->setSelection(banana, 6);
    box->setText(QStringLiteral("ana"));
    clickFind(m_main->rnbFind1, driver);
    QCOMPARE(view->SelStart(), banana + 1);
    m_main->rnbFindNext1->click();
    QCOMPARE(view->SelStart(), banana + 3);
    QCOMPARE(view->SelLength(), 3);

    // A selection without the word: not found there, though the text has it.
    view->setSelection(0, 10);
    box->setText(QStringLiteral("light"));
    clickFind(m_main->rnbFind1, driver);
    QCOMPARE(driver.seen(), 1);
    QCOMPARE(view->SelStart(), 0);
    QCOMPARE(view->SelLength(), 10);
    // Without a selection the whole text is searched.
    view->setSelection(3, 0);
    clickFind(m_main->rnbFind1, driver);
    QCOMPARE(view->SelStart(), int(Genesis.indexOf(QLatin1String("light"))));

    // Caret exactly at an occurrence: Find Next skips it.
    const int the = int(Genesis.indexOf(QLatin1String("the heaven")));
    view->setSelection(the, 0);
    box->setText(QStringLiteral("the"));
    m_main->rnbFindNext1->click();
    QCOMPARE(view->SelStart(), int(Genesis.indexOf(QLatin1String("the earth"))));

    // Caret at the very end: a start past the end finds nothing (nor does
    // any later entry).
    view->setSelection(int(Genesis.size()), 0);
    box->setText(QStringLiteral("banana"));
    driver.answer(QMessageBox::Ok);
    m_main->rnbFindNext1->click();
    QTest::qWait(30);
    driver.stop();
    QCOMPARE(driver.seen(), 0);
    QCOMPARE(view->SelStart(), int(Genesis.size()));
    QCOMPARE(view->SelLength(), 0);
}

void tst_Panels::findNotFoundMessage()
{
    select(m_main->lstBible, QStringLiteral("Genesis 1-16"));
    RichTextBox *view = m_main->RichTextBox2;
    for (const QString &text : {QStringLiteral("Nineveh"), QStringLiteral(" "), QString()}) {
        view->setSelection(5, 0);
        m_main->txtTextBox1->setText(text);
        ModalDriver driver;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString message;
        QString title;
        driver.arm([&](QDialog *d) {
            auto *box = qobject_cast<QMessageBox *>(d);
            QVERIFY(box);
            buttons = box->standardButtons();
            icon = box->icon();
            message = box->text();
            title = box->windowTitle();
            box->button(QMessageBox::Ok)->click();
        });
        m_main->rnbFind1->click();
        QTRY_COMPARE(driver.seen(), 1);
        QCOMPARE(message, QStringLiteral("End of Document\rText Not Found"));
        QCOMPARE(title, QStringLiteral("Vellumor"));
        QCOMPARE(icon, QMessageBox::Information);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(view->SelStart(), 5);
        QCOMPARE(view->SelLength(), 0);
        QCOMPARE(m_main->focusWidget(), view);
    }
}

void tst_Panels::findBoxesSearchTheirViews()
{
    select(m_main->lstJoke, QStringLiteral("BibleNames A-J"));
    m_main->txtTextBox2->setText(QStringLiteral("adam"));
    ModalDriver driver;
    clickFind(m_main->rnbFind2, driver);
    const QString names = m_main->RichTextBox5->Text();
    QCOMPARE(m_main->RichTextBox5->SelStart(), int(names.indexOf(QLatin1String("Adam"))));
    m_main->rnbFindNext2->click();
    QCOMPARE(m_main->RichTextBox5->SelStart(), int(names.indexOf(QLatin1String("adamant"))));
    QVERIFY(m_main->RichTextBox5->hasFocus());
    QCOMPARE(m_main->RichTextBox2->SelLength(), 0);

    m_main->RichTextBox1->SetText(QStringLiteral("one two one"));
    m_main->txtTextBox3->setText(QStringLiteral(" one"));
    clickFind(m_main->rnbFind3, driver);
    QCOMPARE(m_main->RichTextBox1->SelStart(), 0);
    m_main->rnbFindNext3->click();
    QCOMPARE(m_main->RichTextBox1->SelStart(), 7);
    QCOMPARE(m_main->RichTextBox1->SelText(), QStringLiteral(" one"));
    QCOMPARE(driver.seen(), 0);
}

void tst_Panels::formatMenuFind()
{
    QVERIFY(m_main->txtTextBox3->isHidden());
    QVERIFY(m_main->rnbFind3->isHidden());
    QVERIFY(m_main->rnbFindNext3->isHidden());
    m_main->RichTextBox1->SetText(QStringLiteral("ab cd ef"));
    m_main->RichTextBox1->setSelection(0, 0);
    QApplication::setActiveWindow(m_main.get());
    m_main->lstBible->setFocus();
    QTRY_VERIFY(m_main->lstBible->hasFocus());

    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    // The box still holds its first blank: the next blank after the caret.
    QCOMPARE(m_main->txtTextBox3->text(), QStringLiteral(" "));
    m_main->mnuFindText3->trigger();
    QVERIFY(!m_main->txtTextBox3->isHidden());
    QVERIFY(!m_main->rnbFind3->isHidden());
    QVERIFY(!m_main->rnbFindNext3->isHidden());
    QCOMPARE(m_main->RichTextBox1->SelStart(), 2);
    QCOMPARE(m_main->RichTextBox1->SelLength(), 1);
    QVERIFY(m_main->lstBible->hasFocus());
    m_main->mnuFindText3->trigger();
    QCOMPARE(m_main->RichTextBox1->SelStart(), 5);
    // Nothing further: the selection stays, no message.
    m_main->mnuFindText3->trigger();
    QCOMPARE(m_main->RichTextBox1->SelStart(), 5);
    QTest::qWait(30);
    driver.stop();
    QCOMPARE(driver.seen(), 0);
    QVERIFY(!m_main->txtTextBox3->isHidden());
}

void tst_Panels::databasesUnchangedAfterSession()
{
    QMap<QString, QByteArray> before;
    for (const auto &t : ReferenceSchema::All) {
        const QString p = m_dir.filePath(QString::fromLatin1(t.file.data(), qsizetype(t.file.size())));
        before.insert(p, digestOf(p));
    }
    for (SubjectList *list : {m_main->lstBible, m_main->lstJoke, m_main->LstQuote, m_main->lstSermonType})
        for (int i = 0; i < list->count(); i += 3)
            list->setCurrentRow(i);
    QTest::qWait(50);
    m_main.reset();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QCOMPARE(digestOf(it.key()), it.value());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).size(), 4);
}

void tst_Panels::brokenDatabases()
{
    m_main.reset();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        QFile garbage(dir.filePath("joke.db"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray("not a database at all ").repeated(100));
    }
    QVERIFY(ReferenceFixture::writeSql(dir.filePath("quote.db"), QString::fromStdString(ReferenceSchema::entryTableDdl(ReferenceSchema::Quote))));
    QVERIFY(ReferenceFixture::write(dir.filePath("sermon.db"), ReferenceSchema::Sermon, {{"Title, The", "title"}}));

    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    m_main = std::make_unique<frmMain>(dir.path());
    m_main->show();
    QTRY_COMPARE(driver.seen(), 1);
    const QString text = driver.texts.value(0);
    QCOMPARE(driver.titles.value(0), QStringLiteral("Vellumor"));
    QVERIFY2(text.contains(QDir::toNativeSeparators(dir.filePath("bible.db"))) && text.contains(QStringLiteral("missing")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("joke.db")) && text.contains(QStringLiteral("not a readable database")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("quote.db")) && text.contains(QStringLiteral("\"QuoteSubject\"")),
             qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("sermon.db")));

    QVERIFY(m_main->RichTextBox2->Text().isEmpty());
    QVERIFY(m_main->RichTextBox5->Text().isEmpty());
    QVERIFY(m_main->RichTextBox3->Text().isEmpty());
    QCOMPARE(m_main->RichTextBox4->Text(), QStringLiteral("title"));

    // Lookups in the broken panels do nothing and say nothing.
    driver.answer(QMessageBox::Ok);
    for (SubjectList *list : {m_main->lstBible, m_main->lstJoke, m_main->LstQuote})
        for (int i = 0; i < 5; ++i)
            list->setCurrentRow(i);
    QTest::qWait(50);
    driver.stop();
    QCOMPARE(driver.seen(), 0);
    QVERIFY(m_main->RichTextBox2->Text().isEmpty());
    QCOMPARE(m_main->strBibleSubject, m_main->lstBible->item(4)->text());
    select(m_main->lstSermonType, QStringLiteral("Basic Sermon Out Line"));
    QCOMPARE(m_main->RichTextBox4->Text(), QStringLiteral("title"));
    // Nothing was created in place of the missing file.
    QVERIFY(!QFile::exists(dir.filePath("bible.db")));
}

QTEST_MAIN(tst_Panels)
#include "tst_panels.moc"
