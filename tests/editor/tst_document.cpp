#include "DialogScript.h"
#include "EditorWait.h"
#include "app/AppSetup.h"
#include "app/CommonDialog.h"
#include "app/frmMain.h"
#include "editor/DocumentFile.h"
#include "editor/PrintJob.h"
#include "editor/RichTextBox.h"
#include "editor/RtfWriter.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QPushButton>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <deque>
#include <memory>
#include <vector>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool putBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// While alive, the system refuses to let any file of this process grow past
// the limit, the way a full disk refuses bytes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldSignal)(int) = SIG_DFL;
    bool m_active = false;
};

// The file checks that need an unprivileged user, one line per case:
// "<case>|<ok or failed>|<reason>|<bytes of the target afterwards>".
QStringList unprivilegedFileChecks(const QString &dir)
{
    QStringList out;
    auto row = [&](const char *name, bool ok, const QString &reason, const QString &target) {
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(QLatin1String(name), ok ? QStringLiteral("ok") : QStringLiteral("failed"), reason,
                        QString::fromUtf8(target.isEmpty() ? QByteArray() : bytesOf(target)));
    };
    QString reason;
    const std::optional<QString> text = DocumentFile::read(dir + "/secret.txt", &reason);
    row("readUnreadable", text.has_value(), reason, QString());
    reason.clear();
    bool ok = DocumentFile::write(dir + "/locked/new.txt", QStringLiteral("new"), &reason);
    row("writeNewInLockedFolder", ok, reason, QString());
    reason.clear();
    ok = DocumentFile::write(dir + "/locked/existing.txt", QStringLiteral("new"), &reason);
    row("replaceInLockedFolder", ok, reason, dir + "/locked/existing.txt");
    reason.clear();
    ok = DocumentFile::write(dir + "/open/readonly.txt", QStringLiteral("new"), &reason);
    row("replaceReadOnlyFile", ok, reason, dir + "/open/readonly.txt");
    out << QStringLiteral("entries|%1").arg(QDir(dir + "/locked").entryList(QDir::Files).join(u','));
    return out;
}


// A step that picks a file type, then types the name and accepts.
DialogScripts::DialogScript::Step chooseAs(int filterIndex, const QString &path)
{
    return [filterIndex, path](QDialog *d, DialogScripts::Seen &s) {
        // Through the type list's keys, as a user picks a type.
        if (auto *types = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
            types->setFocus();
            QTest::keyClick(types, Qt::Key_Home);
            for (int i = 1; i < filterIndex; ++i)
                QTest::keyClick(types, Qt::Key_Down);
        }
        DialogScripts::choose(path)(d, s);
    };
}

// The document's content with its formatting, comparable as text.
QString wholeRtf(RichTextBox *box)
{
    QTextCursor all(box->document());
    all.select(QTextCursor::Document);
    return RtfWriter::write(all);
}

// A centred bold title and a line whose words carry every format the
// document keeps.
void formatSample(RichTextBox *box)
{
    box->SetText("Sermon Title\nGrace and peace be unto you\n");
    auto format = [box](int start, int length, const std::function<void()> &apply) {
        box->setSelection(start, length);
        apply();
    };
    format(0, 12, [&] {
        box->SetSelBold(true);
        box->SetSelFontSize(14);
        box->SetSelAlignment(2);
    });
    format(13, 5, [&] {
        box->SetSelItalic(true);
        box->SetSelColor(qRgb(160, 0, 0));
    });
    format(23, 5, [&] { box->SetSelUnderline(true); });
    format(29, 2, [&] { box->SetSelStrikeThru(true); });
    format(32, 4, [&] { box->SetSelFontName("Times New Roman"); });
    box->setSelection(0, 0);
}

} // namespace

using namespace DialogScripts;

class TestDocument : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void readsLineEndsAndEncodings_data();
    void readsLineEndsAndEncodings();
    void writesUtf8WithCrLf_data();
    void writesUtf8WithCrLf();
    void openThenSaveKeepsTheBytes();
    void readRefusesWhatIsNotADocument_data();
    void readRefusesWhatIsNotADocument();
    void writeFailuresLeaveTheOldFile();
    void permissionFailures();
    void writeFailureGivesTheSystemsReason_data();
    void writeFailureGivesTheSystemsReason();
    void saveKeepsModeOwnerAndGroup_data();
    void saveKeepsModeOwnerAndGroup();

    void startsUntitledCleanAndCountsTheFirstEdit();
    void newAsksOnlyWhenChangedAndHonoursTheAnswer();
    void openLeavesADocumentThatIsCleanUntilEdited();
    void openReplacesTheWholeDocument();
    void yesWithoutASaveStopsNewAndOpen();
    void saveAndSaveAsNameTheDocument();
    void untitledAfterSaveAsNeverTakesAnOldName();
    void fileDialogsIgnoreTheFontFlags();
    void failedSaveKeepsFileNameTitleAndFlag();
    void saveAsksBeforeReplacingAnotherProgramsChanges_data();
    void saveAsksBeforeReplacingAnotherProgramsChanges();
    void failedOpenKeepsTheDocument_data();
    void failedOpenKeepsTheDocument();
    void exitAndCloseBoxAskAboutChanges();

    void richTextFormatFollowsNameTypeAndContent_data();
    void richTextFormatFollowsNameTypeAndContent();
    void richTextKeepsTheFormatting();
    void droppedFileOpensAsFileOpen_data();
    void droppedFileOpensAsFileOpen();

    void printsSelectionOrAllWithFormatting();
    void printWithoutPrinterOffersAPdf();

private:
    void type(const QString &keys) { QTest::keyClicks(m_main->RichTextBox1, keys); }
    void openFile(const QString &path, DialogScript &script);
    QString path(const QString &name) const { return m_files.filePath(name); }
    // The four document state values and the title, in one comparable row.
    QString state() const
    {
        return QStringLiteral("file=%1 previous=%2 changed=%3 skip=%4 title=%5")
            .arg(m_main->CurrentFile, m_main->PreviousFile, m_main->TextChanged ? "yes" : "no",
                 m_main->SkipNextChange ? "yes" : "no", m_main->windowTitle());
    }

    std::unique_ptr<frmMain> makeMain();

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
    std::unique_ptr<QTemporaryDir> m_filesDir;
    QDir m_files;
    std::unique_ptr<frmMain> m_main;
};

void TestDocument::initTestCase()
{
    AppSetup::initResources();
    AppSetup::installFontSubstitutes();
    // The window writes its geometry when it closes: not into the real settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void TestDocument::init()
{
    m_filesDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_filesDir->isValid());
    m_files = QDir(m_filesDir->path());
    m_main = makeMain();
    QVERIFY(m_main);
}

std::unique_ptr<frmMain> TestDocument::makeMain()
{
    // Without reference databases the window warns once after it is built.
    ModalDriver warning;
    warning.answer(QMessageBox::Ok);
    auto w = std::make_unique<frmMain>(m_data.path());
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        return nullptr;
    (void)QTest::qWaitFor([&] { return warning.seen() > 0; }, 3000);
    warning.stop();
    return w;
}

void TestDocument::cleanup()
{
    if (m_main) {
        // Closing must not stop on a question left by the test.
        m_main->TextChanged = false;
        m_main.reset();
    }
    m_filesDir.reset();
}

void TestDocument::openFile(const QString &file, DialogScript &script)
{
    script.then(choose(file)).run([&] { m_main->mnuFileOpen_Click(); });
}

// ---------------------------------------------------------------- file format

