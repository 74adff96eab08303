#include "EditorWait.h"
#include "DialogScript.h"
#include "app/AppSetup.h"
#include "app/frmMain.h"
#include "editor/DocumentFile.h"
#include "editor/DocumentRecovery.h"
#include "editor/RichTextBox.h"
#include "editor/RtfWriter.h"
#include "editor/SermonDocument.h"

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

using namespace DialogScripts;
using namespace std::chrono_literals;

namespace {

bool putBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The RTF of a document holding text, with its first word bold.
QString boldFirstWord(const QString &text)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(text);
    cursor.setPosition(0);
    cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.mergeCharFormat(bold);
    cursor.select(QTextCursor::Document);
    return RtfWriter::write(cursor);
}

// Whether the editor's text from start for length is bold throughout.
bool isBold(RichTextBox *box, int start, int length)
{
    box->setSelection(start, length);
    const bool bold = box->SelBold() == RichTextBox::Tri::On;
    box->setSelection(0, 0);
    return bold;
}

// A document and its editor, without a window.
struct BareDocument {
    RichTextBox box{QStringLiteral("MS Sans Serif")};
    SermonDocument doc;
    BareDocument()
    {
        doc.setEditor(&box);
        QObject::connect(&box, &RichTextBox::Change, &doc, &SermonDocument::editorChanged);
    }
};

} // namespace

// Keeping unsaved work through a crash: the recovery file's timing, its
// removal, its format, the locks between running programs, the questions at
// the next start, and a real process killed in the middle of its work.
class TestRecovery : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keepsUnsavedWorkUntilItIsSafe_data();
    void keepsUnsavedWorkUntilItIsSafe();
    void writesWhileTheUserTypesOn();
    void readsOnlyWholeRecoveryFiles_data();
    void readsOnlyWholeRecoveryFiles();
    void runningProgramsKeepTheirFiles();
    void saysOnceWhenWorkCannotBeKept();
    void offersEachLeftFileNewestFirst();
    void keepsWhatTheEditorCannotHold();
    void setsAsideUnreadWhatTheEditorCannotHold();
    void commandLineFileWaitsForTheRecoveryOffer_data();
    void commandLineFileWaitsForTheRecoveryOffer();
    void recoversAfterTheProgramIsKilled();

private:
    QString folder() const { return DocumentRecovery::defaultFolder(); }
    QStringList recoveryFiles() const { return QDir(folder()).entryList({"*.recovery"}, QDir::Files); }
    std::unique_ptr<frmMain> makeMain(const std::function<void(frmMain &)> &beforeShow = {});

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_dataHome;
    QTemporaryDir m_data;
    std::unique_ptr<QTemporaryDir> m_files;
};

void TestRecovery::initTestCase()
{
    AppSetup::initResources();
    AppSetup::installFontSubstitutes();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    // The per-user data folder of this run, for this process and its children.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
    QCoreApplication::setOrganizationName(QStringLiteral("Vellumor"));
    QCoreApplication::setApplicationName(QStringLiteral("Vellumor"));
    QVERIFY(folder().startsWith(m_dataHome.path()));
}

void TestRecovery::init()
{
    QDir(folder()).removeRecursively();
    m_files = std::make_unique<QTemporaryDir>();
}

void TestRecovery::cleanup()
{
    m_files.reset();
}

std::unique_ptr<frmMain> TestRecovery::makeMain(const std::function<void(frmMain &)> &beforeShow)
{
    auto w = std::make_unique<frmMain>(m_data.path());
    if (beforeShow)
        beforeShow(*w);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        return nullptr;
    return w;
}

// ------------------------------------------------------------- one program

void TestRecovery::keepsUnsavedWorkUntilItIsSafe_data()
{
    QTest::addColumn<QString>("then");
    QTest::newRow("Save") << "save";
    QTest::newRow("New") << "new";
    QTest::newRow("Open") << "open";
    QTest::newRow("normal end") << "end";
}

