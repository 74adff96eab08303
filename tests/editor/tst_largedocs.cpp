#include "EditorWait.h"
#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/frmMain.h"
#include "editor/LayoutBudget.h"
#include "editor/PrintJob.h"
#include "editor/RichTextBox.h"

#include <QClipboard>
#include <QLineEdit>
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTextBlock>
#include <QtTest>

// Content long enough to be built or written in slices, and content taller
// than the editor can lay out.
class TestLargeDocs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void loadsRefuseWhatTheEditorCannotHold_data();
    void loadsRefuseWhatTheEditorCannotHold();
    void longLoadsKeepTheirGuarantees_data();
    void longLoadsKeepTheirGuarantees();
    void longWritesAreOneUndoStepAndOneChange_data();
    void longWritesAreOneUndoStepAndOneChange();
    void writesTheEditorCannotHoldAreRefused_data();
    void writesTheEditorCannotHoldAreRefused();
    void editsAfterLongWorkLeaveTheEndReachable_data();
    void editsAfterLongWorkLeaveTheEndReachable();
    void fontSizeIsCapped();
    void shownEditorKeepsBoundedPages();
    void printingEverythingUsesPaperPages();
    void wordsLongerThanALineWrapAnywhere_data();
    void wordsLongerThanALineWrapAnywhere();
    void windowReportsRefusedFontAndPaste();
    void closingWhileWorkIsUnderWay_data();
    void closingWhileWorkIsUnderWay();

private:
    QTemporaryDir m_settingsDir;
};

namespace {

// Taller than the editor holds: paragraph marks at the largest size.
QString tallRtf()
{
    return QStringLiteral("{\\rtf1\\fs3276 ") + QStringLiteral("x\\par ").repeated(10000) + QLatin1Char('}');
}

// The size of the character at position.
qreal pointsAt(const RichTextBox &box, int position)
{
    QTextCursor c(box.document());
    c.setPosition(position + 1);
    return c.charFormat().fontPointSize();
}

QString longText()
{
    // Over a million characters: built on a worker, written in slices.
    return QStringLiteral("In the beginning God created the heaven and the earth.\n").repeated(20000);
}

QString longRtf()
{
    return QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 ")
        + QStringLiteral("plain {\\b bold} \\qc centred\\par\\pard ").repeated(8000) + QLatin1Char('}');
}

} // namespace

void TestLargeDocs::initTestCase()
{
    AppSetup::initResources();
    AppSetup::installFontSubstitutes();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestLargeDocs::loadsRefuseWhatTheEditorCannotHold_data()
{
    QTest::addColumn<bool>("rtf");
    QTest::addColumn<QString>("content");
    // Two million empty lines: a few MB, far taller than the layout holds.
    QTest::newRow("text") << false << QString(2'000'000, QLatin1Char('\n'));
    QTest::newRow("rtf") << true << tallRtf();
}

void TestLargeDocs::loadsRefuseWhatTheEditorCannotHold()
{
    QFETCH(bool, rtf);
    QFETCH(QString, content);
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.LoadText(QStringLiteral("kept"));
    QSignalSpy changes(&box, &RichTextBox::Change);
    const EditorWait::Loaded loaded = EditorWait::load(box, content, rtf);
    QVERIFY(!loaded.ok);
    QVERIFY2(loaded.reason.contains(QLatin1String("more than the editor can hold")), qPrintable(loaded.reason));
    QCOMPARE(box.Text(), QStringLiteral("kept"));
    QCOMPARE(changes.count(), 0);
}

void TestLargeDocs::longLoadsKeepTheirGuarantees_data()
{
    QTest::addColumn<bool>("rtf");
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("characters");
    QTest::newRow("text") << false << longText() << int(longText().size());
    QTest::newRow("rtf") << true << longRtf() << 8000 * 19;
}

void TestLargeDocs::longLoadsKeepTheirGuarantees()
{
    QFETCH(bool, rtf);
    QFETCH(QString, content);
    QFETCH(int, characters);
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.resize(345, 497);
    box.show();
    box.setSelection(0, 1);
    box.SetSelBold(true);
    box.setAlignment(Qt::AlignRight);
    QSignalSpy changes(&box, &RichTextBox::Change);
    QVERIFY(EditorWait::load(box, content, rtf).ok);
    QCOMPARE(changes.count(), 1);
    // Complete once done, in a fresh history and the default format.
    QCOMPARE(box.Text().size(), characters);
    QVERIFY(!box.document()->isUndoAvailable());
    const QTextBlock first = box.document()->firstBlock();
    QCOMPARE(first.charFormat().fontPointSize(), 8.5);
    QCOMPARE(first.begin().fragment().charFormat().fontWeight(), QFont::Normal);
    if (!rtf)
        QVERIFY(!(first.blockFormat().alignment() & Qt::AlignRight));
}

void TestLargeDocs::longWritesAreOneUndoStepAndOneChange_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("paste text") << "paste text";
    QTest::newRow("paste rtf") << "paste rtf";
    QTest::newRow("selected text") << "selected text";
    QTest::newRow("whole text") << "whole text";
    QTest::newRow("bold") << "bold";
    QTest::newRow("font group") << "font group";
    QTest::newRow("alignment") << "alignment";
    QTest::newRow("upper case") << "upper case";
}