void TestDocument::readsLineEndsAndEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n") << QString("one\ntwo\n");
    QTest::newRow("lone CR") << QByteArray("one\rtwo\r") << QString("one\ntwo\n");
    QTest::newRow("lone LF") << QByteArray("one\ntwo\n") << QString("one\ntwo\n");
    QTest::newRow("mixed, blank lines") << QByteArray("a\r\n\r\nb\n\nc\r\rd") << QString("a\n\nb\n\nc\n\nd\n");
    QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QString("a\n\nb\n");
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("only a break") << QByteArray("\r\n") << QString("\n");
    QTest::newRow("last line without break") << QByteArray("one\r\nlast") << QString("one\nlast\n");
    QTest::newRow("UTF-8") << QByteArray("gr\xC3\xBC\xC3\x9F \xE2\x80\x9Cverse\xE2\x80\x9D \xF0\x9F\x95\x8A\r\n")
                           << QString::fromUtf8("grüß “verse” 🕊\n");
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBFPsalm \xC2\xBD\r\n") << QString::fromUtf8("Psalm ½\n");
    QTest::newRow("BOM alone") << QByteArray("\xEF\xBB\xBF") << QString();
    QTest::newRow("Windows-1252") << QByteArray("\x93Grace\x94 \x96 caf\xE9 \x80\x35 \x85\r\n")
                                  << QString::fromUtf8("“Grace” – café €5 …\n");
    QTest::newRow("1252 unassigned bytes") << QByteArray("a\x81\x8D\x8F\x90\x9D") << QString::fromUtf8("a\u0081\u008D\u008F\u0090\u009D\n");
    QTest::newRow("truncated UTF-8 at end is 1252") << QByteArray("ok \xC3") << QString::fromUtf8("ok Ã\n");
    QTest::newRow("overlong UTF-8 is 1252") << QByteArray("\xC0\xAF") << QString::fromUtf8("À¯\n");
    QTest::newRow("UTF-16 surrogate in UTF-8 is 1252") << QByteArray("\xED\xBF\xBF") << QString::fromUtf8("í¿¿\n");
    QTest::newRow("UTF-16 LE with BOM") << QByteArray("\xFF\xFE" "P\0s\0 \0\xBD\0\r\0\n\0\x3D\xD8\x4A\xDD", 18)
                                        << QString::fromUtf8("Ps ½\n🕊\n");
    QTest::newRow("UTF-16 BE with BOM") << QByteArray("\xFE\xFF\0" "A\0\r\0" "B\xFE\xFF", 10) << QString::fromUtf8("A\nB\uFEFF\n");
}

void TestDocument::readsLineEndsAndEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString file = path("in.txt");
    QVERIFY(putBytes(file, bytes));
    QString reason;
    const std::optional<QString> read = DocumentFile::read(file, &reason);
    QVERIFY2(read.has_value(), qPrintable(reason));
    QCOMPARE(*read, text);

    // The same file through the window: exactly that text, clean, named.
    DialogScript script;
    openFile(file, script);
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(m_main->RichTextBox1->Text(), text);
    QCOMPARE(state(), QString("file=%1 previous= changed=no skip=no title=Text Editor - %1").arg(file));
}

void TestDocument::writesUtf8WithCrLf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("lines") << QString("one\ntwo\n") << QByteArray("one\r\ntwo\r\n");
    QTest::newRow("no final break added") << QString("one\ntwo") << QByteArray("one\r\ntwo");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("UTF-8, no BOM") << QString::fromUtf8("“Selah” ½ 🕊\n") << QByteArray("\xE2\x80\x9CSelah\xE2\x80\x9D \xC2\xBD \xF0\x9F\x95\x8A\r\n");
    QTest::newRow("stray CR and CR LF") << QString("a\rb\r\nc") << QByteArray("a\r\nb\r\nc");
    QTest::newRow("paragraph and line separators")
        << (QString("a") + QChar(QChar::ParagraphSeparator) + "b" + QChar(QChar::LineSeparator) + "c")
        << QByteArray("a\r\nb\r\nc");
}

void TestDocument::writesUtf8WithCrLf()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const QString file = path("out.txt");
    QString reason;
    QVERIFY2(DocumentFile::write(file, text, &reason), qPrintable(reason));
    QCOMPARE(bytesOf(file), bytes);

    // Truncates a longer file it replaces.
    QVERIFY(putBytes(file, QByteArray(4096, 'x')));
    QVERIFY(DocumentFile::write(file, text, &reason));
    QCOMPARE(bytesOf(file), bytes);
}

void TestDocument::openThenSaveKeepsTheBytes()
{
    // Opened and saved unedited, a file keeps its bytes: its line ends, its
    // last line with or without a break, its UTF-8 mark. Other encodings
    // come back as UTF-8. An edit keeps the file's style.
    const struct {
        QByteArray in;
        QByteArray out; // "" when the same as in
    } cases[] = {
        {"Text\r\n\r\nwith \xE2\x80\x9Cquotes\xE2\x80\x9D\r\n", ""},
        {"unix\nlines", ""},
        {"unix\nlines\n\n", ""},
        {"old mac\rlines\r", ""},
        {"no final break\r\nhere", ""},
        {"\xEF\xBB\xBFmarked\r\n", ""},
        {"first end decides\nthen\r\nmixed", "first end decides\nthen\nmixed"},
        {"\x93old\x94\r", "\xE2\x80\x9Cold\xE2\x80\x9D\r"},
        {QByteArray("\xFF\xFEu\0\n\0", 6), "u\n"},
        {"", ""},
    };
    for (const auto &c : cases) {
        const QByteArray out = c.out.isEmpty() ? c.in : c.out;
        const QString file = path("round.txt");
        QVERIFY(putBytes(file, c.in));
        for (int round = 0; round < 2; ++round) {
            DialogScript script;
            openFile(file, script);
            QCOMPARE(script.unexpected(), 0);
            m_main->mnuSaveFile_Click();
            QCOMPARE(bytesOf(file), out);
        }
        type("+");
        m_main->mnuSaveFile_Click();
        const QByteArray mark = out.startsWith("\xEF\xBB\xBF") ? QByteArray("\xEF\xBB\xBF") : QByteArray();
        QCOMPARE(bytesOf(file), mark + "+" + out.mid(mark.size()));
    }
}

void TestDocument::readRefusesWhatIsNotADocument_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reasonPart");

    QTest::newRow("missing") << "missing" << "No such file";
    QTest::newRow("folder") << "folder" << "folder";
    QTest::newRow("NUL bytes") << "nul" << "NUL";
    QTest::newRow("over the limit") << "big" << QString::number(DocumentFile::MaxBytes / (1024 * 1024)) + " MB";
    QTest::newRow("pipe") << "fifo" << "not a regular file";
    QTest::newRow("UTF-16 with an odd byte count") << "utf16odd" << "not valid UTF-16";
    QTest::newRow("UTF-16 with a lone surrogate") << "utf16lone" << "not valid UTF-16";
    QTest::newRow("UTF-32 (NUL after the mark)") << "utf32" << "NUL";
}

void TestDocument::readRefusesWhatIsNotADocument()
{
    QFETCH(QString, kind);
    QFETCH(QString, reasonPart);
    const QString file = path(kind);
    if (kind == "folder") {
        QVERIFY(m_files.mkdir(kind));
    } else if (kind == "nul") {
        QVERIFY(putBytes(file, QByteArray("M\0Z\0", 4)));
    } else if (kind == "big") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(DocumentFile::MaxBytes + 1)); // sparse: costs no disk
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else if (kind == "utf16odd") {
        QVERIFY(putBytes(file, QByteArray("\xFF\xFE" "a\0b", 5)));
    } else if (kind == "utf16lone") {
        QVERIFY(putBytes(file, QByteArray("\xFF\xFE" "a\0" "\x3D\xD8", 6)));
    } else if (kind == "utf32") {
        QVERIFY(putBytes(file, QByteArray("\xFF\xFE\0\0" "a\0\0\0", 8)));
    }
    QString reason;
    QVERIFY(!DocumentFile::read(file, &reason).has_value());
    QVERIFY2(reason.contains(reasonPart, Qt::CaseInsensitive), qPrintable(reason));

    // Exactly at the limit is still read.
    if (kind == "big") {
        QVERIFY(putBytes(file, QByteArray(int(DocumentFile::MaxBytes), 'a')));
        const std::optional<QString> text = DocumentFile::read(file, &reason);
        QVERIFY(text.has_value());
        QCOMPARE(text->size(), DocumentFile::MaxBytes + 1);
    }
}

