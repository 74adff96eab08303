#include "../reference/ReferenceFixture.h"
#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/Pictures.h"
#include "app/frmMain.h"
#include "info/HelpText.h"
#include "info/SystemInfoLocator.h"
#include "info/frmAbout.h"
#include "info/frmHelp.h"
#include "reference/SubjectLists.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Rule(37, QLatin1Char('-'));

// Lines 1 to 59 of the help text, character for character.
QStringList expectedOpening()
{
    return {
        "Note:  Please read software license at bottom of help file.",
        "",
        "Vellumor saves all files in  (.txt)  format.  This format ",
        "allows ",
        "you maximum flexibility of importing  your data into a more ",
        "powerful ",
        "word processor for further formatting.",
        "",
        "Editing Database window information",
        "",
        "In order to copy information from the database windows to the ",
        "sermon construction window you must use the Windows ",
        "clipboard.  The process is simple.  Highlight the section of text ",
        "you want from one of the database windows and hit CTRL \"C.\" ",
        " Move your cursor to the desired  area on the sermon ",
        "construction window and hit CTRL \"V.\"",
        "",
        "Accessing Database Contents",
        "",
        "Each database's content  category can be  accessed by the ",
        "scroll tabs just above the database window.  You display the ",
        "category ",
        "by highlighting the desired selection.  You scroll down to the ",
        "desired ",
        "area or use the search functions to locate areas within the ",
        "selected ",
        "category.",
        "",
        "Here is a list of the categories:",
        "",
        "Sermon Construction Window [Window #1]",
        "",
        "Bible  [Window #2]",
        "",
        "King James old Testament",
        "King James new Testament",
        Rule,
        "",
        "Sermon Types & Samples  [Window #3]",
        "",
        "Basic Sermon Out Line",
        "Expository Sermon",
        "Textual Sermon",
        "Topical Sermon",
        "Title, The",
        "Application, The",
        "Conclusion, The",
        "Divisions , The",
        "Discussion, The",
        "Illustration, The",
        "Introduction, The",
        "Proposition, The",
        "Topical Sermon Sample",
        "Textual Sermon Sample",
        "Expository Sermon Sample",
        "",
        Rule,
        "Quotes, Poetry, History  {Window #4]",
        "",
    };
}

// Lines 117 to 125.
QStringList expectedDictionaryPart()
{
    return {Rule,
            "Dictionary, Word Usage, etc   [Window #5]",
            "",
            "Bible Dictionary",
            "Bible Names",
            "Topical Text Book Index",
            "Word Usage Count",
            "",
            ""};
}

// The one failure message as pressSystemInfo records it: titled with the
// program's name, no icon, an OK button only.
QStringList unavailable()
{
    return {QStringLiteral("Vellumor|%1|%2|System Information Is Unavailable At This Time")
                .arg(int(QMessageBox::NoIcon))
                .arg(int(QMessageBox::Ok))};
}

bool nearTwips(int px, int twips)
{
    return qAbs(px - twips / 15.0) <= 1;
}

} // namespace

class TestInfo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void helpTextShownLineByLine();
    void helpTextStoredWithCrLf();
    void helpWindowLayout();
    void helpWindowOneAtMostAndFreshAfterClose();
    void helpWindowClosesWithMainWindow();

    void aboutLayout();
    void aboutOpenedTwiceShowsTitleAndVersionAgain();
    void aboutClosedByKey_data();
    void aboutClosedByKey();

    void keyValueTypes();
    void keyValueLookupInSettingsFile();
    void firstLookupStartsProgramUntested();
    void secondLookupFindsKnownProgram();
    void secondLookupWithoutProgramShowsMessage();
    void startFailureShowsMessage();

private:
    std::unique_ptr<frmMain> makeMain() { return std::make_unique<frmMain>(m_data.path()); }
    // A script that records its own start by writing the marker file.
    QString writeFakeProgram(const QString &dir, const QString &name, const QString &marker) const;
    QString writeSettings(const QString &body) const;
    // Presses the System Info button of an About box reading from places;
    // returns the messages shown (each checked for its form).
    QStringList pressSystemInfo(const SystemInfoLocator::Places &places);

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<frmMain> m_main;
};