void TestLargeDocs::longWritesAreOneUndoStepAndOneChange()
{
    QFETCH(QString, kind);
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.resize(345, 497);
    box.show();
    const QString text = longText().left(300'000);
    box.SetText(QStringLiteral("Amen"));
    if (kind == "bold" || kind == "font group" || kind == "alignment" || kind == "upper case")
        box.SetText(text);
    QVERIFY(EditorWait::idle(box));
    const QString before = box.Text();
    box.setSelection(0, kind.startsWith("paste") ? 0 : int(before.size()));
    QSignalSpy changes(&box, &RichTextBox::Change);

    QString expected = before;
    if (kind == "paste text") {
        box.SetSelRTF(text);
        expected = text + before;
    } else if (kind == "paste rtf") {
        box.SetSelRTF(longRtf());
        expected = QStringLiteral("plain bold centred\n").repeated(8000) + before;
    } else if (kind == "selected text") {
        box.SetSelText(text);
        expected = text;
    } else if (kind == "whole text") {
        box.SetText(text);
        expected = text;
    } else if (kind == "bold") {
        box.SetSelBold(true);
    } else if (kind == "font group") {
        const RichTextBox::FormatGroup group(box);
        box.SetSelFontSize(10);
        box.SetSelItalic(true);
    } else if (kind == "upper case") {
        box.mapSelectionText([](const QString &t) { return t.toUpper(); });
        expected = text.toUpper();
    } else {
        box.SetSelAlignment(2);
    }
    // The document stays as it is, read only, until the job is done.
    QVERIFY(box.isBusy());
    QVERIFY(box.isReadOnly());
    QVERIFY(EditorWait::idle(box));
    QVERIFY(!box.isReadOnly());
    if (kind == "bold")
        QCOMPARE(box.SelBold(), RichTextBox::Tri::On);
    if (kind == "alignment")
        QVERIFY(box.document()->lastBlock().blockFormat().alignment() & Qt::AlignHCenter);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(box.Text(), expected);
    if (kind == "font group") {
        QCOMPARE(pointsAt(box, int(before.size()) - 2), 10.0);
        QCOMPARE(box.SelItalic(), RichTextBox::Tri::On);
    }
    box.undo();
    QCOMPARE(box.Text(), before);
    box.setSelection(0, int(before.size()));
    QCOMPARE(box.SelBold(), RichTextBox::Tri::Off);
    QCOMPARE(box.SelItalic(), RichTextBox::Tri::Off);
    for (const QTextBlock &block : {box.document()->firstBlock(), box.document()->lastBlock()})
        QVERIFY(!(block.blockFormat().alignment() & Qt::AlignHCenter));
}

void TestLargeDocs::writesTheEditorCannotHoldAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("paste rtf") << "paste rtf";
    QTest::newRow("paste text") << "paste text";
    QTest::newRow("font size") << "font size";
}

void TestLargeDocs::writesTheEditorCannotHoldAreRefused()
{
    QFETCH(QString, kind);
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    // As in the report: 20,000 characters given the largest size.
    const QString text = QStringLiteral("abcdefghij").repeated(2000);
    box.SetText(text);
    box.setSelection(0, kind == "font size" ? int(text.size()) : 0);
    QSignalSpy refused(&box, &RichTextBox::Refused);
    QSignalSpy changes(&box, &RichTextBox::Change);
    if (kind == "paste rtf")
        box.SetSelRTF(tallRtf());
    else if (kind == "paste text")
        box.SetSelRTF(QString(2'000'000, QLatin1Char('\n')));
    else
        box.SetSelFontSize(RichTextBox::MaxFontSize);
    QVERIFY(EditorWait::idle(box));
    QCOMPARE(refused.count(), 1);
    QVERIFY(refused.first().first().toString().contains(QLatin1String("more than the editor can hold")));
    QCOMPARE(changes.count(), 0);
    QCOMPARE(box.Text(), text);
    QCOMPARE(pointsAt(box, 0), 8.5);
}