void TestDocument::writeFailuresLeaveTheOldFile()
{
    QString reason;

    // Path is a folder: the folder and its content stay.
    QVERIFY(m_files.mkpath("folder"));
    QVERIFY(putBytes(path("folder/inside.txt"), "kept"));
    QVERIFY(!DocumentFile::write(path("folder"), "text", &reason));
    QVERIFY2(reason.contains("folder"), qPrintable(reason));
    QCOMPARE(bytesOf(path("folder/inside.txt")), QByteArray("kept"));

    // The folder in the path is a file.
    QVERIFY(putBytes(path("plain"), "plain"));
    reason.clear();
    QVERIFY(!DocumentFile::write(path("plain/doc.txt"), "text", &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(bytesOf(path("plain")), QByteArray("plain"));

    // The disk fills up in the middle of the write: the old file stays
    // whole and no temporary file is left behind.
    const QString file = path("doc.txt");
    QVERIFY(putBytes(file, "the old sermon\r\n"));
    reason.clear();
    bool ok = true;
    {
        FileSizeLimit full(4096);
        QVERIFY(full.active());
        ok = DocumentFile::write(file, QString(200000, u'x'), &reason);
    }
    QVERIFY(!ok);
    QVERIFY(!reason.isEmpty());
    QCOMPARE(bytesOf(file), QByteArray("the old sermon\r\n"));

    // A short text that the system refuses from the first byte is a
    // failure too, not an emptied file reported as saved.
    reason.clear();
    {
        FileSizeLimit full(0);
        ok = DocumentFile::write(file, QStringLiteral("new"), &reason);
    }
    QVERIFY(!ok);
    QVERIFY2(reason.contains("large", Qt::CaseInsensitive), qPrintable(reason));
    QCOMPARE(bytesOf(file), QByteArray("the old sermon\r\n"));
    QCOMPARE(m_files.entryList(QDir::Files), QStringList({"doc.txt", "plain"}));
}

void TestDocument::permissionFailures()
{
    QDir dir(m_files.path());
    QVERIFY(dir.mkdir("locked") && dir.mkdir("open"));
    QVERIFY(putBytes(path("secret.txt"), "secret"));
    QVERIFY(putBytes(path("locked/existing.txt"), "kept"));
    QVERIFY(putBytes(path("open/readonly.txt"), "kept"));
    auto mode = [&](const char *name, mode_t m) {
        return ::chmod(QFile::encodeName(path(QString::fromLatin1(name))).constData(), m) == 0;
    };
    QVERIFY(mode("secret.txt", 0000) && mode("locked/existing.txt", 0666) && mode("open/readonly.txt", 0444));
    QVERIFY(mode("open", 0777) && mode("locked", 0555) && mode(".", 0755));

    QStringList rows;
    if (::geteuid() != 0) {
        rows = unprivilegedFileChecks(m_files.path());
    } else {
        // The owner is root, who may do anything: the checks run in a child
        // that has given up root for "nobody".
        // A copy of this program where "nobody" may run it: the build
        // folder itself may be closed to other users.
        QTemporaryDir runDir;
        QVERIFY(runDir.isValid());
        const QString copy = runDir.filePath(QStringLiteral("checks"));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QVERIFY(::chmod(QFile::encodeName(runDir.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0755) == 0);
        QProcess child;
        child.setProgram(copy);
        child.setArguments({"--unprivileged-file-checks", m_files.path()});
        child.setChildProcessModifier([] {
            const gid_t nogroup = 65534;
            if (::setgroups(1, &nogroup) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(97);
        });
        child.start();
        QVERIFY(child.waitForFinished(60000));
        if (child.exitCode() == 97)
            QSKIP("Running as root and unable to switch to the user nobody for the permission checks.");
        QCOMPARE(child.exitCode(), 0);
        rows = QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(rows.value(0) == "uid|65534", qPrintable(rows.value(0)));
        rows.removeFirst();
    }
    QCOMPARE(rows.size(), 5);
    QVERIFY2(rows[0].startsWith("readUnreadable|failed|Permission denied"), qPrintable(rows[0]));
    QVERIFY2(rows[1].startsWith("writeNewInLockedFolder|failed|") && rows[1].size() > 30, qPrintable(rows[1]));
    QVERIFY2(rows[2].startsWith("replaceInLockedFolder|failed|") && rows[2].endsWith("|kept"), qPrintable(rows[2]));
    QVERIFY2(rows[3].startsWith("replaceReadOnlyFile|failed|") && rows[3].endsWith("|kept"), qPrintable(rows[3]));
    QCOMPARE(rows[4], QString("entries|existing.txt"));
    mode("locked", 0755);
}

void TestDocument::writeFailureGivesTheSystemsReason_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file size limit") << "limit" << "File too large";
    QTest::newRow("full disk") << "disk" << "No space left on device";
}

void TestDocument::writeFailureGivesTheSystemsReason()
{
    QFETCH(QString, cause);
    QFETCH(QString, reason);
    // The system takes the first part of the text, then refuses the rest.
    QString folder = m_files.path();
    bool mounted = false;
    if (cause == "disk") {
        QVERIFY(m_files.mkdir("small"));
        folder = path("small");
        const int rc = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder});
        if (rc != 0)
            QSKIP("A small file system for the full-disk case needs mount (root).");
        mounted = true;
    }
    const QString file = folder + "/doc.txt";
    QVERIFY(putBytes(file, "old\r\n"));
    QString got;
    bool ok = true;
    {
        FileSizeLimit limit(cause == "limit" ? 4096 : RLIM_INFINITY);
        ok = DocumentFile::write(file, QString(200000, u'x'), &got);
    }
    const QByteArray after = bytesOf(file);
    if (mounted)
        QProcess::execute("umount", {folder});
    QVERIFY(!ok);
    QCOMPARE(got, reason);
    QCOMPARE(after, QByteArray("old\r\n"));
}

void TestDocument::saveKeepsModeOwnerAndGroup_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("otherOwner");
    QTest::newRow("read-only for all") << 0444u << false;
    QTest::newRow("owner and group only") << 0640u << true;
    QTest::newRow("others but not group") << 0604u << true;
}

void TestDocument::saveKeepsModeOwnerAndGroup()
{
    QFETCH(uint, mode);
    QFETCH(bool, otherOwner);
    const QString file = path("kept.txt");
    QVERIFY(putBytes(file, "old\r\n"));
    const QByteArray name = QFile::encodeName(file);
    // Root can hand the file to another owner and group; anyone else keeps
    // their own and checks the mode alone.
    const bool root = ::geteuid() == 0;
    const uid_t uid = root && otherOwner ? 65534 : ::geteuid();
    const group *lp = ::getgrnam("lp");
    const gid_t gid = root && lp ? lp->gr_gid : ::getegid();
    QCOMPARE(::chown(name.constData(), uid, gid), 0);
    QCOMPARE(::chmod(name.constData(), mode), 0);
    if (!root && !(mode & 0200))
        QSKIP("Only root can write over a read-only file.");

    QString reason;
    QVERIFY2(DocumentFile::write(file, "new", &reason), qPrintable(reason));
    struct stat st {};
    QCOMPARE(::stat(name.constData(), &st), 0);
    QCOMPARE(uint(st.st_mode & 07777), mode);
    QCOMPARE(st.st_uid, uid);
    QCOMPARE(st.st_gid, gid);
    QCOMPARE(bytesOf(file), QByteArray("new"));
}

// -------------------------------------------------------------- state machine