void TestRecovery::keepsUnsavedWorkUntilItIsSafe()
{
    QFETCH(QString, then);
    BareDocument d;
    QString reason;
    QVERIFY2(d.doc.startRecovery(folder(), &reason), qPrintable(reason));
    DocumentRecovery *recovery = d.doc.recovery();
    recovery->setDelays(100ms, 1s);
    QSignalSpy written(recovery, &DocumentRecovery::written);

    // A clean document has none.
    QTest::qWait(300);
    QCOMPARE(recoveryFiles(), QStringList());

    d.doc.CurrentFile = m_files->filePath("psalm.txt");
    QTest::keyClicks(&d.box, "Selah");
    d.box.setSelection(1, 5);
    d.box.SetSelBold(true);
    QVERIFY(written.wait(5000));
    recovery->waitForWorker();
    QCOMPARE(recoveryFiles().size(), 1);
    QFile file(recovery->filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString problem;
    const std::optional<DocumentRecovery::Contents> kept = DocumentRecovery::decode(file.readAll(), &problem);
    QVERIFY2(kept, qPrintable(problem));
    QCOMPARE(kept->fileName, m_files->filePath("psalm.txt"));
    QVERIFY(kept->changed);
    RichTextBox back(QStringLiteral("MS Sans Serif"));
    back.LoadRtf(kept->rtf);
    QCOMPARE(back.Text(), QString(" Selah"));
    QVERIFY(!isBold(&back, 0, 1) && isBold(&back, 1, 5));

    if (then == "save") {
        QVERIFY(d.doc.save(m_files->filePath("psalm.txt"), SermonDocument::Format::PlainText, &reason));
    } else if (then == "new") {
        d.doc.clear();
    } else if (then == "open") {
        QVERIFY(putBytes(m_files->filePath("other.txt"), "other"));
        QVERIFY(EditorWait::open(d.doc, m_files->filePath("other.txt")).ok);
    } else {
        d.doc.endSession();
    }
    recovery->waitForWorker();
    QCOMPARE(recoveryFiles(), QStringList());
    // Nothing is written later for work that is safe.
    QTest::qWait(300);
    QCOMPARE(recoveryFiles(), QStringList());
}

void TestRecovery::writesWhileTheUserTypesOn()
{
    BareDocument d;
    QString reason;
    QVERIFY2(d.doc.startRecovery(folder(), &reason), qPrintable(reason));
    d.doc.recovery()->setDelays(400ms, 1s);
    QSignalSpy written(d.doc.recovery(), &DocumentRecovery::written);
    // A key every 100 ms never leaves the 400 ms pause; the work is still written.
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(&d.box, Qt::Key_A);
        QTest::qWait(100);
    }
    QVERIFY2(written.size() >= 2, qPrintable(QString::number(written.size())));
}

void TestRecovery::readsOnlyWholeRecoveryFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem"); // "" for a good file

    DocumentRecovery::Contents c;
    c.rtf = boldFirstWord(QString::fromUtf8("Grace “and” peace"));
    c.fileName = QString::fromUtf8("/home/pastor/Predigt für Sonntag.rtf");
    c.richText = true;
    c.time = QDateTime(QDate(2024, 3, 10), QTime(9, 30, 15, 250), Qt::UTC);
    const QByteArray good = DocumentRecovery::encode(c);
    QByteArray flipped = good;
    flipped[flipped.size() - 5] = 'X';
    QByteArray badTime = good;
    badTime.replace("2024-03-10", "2024-13-10");

    QTest::newRow("whole") << good << "";
    QTest::newRow("empty") << QByteArray() << "empty";
    QTest::newRow("another file") << QByteArray("{\\rtf1 hello}") << "not a recovery file";
    QTest::newRow("cut in the header") << good.left(40) << "incomplete";
    QTest::newRow("cut in the text") << good.chopped(10) << "incomplete";
    QTest::newRow("a changed byte") << flipped << "damaged";
    QTest::newRow("an impossible time") << badTime << "damaged";
}