void TestLargeDocs::editsAfterLongWorkLeaveTheEndReachable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("characters");
    QTest::newRow("load, built aside") << "load" << int(longText().size());
    QTest::newRow("load, built at once") << "load" << 600'000;
    QTest::newRow("paste out of view") << "paste" << int(longText().size());
}

void TestLargeDocs::editsAfterLongWorkLeaveTheEndReachable()
{
    // Qt lays a document out lazily; an edit meanwhile ends that layout
    // where it stands, and the rest of the document could never be shown.
    QFETCH(QString, kind);
    QFETCH(int, characters);
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.resize(345, 497);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QString text = longText().left(characters);
    if (kind == "load") {
        QVERIFY(EditorWait::load(box, text).ok);
        QVERIFY(EditorWait::idle(box)); // read only until laid out
    } else {
        box.SetText(QStringLiteral("Amen"));
        box.setSelection(0, 0);
        box.SetSelRTF(text);
        QVERIFY(EditorWait::idle(box));
    }
    QTextCursor(box.document()).insertText(QStringLiteral("x")); // the user types at once
    QTextCursor end(box.document());
    end.movePosition(QTextCursor::End);
    box.setTextCursor(end);
    box.ensureCursorVisible();
    QVERIFY(box.document()->lastBlock().layout()->lineCount() > 0);
    QVERIFY(box.verticalScrollBar()->maximum() > 100'000);
}

void TestLargeDocs::fontSizeIsCapped()
{
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.SetText(QStringLiteral("Selah"));
    box.setSelection(0, 5);
    box.SetSelFontSize(99999999.0f);
    QCOMPARE(pointsAt(box, 0), qreal(RichTextBox::MaxFontSize));
}

void TestLargeDocs::shownEditorKeepsBoundedPages()
{
    // With pages of unbounded height Qt's layout never finishes a document
    // taller than about 8.4 million pixels.
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.resize(345, 497);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.document()->pageSize().height(), RichTextBox::LayoutPageHeight);
    // The vertical scroll bar appears, the width changes, the view sets its
    // own pages again; and a loaded document has pages of its own.
    box.SetText(QStringLiteral("line\n").repeated(200));
    QCOMPARE(box.document()->pageSize().height(), RichTextBox::LayoutPageHeight);
    box.LoadText(QStringLiteral("line\n").repeated(300));
    QTRY_COMPARE(box.document()->documentLayout()->documentSize().height() > 0, true);
    QCOMPARE(box.document()->pageSize().height(), RichTextBox::LayoutPageHeight);
    box.resize(300, 400);
    QTRY_COMPARE(box.document()->pageSize().width() < 300, true);
    QCOMPARE(box.document()->pageSize().height(), RichTextBox::LayoutPageHeight);
}

void TestLargeDocs::printingEverythingUsesPaperPages()
{
    // The screen's bounded pages are not paper pages.
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    box.resize(345, 497);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.SetText(QStringLiteral("Blessed are the meek\n").repeated(400));
    box.setSelection(0, 0);
    QCOMPARE(box.document()->pageSize().height(), RichTextBox::LayoutPageHeight);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("all.pdf"));
    (new PrintJob(&box, {QString(), path, QStringLiteral("all")}))->start();
    QVERIFY(EditorWait::idle(box));
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY2(pdf.readAll().count("/Type /Page\n") + 0 > 3, "400 lines fill several paper pages");
}

void TestLargeDocs::wordsLongerThanALineWrapAnywhere_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("anywhere");
    const QString word(LayoutBudget::LongestWord + 1, QLatin1Char('w'));
    const QString half(LayoutBudget::LongestWord / 2 + 1, QLatin1Char('h'));
    QTest::newRow("pasted word") << "paste" << word << true;
    QTest::newRow("pasted in rtf") << "paste" << QStringLiteral("{\\rtf1 a {\\b %1} b}").arg(word) << true;
    QTest::newRow("lengthens the word it lands in") << "paste" << half << true;
    QTest::newRow("loaded") << "load" << QStringLiteral("a\n") + word << true;
    QTest::newRow("words of a line") << "paste" << QStringLiteral("word ").repeated(1000) << false;
}