void TestDocument::startsUntitledCleanAndCountsTheFirstEdit()
{
    QCOMPARE(state(), QString("file= previous= changed=no skip=no title="));
    QCOMPARE(m_main->RichTextBox1->Text(), QString(" "));
    type("I");
    QCOMPARE(state(), QString("file= previous= changed=yes skip=no title="));

    // That single edit is protected: New asks.
    DialogScript script;
    script.then(press(QMessageBox::Cancel)).run([&] { m_main->mnuFileNew_Click(); });
    QCOMPARE(script.seen.size(), size_t(1));
    QCOMPARE(m_main->RichTextBox1->Text(), QString(" I"));
}

void TestDocument::newAsksOnlyWhenChangedAndHonoursTheAnswer()
{
    // Clean: no question, the document empties.
    {
        DialogScript script;
        script.run([&] { m_main->mnuFileNew_Click(); });
        QCOMPARE(script.seen.size(), size_t(0));
        QCOMPARE(m_main->RichTextBox1->Text(), QString());
        QCOMPARE(state(), QString("file= previous= changed=no skip=no title=Text Editor - Untitled"));
    }
    type("Grace");
    // Cancel: nothing changes.
    {
        DialogScript script;
        script.then(press(QMessageBox::Cancel)).run([&] { m_main->mnuFileNew_Click(); });
        QCOMPARE(script.seen.size(), size_t(1));
        const Seen &q = script.seen[0];
        QCOMPARE(q.text, QString("Save changes to text?"));
        QCOMPARE(q.title, QString("Text has changed"));
        QCOMPARE(q.icon, QMessageBox::Question);
        QCOMPARE(q.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QVERIFY(q.yesIsDefault);
        QCOMPARE(m_main->RichTextBox1->Text(), QString("Grace"));
        QCOMPARE(state(), QString("file= previous= changed=yes skip=no title=Text Editor - Untitled"));
    }
    // No: discarded without saving.
    {
        DialogScript script;
        script.then(press(QMessageBox::No)).run([&] { m_main->mnuFileNew_Click(); });
        QCOMPARE(script.seen.size(), size_t(1));
        QCOMPARE(m_main->RichTextBox1->Text(), QString());
        QCOMPARE(state(), QString("file= previous= changed=no skip=no title=Text Editor - Untitled"));
        QCOMPARE(m_files.entryList(QDir::Files), QStringList());
    }
    // Yes: saved through the dialog, then cleared; the first edit after New counts.
    type("Mercy");
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(choose(path("mercy.txt"))).run([&] { m_main->mnuFileNew_Click(); });
        QCOMPARE(script.seen.size(), size_t(2));
        QCOMPARE(script.seen[1].acceptMode, QFileDialog::AcceptSave);
        QCOMPARE(bytesOf(path("mercy.txt")), QByteArray("Mercy"));
        QCOMPARE(m_main->RichTextBox1->Text(), QString());
        QCOMPARE(state(), QString("file= previous= changed=no skip=no title=Text Editor - Untitled"));
    }
    type("x");
    QVERIFY(m_main->TextChanged);
}

void TestDocument::openLeavesADocumentThatIsCleanUntilEdited()
{
    QVERIFY(putBytes(path("a.txt"), "Alpha\r\n"));
    // The user changed the document, answered No, then opened a file: the
    // opened document is clean and New asks nothing.
    type("draft");
    DialogScript open;
    open.then(press(QMessageBox::No)).then(choose(path("a.txt"))).run([&] { m_main->mnuFileOpen_Click(); });
    QCOMPARE(open.seen.size(), size_t(2));
    QCOMPARE(state(), QString("file=%1 previous= changed=no skip=no title=Text Editor - %1").arg(path("a.txt")));

    DialogScript quiet;
    quiet.run([&] { m_main->mnuFileNew_Click(); });
    QCOMPARE(quiet.seen.size(), size_t(0));

    // The first keystroke after an Open counts.
    DialogScript again;
    openFile(path("a.txt"), again);
    QCOMPARE(again.unexpected(), 0);
    type("!");
    QVERIFY(m_main->TextChanged);
    DialogScript asked;
    asked.then(press(QMessageBox::Cancel)).run([&] { m_main->mnuFileOpen_Click(); });
    QCOMPARE(asked.seen.size(), size_t(1));
    QCOMPARE(asked.seen[0].text, QString("Save changes to text?"));
    QCOMPARE(m_main->RichTextBox1->Text(), QString("!Alpha\n"));

    // Clear All and other program edits count as changes too.
    DialogScript third;
    third.then(press(QMessageBox::No)).then(choose(path("a.txt"))).run([&] { m_main->mnuFileOpen_Click(); });
    QVERIFY(!m_main->TextChanged);
    m_main->mnuClearAll_Click();
    QVERIFY(m_main->TextChanged);
}

void TestDocument::openReplacesTheWholeDocument()
{
    QVERIFY(putBytes(path("a.txt"), "Alpha\r\nAleph\r\n"));
    QVERIFY(putBytes(path("b.txt"), "Beta"));
    // Formatting is a change too: Open asks first.
    m_main->RichTextBox1->selectAll();
    m_main->RichTextBox1->SetSelBold(true);
    QVERIFY(m_main->TextChanged);
    DialogScript first;
    first.then(press(QMessageBox::No)).then(choose(path("a.txt"))).run([&] { m_main->mnuFileOpen_Click(); });
    QCOMPARE(first.seen.size(), size_t(2));
    DialogScript second;
    openFile(path("b.txt"), second);
    QCOMPARE(first.unexpected() + second.unexpected(), 0);
    QCOMPARE(m_main->RichTextBox1->Text(), QString("Beta\n"));
    QCOMPARE(m_main->windowTitle(), "Text Editor - " + path("b.txt"));
    // The open dialog starts on the first type each time, which lists the
    // user's rich text files too.
    QCOMPARE(second.seen[0].selectedFilter, second.seen[0].nameFilters.value(0));
    QCOMPARE(second.seen[0].nameFilters,
             QStringList({"Text files (*.txt *.rtf)", "Batch files (*.bat)", "INI FILES (*ini)",
                          "All Files (*.*) (*)", "Rich Text Format (*.rtf)"}));

    // The opened file starts a fresh history in the editor's own format:
    // undo cannot bring the previous document back under the new name, and
    // the bold of the previous document does not carry over.
    QVERIFY(!m_main->RichTextBox1->document()->isUndoAvailable());
    m_main->RichTextBox1->undo();
    QCOMPARE(m_main->RichTextBox1->Text(), QString("Beta\n"));
    QVERIFY(!m_main->TextChanged);
    m_main->RichTextBox1->selectAll();
    QCOMPARE(m_main->RichTextBox1->SelBold(), RichTextBox::Tri::Off);
    QCOMPARE(m_main->RichTextBox1->textCursor().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignLeft);

    // Cancelling the open dialog changes nothing.
    DialogScript cancelled;
    const QString before = state();
    cancelled.then(cancelFileDialog()).run([&] { m_main->mnuFileOpen_Click(); });
    QCOMPARE(cancelled.seen.size(), size_t(1));
    QCOMPARE(state(), before);
    QCOMPARE(m_main->RichTextBox1->Text(), QString("Beta\n"));
}