void TestRecovery::readsOnlyWholeRecoveryFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    QString got;
    const std::optional<DocumentRecovery::Contents> c = DocumentRecovery::decode(bytes, &got);
    QCOMPARE(c.has_value(), problem.isEmpty());
    if (!c) {
        QVERIFY2(got.contains(problem), qPrintable(got));
        return;
    }
    QCOMPARE(c->fileName, QString::fromUtf8("/home/pastor/Predigt für Sonntag.rtf"));
    QCOMPARE(c->time, QDateTime(QDate(2024, 3, 10), QTime(9, 30, 15, 250), Qt::UTC));
    QVERIFY(c->richText && c->changed);
    QCOMPARE(c->rtf, boldFirstWord(QString::fromUtf8("Grace “and” peace")));
}

// ------------------------------------------------------ programs side by side

void TestRecovery::runningProgramsKeepTheirFiles()
{
    auto first = std::make_unique<BareDocument>();
    BareDocument second;
    QString reason;
    QVERIFY(first->doc.startRecovery(folder(), &reason));
    QVERIFY(second.doc.startRecovery(folder(), &reason));
    QTest::keyClicks(&first->box, "first");
    first->doc.recovery()->writeNow();
    first->doc.recovery()->waitForWorker();
    QTest::keyClicks(&second.box, "second");
    second.doc.recovery()->writeNow();
    second.doc.recovery()->waitForWorker();
    QCOMPARE(recoveryFiles().size(), 2);

    // However long the first has been running, its work is not the second's.
    const QString lock = first->doc.recovery()->filePath().replace(".recovery", ".lock");
    QFile lockFile(lock);
    QVERIFY(lockFile.open(QIODevice::ReadWrite));
    QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    lockFile.close();
    QVERIFY(second.doc.recovery()->takeOrphans().empty());
    QCOMPARE(recoveryFiles().size(), 2);

    // Once the first has ended without removing its file, the second finds it.
    const QString left = first->doc.recovery()->filePath();
    first.reset();
    std::vector<DocumentRecovery::Orphan> orphans = second.doc.recovery()->takeOrphans();
    QCOMPARE(orphans.size(), size_t(1));
    QCOMPARE(orphans[0].path, left);
    QVERIFY(orphans[0].contents);
    // While the second holds it, a third program does not see it.
    BareDocument third;
    QVERIFY(third.doc.startRecovery(folder(), &reason));
    QVERIFY(third.doc.recovery()->takeOrphans().empty());
}

void TestRecovery::saysOnceWhenWorkCannotBeKept()
{
    DialogScript script;
    std::unique_ptr<frmMain> w;
    // The warning about the missing reference databases, then ours, once.
    script.then(press(QMessageBox::Ok)).then(press(QMessageBox::Ok)).run([&] {
        w = makeMain([](frmMain &m) { m.enableRecovery(); });
        QVERIFY(w);
        DocumentRecovery *recovery = w->Document->recovery();
        recovery->setDelays(50ms, 200ms);
        // Its place is taken by a folder, so no copy can be written there.
        QVERIFY(QDir().mkpath(recovery->filePath()));
        for (int i = 0; i < 3; ++i) {
            QTest::keyClicks(w->RichTextBox1, "x");
            QTest::qWait(400);
        }
    });
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(script.seen.size(), size_t(2));
    QVERIFY2(script.seen[1].text.startsWith("Unsaved changes could not be kept for recovery after a crash.")
                 && script.seen[1].text.contains("folder"),
             qPrintable(script.seen[1].text));
    QDir(w->Document->recovery()->filePath()).removeRecursively();
    w->TextChanged = false;
}

// ------------------------------------------------------------- next start