void TestLargeDocs::wordsLongerThanALineWrapAnywhere()
{
    // Qt lays a word of 400,000 letters out in quadratic time unless lines
    // may break anywhere.
    QFETCH(QString, how);
    QFETCH(QString, content);
    QFETCH(bool, anywhere);
    RichTextBox box(QStringLiteral("MS Sans Serif"));
    const QTextOption::WrapMode usual = box.wordWrapMode();
    const QString half(LayoutBudget::LongestWord / 2 + 1, QLatin1Char('h'));
    box.SetText(half);
    box.setSelection(int(half.size()), 0);
    if (how == "paste")
        box.SetSelRTF(content);
    else
        box.LoadText(content);
    QVERIFY(EditorWait::idle(box));
    QCOMPARE(box.wordWrapMode(), anywhere ? QTextOption::WrapAnywhere : usual);
    // A document without such words wraps as usual again.
    box.LoadText(QStringLiteral("short words"));
    QCOMPARE(box.wordWrapMode(), usual);
}

void TestLargeDocs::windowReportsRefusedFontAndPaste()
{
    QTemporaryDir data;
    ModalDriver warning;
    warning.answer(QMessageBox::Ok);
    frmMain w(data.path()); // no databases: it warns once
    (void)QTest::qWaitFor([&] { return warning.seen() > 0; }, 3000);
    warning.stop();
    RichTextBox *doc = w.RichTextBox1;
    const QString text = QStringLiteral("abcdefghij").repeated(2000);
    doc->SetText(text);
    doc->setSelection(0, int(text.size()));

    // The Font command at the largest size over 20,000 characters.
    ModalDriver font;
    ModalDriver refusal;
    font.arm([&](QDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("txtFontSize"))->setText(QStringLiteral("1638"));
        refusal.answer(QMessageBox::Ok);
        d->accept();
    });
    w.mnuFont_Click();
    QCOMPARE(refusal.seen(), 1);
    QCOMPARE(refusal.icons.value(0), QMessageBox::Warning);
    QCOMPARE(refusal.titles.value(0), QStringLiteral("Vellumor"));
    QVERIFY(refusal.texts.value(0).contains(QLatin1String("more than the editor can hold")));
    QCOMPARE(doc->Text(), text);
    QCOMPARE(pointsAt(*doc, 0), 8.5);

    // Paste of RTF that would be as tall.
    QGuiApplication::clipboard()->setText(tallRtf());
    doc->setSelection(0, 0);
    ModalDriver pasteRefusal;
    pasteRefusal.answer(QMessageBox::Ok);
    w.mnuEditPaste_Click();
    QCOMPARE(pasteRefusal.seen(), 1);
    QCOMPARE(doc->Text(), text);
}

void TestLargeDocs::closingWhileWorkIsUnderWay_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"open", "paste", "bold", "print", "recovery"})
        QTest::newRow(kind) << kind;
}

void TestLargeDocs::closingWhileWorkIsUnderWay()
{
    // The window closes, and the program ends, while a worker or a job is
    // busy: nothing may touch what is gone, and nothing may hang.
    QFETCH(QString, kind);
    QTemporaryDir data;
    ModalDriver warning;
    warning.answer(QMessageBox::Ok);
    auto w = std::make_unique<frmMain>(data.path()); // no databases: it warns once
    (void)QTest::qWaitFor([&] { return warning.seen() > 0; }, 3000);
    warning.stop();
    w->enableRecovery(data.filePath(QStringLiteral("recovery")));
    w->show();
    RichTextBox *doc = w->RichTextBox1;
    const QString text = longText();
    if (kind == "open") {
        const QString file = data.filePath(QStringLiteral("long.txt"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text.repeated(4).toUtf8()) > 0);
        f.close();
        w->openDocumentFile(file);
    } else {
        QVERIFY(EditorWait::load(*doc, text).ok);
        QVERIFY(EditorWait::idle(*doc));
        doc->setSelection(0, kind == "bold" ? int(text.size()) : 0);
        if (kind == "paste")
            doc->SetSelRTF(longRtf().repeated(5).replace(QStringLiteral("}{\\rtf1"), QString()));
        else if (kind == "bold")
            doc->SetSelBold(true);
        else if (kind == "print")
            (new PrintJob(doc, {QString(), data.filePath(QStringLiteral("out.pdf")), QStringLiteral("out")}))->start();
        else
            w->Document->recovery()->writeNow(); // a megabyte for the worker to write
    }
    QVERIFY(kind == "recovery" || doc->isBusy());
    ModalDriver question; // the unsaved changes, if any
    question.answer(QMessageBox::No);
    w->close();
    // Work that can be cancelled is; other work ends first, then the window closes.
    QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 60'000);
    w.reset();
    QThreadPool::globalInstance()->waitForDone();
    QVERIFY(!QFile::exists(data.filePath(QStringLiteral("out.pdf")))); // a cancelled PDF leaves nothing
}

QTEST_MAIN(TestLargeDocs)
#include "tst_largedocs.moc"