void TestDocument::yesWithoutASaveStopsNewAndOpen()
{
    type("unsaved sermon");
    const QString before = state();
    // New: Yes, then Cancel in the save dialog.
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(cancelFileDialog()).run([&] { m_main->mnuFileNew_Click(); });
        QCOMPARE(script.seen.size(), size_t(2));
        QCOMPARE(script.seen[1].kind, QString("file"));
        QCOMPARE(m_main->RichTextBox1->Text(), QString(" unsaved sermon"));
        QCOMPARE(state(), before);
    }
    // Open: Yes, then Cancel in the save dialog; the open dialog never shows.
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(cancelFileDialog()).run([&] { m_main->mnuFileOpen_Click(); });
        QCOMPARE(script.seen.size(), size_t(2));
        QCOMPARE(script.seen[1].acceptMode, QFileDialog::AcceptSave);
        QCOMPARE(m_main->RichTextBox1->Text(), QString(" unsaved sermon"));
        QCOMPARE(state(), before);
    }
    // Yes, and the write fails: the message names the file, New stops.
    {
        DialogScript script;
        FileSizeLimit full(0);
        QVERIFY(full.active());
        script.then(press(QMessageBox::Yes))
            .then(choose(path("sermon.txt")))
            .then(press(QMessageBox::Ok))
            .run([&] { m_main->mnuFileNew_Click(); });
        QCOMPARE(script.seen.size(), size_t(3));
        QVERIFY2(script.seen[2].text.contains(path("sermon.txt")), qPrintable(script.seen[2].text));
        QCOMPARE(script.seen[2].icon, QMessageBox::Warning);
        QCOMPARE(m_main->RichTextBox1->Text(), QString(" unsaved sermon"));
        QCOMPARE(state(), before);
        QVERIFY(!QFile::exists(path("sermon.txt")));
    }
}

void TestDocument::saveAndSaveAsNameTheDocument()
{
    type("Line one");
    QTest::keyClick(m_main->RichTextBox1, Qt::Key_Return);
    type("Line two");
    const QString a = path("a.txt");
    const QString b = path("b.txt");

    // Save of an untitled document shows the dialog.
    DialogScript save;
    save.then(choose(a)).run([&] { m_main->mnuSaveFile_Click(); });
    QCOMPARE(save.seen.size(), size_t(1));
    QCOMPARE(save.seen[0].acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(bytesOf(a), QByteArray(" Line one\r\nLine two"));
    QCOMPARE(state(), QString("file=%1 previous= changed=no skip=no title=Text Editor - %1").arg(a));

    // Save of a named document writes at once.
    type("!");
    DialogScript quiet;
    quiet.run([&] { m_main->mnuSaveFile_Click(); });
    QCOMPARE(quiet.seen.size(), size_t(0));
    QCOMPARE(bytesOf(a), QByteArray(" Line one\r\nLine two!"));
    QCOMPARE(state(), QString("file=%1 previous= changed=no skip=no title=Text Editor - %1").arg(a));

    // Save As, cancelled: the old name, title and flag stay.
    type("?");
    DialogScript cancelled;
    cancelled.then(cancelFileDialog()).run([&] { m_main->mnuFileSaveAs_Click(); });
    QCOMPARE(cancelled.seen.size(), size_t(1));
    QCOMPARE(state(), QString("file=%1 previous=%1 changed=yes skip=no title=Text Editor - %1").arg(a));

    // Save As to a new name.
    DialogScript saveAs;
    saveAs.then(choose(b)).run([&] { m_main->mnuFileSaveAs_Click(); });
    QCOMPARE(bytesOf(b), QByteArray(" Line one\r\nLine two!?"));
    QCOMPARE(bytesOf(a), QByteArray(" Line one\r\nLine two!"));
    QCOMPARE(state(), QString("file=%2 previous=%1 changed=no skip=no title=Text Editor - %2").arg(a, b));

    // Save As onto an existing file asks first; No keeps the dialog open
    // and the file as it was.
    type("#");
    DialogScript refuse;
    refuse.then(choose(a)).then(press(QMessageBox::No)).run([&] { m_main->mnuFileSaveAs_Click(); });
    QCOMPARE(refuse.seen.size(), size_t(2));
    QVERIFY(refuse.seen[0].stayedOpen);
    QVERIFY2(refuse.seen[1].text.contains("already exists"), qPrintable(refuse.seen[1].text));
    QCOMPARE(bytesOf(a), QByteArray(" Line one\r\nLine two!"));
    QCOMPARE(state(), QString("file=%2 previous=%2 changed=yes skip=no title=Text Editor - %2").arg(b));

    DialogScript replace;
    replace.then(choose(a)).then(press(QMessageBox::Yes)).run([&] { m_main->mnuFileSaveAs_Click(); });
    QCOMPARE(replace.seen.size(), size_t(2));
    QCOMPARE(bytesOf(a), QByteArray(" Line one\r\nLine two!?#"));
    QCOMPARE(state(), QString("file=%1 previous=%2 changed=no skip=no title=Text Editor - %1").arg(a, b));
}

void TestDocument::untitledAfterSaveAsNeverTakesAnOldName()
{
    const QString a = path("a.txt");
    QVERIFY(putBytes(a, "Alpha\r\n"));
    DialogScript open;
    openFile(a, open);
    DialogScript saveAs;
    saveAs.then(choose(path("b.txt"))).run([&] { m_main->mnuFileSaveAs_Click(); });
    QCOMPARE(m_main->PreviousFile, a);

    DialogScript fresh;
    fresh.run([&] { m_main->mnuFileNew_Click(); });
    type("new text");
    // Save, cancelled: still untitled.
    DialogScript cancelled;
    cancelled.then(cancelFileDialog()).run([&] { m_main->mnuSaveFile_Click(); });
    QCOMPARE(state(), QString("file= previous= changed=yes skip=no title=Text Editor - Untitled"));
    // So the next Save asks again instead of writing over a.txt.
    DialogScript again;
    again.then(cancelFileDialog()).run([&] { m_main->mnuSaveFile_Click(); });
    QCOMPARE(again.seen.size(), size_t(1));
    QCOMPARE(bytesOf(a), QByteArray("Alpha\r\n"));
}

void TestDocument::fileDialogsIgnoreTheFontFlags()
{
    // What the font command leaves on the shared dialog layer.
    m_main->CommonDialog1->Flags = 259;
    m_main->CommonDialog1->CancelError = true;
    QVERIFY(putBytes(path("a.txt"), "Alpha"));

    DialogScript open;
    openFile(path("a.txt"), open);
    QCOMPARE(open.seen.size(), size_t(1));
    QVERIFY(!open.seen[0].readOnly);
    QCOMPARE(m_main->RichTextBox1->Text(), QString("Alpha\n"));

    type("b");
    DialogScript save;
    save.then(choose(path("a.txt"))).then(press(QMessageBox::Yes)).run([&] { m_main->mnuFileSaveAs_Click(); });
    QCOMPARE(save.seen.size(), size_t(2));
    QVERIFY(save.seen[0].confirmsOverwrite);
    QCOMPARE(bytesOf(path("a.txt")), QByteArray("bAlpha"));

    // A cancelled dialog still ends quietly with an empty name.
    DialogScript cancelled;
    cancelled.then(cancelFileDialog()).run([&] { QVERIFY(!m_main->CommonDialog1->ShowSave(m_main.get())); });
    QCOMPARE(m_main->CommonDialog1->FileName, QString());

    // The save dialog starts on the type last in use, and in the last folder.
    m_main->CommonDialog1->FilterIndex = 3;
    DialogScript typed;
    typed.then(cancelFileDialog()).run([&] { m_main->CommonDialog1->ShowSave(m_main.get()); });
    QCOMPARE(typed.seen[0].selectedFilter, QString("INI FILES (*ini)"));
}

void TestDocument::failedSaveKeepsFileNameTitleAndFlag()
{
    // The named file's place is taken by a folder.
    const QString doc = path("doc.txt");
    QVERIFY(putBytes(doc, "Original\r\n"));
    DialogScript open;
    openFile(doc, open);
    type("edit ");
    QVERIFY(QFile::remove(doc));
    QVERIFY(m_files.mkdir("doc.txt"));
    const QString before = state();
    {
        DialogScript script;
        script.then(press(QMessageBox::Ok)).run([&] { m_main->mnuSaveFile_Click(); });
        QCOMPARE(script.seen.size(), size_t(1));
        QVERIFY2(script.seen[0].text.contains(doc) && script.seen[0].text.contains("folder"),
                 qPrintable(script.seen[0].text));
        QCOMPARE(script.seen[0].icon, QMessageBox::Warning);
        QCOMPARE(state(), before);
    }
    QVERIFY(m_files.rmdir("doc.txt"));

    // Disk full in the middle of the write: the old file stays whole. (The
    // file made again counts as another program's.)
    QVERIFY(putBytes(doc, "Original\r\n"));
    m_main->RichTextBox1->SetText(QString(100000, u'y'));
    QVERIFY(EditorWait::idle(*m_main->RichTextBox1));
    const QString changed = state();
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(press(QMessageBox::Ok)).run([&] {
            FileSizeLimit full(4096);
            m_main->mnuSaveFile_Click();
        });
        QCOMPARE(script.seen.size(), size_t(2));
        QVERIFY2(script.seen[1].text.contains(doc), qPrintable(script.seen[1].text));
    }
    QCOMPARE(bytesOf(doc), QByteArray("Original\r\n"));
    QCOMPARE(state(), changed);

    // Save As whose write fails: the old name and title come back.
    {
        DialogScript script;
        script.then(choose(path("new.txt"))).then(press(QMessageBox::Ok)).run([&] {
            FileSizeLimit full(0);
            m_main->mnuFileSaveAs_Click();
        });
        QCOMPARE(script.seen.size(), size_t(2));
        QVERIFY2(script.seen[1].text.contains(path("new.txt")), qPrintable(script.seen[1].text));
        QCOMPARE(state(), QString(changed).replace("previous= ", "previous=" + doc + " "));
        QVERIFY(!QFile::exists(path("new.txt")));
    }

    // New after a failed Yes stops as well.
    {
        DialogScript script;
        QVERIFY(QFile::remove(doc));
        QVERIFY(m_files.mkdir("doc.txt"));
        script.then(press(QMessageBox::Yes)).then(press(QMessageBox::Ok)).run([&] { m_main->mnuFileNew_Click(); });
        QCOMPARE(script.seen.size(), size_t(2));
        QCOMPARE(m_main->RichTextBox1->Text(), QString(100000, u'y'));
        QVERIFY(m_main->TextChanged);
        QCOMPARE(m_main->windowTitle(), "Text Editor - " + doc);
    }
}