void TestRecovery::offersEachLeftFileNewestFirst()
{
    QVERIFY(QDir().mkpath(folder()));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    auto leave = [&](const char *name, const QString &text, const QString &fileName, int hoursAgo) {
        DocumentRecovery::Contents c;
        c.rtf = boldFirstWord(text);
        c.fileName = fileName;
        c.richText = fileName.endsWith(".rtf");
        c.time = now.addSecs(-3600 * hoursAgo);
        return putBytes(QDir(folder()).filePath(QString::fromLatin1(name) + ".recovery"), DocumentRecovery::encode(c));
    };
    const QString lesson = m_files->filePath("lesson.rtf");
    const QString notes = m_files->filePath("notes.txt");
    QVERIFY(leave("a", "Lesson on grace", lesson, 1));
    QVERIFY(leave("b", "Untitled thoughts", QString(), 2));
    QVERIFY(leave("c", "Notes kept", notes, 3));
    // A damaged file is the newest: written just now, and its content lost.
    QVERIFY(putBytes(QDir(folder()).filePath("d.recovery"), "Vellumor recovery 1\ntime: 20"));
    const QString damaged = QDir(folder()).filePath("d.recovery");
    auto when = [&](int hoursAgo) { return QLocale().toString(now.addSecs(-3600 * hoursAgo).toLocalTime(), QLocale::ShortFormat); };

    DialogScript script;
    std::unique_ptr<frmMain> w;
    script.then(press(QMessageBox::Ok))
        .then(press(QMessageBox::Ok))
        .then(press(QMessageBox::Yes))
        .then(press(QMessageBox::No))
        .then(press(QMessageBox::Yes))
        .then(press(QMessageBox::Cancel))
        .run([&] {
            w = makeMain([](frmMain &m) { m.enableRecovery(); });
            QVERIFY(w);
            (void)QTest::qWaitFor([&] { return script.seen.size() >= 6; }, 10000);
        });
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(script.seen.size(), size_t(6));
    // The reference databases are missing here: that warning comes first,
    // the questions once it is answered.
    const Seen &set = script.seen[1];
    QVERIFY2(set.text.startsWith("A recovery file could not be read, so it was set aside as \"" + damaged)
                 && set.text.contains("incomplete"),
             qPrintable(set.text));
    QCOMPARE(set.icon, QMessageBox::Warning);
    QCOMPARE(script.seen[2].text,
             QString("Vellumor was not closed properly. Recover the unsaved document \"lesson.rtf\" from %1?").arg(when(1)));
    QCOMPARE(script.seen[2].title, QString("Vellumor"));
    QCOMPARE(script.seen[2].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(script.seen[3].text,
             QString("Vellumor was not closed properly. Recover the unsaved document Untitled from %1?").arg(when(2)));
    QCOMPARE(script.seen[4].text,
             QString("Vellumor was not closed properly. Recover the unsaved document \"notes.txt\" from %1?").arg(when(3)));
    // The recovered lesson is unsaved work: replacing it asks first.
    QCOMPARE(script.seen[5].text, QString("Save changes to text?"));

    RichTextBox *box = w->RichTextBox1;
    QCOMPARE(box->Text(), QString("Lesson on grace"));
    QVERIFY(isBold(box, 0, 6) && !isBold(box, 7, 8));
    QCOMPARE(w->CurrentFile, lesson);
    QVERIFY(w->TextChanged);
    QCOMPARE(w->windowTitle(), "Text Editor - " + lesson);
    QVERIFY(!box->document()->isUndoAvailable());

    w->Document->recovery()->waitForWorker();
    QVERIFY(QFile::exists(damaged + ".damaged"));
    // Declined: gone. Recovered: replaced by this program's own file.
    // Cancelled: kept for the next start.
    QStringList left = recoveryFiles();
    QVERIFY(left.removeOne(QFileInfo(w->Document->recovery()->filePath()).fileName()));
    QCOMPARE(left, QStringList{"c.recovery"});

    // The recovered document asks before New, as any changed document does.
    DialogScript fresh;
    fresh.then(press(QMessageBox::Cancel)).run([&] { w->mnuFileNew_Click(); });
    QCOMPARE(fresh.seen.size(), size_t(1));
    w->TextChanged = false;
}

// A program with recovery on, run as a child process: it opens the file,
// types, reports the recovery write and how long after the last key it came,
// then waits to be killed.
static int recoveryChild(const QString &dataDir, const QString &file)
{
    frmMain w(dataDir);
    w.enableRecovery();
    w.show();
    // The reference databases are missing here: their warning is answered.
    ModalDriver warning;
    warning.answer(QMessageBox::Ok);
    if (!w.openDocumentFile(file))
        return 2;
    QElapsedTimer sinceLastKey;
    QObject::connect(w.Document->recovery(), &DocumentRecovery::written, [&] {
        QTextStream(stdout) << "written " << sinceLastKey.elapsed() << Qt::endl;
    });
    QTest::keyClicks(w.RichTextBox1, "Amen ");
    w.RichTextBox1->setSelection(0, 4);
    w.RichTextBox1->SetSelBold(true);
    sinceLastKey.start();
    return QApplication::exec();
}

void TestRecovery::keepsWhatTheEditorCannotHold()
{
    // Refused by the editor (far taller than it holds): the recovery file
    // is all that is left of that work, so it stays as it was.
    QVERIFY(QDir().mkpath(folder()));
    DocumentRecovery::Contents c;
    c.rtf = QStringLiteral("{\\rtf1\\fs3276 ") + QStringLiteral("x\\par ").repeated(10000) + QLatin1Char('}');
    c.time = QDateTime::currentDateTimeUtc();
    const QString file = QDir(folder()).filePath("tall.recovery");
    const QByteArray bytes = DocumentRecovery::encode(c);
    QVERIFY(putBytes(file, bytes));

    DialogScript script;
    std::unique_ptr<frmMain> w;
    script.then(press(QMessageBox::Ok)).then(press(QMessageBox::Yes)).then(press(QMessageBox::Ok)).run([&] {
        w = makeMain([](frmMain &m) { m.enableRecovery(); });
        QVERIFY(w);
        (void)QTest::qWaitFor([&] { return script.seen.size() >= 3; }, 10000);
    });
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(script.seen.size(), size_t(3));
    QVERIFY2(script.seen[2].text.startsWith("The unsaved document could not be recovered; its recovery file \"" + file)
                 && script.seen[2].text.contains("more than the editor can hold"),
             qPrintable(script.seen[2].text));
    QVERIFY(!w->TextChanged);
    QVERIFY(w->CurrentFile.isEmpty());
    QFile kept(file);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), bytes);
}

