#include "EditorWait.h"
#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"

#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// Prints from the program through a real print server: a private CUPS
// daemon whose default queue is a cups-pdf printer, so the printout can be
// found and read back.
class TestPrintCups : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    // In this order: the queues are added one by one.
    void printsOnTheOnlyPrinterWhenNoneIsDefault();
    void asksForAPrinterWhenSeveralAndNoneIsDefault();
    void printsTheDocumentOnTheDefaultPrinter();

private:
    bool lp(const QStringList &args, QString *output);
    QString pdfFolder() const;
    bool addQueue(const char *name);
    // Prints a document named after the test from a fresh window; answer
    // handles any dialog on the way (none expected when it is empty).
    void print(const QString &docName, const std::function<void(QDialog *)> &answer = {});
    // The printout of the document docName, read back as text.
    QString printout(const QString &docName);

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
    std::unique_ptr<QTemporaryDir> m_server;
    QProcess m_cupsd;
    QString m_socket;
};

static const char *const QueueName = "VellumorPDF";
static const char *const SecondQueueName = "VellumorPDF2";

bool TestPrintCups::lp(const QStringList &args, QString *output)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CUPS_SERVER", m_socket);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(args.first(), args.mid(1));
    const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

// Where cups-pdf puts the job owner's files ("Out" in its configuration).
QString TestPrintCups::pdfFolder() const
{
    const passwd *pw = ::getpwuid(::geteuid());
    const QString home = pw ? QString::fromLocal8Bit(pw->pw_dir) : QDir::homePath();
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromLocal8Bit(conf.readAll()).split(u'\n');
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("Out ")))
                out = line.mid(4).trimmed();
        }
    }
    return out.replace(QLatin1String("${HOME}"), home).replace(QLatin1String("${USER}"), user);
}

void TestPrintCups::initTestCase()
{
    AppSetup::initResources();
    AppSetup::installFontSubstitutes();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());

    const QString cupsd = QStandardPaths::findExecutable("cupsd", {"/usr/sbin", "/usr/local/sbin", "/sbin"});
    const QString lpadmin = QStandardPaths::findExecutable("lpadmin", {"/usr/sbin", "/usr/bin"});
    const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
    if (cupsd.isEmpty() || lpadmin.isEmpty() || !QFileInfo::exists(ppd)
        || !QFileInfo::exists("/usr/lib/cups/backend/cups-pdf"))
        QSKIP("CUPS with the PDF printer is not installed (Debian packages cups, printer-driver-cups-pdf).");
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is needed to read the printout.");
    if (::geteuid() != 0)
        QSKIP("The cups-pdf backend only runs under a print server started as root.");
    const group *lpGroup = ::getgrnam("lp");
    if (!lpGroup)
        QSKIP("There is no group lp for the print server's filters.");

    // A private server in a folder of its own: the machine's print setup is
    // neither needed nor touched.
    m_server = std::make_unique<QTemporaryDir>();
    QVERIFY(m_server->isValid());
    const QDir dir(m_server->path());
    for (const char *sub : {"root/ppd", "spool/tmp", "cache", "state", "log"})
        QVERIFY(dir.mkpath(QString::fromLatin1(sub)));
    auto modeAndGroup = [&](const char *sub, mode_t mode) {
        const QByteArray p = QFile::encodeName(dir.filePath(QString::fromLatin1(sub)));
        return ::chmod(p.constData(), mode) == 0 && ::chown(p.constData(), 0, lpGroup->gr_gid) == 0;
    };
    QVERIFY(modeAndGroup(".", 0755) && modeAndGroup("root", 0755) && modeAndGroup("spool", 0770)
            && modeAndGroup("spool/tmp", 0770));
    m_socket = dir.filePath("cups.sock");

    QFile conf(dir.filePath("root/cupsd.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("Listen %1\nLogLevel info\nWebInterface No\nBrowsing Off\n"
                              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                              "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                   .arg(m_socket)
                   .toLocal8Bit());
    conf.close();
    QFile files(dir.filePath("root/cups-files.conf"));
    QVERIFY(files.open(QIODevice::WriteOnly));
    files.write(QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                               "CacheDir %1/cache\nStateDir %1/state\nAccessLog %1/log/access_log\n"
                               "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\nSystemGroup root\n")
                    .arg(dir.path())
                    .toLocal8Bit());
    files.close();

    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(cupsd, {"-f", "-c", dir.filePath("root/cupsd.conf"), "-s", dir.filePath("root/cups-files.conf")});
    if (!m_cupsd.waitForStarted(10000))
        QSKIP(qPrintable("cupsd could not be started: " + m_cupsd.errorString()));
    QString out;
    const QString lpstat = QStandardPaths::findExecutable("lpstat");
    const bool up = !lpstat.isEmpty() && QTest::qWaitFor(
                                              [&] {
                                                  return QFileInfo::exists(m_socket) && lp({lpstat, "-r"}, &out)
                                                         && out.contains("scheduler is running");
                                              },
                                              15000);
    if (!up || m_cupsd.state() != QProcess::Running)
        QSKIP(qPrintable("cupsd did not start: " + QString::fromLocal8Bit(m_cupsd.readAll())));

    // From here on this process talks to the private server only.
    qputenv("CUPS_SERVER", QFile::encodeName(m_socket));
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
}

void TestPrintCups::cleanupTestCase()
{
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(10000))
            m_cupsd.kill();
        m_cupsd.waitForFinished(5000);
    }
}