void TestDocument::saveAsksBeforeReplacingAnotherProgramsChanges_data()
{
    QTest::addColumn<QByteArray>("theirs"); // what the other program writes
    QTest::addColumn<bool>("sameSize");
    QTest::newRow("longer") << QByteArray("Alpha, edited elsewhere\r\n") << false;
    QTest::newRow("same size, later") << QByteArray("alpha\r\n") << true;
}

void TestDocument::saveAsksBeforeReplacingAnotherProgramsChanges()
{
    QFETCH(QByteArray, theirs);
    QFETCH(bool, sameSize);
    const QString file = path("a.txt");
    QVERIFY(putBytes(file, "Alpha\r\n"));
    DialogScript open;
    openFile(file, open);
    type("mine ");
    m_main->mnuSaveFile_Click(); // its own save is no change by another program
    QCOMPARE(bytesOf(file), QByteArray("mine Alpha\r\n"));
    type("more ");
    QVERIFY(putBytes(file, theirs));
    QFile f(file);
    QVERIFY(!sameSize || (f.open(QIODevice::ReadWrite)
                          && f.setFileTime(QFileInfo(file).lastModified().addSecs(2), QFileDevice::FileModificationTime)));
    // No leaves both as they are, and asks again next time.
    for (const auto answer : {QMessageBox::No, QMessageBox::No, QMessageBox::Yes}) {
        DialogScript script;
        script.then(press(answer)).run([&] { m_main->mnuSaveFile_Click(); });
        QCOMPARE(script.seen.size(), size_t(1));
        QCOMPARE(script.seen[0].text, QString("The file has been changed by another program since it was opened. "
                                              "Replace it with this document?"));
        QCOMPARE(bytesOf(file), answer == QMessageBox::Yes ? QByteArray("mine more Alpha\r\n") : theirs);
        QCOMPARE(m_main->TextChanged, answer != QMessageBox::Yes);
    }
}

void TestDocument::failedOpenKeepsTheDocument_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("NUL bytes") << "nul" << "NUL";
    QTest::newRow("over the limit") << "big" << QString::number(DocumentFile::MaxBytes / (1024 * 1024)) + " MB";
    QTest::newRow("taller than the editor holds") << "tall" << "more than the editor can hold";
}

void TestDocument::failedOpenKeepsTheDocument()
{
    QFETCH(QString, kind);
    QFETCH(QString, reasonPart);
    QVERIFY(putBytes(path("a.txt"), "Alpha\r\n"));
    DialogScript first;
    openFile(path("a.txt"), first);
    type("edited ");
    const QString file = path(kind + ".txt");
    if (kind == "nul") {
        QVERIFY(putBytes(file, QByteArray("PK\0\0\x03\x04", 6)));
    } else if (kind == "tall") {
        QVERIFY(putBytes(file, QByteArray("\r\n").repeated(2'000'000)));
    } else {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(DocumentFile::MaxBytes + 1));
    }
    const QString before = state();
    DialogScript script;
    script.then(press(QMessageBox::No)).then(choose(file)).then(press(QMessageBox::Ok)).run([&] {
        m_main->mnuFileOpen_Click();
        (void)EditorWait::idle(*m_main->RichTextBox1); // a long file is read as a job
    });
    QCOMPARE(script.seen.size(), size_t(3));
    QVERIFY2(script.seen[2].text.contains(file) && script.seen[2].text.contains(reasonPart),
             qPrintable(script.seen[2].text));
    QCOMPARE(m_main->RichTextBox1->Text(), QString("edited Alpha\n"));
    QCOMPARE(state(), before);
}

void TestDocument::exitAndCloseBoxAskAboutChanges()
{
    type("last words");
    const QString before = state();
    // Exit, Cancel: the program runs on, nothing changed.
    {
        DialogScript script;
        script.then(press(QMessageBox::Cancel)).run([&] { m_main->mnuFileExit_Click(); });
        QCOMPARE(script.seen.size(), size_t(1));
        QCOMPARE(script.seen[0].text, QString("Save changes to text?"));
        QVERIFY(m_main->isVisible());
        QCOMPARE(state(), before);
    }
    // Close box, Yes, save dialog cancelled: still open.
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(cancelFileDialog()).run([&] { QVERIFY(!m_main->close()); });
        QCOMPARE(script.seen.size(), size_t(2));
        QVERIFY(m_main->isVisible());
        QCOMPARE(m_main->RichTextBox1->Text(), QString(" last words"));
        QCOMPARE(state(), before);
    }
    // Close box, Cancel.
    {
        DialogScript script;
        script.then(press(QMessageBox::Cancel)).run([&] { QVERIFY(!m_main->close()); });
        QVERIFY(m_main->isVisible());
    }
    // Exit, Yes with a save: written, asked once, then closed.
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(choose(path("last.txt"))).run([&] { m_main->mnuFileExit_Click(); });
        QCOMPARE(script.seen.size(), size_t(2));
        QCOMPARE(bytesOf(path("last.txt")), QByteArray(" last words"));
        QVERIFY(!m_main->isVisible());
    }
    // A clean document closes without a question; No closes too.
    m_main = makeMain();
    QVERIFY(m_main);
    {
        DialogScript script;
        script.run([&] { QVERIFY(m_main->close()); });
        QCOMPARE(script.seen.size(), size_t(0));
    }
    m_main = makeMain();
    QVERIFY(m_main);
    type("x");
    {
        DialogScript script;
        script.then(press(QMessageBox::No)).run([&] { QVERIFY(m_main->close()); });
        QCOMPARE(script.seen.size(), size_t(1));
    }
}


// --------------------------------------------------------------- rich text