void TestRecovery::setsAsideUnreadWhatTheEditorCannotHold()
{
    // 500 MB, sparse: read whole, it would take as much memory and seconds.
    QVERIFY(QDir().mkpath(folder()));
    QFile big(QDir(folder()).filePath("big.recovery"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(500) * 1024 * 1024));
    DocumentRecovery recovery;
    QVERIFY(recovery.start(folder(), nullptr));
    std::vector<DocumentRecovery::Orphan> orphans = recovery.takeOrphans();
    QCOMPARE(orphans.size(), size_t(1));
    QVERIFY(!orphans[0].contents);
    QCOMPARE(orphans[0].problem,
             QString("It is larger than %1 MB.").arg(DocumentRecovery::MaxFileBytes / (1024 * 1024)));
}

void TestRecovery::commandLineFileWaitsForTheRecoveryOffer_data()
{
    QTest::addColumn<int>("answer"); // to the recovery offer; 0 when there is none
    QTest::newRow("recovered: the file is not opened") << int(QMessageBox::Yes);
    QTest::newRow("declined: the file opens") << int(QMessageBox::No);
    QTest::newRow("nothing to recover: the file opens") << 0;
}

void TestRecovery::commandLineFileWaitsForTheRecoveryOffer()
{
    QFETCH(int, answer);
    QVERIFY(QDir().mkpath(folder()));
    if (answer) {
        DocumentRecovery::Contents c;
        c.rtf = boldFirstWord("Lost sermon");
        c.time = QDateTime::currentDateTimeUtc();
        QVERIFY(putBytes(QDir(folder()).filePath("a.recovery"), DocumentRecovery::encode(c)));
    }
    const QString file = m_files->filePath("named.txt");
    QVERIFY(putBytes(file, "From the command line\r\n"));

    // The missing reference databases are said first.
    DialogScript script;
    script.then(press(QMessageBox::Ok));
    if (answer)
        script.then(press(QMessageBox::StandardButton(answer)));
    if (answer == QMessageBox::Yes)
        script.then(press(QMessageBox::Ok));
    std::unique_ptr<frmMain> w;
    script.run([&] {
        w = makeMain([&](frmMain &m) {
            m.enableRecovery();
            m.openFromCommandLine(file);
        });
        QVERIFY(w);
        QTRY_COMPARE(script.seen.size(), size_t(answer == QMessageBox::Yes ? 3 : answer ? 2 : 1));
    });
    QCOMPARE(script.unexpected(), 0);
    if (answer == QMessageBox::Yes)
        QCOMPARE(script.seen[2].text, QString("The unsaved document was recovered, so \"%1\" was not opened. Save the "
                                              "recovered document, then open the file with File, Open.")
                                          .arg(file));
    QTRY_COMPARE(w->CurrentFile, answer == QMessageBox::Yes ? QString() : file);
    QCOMPARE(w->RichTextBox1->Text(), answer == QMessageBox::Yes ? QString("Lost sermon") : QString("From the command line\n"));
    w->TextChanged = false;
}