bool TestPrintCups::addQueue(const char *name)
{
    const QString lpadmin = QStandardPaths::findExecutable("lpadmin", {"/usr/sbin", "/usr/bin"});
    QString out;
    const bool added = lp({lpadmin, "-p", QString::fromLatin1(name), "-E", "-v", "cups-pdf:/", "-P",
                           "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"},
                          &out);
    if (!added)
        qWarning() << out;
    return added;
}

void TestPrintCups::print(const QString &docName, const std::function<void(QDialog *)> &answer)
{
    ModalDriver warning;
    warning.answer(QMessageBox::Ok);
    frmMain w(m_data.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    (void)QTest::qWaitFor([&] { return warning.seen() > 0; }, 3000);
    warning.stop();

    // The job carries the document's name; a unique one finds the printout.
    w.CurrentFile = QDir::temp().filePath(docName + ".txt");
    w.RichTextBox1->SetText(QStringLiteral("~ Blessed are the meek\nfor they shall inherit the earth"));
    w.TextChanged = true;

    ModalDriver dialog;
    QStringList unexpected;
    dialog.arm([&](QDialog *d) {
        if (answer) {
            answer(d);
            return;
        }
        unexpected << d->windowTitle();
        d->reject();
    });
    w.mnuFilePrint_Click();
    dialog.stop();
    QVERIFY(EditorWait::idle(*w.RichTextBox1)); // printed as a job
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(u'\n')));
    QVERIFY(!answer || dialog.seen() == 1);
    QVERIFY(w.TextChanged);
    w.TextChanged = false;
}

QString TestPrintCups::printout(const QString &docName)
{
    const QDir out(pdfFolder());
    QString pdf;
    const bool printed = QTest::qWaitFor(
        [&] {
            const QStringList found = out.entryList({docName + "*.pdf"}, QDir::Files);
            if (found.isEmpty())
                return false;
            pdf = out.filePath(found.first());
            return QFileInfo(pdf).size() > 0;
        },
        60000);
    if (!printed) {
        QFile errors(QDir(m_server->path()).filePath("log/error_log"));
        if (errors.open(QIODevice::ReadOnly))
            qWarning().noquote() << "no printout in" << out.path() << "\n" << errors.readAll().right(3000);
        return {};
    }
    QTest::qWait(500); // the backend may still be closing the file
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    text.waitForFinished(30000);
    QFile::remove(pdf);
    return QString::fromUtf8(text.readAllStandardOutput()).simplified();
}

static QString uniqueDocName()
{
    return QStringLiteral("vellumor-print-%1-%2").arg(::getpid()).arg(QDateTime::currentMSecsSinceEpoch());
}

void TestPrintCups::printsOnTheOnlyPrinterWhenNoneIsDefault()
{
    QVERIFY(addQueue(QueueName));
    QVERIFY(QPrinterInfo::defaultPrinter().isNull());
    const QString name = uniqueDocName();
    print(name);
    QVERIFY(!printout(name).isEmpty());
}

void TestPrintCups::asksForAPrinterWhenSeveralAndNoneIsDefault()
{
    QVERIFY(addQueue(SecondQueueName));
    QVERIFY(QPrinterInfo::defaultPrinter().isNull());
    QString label;
    QStringList offered;
    const QString name = uniqueDocName();
    print(name, [&](QDialog *d) {
        auto *choice = qobject_cast<QInputDialog *>(d);
        if (!choice) {
            d->reject();
            return;
        }
        label = choice->labelText();
        offered = choice->comboBoxItems();
        choice->setTextValue(QString::fromLatin1(SecondQueueName));
        choice->accept();
    });
    QVERIFY2(label.contains("No default printer is set"), qPrintable(label));
    offered.sort();
    QCOMPARE(offered, QStringList({QueueName, SecondQueueName}));
    QVERIFY(!printout(name).isEmpty());

    // Cancelled: nothing is printed.
    const QString cancelled = uniqueDocName();
    print(cancelled, [](QDialog *d) { d->reject(); });
    QTest::qWait(3000);
    QVERIFY(QDir(pdfFolder()).entryList({cancelled + "*.pdf"}, QDir::Files).isEmpty());

    QString out;
    QVERIFY(lp({QStandardPaths::findExecutable("lpadmin", {"/usr/sbin", "/usr/bin"}), "-x", SecondQueueName}, &out));
}

void TestPrintCups::printsTheDocumentOnTheDefaultPrinter()
{
    QString out;
    QVERIFY2(lp({QStandardPaths::findExecutable("lpadmin", {"/usr/sbin", "/usr/bin"}), "-d", QueueName}, &out),
             qPrintable(out));
    QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), QString::fromLatin1(QueueName));
    const QString name = uniqueDocName();
    print(name);
    QString got = printout(name);
    // The PDF printer passes the page through PostScript, which may drop the
    // map from glyphs back to letters: then the text reads as other symbols,
    // one per letter, and the first glyph drawn reads as a blank, which is
    // why the page starts with a sacrificial "~". Either way the same letter
    // must always give the same symbol, and different letters different ones.
    if (got.startsWith(u'~'))
        got = got.mid(1).simplified();
    const QString expected = QStringLiteral("Blessed are the meek for they shall inherit the earth 1");
    QCOMPARE(got.size(), expected.size());
    QHash<QChar, QChar> forward;
    QHash<QChar, QChar> backward;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QChar e = expected.at(i);
        const QChar g = got.at(i);
        QVERIFY2(forward.value(e, g) == g && backward.value(g, e) == e, qPrintable(got));
        forward.insert(e, g);
        backward.insert(g, e);
    }
    QCOMPARE(forward.value(u' '), QChar(u' '));
}

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