void TestDocument::richTextFormatFollowsNameTypeAndContent_data()
{
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("existing"); // a file there before, its replacing agreed to
    QTest::addColumn<QString>("answers");  // to the formatting question, then to replacing the .rtf
    QTest::addColumn<QString>("saved");    // "" when nothing is written
    QTest::addColumn<bool>("rtf");

    // A name's .txt or .rtf decides; for other names the type chosen.
    QTest::newRow("Text files adds .txt, kept as rich text") << 1 << "sermon" << "" << "rich" << "sermon.rtf" << true;
    QTest::newRow("Text files adds .txt, plain agreed") << 1 << "sermon" << "" << "plain" << "sermon.txt" << false;
    QTest::newRow("Text files, question cancelled") << 1 << "sermon" << "" << "cancel" << "" << false;
    QTest::newRow("Batch files adds .bat") << 2 << "run" << "" << "plain" << "run.bat" << false;
    QTest::newRow("INI pattern has no dot: nothing added") << 3 << "setup" << "" << "plain" << "setup" << false;
    QTest::newRow("All Files: nothing added, rich") << 4 << "notes" << "" << "rich" << "notes.rtf" << true;
    QTest::newRow("typed extension kept") << 1 << "psalm.md" << "" << "plain" << "psalm.md" << false;
    QTest::newRow("rich text type adds .rtf") << 5 << "lesson" << "" << "" << "lesson.rtf" << true;
    QTest::newRow("rich text type, other name") << 5 << "lesson.doc" << "" << "" << "lesson.doc" << true;
    QTest::newRow(".RTF name under Text files") << 1 << "a.RTF" << "" << "" << "a.RTF" << true;
    QTest::newRow("rich text type, .txt name") << 5 << "d.TXT" << "" << "plain" << "d.TXT" << false;
    QTest::newRow("replacing names the real file") << 1 << "old" << "old.txt" << "plain" << "old.txt" << false;
    QTest::newRow("rich text over an .rtf: replaced") << 1 << "old" << "old.rtf" << "rich yes" << "old.rtf" << true;
    QTest::newRow("rich text over an .rtf: kept") << 1 << "old" << "old.rtf" << "rich no" << "" << false;
}

void TestDocument::richTextFormatFollowsNameTypeAndContent()
{
    QFETCH(int, typeIndex);
    QFETCH(QString, typed);
    QFETCH(QString, existing);
    QFETCH(QString, answers);
    QFETCH(QString, saved);
    QFETCH(bool, rtf);
    if (!existing.isEmpty())
        QVERIFY(putBytes(path(existing), "old"));
    m_main->RichTextBox1->SetText("Grace");
    m_main->RichTextBox1->selectAll();
    m_main->RichTextBox1->SetSelBold(true);

    DialogScript script;
    script.then(chooseAs(typeIndex, path(typed)));
    if (existing.endsWith(".txt"))
        script.then(press(QMessageBox::Yes));
    const QHash<QString, QMessageBox::StandardButton> button = {{"rich", QMessageBox::Save}, {"plain", QMessageBox::Discard},
                                                                {"cancel", QMessageBox::Cancel}, {"yes", QMessageBox::Yes},
                                                                {"no", QMessageBox::No}};
    for (const QString &answer : answers.split(u' ', Qt::SkipEmptyParts))
        script.then(press(button.value(answer)));
    script.run([&] { m_main->mnuFileSaveAs_Click(); });
    QCOMPARE(script.unexpected(), 0);
    QCOMPARE(script.seen[0].nameFilters.value(4), QString("Rich Text Format (*.rtf)"));
    const size_t asked = existing.endsWith(".txt") ? 2 : 1;
    QCOMPARE(script.seen.size(), asked + answers.split(u' ', Qt::SkipEmptyParts).size());
    if (!answers.isEmpty()) {
        QCOMPARE(script.seen[asked].text, QString("This document has formatting (bold, fonts, colours or alignment) "
                                                  "that a plain text file cannot keep."));
        QCOMPARE(script.seen[asked].buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    }
    if (answers.contains(' '))
        QCOMPARE(script.seen.back().text, "\"" + path(existing) + "\" already exists.\nDo you want to replace it?");
    QCOMPARE(m_main->windowTitle(), saved.isEmpty() ? QString() : "Text Editor - " + path(saved));
    QStringList files = QStringList{existing, saved}.filter(QRegularExpression("."));
    files.removeDuplicates();
    files.sort();
    QCOMPARE(m_files.entryList(QDir::Files), files);
    const QByteArray bytes = files.isEmpty() ? QByteArray() : bytesOf(path(saved.isEmpty() ? existing : saved));
    QCOMPARE(bytes.startsWith("{\\rtf"), rtf);
    QVERIFY(rtf || bytes == (saved.isEmpty() ? existing.isEmpty() ? "" : "old" : "Grace"));
    if (saved.isEmpty())
        return;

    // Asked once per name: the next Save writes at once.
    type("!");
    DialogScript again;
    again.run([&] { m_main->mnuSaveFile_Click(); });
    QCOMPARE(again.seen.size(), size_t(0));
    QVERIFY(!m_main->TextChanged);
}

void TestDocument::richTextKeepsTheFormatting()
{
    RichTextBox *box = m_main->RichTextBox1;
    formatSample(box);
    const QString formatted = wholeRtf(box);
    DialogScript save;
    save.then(choose(path("sermon.rtf"))).run([&] { m_main->mnuFileSaveAs_Click(); });
    QVERIFY(bytesOf(path("sermon.rtf")).startsWith("{\\rtf1"));

    // New, then Open: the same document, clean, with a fresh history.
    DialogScript fresh;
    fresh.run([&] { m_main->mnuFileNew_Click(); });
    QCOMPARE(fresh.seen.size(), size_t(0));
    DialogScript open;
    openFile(path("sermon.rtf"), open);
    QCOMPARE(open.unexpected(), 0);
    QCOMPARE(wholeRtf(box), formatted);
    QCOMPARE(box->Text(), QString("Sermon Title\nGrace and peace be unto you\n"));
    QCOMPARE(state(), QString("file=%1 previous= changed=no skip=no title=Text Editor - %1").arg(path("sermon.rtf")));
    QVERIFY(!box->document()->isUndoAvailable());

    // Content decides, whatever the name; Save keeps the format the file was read in.
    QVERIFY(QFile::copy(path("sermon.rtf"), path("sermon")));
    DialogScript bare;
    openFile(path("sermon"), bare);
    QCOMPARE(wholeRtf(box), formatted);
    type("!");
    m_main->mnuSaveFile_Click();
    const QByteArray resaved = bytesOf(path("sermon"));
    QVERIFY(resaved.startsWith("{\\rtf1") && resaved.contains("!Sermon Title"));
    QVERIFY(!m_main->TextChanged);

    // A plain file named .rtf is written as rich text once it has formatting.
    QVERIFY(putBytes(path("plain.rtf"), "Grace\r\n"));
    DialogScript plain;
    openFile(path("plain.rtf"), plain);
    box->setSelection(0, 5);
    box->SetSelBold(true);
    DialogScript quiet;
    quiet.run([&] { m_main->mnuSaveFile_Click(); });
    QCOMPARE(quiet.seen.size(), size_t(0));
    QVERIFY(bytesOf(path("plain.rtf")).startsWith("{\\rtf1"));

    // Rich text nested too deeply for the editor: the rest opens, and the
    // user is told once.
    const QString deep = path("deep.rtf");
    QVERIFY(putBytes(deep, "{\\rtf1 " + QByteArray(150, '{') + "lost" + QByteArray(150, '}') + "kept}"));
    DialogScript told;
    told.then(choose(deep)).then(press(QMessageBox::Ok)).run([&] {
        m_main->mnuFileOpen_Click();
        QTRY_COMPARE(told.seen.size(), size_t(2));
    });
    QCOMPARE(told.seen[1].text, QString("Part of the rich text was too deeply nested and was left out"));
    QCOMPARE(state(), QString("file=%1 previous= changed=no skip=no title=Text Editor - %1").arg(deep));
}

void TestDocument::droppedFileOpensAsFileOpen_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer"); // to "Save changes to text?"; 0: not asked
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("opens");

    QTest::newRow("onto the document, No to the question") << "document" << true << int(QMessageBox::No) << "a.txt" << true;
    QTest::newRow("onto the window, No to the question") << "window" << true << int(QMessageBox::No) << "a.txt" << true;
    QTest::newRow("Cancel keeps the document") << "document" << true << int(QMessageBox::Cancel) << "a.txt" << false;
    QTest::newRow("a file that cannot be opened") << "window" << false << 0 << "nul.txt" << false;
}