void TestRecovery::recoversAfterTheProgramIsKilled()
{
    const QString file = m_files->filePath("sermon.txt");
    QVERIFY(putBytes(file, "Let us pray\r\n"));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--recovery-child", m_data.path(), file});
    QVERIFY(child.waitForStarted(30000));
    QVERIFY2(QTest::qWaitFor([&] { return child.canReadLine() || child.state() != QProcess::Running; }, 30000),
             "the child never wrote its recovery file");
    const QString line = QString::fromLatin1(child.readLine()).trimmed();
    QVERIFY2(line.startsWith("written "), qPrintable(line));
    child.kill(); // SIGKILL: no handler runs
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(recoveryFiles().size(), 1);

    DialogScript script;
    std::unique_ptr<frmMain> w;
    script.then(press(QMessageBox::Ok)).then(press(QMessageBox::Yes)).run([&] {
        w = makeMain([](frmMain &m) { m.enableRecovery(); });
        QVERIFY(w);
        (void)QTest::qWaitFor([&] { return script.seen.size() >= 2; }, 10000);
    });
    QCOMPARE(script.unexpected(), 0);
    QVERIFY2(script.seen[1].text.startsWith("Vellumor was not closed properly. Recover the unsaved document \"sermon.txt\" from "),
             qPrintable(script.seen[1].text));
    QCOMPARE(w->RichTextBox1->Text(), QString("Amen Let us pray\n"));
    QVERIFY(isBold(w->RichTextBox1, 0, 4) && !isBold(w->RichTextBox1, 5, 3));
    QCOMPARE(w->CurrentFile, file);
    QVERIFY(w->TextChanged);
    QCOMPARE(w->windowTitle(), "Text Editor - " + file);
    // The killed program's file gives way to this program's own.
    w->Document->recovery()->waitForWorker();
    QCOMPARE(recoveryFiles(), QStringList{QFileInfo(w->Document->recovery()->filePath()).fileName()});
    QCOMPARE(QDir(folder()).entryList({"*.lock"}, QDir::Files).size(), 1);
    w->TextChanged = false;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--recovery-child") == 0) {
        AppSetup::prepare(app);
        return recoveryChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    TestRecovery test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
