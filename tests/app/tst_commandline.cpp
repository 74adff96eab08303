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
    void handsFilesToTheRunningProgram();

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
    for (const ReferenceSchema::Table &t : ReferenceSchema::All) {
        const QString file = m_data.filePath(QString::fromLatin1(t.file.data(), qsizetype(t.file.size())));
        QVERIFY(ReferenceFixture::write(file, t, {{QStringLiteral("subject"), QStringLiteral("entry")}}));
    }
}

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("text"); // a part of the printed text

    using A = CommandLine::Action;
    const QString here = QDir::currentPath();
    QTest::newRow("nothing") << QStringList{} << A::Start << QStringList{} << QString();
    QTest::newRow("relative file") << QStringList{"sermon.txt"} << A::Start << QStringList{here + "/sermon.txt"}
                                   << QString();
    QTest::newRow("dots cleaned") << QStringList{"/tmp/a/../b.txt"} << A::Start << QStringList{"/tmp/b.txt"}
                                  << QString();
    QTest::newRow("dash file after --") << QStringList{"--", "-x.txt"} << A::Start << QStringList{here + "/-x.txt"}
                                        << QString();
    QTest::newRow("two files, in order") << QStringList{"b.txt", "/a.txt"} << A::Start
                                         << QStringList{here + "/b.txt", "/a.txt"} << QString();
    QTest::newRow("--help") << QStringList{"--help"} << A::Print << QStringList{} << "-v, --version";
    QTest::newRow("help by the program's name") << QStringList{"-h"} << A::Print << QStringList{}
                                                << "Usage: vellumor [options] [FILE...]\n";
    // Before QApplication has taken out its options, they must not stop these.
    QTest::newRow("help among Qt's options") << QStringList{"-style", "fusion", "--help"} << A::Print
                                             << QStringList{} << "[FILE...]";
    QTest::newRow("--version") << QStringList{"--version"} << A::Print << QStringList{}
                               << "Vellumor " VELLUMOR_VERSION_TEXT "\n";
    QTest::newRow("version among Qt's options") << QStringList{"-platform", "xcb", "-v"} << A::Print
                                                << QStringList{} << "Vellumor " VELLUMOR_VERSION_TEXT "\n";
    QTest::newRow("-v with a file") << QStringList{"-v", "a.txt"} << A::Print << QStringList{}
                                    << "Vellumor " VELLUMOR_VERSION_TEXT "\n";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << A::Refuse << QStringList{}
                                    << "vellumor: Unknown option 'bogus'.\nTry 'vellumor --help'";
    QTest::newRow("empty name") << QStringList{""} << A::Refuse << QStringList{} << "name is empty";
    QTest::newRow("value on --version") << QStringList{"--version=2"} << A::Refuse << QStringList{}
                                        << "Unexpected value after '--version'";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QStringList, files);
    QFETCH(QString, text);
    const CommandLine line = CommandLine::parse(QStringList{QStringLiteral("/usr/bin/vellumor")} + arguments);
    QCOMPARE(line.action(), action);
    QCOMPARE(line.files(), files);
    QVERIFY2(line.text().contains(text), qPrintable(line.text()));
    QVERIFY(!line.text().contains(QLatin1String("/usr/bin")));
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
    QTemporaryDir dir;
    auto file = [&dir](const char *name) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(name) > 0 ? path : QString();
    };
    const QString a = file("a.txt"), b = file("b.txt"), c = file("c.txt");
    frmSplash splash([this] { return std::make_unique<frmMain>(m_data.path()); });
    splash.setScreenSize([] { return QSizeF(800, 600); });
    OpenRequests requests(splash);
    splash.show();
    requests.request({a});
    requests.request({b});
    requests.request({}); // only brings the program forward
    splash.RainButton1->click();
    frmMain &main = *splash.mainWindow();
    QCOMPARE(main.CurrentFile, b);

    main.RichTextBox1->SetText(QStringLiteral("changed"));
    QVERIFY(main.TextChanged);
    // Every message answered as it comes: No to the question, OK otherwise.
    QStringList seen;
    QString openWhenAsked;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen << box->text();
        if (main.CurrentFile != b)
            openWhenAsked += QStringLiteral(" (%1 open at %2)").arg(main.CurrentFile, seen.last());
        box->button(seen.size() == 2 ? QMessageBox::No : QMessageBox::Ok)->click();
    });
    answerer.start(10);
    // A dialog is open when the request comes: it waits for that to close.
    QTimer::singleShot(0, &main, [&] { requests.request({c, a}); });
    QMessageBox other(QMessageBox::Information, QStringLiteral("other"), QStringLiteral("other"), QMessageBox::Ok, &main);
    other.exec();
    QTRY_COMPARE(seen.size(), 3);
    QCOMPARE(main.CurrentFile, c);
    QCOMPARE(seen.value(0), QStringLiteral("other"));
    QCOMPARE(seen.value(1), QStringLiteral("Save changes to text?"));
    QCOMPARE(openWhenAsked, QStringLiteral(" (%1 open at %2)").arg(c, seen.value(2)));
    QCOMPARE(seen.value(2), QStringLiteral("Vellumor holds one document at a time, so only \"c.txt\" was opened. This "
                                           "one was not opened:\n\n%1")
                                .arg(QDir::toNativeSeparators(a)));
}