void TestInfo::initTestCase()
{
    AppSetup::prepare(*qApp);
    // Small but complete reference files, so the main window opens quietly.
    QVERIFY(ReferenceFixture::write(m_data.filePath("bible.db"), ReferenceSchema::Bible, {{"Genesis 1-16", "In the beginning"}}));
    QVERIFY(ReferenceFixture::write(m_data.filePath("joke.db"), ReferenceSchema::Joke, {{"BibleNames A-J", "Aaron"}}));
    QVERIFY(ReferenceFixture::write(m_data.filePath("quote.db"), ReferenceSchema::Quote, {{"Animals", "animals"}}));
    QVERIFY(ReferenceFixture::write(m_data.filePath("sermon.db"), ReferenceSchema::Sermon, {{"Title, The", "title"}}));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, m_settingsDir.path());
}

void TestInfo::init()
{
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
    m_main = makeMain();
}

void TestInfo::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmHelp *>(w) || qobject_cast<frmAbout *>(w))
            delete w;
    }
    m_main.reset();
    m_scratch.reset();
}

QString TestInfo::writeFakeProgram(const QString &dir, const QString &name, const QString &marker) const
{
    const QString path = dir + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(QStringLiteral("#!/bin/sh\necho started > '%1'\n").arg(marker).toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

QString TestInfo::writeSettings(const QString &body) const
{
    static int serial = 0;
    // A new file each time: settings files are cached by name within a process.
    const QString path = m_scratch->filePath(QStringLiteral("system-%1.conf").arg(++serial));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(body.toUtf8());
    return path;
}

QStringList TestInfo::pressSystemInfo(const SystemInfoLocator::Places &places)
{
    QPointer<frmAbout> about = new frmAbout(m_main.get(), places);
    about->show();
    ModalDriver driver;
    QStringList messages;
    driver.arm([&](QDialog *d) {
        auto *box = qobject_cast<QMessageBox *>(d);
        if (!box) {
            messages << QStringLiteral("unexpected dialog");
            d->reject();
            return;
        }
        messages << QStringLiteral("%1|%2|%3|%4")
                        .arg(box->windowTitle())
                        .arg(int(box->icon()))
                        .arg(int(box->standardButtons()))
                        .arg(box->text());
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    });
    about->cmdSysInfo->click();
    // A message comes up at once if at all; give the driver time to see none.
    QTest::qWait(100);
    driver.stop();
    // The box stays open whatever happened.
    if (!about || !about->isVisible())
        messages << QStringLiteral("About box closed");
    delete about;
    return messages;
}

void TestInfo::helpTextShownLineByLine()
{
    frmHelp help;
    QString shown = help.Text1->toPlainText();
    QVERIFY2(!shown.contains(QLatin1Char('\r')), "line ends must not show as characters");
    // Every line ends with a line break, the last one too.
    QVERIFY(shown.endsWith(QLatin1Char('\n')));
    shown.chop(1);
    const QStringList lines = shown.split(QLatin1Char('\n'));
    QCOMPARE(lines, HelpText::lines());

    const QStringList opening = expectedOpening();
    QCOMPARE(opening.size(), 59);
    for (int i = 0; i < 59; ++i)
        QVERIFY2(lines.at(i) == opening.at(i), qPrintable(QStringLiteral("line %1: [%2]").arg(i + 1).arg(lines.at(i))));

    // The quotation subjects, in the quotation list's order and words.
    const QStringList subjects = SubjectLists::load(QStringLiteral("LstQuote"));
    QCOMPARE(subjects.size(), 57);
    QCOMPARE(lines.mid(59, 57), subjects);
    QCOMPARE(lines.at(59), QStringLiteral("Animals"));
    QCOMPARE(lines.at(115), QStringLiteral("Women"));

    const QStringList dictionary = expectedDictionaryPart();
    for (int i = 0; i < dictionary.size(); ++i)
        QVERIFY2(lines.at(116 + i) == dictionary.at(i),
                 qPrintable(QStringLiteral("line %1: [%2]").arg(117 + i).arg(lines.at(116 + i))));

    // The notice: two headed sections, each heading followed by an empty
    // line, paragraphs separated by single empty lines.
    QCOMPARE(lines.at(125), QStringLiteral("Future updates"));
    QCOMPARE(lines.at(126), QString());
    QCOMPARE(lines.at(132), QString());
    QCOMPARE(lines.at(133), QStringLiteral("Disclaimer & Distribution"));
    QCOMPARE(lines.at(134), QString());
    for (int i = 127; i < 160; ++i) {
        if (i != 133)
            QVERIFY2(!(lines.at(i).isEmpty() && lines.at(i - 1).isEmpty()),
                     qPrintable(QStringLiteral("two empty lines at %1").arg(i + 1)));
    }
    QVERIFY(!lines.at(127).isEmpty());
    QVERIFY(!lines.at(135).isEmpty());
    QVERIFY(!lines.at(159).isEmpty());

    // A later section follows the guide under a rule, one heading per topic.
    QCOMPARE(lines.mid(160, 2), (QStringList{QString(), Rule}));
    for (const char *heading : {"Rich text files", "Recovery after a crash", "Finding a verse by its reference",
                                "The Tools menu"})
        QVERIFY2(lines.mid(162).contains(QString::fromLatin1(heading)), heading);
}

void TestInfo::helpTextStoredWithCrLf()
{
    const QString text = HelpText::contents();
    const qsizetype count = HelpText::lines().size();
    QCOMPARE(text.count(QStringLiteral("\r\n")), count);
    QCOMPARE(text.count(QLatin1Char('\n')), count);
    QCOMPARE(text.count(QLatin1Char('\r')), count);
    QVERIFY(text.contains(QStringLiteral("Women\r\n") + Rule + QStringLiteral("\r\n")));
    QVERIFY(text.endsWith(QStringLiteral("\r\n")));
}

void TestInfo::helpWindowLayout()
{
    frmHelp help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QCOMPARE(help.windowTitle(), QStringLiteral("Help Screen"));
    QCOMPARE(help.size(), QSize(339, 412));
    QCOMPARE(help.windowFlags() & Qt::WindowType_Mask, Qt::Window);
    QVERIFY(!help.parentWidget());
    QCOMPARE(help.palette().color(QPalette::Window), QColor(192, 192, 255));
    QCOMPARE(help.font().pointSizeF(), 8.25);

    const struct {
        QWidget *w;
        int l, t, wd, h;
    } rows[] = {{help.Text1, 120, 2040, 4815, 4095}, {help.Label1, 1560, 120, 3375, 1815}, {help.Image1, 120, 240, 1230, 1590}};
    for (const auto &r : rows) {
        QVERIFY2(nearTwips(r.w->x(), r.l) && nearTwips(r.w->y(), r.t) && nearTwips(r.w->width(), r.wd)
                     && nearTwips(r.w->height(), r.h),
                 qPrintable(r.w->objectName()));
    }

    QCOMPARE(help.Label1->palette().color(QPalette::Window), QColor(192, 255, 255));
    QCOMPARE(help.Label1->font().pointSizeF(), 9.0);
    QVERIFY(help.Label1->font().bold());
    QCOMPARE(help.Label1->frameShape(), QFrame::Box);
    QVERIFY(!help.Label1->text().isEmpty());
    QCOMPARE(help.Image1->pixmap().deviceIndependentSize().toSize(), QSize(78, 102));
    QCOMPARE(help.Image1->frameShape(), QFrame::Box);

    // The text: editable, wrapped at the box, with a vertical scroll bar,
    // holding the focus and shown from the top.
    QVERIFY(!help.Text1->isReadOnly());
    QCOMPARE(help.Text1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(help.Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(help.Text1->verticalScrollBar()->value(), 0);
    QCOMPARE(help.Text1->textCursor().position(), 0);
    QCOMPARE(help.focusWidget(), help.Text1);

    // Centred on the screen (within the window frame's thickness).
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(help.frameGeometry().center().x() - screen.center().x()) <= 16);
    QVERIFY(qAbs(help.frameGeometry().center().y() - screen.center().y()) <= 16);
}

void TestInfo::helpWindowOneAtMostAndFreshAfterClose()
{
    auto helpWindows = [] {
        QList<frmHelp *> found;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *h = qobject_cast<frmHelp *>(w); h && h->isVisible())
                found << h;
        }
        return found;
    };
    m_main->show();
    m_main->mnuHelpContents->trigger();
    QCOMPARE(helpWindows().size(), 1);
    QPointer<frmHelp> first = helpWindows().constFirst();
    const QString original = first->Text1->toPlainText();

    // Typing changes the shown copy only; a second Contents raises the same
    // window, minimised or not, and keeps what was typed.
    QTest::keyClicks(first->Text1, QStringLiteral("typed by the user"));
    QVERIFY(first->Text1->toPlainText().contains(QStringLiteral("typed by the user")));
    first->showMinimized();
    m_main->mnuHelpContents->trigger();
    QCOMPARE(helpWindows().size(), 1);
    QCOMPARE(helpWindows().constFirst(), first.data());
    QVERIFY(!first->isMinimized());
    QVERIFY(first->Text1->toPlainText().contains(QStringLiteral("typed by the user")));

    // The main window stays usable: the help screen is not modal.
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(first->windowModality() == Qt::NonModal);

    first->close();
    QTRY_VERIFY(!first);
    QCOMPARE(helpWindows().size(), 0);
    m_main->mnuHelpContents->trigger();
    QCOMPARE(helpWindows().size(), 1);
    QCOMPARE(helpWindows().constFirst()->Text1->toPlainText(), original);
    QCOMPARE(original, QString(HelpText::contents()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TestInfo::helpWindowClosesWithMainWindow()
{
    m_main->show();
    m_main->mnuHelpContents->trigger();
    QPointer<frmHelp> help;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *h = qobject_cast<frmHelp *>(w))
            help = h;
    QVERIFY(help && help->isVisible());
    m_main->close();
    QTRY_VERIFY(!help);

    // Destroying the main window without closing it does not leave the help behind.
    m_main = makeMain();
    m_main->mnuHelpContents->trigger();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *h = qobject_cast<frmHelp *>(w))
            help = h;
    QVERIFY(help);
    m_main.reset();
    QTRY_VERIFY(!help);
}

void TestInfo::aboutLayout()
{
    QPointer<frmAbout> about = new frmAbout(m_main.get());
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(about->windowTitle(), QStringLiteral("Vellumor"));
    QCOMPARE(about->size(), QSize(391, 308));
    QCOMPARE(about->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(!(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(about->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(about->font().pointSizeF(), 8.25);

    const struct {
        QWidget *w;
        int l, t, wd, h;
        QString text;
    } rows[] = {
        {about->picIcon, 240, 240, 990, 1545, QString()},
        {about->cmdOK, 4245, 2625, 1467, 345, QStringLiteral("OK")},
        {about->cmdSysInfo, 4260, 3075, 1452, 345, QStringLiteral("&System Info...")},
        {about->Label1, 480, 3840, 3135, 495, QStringLiteral("email questions or comments to: help@vellumor.org")},
        {about->lblDescription, 1410, 1125, 3735, 1170,
         QStringLiteral("The Vellumor software was designed to help Ministers develop sermons, teach Sunday School,  "
                        "or direct bible study by providing a massive amount of material that is a simple cut and "
                        "paste away.   ")},
        {about->lblTitle, 1410, 240, 3735, 480, QStringLiteral("Vellumor")},
        {about->lblVersion, 1410, 780, 3735, 225, QStringLiteral("Version 1.0.0")},
        {about->lblDisclaimer, 480, 2625, 3510, 1065, QString()},
    };
    for (const auto &r : rows) {
        QVERIFY2(nearTwips(r.w->x(), r.l) && nearTwips(r.w->y(), r.t) && nearTwips(r.w->width(), r.wd)
                     && nearTwips(r.w->height(), r.h),
                 qPrintable(r.w->objectName()));
        if (auto *l = qobject_cast<QLabel *>(r.w); l && !r.text.isNull())
            QCOMPARE(l->text(), r.text);
        if (auto *b = qobject_cast<QPushButton *>(r.w))
            QCOMPARE(b->text(), r.text);
    }
    QVERIFY(about->lblDisclaimer->text().size() > 40);

    // The picture box fits its 62 x 99 picture inside the border.
    QCOMPARE(about->picIcon->pixmap().deviceIndependentSize().toSize(), QSize(62, 99));
    QCOMPARE(about->picIcon->contentsRect().size(), QSize(62, 99));
    QCOMPARE(about->picIcon->palette().color(QPalette::Window), QColor(255, 192, 255));

    auto textColour = [](QWidget *w) { return w->palette().color(QPalette::WindowText); };
    QCOMPARE(textColour(about->Label1), QColor(255, 255, 0));
    QCOMPARE(textColour(about->lblDescription), QColor(255, 192, 255));
    QCOMPARE(textColour(about->lblTitle), QColor(255, 255, 255));
    QCOMPARE(textColour(about->lblVersion), QColor(128, 255, 255));
    QCOMPARE(textColour(about->lblDisclaimer), QColor(255, 192, 255));
    QCOMPARE(about->cmdOK->palette().color(QPalette::Button), QColor(255, 0, 255));
    QCOMPARE(about->lblTitle->font().pointSizeF(), 18.0);
    QVERIFY(about->lblTitle->font().bold());
    QCOMPARE(about->lblVersion->font().pointSizeF(), 8.25);
    QVERIFY(!about->lblVersion->font().bold());
    QCOMPARE(about->Label1->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // OK is the default button and first in the focus order.
    QVERIFY(about->cmdOK->isDefault());
    QCOMPARE(about->focusWidget(), about->cmdOK);
    QCOMPARE(about->cmdOK->nextInFocusChain(), about->cmdSysInfo);

    // What the window shows: the picture at the top left, the etched rule
    // (grey above white) across it, the picture box's own background.
    const QImage shot = about->grab().toImage();
    const QImage splash = Pictures::pixmap(QStringLiteral("splash"), QSize(768, 512)).toImage();
    QCOMPARE(shot.pixelColor(370, 100), splash.pixelColor(370, 100));
    QCOMPARE(shot.pixelColor(200, 162), QColor(128, 128, 128));
    QCOMPARE(shot.pixelColor(200, 163), QColor(255, 255, 255));
    QCOMPARE(shot.pixelColor(200, 164), QColor(255, 255, 255));
    QCOMPARE(shot.pixelColor(200, 166), splash.pixelColor(200, 166));
    delete about;
}

void TestInfo::aboutOpenedTwiceShowsTitleAndVersionAgain()
{
    m_main->show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QList<QPointer<frmAbout>> opened;
    for (int round = 0; round < 2; ++round) {
        ModalDriver driver;
        QStringList shown;
        QRect geometry;
        bool ownedAndModal = false;
        driver.arm([&](QDialog *d) {
            auto *about = qobject_cast<frmAbout *>(d);
            if (!about) {
                d->reject();
                return;
            }
            opened << about;
            shown << about->lblVersion->text() << about->lblTitle->text();
            geometry = about->frameGeometry();
            ownedAndModal = about->parentWidget() == m_main.get() && about->isModal();
            // Changing the labels must not survive the box.
            about->lblVersion->setText(QStringLiteral("stale"));
            about->lblTitle->setText(QStringLiteral("stale"));
            about->cmdOK->click();
        });
        m_main->mnuHelpAbout->trigger();
        QCOMPARE(driver.seen(), 1);
        QCOMPARE(shown, (QStringList{QStringLiteral("Version 1.0.0"), QStringLiteral("Vellumor")}));
        QVERIFY(ownedAndModal);
        QVERIFY2(qAbs(geometry.center().x() - screen.center().x()) <= 16
                     && qAbs(geometry.center().y() - screen.center().y()) <= 16,
                 qPrintable(QStringLiteral("%1,%2").arg(geometry.x()).arg(geometry.y())));
    }
    QCOMPARE(opened.size(), 2);
    // Closing destroyed each box: every opening made a new one.
    QVERIFY(!opened.at(0));
    QVERIFY(!opened.at(1));
}

void TestInfo::aboutClosedByKey_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void TestInfo::aboutClosedByKey()
{
    QFETCH(int, key);
    m_main->show();
    QPointer<frmAbout> seen;
    ModalDriver driver;
    driver.arm([&](QDialog *d) {
        seen = qobject_cast<frmAbout *>(d);
        QTest::keyClick(d, Qt::Key(key));
    });
    QElapsedTimer timer;
    timer.start();
    m_main->mnuHelpAbout->trigger(); // returns only once the box is closed
    QCOMPARE(driver.seen(), 1);
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(!seen);
}

void TestInfo::keyValueTypes()
{
    const struct {
        QVariant value;
        QString expected;
    } rows[] = {
        {QVariant(QStringLiteral("C:\\Program Files\\msinfo32.exe")), QStringLiteral("C:\\Program Files\\msinfo32.exe")},
        {QVariant(QStringLiteral("before") + QChar(0) + QStringLiteral("after")), QStringLiteral("before")},
        {QVariant(QString()), QString()},
        {QVariant(int(255)), QStringLiteral("&hFF")},
        {QVariant(int(0)), QStringLiteral("&h0")},
        {QVariant(int(0x1A2B3C)), QStringLiteral("&h1A2B3C")},
        {QVariant(int(-1)), QStringLiteral("&hFFFFFFFF")},
        {QVariant(uint(0x80000002u)), QStringLiteral("&h80000002")},
        // Other types leave the caller's text as it was.
        {QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")}), QStringLiteral("unchanged")},
        {QVariant(QByteArray("bytes")), QStringLiteral("unchanged")},
        {QVariant(qint64(1) << 40), QStringLiteral("unchanged")},
    };
    for (const auto &r : rows) {
        QString keyVal = QStringLiteral("unchanged");
        SystemInfoLocator::takeValue(r.value, keyVal);
        QCOMPARE(keyVal, r.expected);
    }
}

void TestInfo::keyValueLookupInSettingsFile()
{
    const QString file = writeSettings(QStringLiteral("[SystemInformation]\n"
                                                      "Path=/opt/tools/sysinfo\n"
                                                      "List=one, two\n"
                                                      "[Other\\Nested]\n"
                                                      "Value=deep\n"));
    SystemInfoLocator locator({file, {}});
    const quint32 hklm = SystemInfoLocator::LocalMachineRoot;
    QString keyVal = QStringLiteral("prefilled");
    QVERIFY(locator.GetKeyValue(hklm, QStringLiteral("SystemInformation"), QStringLiteral("Path"), keyVal));
    QCOMPARE(keyVal, QStringLiteral("/opt/tools/sysinfo"));

    keyVal = QStringLiteral("prefilled");
    QVERIFY(locator.GetKeyValue(hklm, QStringLiteral("Other\\Nested"), QStringLiteral("Value"), keyVal));
    QCOMPARE(keyVal, QStringLiteral("deep"));

    // A list is another type: read, caller's text kept.
    keyVal.clear();
    QVERIFY(locator.GetKeyValue(hklm, QStringLiteral("SystemInformation"), QStringLiteral("List"), keyVal));
    QCOMPARE(keyVal, QString());

    // Failures empty the text: missing key, missing value, another root,
    // no settings file.
    const struct {
        quint32 root;
        QString key;
        QString value;
        QString file;
    } failing[] = {
        {hklm, QStringLiteral("Missing"), QStringLiteral("Path"), file},
        {hklm, QStringLiteral("SystemInformation"), QStringLiteral("Missing"), file},
        {0x80000001u, QStringLiteral("SystemInformation"), QStringLiteral("Path"), file},
        {hklm, QStringLiteral("SystemInformation"), QStringLiteral("Path"), m_scratch->filePath(QStringLiteral("none.conf"))},
        {hklm, QStringLiteral("SystemInformation"), QStringLiteral("Path"), QString()},
    };
    for (const auto &f : failing) {
        keyVal = QStringLiteral("prefilled");
        QVERIFY(!SystemInfoLocator({f.file, {}}).GetKeyValue(f.root, f.key, f.value, keyVal));
        QCOMPARE(keyVal, QString());
    }

    // The About box answers the same through its own operation.
    QPointer<frmAbout> about = new frmAbout(m_main.get(), {file, {}});
    QVERIFY(about->GetKeyValue(hklm, QStringLiteral("SystemInformation"), QStringLiteral("Path"), keyVal));
    QCOMPARE(keyVal, QStringLiteral("/opt/tools/sysinfo"));
    delete about;
}

void TestInfo::firstLookupStartsProgramUntested()
{
    const QString bin = m_scratch->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString firstMarker = m_scratch->filePath(QStringLiteral("first.marker"));
    const QString secondMarker = m_scratch->filePath(QStringLiteral("second.marker"));
    const QString program = writeFakeProgram(m_scratch->path(), QStringLiteral("my-sysinfo"), firstMarker);
    writeFakeProgram(bin, QStringLiteral("hardinfo2"), secondMarker);

    // Found by the first lookup: started, no message, the box stays open.
    QStringList messages = pressSystemInfo({writeSettings(QStringLiteral("[SystemInformation]\nPath=%1\n").arg(program)), {bin}});
    QCOMPARE(messages, QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(firstMarker), 10000);
    QVERIFY(!QFile::exists(secondMarker));

    // A recorded path is taken as it is: a missing program there is not
    // passed over for the one on the search path.
    const QString missing = m_scratch->filePath(QStringLiteral("no-such-program"));
    messages = pressSystemInfo({writeSettings(QStringLiteral("[SystemInformation]\nPath=%1\n").arg(missing)), {bin}});
    QCOMPARE(messages, unavailable());

    // So is a recorded value of another type: found, with an empty path.
    messages = pressSystemInfo({writeSettings(QStringLiteral("[SystemInformation]\nPath=%1, %1\n").arg(program)), {bin}});
    QCOMPARE(messages, unavailable());
    QTest::qWait(300);
    QVERIFY(!QFile::exists(secondMarker));
}

void TestInfo::secondLookupFindsKnownProgram()
{
    const QString empty = m_scratch->filePath(QStringLiteral("empty"));
    const QString bin = m_scratch->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(empty));
    QVERIFY(QDir().mkpath(bin));
    const QString marker = m_scratch->filePath(QStringLiteral("kinfo.marker"));
    const QString program = writeFakeProgram(bin, QStringLiteral("kinfocenter"), marker);
    writeFakeProgram(bin, QStringLiteral("gnome-system-monitor"), m_scratch->filePath(QStringLiteral("gnome.marker")));

    // No settings file: the search path is tried, folder by folder, the
    // better-known program first.
    const SystemInfoLocator::Places places{m_scratch->filePath(QStringLiteral("absent.conf")), {empty, bin}};
    QCOMPARE(SystemInfoLocator(places).locate(), std::optional<QString>(program));
    QCOMPARE(pressSystemInfo(places), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
    QVERIFY(!QFile::exists(m_scratch->filePath(QStringLiteral("gnome.marker"))));

    // A settings file without the value falls through to the search path too.
    const SystemInfoLocator::Places other{writeSettings(QStringLiteral("[SystemInformation]\nOther=1\n")), {bin}};
    QCOMPARE(SystemInfoLocator(other).locate(), std::optional<QString>(program));
}

void TestInfo::secondLookupWithoutProgramShowsMessage()
{
    const QString bin = m_scratch->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    // Names that are not programs: a plain file, a folder, another name.
    QFile plain(bin + QStringLiteral("/hardinfo"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("not a program\n");
    plain.close();
    QVERIFY(QDir(bin).mkdir(QStringLiteral("kinfocenter")));
    const QString marker = m_scratch->filePath(QStringLiteral("other.marker"));
    writeFakeProgram(bin, QStringLiteral("hardinfo2.sh"), marker);

    const QString absent = m_scratch->filePath(QStringLiteral("absent.conf"));
    QString why;
    QCOMPARE(SystemInfoLocator({absent, {bin}}).locate(&why), std::nullopt);
    QVERIFY(!why.isEmpty());
    QCOMPARE(pressSystemInfo({absent, {bin}}), unavailable());
    // No search path at all.
    QCOMPARE(pressSystemInfo({absent, {}}), unavailable());
    QTest::qWait(300);
    QVERIFY(!QFile::exists(marker));
}

void TestInfo::startFailureShowsMessage()
{
    // The recorded program exists but cannot be started.
    const QString marker = m_scratch->filePath(QStringLiteral("start.marker"));
    const QString program = writeFakeProgram(m_scratch->path(), QStringLiteral("not-executable"), marker);
    QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QString settings = writeSettings(QStringLiteral("[SystemInformation]\nPath=%1\n").arg(program));
    QCOMPARE(SystemInfoLocator({settings, {}}).locate(), std::optional<QString>(program));
    QCOMPARE(pressSystemInfo({settings, {}}), unavailable());
    QTest::qWait(300);
    QVERIFY(!QFile::exists(marker));
}

QTEST_MAIN(TestInfo)
#include "tst_info.moc"
