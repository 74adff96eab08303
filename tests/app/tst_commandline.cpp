#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/CommandLine.h"
#include "app/OpenRequests.h"
#include "app/RainButton.h"
#include "app/SingleInstance.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "editor/RichTextBox.h"
#include "reference/ReferenceFixture.h"

#include <QDir>
#include <QLocalServer>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void printsAndRefusesWithoutDisplay_data();
    void printsAndRefusesWithoutDisplay();
    void opensFileAfterEnter_data();
    void opensFileAfterEnter();
    void laterRequestsOpenAsFileOpenDoes();
    void claimTakesOverWhatNoLongerAnswers_data();
    void claimTakesOverWhatNoLongerAnswers();

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
    QTemporaryDir m_runtime;
};

void TestCommandLine::initTestCase()
{
    AppSetup::initResources();
    // The splash keeps a picture in the cache folder: not the user's.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    // A runtime folder of our own: no running Vellumor of this user is ever met.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    QVERIFY(SingleInstance::serverName().startsWith(m_runtime.path()));
    QVERIFY(ReferenceFixture::writeAllSmall(m_data.path()));
}

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text"); // a part of the printed text

    using A = CommandLine::Action;
    const QString here = QDir::currentPath();
    QTest::newRow("nothing") << QStringList{} << A::Start << QString() << QString();
    QTest::newRow("relative file") << QStringList{"sermon.txt"} << A::Start << here + "/sermon.txt" << QString();
    QTest::newRow("dots cleaned") << QStringList{"/tmp/a/../b.txt"} << A::Start << QStringLiteral("/tmp/b.txt")
                                  << QString();
    QTest::newRow("dash file after --") << QStringList{"--", "-x.txt"} << A::Start << here + "/-x.txt" << QString();
    QTest::newRow("--help") << QStringList{"--help"} << A::Print << QString() << "-v, --version";
    QTest::newRow("-h") << QStringList{"-h"} << A::Print << QString() << "Usage: vellumor [options] [FILE...]\n";
    QTest::newRow("--version") << QStringList{"--version"} << A::Print << QString()
                               << "Vellumor " VELLUMOR_VERSION_TEXT "\n";
    QTest::newRow("-v with a file") << QStringList{"-v", "a.txt"} << A::Print << QString()
                                    << "Vellumor " VELLUMOR_VERSION_TEXT "\n";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << A::Refuse << QString()
                                    << "vellumor: Unknown option 'bogus'.\nTry 'vellumor --help'";
    // Qt's options are still there before QApplication takes them out.
    QTest::newRow("Qt option and help") << QStringList{"-platform", "xcb", "-h"} << A::Print << QString() << "[FILE...]";
    QTest::newRow("Qt option and version") << QStringList{"-style=x", "-v"} << A::Print << QString() << "Vellumor ";
    QTest::newRow("two files") << QStringList{"a.txt", "/b.txt"} << A::Start << here + "/a.txt|/b.txt" << QString();
    QTest::newRow("empty name") << QStringList{""} << A::Refuse << QString() << "name is empty";
    QTest::newRow("value on --version") << QStringList{"--version=2"} << A::Refuse << QString()
                                        << "Unexpected value after '--version'";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, file);
    QFETCH(QString, text);
    const CommandLine line = CommandLine::parse(QStringList{QStringLiteral("/usr/bin/vellumor")} + arguments);
    QCOMPARE(line.action(), action);
    QCOMPARE(line.files().join(QLatin1Char('|')), file);
    QVERIFY2(line.text().contains(text), qPrintable(line.text()));
    QCOMPARE(line.text().isEmpty(), action == CommandLine::Action::Start);
}

// The real program, with no display at all: help and version go to standard
// output, a refusal to standard error, before any window is attempted.
void TestCommandLine::printsAndRefusesWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--version" << QString();
    QTest::newRow("version") << QStringList{"--version"} << 0 << "Vellumor " VELLUMOR_VERSION_TEXT << QString();
    QTest::newRow("help among Qt's options") << QStringList{"-style", "fusion", "-session", "x", "-h"} << 0
                                             << "Usage: vellumor " << QString();
    QTest::newRow("refused") << QStringList{"a.txt", "--bogus"} << CommandLine::UsageError << QString()
                             << "Unknown option 'bogus'";
}

void TestCommandLine::printsAndRefusesWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VELLUMOR_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
}

void TestCommandLine::opensFileAfterEnter_data()
{
    QTest::addColumn<bool>("exists");
    QTest::newRow("readable file") << true;
    QTest::newRow("missing file") << false;
}