void TestCommandLine::claimTakesOverWhatNoLongerAnswers_data()
{
    QTest::addColumn<QString>("left"); // what holds the name before
    QTest::newRow("nothing") << "";
    QTest::newRow("a file left by a crash") << "file";
    QTest::newRow("a program that does not answer") << "silent";
}

void TestCommandLine::claimTakesOverWhatNoLongerAnswers()
{
    QFETCH(QString, left);
    const QString name = SingleInstance::serverName();
    QLocalServer silent; // accepts, never answers: nothing runs its event loop meanwhile
    if (left == QLatin1String("file")) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (left == QLatin1String("silent")) {
        QVERIFY(silent.listen(name));
    }
    {
        SingleInstance instance;
        QCOMPARE(instance.claim(name, {QStringLiteral("/a.txt")}), SingleInstance::Role::Running);
        // Later starts now reach this one.
        QSignalSpy requested(&instance, &SingleInstance::requested);
        QProcess later;
        later.start(QStringLiteral(VELLUMOR_PROGRAM), {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                                       QStringLiteral("/b.txt")});
        QTRY_COMPARE(requested.count(), 1);
        QCOMPARE(requested.at(0).at(0).toStringList(), QStringList{QStringLiteral("/b.txt")});
        QVERIFY(later.state() == QProcess::NotRunning || later.waitForFinished(30000));
        QCOMPARE(later.exitCode(), 0);
    }
    QVERIFY(!QFile::exists(name)); // a normal end leaves nothing behind
}

// The real program, started as a desktop session restarts it (Qt's own
// options first), hands its documents to the running one and ends.
void TestCommandLine::handsFilesToTheRunningProgram()
{
    SingleInstance running;
    QCOMPARE(running.claim(SingleInstance::serverName(), {}), SingleInstance::Role::Running);
    QSignalSpy requested(&running, &SingleInstance::requested);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(m_data.path());
    program.start(QStringLiteral(VELLUMOR_PROGRAM),
                  {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-style"),
                   QStringLiteral("fusion"), QStringLiteral("-session"), QStringLiteral("1234"),
                   QStringLiteral("first.txt"), QStringLiteral("/second.rtf")});
    QTRY_COMPARE(requested.count(), 1);
    QCOMPARE(requested.at(0).at(0).toStringList(),
             (QStringList{m_data.filePath(QStringLiteral("first.txt")), QStringLiteral("/second.rtf")}));
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.readAllStandardError(), QByteArray());
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
