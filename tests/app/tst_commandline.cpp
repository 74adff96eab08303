#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/CommandLine.h"
#include "app/RainButton.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "editor/RichTextBox.h"
#include "reference/ReferenceFixture.h"

#include <QDir>
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

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
};

void TestCommandLine::initTestCase()
{
    AppSetup::initResources();
    // The splash keeps a picture in the cache folder: not the user's.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    for (const ReferenceSchema::Table &t : ReferenceSchema::All) {
        const QString file = m_data.filePath(QString::fromLatin1(t.file.data(), qsizetype(t.file.size())));
        QVERIFY(ReferenceFixture::write(file, t, {{QStringLiteral("subject"), QStringLiteral("entry")}}));
    }
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
    QTest::newRow("-h") << QStringList{"-h"} << A::Print << QString() << "[FILE]";
    QTest::newRow("--version") << QStringList{"--version"} << A::Print << QString()
                               << "Vellumor " VELLUMOR_VERSION_TEXT "\n";
    QTest::newRow("-v with a file") << QStringList{"-v", "a.txt"} << A::Print << QString()
                                    << "Vellumor " VELLUMOR_VERSION_TEXT "\n";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << A::Refuse << QString()
                                    << "vellumor: Unknown option 'bogus'.\nTry 'vellumor --help'";
    QTest::newRow("Qt option") << QStringList{"-platform", "xcb"} << A::Refuse << QString()
                               << "Unknown option 'platform'.";
    QTest::newRow("two files") << QStringList{"a.txt", "b.txt"} << A::Refuse << QString()
                               << "one document at a time, but 2 were given";
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
    const CommandLine line = CommandLine::parse(QStringList{QStringLiteral("vellumor")} + arguments);
    QCOMPARE(line.action(), action);
    QCOMPARE(line.file(), file);
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
    line.openFileAfterEnter(splash);
    splash.show();
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

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