void TestCommandLine::opensFileAfterEnter()
{
    QFETCH(bool, exists);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sermon.txt"));
    if (exists) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("In the beginning\r\nwas the Word.\r\n");
    }
    const CommandLine line = CommandLine::parse({QStringLiteral("vellumor"), path});

    frmSplash splash([this] { return std::make_unique<frmMain>(m_data.path()); });
    splash.setScreenSize([] { return QSizeF(800, 600); });
    OpenRequests requests(splash);
    splash.show();
    requests.request(line.files());
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QVERIFY(!splash.mainWindow()); // nothing happens before ENTER

    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    QTimer::singleShot(0, splash.RainButton1, &QAbstractButton::click);
    QTRY_VERIFY(splash.mainWindow() && splash.mainWindow()->isVisible());
    const frmMain &main = *splash.mainWindow();
    if (exists) {
        QTRY_COMPARE(main.CurrentFile, path);
        QCOMPARE(main.RichTextBox1->Text(), QStringLiteral("In the beginning\nwas the Word.\n"));
        QCOMPARE(main.windowTitle(), QStringLiteral("Text Editor - ") + QDir::toNativeSeparators(path));
        QCOMPARE(driver.seen(), 0);
    } else {
        QTRY_COMPARE(driver.seen(), 1);
        QVERIFY2(driver.texts.value(0).startsWith(
                     QStringLiteral("The document could not be opened from \"%1\".").arg(QDir::toNativeSeparators(path))),
                 qPrintable(driver.texts.value(0)));
        QVERIFY(main.CurrentFile.isEmpty());
        QCOMPARE(main.RichTextBox1->Text(), frmMain(m_data.path()).RichTextBox1->Text()); // as it started
    }
    driver.stop();
}

// What later starts hand over: before ENTER the latest waits for it; after
// it, the question comes first, never over another dialog, and of several
// documents the others are named.
void TestCommandLine::laterRequestsOpenAsFileOpenDoes()
{
    QStringList paths;
    for (const char *name : {"a.txt", "b.txt", "c.txt"}) {
        QFile f(m_data.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(name) > 0);
        paths << f.fileName();
    }
    frmSplash splash([this] { return std::make_unique<frmMain>(m_data.path()); });
    splash.setScreenSize([] { return QSizeF(800, 600); });
    OpenRequests requests(splash);
    splash.show();
    requests.request({paths[0]});
    requests.request({paths[1]});
    requests.request({}); // only brings the program forward
    splash.RainButton1->click();
    frmMain &main = *splash.mainWindow();
    QCOMPARE(main.CurrentFile, paths[1]);

    main.RichTextBox1->SetText(QStringLiteral("changed"));
    // Each message answered as it comes (No to the question), noting what is open.
    QStringList seen;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->isVisible()) {
            seen << QFileInfo(main.CurrentFile).fileName() + QLatin1Char(' ') + box->text();
            box->button(seen.size() == 2 ? QMessageBox::No : QMessageBox::Ok)->click();
        }
    });
    answerer.start(10);
    // A dialog is open when the request comes: it waits for that to close.
    QTimer::singleShot(0, &main, [&] { requests.request({paths[2], paths[0]}); });
    QMessageBox(QMessageBox::Information, QStringLiteral("V"), QStringLiteral("other"), QMessageBox::Ok, &main).exec();
    QTRY_COMPARE(seen.size(), 3);
    QCOMPARE(seen, (QStringList{"b.txt other", "b.txt Save changes to text?",
                                "c.txt Vellumor holds one document at a time, so it opens only \"c.txt\". This one "
                                "was not opened:\n\n" + QDir::toNativeSeparators(paths[0])}));
}

void TestCommandLine::claimTakesOverWhatNoLongerAnswers_data()
{
    QTest::addColumn<QString>("left"); // what holds the name before
    QTest::newRow("nothing") << "";
    QTest::newRow("a file left by a crash") << "file";
    QTest::newRow("a program that does not answer") << "silent";
}

// Whatever held the name, the program claims it; a later start of the real
// program, given Qt's own options as a desktop session restarts it, hands
// its files over and ends.
void TestCommandLine::claimTakesOverWhatNoLongerAnswers()
{
    QFETCH(QString, left);
    const QString name = SingleInstance::serverName();
    QLocalServer silent; // accepts, never answers: nothing runs its event loop meanwhile
    QFile file(name);
    QVERIFY(left != QLatin1String("file") || file.open(QIODevice::WriteOnly));
    QVERIFY(left != QLatin1String("silent") || silent.listen(name));
    {
        SingleInstance instance;
        QCOMPARE(instance.claim(name, {QStringLiteral("/a.txt")}), SingleInstance::Role::Running);
        QSignalSpy requested(&instance, &SingleInstance::requested);
        QProcess later;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        later.setProcessEnvironment(env);
        later.setWorkingDirectory(m_data.path());
        later.start(QStringLiteral(VELLUMOR_PROGRAM), {"-platform", "offscreen", "-style", "fusion", "-session", "1234",
                                                       "first.txt", "/second.rtf"});
        QTRY_COMPARE(requested.count(), 1);
        QCOMPARE(requested.at(0).at(0).toStringList(), (QStringList{m_data.filePath("first.txt"), "/second.rtf"}));
        QVERIFY(later.state() == QProcess::NotRunning || later.waitForFinished(30000));
        QCOMPARE(later.exitCode(), 0);
        QCOMPARE(later.readAllStandardError(), QByteArray());
    }
    QVERIFY(!QFile::exists(name)); // a normal end leaves nothing behind
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