void TestDocument::droppedFileOpensAsFileOpen()
{
    QFETCH(QString, target);
    QFETCH(bool, edited);
    QFETCH(int, answer);
    QFETCH(QString, file);
    QFETCH(bool, opens);
    QVERIFY(putBytes(path("a.txt"), "Alpha\r\n"));
    QVERIFY(putBytes(path("nul.txt"), QByteArray("M\0Z", 3)));
    if (edited)
        type("draft");
    const QString before = m_main->RichTextBox1->Text();
    const QString stateBefore = state();

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path(file))});
    mime.setText(path(file));
    QWidget *widget = target == "document" ? m_main->RichTextBox1->viewport() : static_cast<QWidget *>(m_main.get());
    const QPoint at = widget->rect().center();
    DialogScript script;
    if (answer)
        script.then(press(QMessageBox::StandardButton(answer)));
    if (!opens && file == "nul.txt")
        script.then(press(QMessageBox::Ok));
    script.run([&] {
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &drop);
        QVERIFY(drop.isAccepted());
        QTest::qWait(200);
    });
    QCOMPARE(script.unexpected(), 0);
    if (answer)
        QCOMPARE(script.seen[0].text, QString("Save changes to text?"));
    if (opens) {
        QCOMPARE(m_main->RichTextBox1->Text(), QString("Alpha\n"));
        QCOMPARE(state(), QString("file=%1 previous= changed=no skip=no title=Text Editor - %1").arg(path(file)));
    } else {
        QCOMPARE(m_main->RichTextBox1->Text(), before);
        QCOMPARE(state(), stateBefore);
    }
    if (file == "nul.txt")
        QVERIFY2(script.seen.back().text.contains("could not be opened from \"" + path(file)),
                 qPrintable(script.seen.back().text));
}

// ------------------------------------------------------------------- printing

void TestDocument::printsSelectionOrAllWithFormatting()
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    const QString pdffonts = QStandardPaths::findExecutable("pdffonts");
    if (pdftotext.isEmpty() || pdffonts.isEmpty())
        QSKIP("pdftotext and pdffonts (poppler-utils) are needed to read the printed pages back.");
    auto run = [](const QString &program, const QStringList &args) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    auto print = [&](const QString &name) {
        (new PrintJob(m_main->RichTextBox1, {QString(), path(name), name}))->start();
        (void)EditorWait::idle(*m_main->RichTextBox1);
        return path(name);
    };

    m_main->RichTextBox1->SetText("The Lord is my shepherd\nI shall not want\nHe maketh me to lie down");
    m_main->TextChanged = true;
    m_main->RichTextBox1->setSelection(4, 4);
    m_main->RichTextBox1->SetSelBold(true);
    m_main->RichTextBox1->setSelection(0, 0);
    // The editor's printout numbers its pages: the text, then "1".
    const QString all = run(pdftotext, {print("all.pdf"), "-"}).simplified();
    QCOMPARE(all, QString("The Lord is my shepherd I shall not want He maketh me to lie down 1"));
    QVERIFY2(run(pdffonts, {path("all.pdf")}).contains("Bold"), "the bold word lost its weight");

    m_main->RichTextBox1->setSelection(24, 16);
    const QString part = run(pdftotext, {print("part.pdf"), "-"}).simplified();
    QCOMPARE(part, QString("I shall not want 1"));
    QVERIFY(!run(pdffonts, {path("part.pdf")}).contains("Bold"));
    // Printing leaves the selection and the document state alone.
    QCOMPARE(m_main->RichTextBox1->SelStart(), 24);
    QCOMPARE(m_main->RichTextBox1->SelLength(), 16);
    QVERIFY(m_main->TextChanged);
}

void TestDocument::printWithoutPrinterOffersAPdf()
{
    // main() points the print system at a server that does not exist.
    RichTextBox *box = m_main->RichTextBox1;
    box->SetText("The Lord is my shepherd\nI shall not want");
    box->setSelection(4, 4);
    box->SetSelBold(true);
    box->setSelection(0, 0);
    const QString question = "No printer is installed. Save the document as a PDF instead?";
    const int filterIndex = m_main->CommonDialog1->FilterIndex;

    // No: nothing is written.
    {
        DialogScript script;
        script.then(press(QMessageBox::No)).run([&] { m_main->mnuFilePrint_Click(); });
        QCOMPARE(script.seen.size(), size_t(1));
        QCOMPARE(script.seen[0].text, question);
        QCOMPARE(script.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(m_files.entryList(QDir::Files), QStringList());
    }
    // Yes, a bare name: the whole document as "psalm.pdf".
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(choose(path("psalm"))).run([&] {
            m_main->mnuFilePrint_Click();
            (void)EditorWait::idle(*box); // printed as a job
        });
        QCOMPARE(script.unexpected(), 0);
        QCOMPARE(script.seen[1].nameFilters, QStringList{"PDF files (*.pdf)"});
        QVERIFY(bytesOf(path("psalm.pdf")).startsWith("%PDF"));
    }
    // With a selection, only the selection; the state stays as it was.
    box->setSelection(24, 16);
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(choose(path("part.pdf"))).run([&] {
            m_main->mnuFilePrint_Click();
            (void)EditorWait::idle(*box);
        });
        QCOMPARE(script.unexpected(), 0);
    }
    QCOMPARE(box->SelStart(), 24);
    QCOMPARE(box->SelLength(), 16);
    QVERIFY(m_main->TextChanged);
    QCOMPARE(m_main->CommonDialog1->FilterIndex, filterIndex);
    // A failed write is reported as Save reports it, and leaves no file.
    {
        DialogScript script;
        script.then(press(QMessageBox::Yes)).then(choose(path("full.pdf"))).then(press(QMessageBox::Ok)).run([&] {
            FileSizeLimit full(0);
            m_main->mnuFilePrint_Click();
            (void)EditorWait::idle(*box);
        });
        QCOMPARE(script.seen.size(), size_t(3));
        QVERIFY2(script.seen[2].text.startsWith("The document could not be saved to \"" + path("full.pdf")),
                 qPrintable(script.seen[2].text));
        QVERIFY(!QFile::exists(path("full.pdf")));
    }

    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    const QString pdffonts = QStandardPaths::findExecutable("pdffonts");
    if (pdftotext.isEmpty() || pdffonts.isEmpty())
        QSKIP("pdftotext and pdffonts (poppler-utils) are needed to read the PDF back.");
    auto run = [](const QString &program, const QStringList &args) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    QCOMPARE(run(pdftotext, {path("psalm.pdf"), "-"}).simplified(), QString("The Lord is my shepherd I shall not want 1"));
    QVERIFY2(run(pdffonts, {path("psalm.pdf")}).contains("Bold"), "the bold word lost its weight");
    QCOMPARE(run(pdftotext, {path("part.pdf"), "-"}).simplified(), QString("I shall not want 1"));
}

int main(int argc, char **argv)
{
    // No printer for this run, whatever the machine has: the print test
    // then knows what to expect.
    qputenv("CUPS_SERVER", "/nonexistent/vellumor-test/cups.sock");
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    if (argc == 3 && qstrcmp(argv[1], "--unprivileged-file-checks") == 0) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        out << "uid|" << ::geteuid() << '\n';
        for (const QString &line : unprivilegedFileChecks(QString::fromLocal8Bit(argv[2])))
            out << line << '\n';
        return 0;
    }
    QApplication app(argc, argv);
    TestDocument test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_document.moc"
