// The habits of a desktop program: the usual keys, the recent files, a held
// key that stays where it was pressed, a visible focus.

#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/FocusRing.h"
#include "app/HeldKeyFilter.h"
#include "app/RainButton.h"
#include "app/RecentFiles.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "editor/RichTextBox.h"
#include "info/frmHelp.h"
#include "reference/ReferenceFixture.h"
#include "reference/SubjectList.h"

#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

double luminance(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette darkPalette()
{
    QPalette p(QColor(53, 53, 53), QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    return p;
}

// The File menu's items after Print, up to Exit, as "text|status tip".
QStringList recentItems(const frmMain &main)
{
    QStringList items;
    const QList<QAction *> actions = main.mnuFile->actions();
    for (qsizetype i = actions.indexOf(main.mnuFilePrint) + 1; i < actions.indexOf(main.mnuFileExit); ++i)
        items << (actions.at(i)->isSeparator() ? QStringLiteral("-")
                                               : actions.at(i)->text() + QLatin1Char('|') + actions.at(i)->statusTip());
    return items;
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shortcutsReachTheirCommandFromAnyControl_data();
    void shortcutsReachTheirCommandFromAnyControl();
    void shortcutsActOnTheDocument();
    void recentFilesNewestFirstBetweenPrintAndExit();
    void recentFileChosenOpensAfterTheQuestion();
    void heldReturnActsOnlyWhereItWasPressed();
    void focusRingStandsOutUnderPalette_data();
    void focusRingStandsOutUnderPalette();

private:
    QString writeFile(const QString &name, const QByteArray &content = "text");

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
    QTemporaryDir m_files;
    std::unique_ptr<frmMain> m_main;
};

void TestDesktop::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    AppSetup::initResources();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    for (const ReferenceSchema::Table &t : ReferenceSchema::All) {
        const QString file = m_data.filePath(QString::fromLatin1(t.file.data(), qsizetype(t.file.size())));
        QVERIFY(ReferenceFixture::write(file, t, {{QStringLiteral("subject"), QStringLiteral("the entry")}}));
    }
}

void TestDesktop::init()
{
    QSettings(QStringLiteral("Vellumor"), QStringLiteral("Vellumor")).clear();
    m_main = std::make_unique<frmMain>(m_data.path());
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QApplication::setActiveWindow(m_main.get());
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void TestDesktop::cleanup()
{
    m_main.reset();
}

QString TestDesktop::writeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_files.filePath(name);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size() ? path : QString();
}

void TestDesktop::shortcutsReachTheirCommandFromAnyControl_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("modal"); // a message box is open: nothing happens

    const struct {
        const char *command;
        QKeySequence key;
        const char *focus;
    } rows[] = {
        {"mnuFileNew", QKeySequence(Qt::CTRL | Qt::Key_N), "lstBible"},
        {"mnuFileOpen", QKeySequence(Qt::CTRL | Qt::Key_O), "RichTextBox2"},
        {"mnuSaveFile", QKeySequence(Qt::CTRL | Qt::Key_S), "txtTextBox1"},
        {"mnuFileSaveAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), "RichTextBox1"},
        {"mnuFilePrint", QKeySequence(Qt::CTRL | Qt::Key_P), "cmdUpperCase"},
        {"mnuFileExit", QKeySequence(Qt::CTRL | Qt::Key_Q), "rnbFind1"},
        {"mnuBold", QKeySequence(Qt::CTRL | Qt::Key_B), "RichTextBox1"},
        {"mnuBold", QKeySequence(Qt::CTRL | Qt::Key_B), "RichTextBox5"},
        {"mnuItalic", QKeySequence(Qt::CTRL | Qt::Key_I), "txtTextBox2"},
        {"mnuUnderline", QKeySequence(Qt::CTRL | Qt::Key_U), "RichTextBox1"},
        {"mnuUnderline", QKeySequence(Qt::CTRL | Qt::Key_U), "txtTextBox1"},
        {"mnuFindText3", QKeySequence(Qt::CTRL | Qt::Key_F), "lstJoke"},
        {"mnuHelpContents", QKeySequence(Qt::Key_F1), "optAlign(2)"},
    };
    for (const auto &r : rows)
        for (const bool modal : {false, true})
            QTest::addRow("%s from %s%s", r.command, r.focus, modal ? ", dialog open" : "")
                << QString::fromLatin1(r.command) << r.key << QString::fromLatin1(r.focus) << modal;
}

// The key reaches the menu command, whichever control has the focus; the
// control itself does nothing with it.
void TestDesktop::shortcutsReachTheirCommandFromAnyControl()
{
    QFETCH(QString, command);
    QFETCH(QKeySequence, key);
    QFETCH(QString, focus);
    QFETCH(bool, modal);

    auto *action = m_main->findChild<QAction *>(command);
    QVERIFY(action);
    QCOMPARE(action->shortcut(), key);
    // What the command does is tested with its menu item: here only that it runs.
    disconnect(action, &QAction::triggered, m_main.get(), nullptr);
    QSignalSpy triggered(action, &QAction::triggered);
    auto *control = m_main->findChild<QWidget *>(focus);
    QVERIFY(control);
    control->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), control);
    const auto *box = qobject_cast<QLineEdit *>(control);
    const QString boxText = box ? box->text() : QString();

    if (modal) {
        QMessageBox dialog(QMessageBox::Information, QStringLiteral("Vellumor"), QStringLiteral("open"),
                           QMessageBox::Ok, m_main.get());
        ModalDriver driver;
        driver.arm([&](QDialog *d) {
            QTest::keySequence(d, key);
            d->accept();
        });
        dialog.exec();
        QCOMPARE(driver.seen(), 1);
    } else {
        QTest::keySequence(control, key);
    }
    // Ctrl+F shows the find box without running the menu item's search.
    const bool ran = command == QLatin1String("mnuFindText3") ? m_main->txtTextBox3->isVisible()
                                                              : triggered.count() == 1;
    QCOMPARE(ran, !modal);
    QVERIFY(triggered.count() <= 1);
    if (box)
        QCOMPARE(box->text(), boxText);
}

void TestDesktop::shortcutsActOnTheDocument()
{
    m_main->RichTextBox1->SetText(QStringLiteral("Grace and peace"));
    m_main->RichTextBox1->setSelection(0, 5);
    m_main->RichTextBox2->setFocus();
    QTRY_VERIFY(m_main->RichTextBox2->hasFocus());
    QTest::keyClick(m_main->RichTextBox2, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(m_main->RichTextBox1->SelBold(), RichTextBox::Tri::On);
    QVERIFY(m_main->RichTextBox2->hasFocus());

    // Ctrl+F shows the box as Format, Find does, with the caret in it to
    // type at once; the word is then found in the whole document.
    m_main->RichTextBox1->setSelection(0, 0);
    QVERIFY(m_main->txtTextBox3->isHidden());
    QTest::keyClick(m_main->RichTextBox2, Qt::Key_F, Qt::ControlModifier);
    for (QWidget *w : {static_cast<QWidget *>(m_main->txtTextBox3), static_cast<QWidget *>(m_main->rnbFind3),
                       static_cast<QWidget *>(m_main->rnbFindNext3)})
        QVERIFY(w->isVisible());
    QTRY_VERIFY(m_main->txtTextBox3->hasFocus());
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    QTest::keyClicks(m_main->txtTextBox3, QStringLiteral("peace"));
    QTest::keyClick(m_main->txtTextBox3, Qt::Key_Return);
    driver.stop();
    QCOMPARE(driver.seen(), 0);
    QCOMPARE(m_main->RichTextBox1->SelText(), QStringLiteral("peace"));
}

void TestDesktop::recentFilesNewestFirstBetweenPrintAndExit()
{
    QVERIFY(recentItems(*m_main).isEmpty()); // none yet: the menu as designed
    QStringList paths;
    for (int i = 1; i <= 9; ++i)
        paths << writeFile(QStringLiteral("sermon %1.txt").arg(i));
    for (const QString &p : paths)
        QVERIFY(m_main->openDocumentFile(p));
    // Saved again under a name already listed: back to the top, once.
    m_main->CurrentFile = paths.at(4);
    m_main->mnuSaveFile->trigger();
    const QString ampersand = writeFile(QStringLiteral("Faith & works.txt"));
    m_main->CurrentFile = ampersand;
    m_main->mnuSaveFile->trigger();

    const QStringList expected{
        "-",
        "&1 Faith && works.txt|" + QDir::toNativeSeparators(ampersand),
        "&2 sermon 5.txt|" + QDir::toNativeSeparators(paths.at(4)),
        "&3 sermon 9.txt|" + QDir::toNativeSeparators(paths.at(8)),
        "&4 sermon 8.txt|" + QDir::toNativeSeparators(paths.at(7)),
        "&5 sermon 7.txt|" + QDir::toNativeSeparators(paths.at(6)),
        "&6 sermon 6.txt|" + QDir::toNativeSeparators(paths.at(5)),
        "&7 sermon 4.txt|" + QDir::toNativeSeparators(paths.at(3)),
        "&8 sermon 3.txt|" + QDir::toNativeSeparators(paths.at(2)),
        "-",
    };
    QCOMPARE(recentItems(*m_main), expected);
    // Kept in the settings for the next run.
    m_main.reset();
    frmMain next(m_data.path());
    QCOMPARE(recentItems(next), expected);
}

void TestDesktop::recentFileChosenOpensAfterTheQuestion()
{
    const QString first = writeFile(QStringLiteral("first.txt"), "First");
    const QString second = writeFile(QStringLiteral("second.txt"), "Second");
    QVERIFY(m_main->openDocumentFile(first));
    QVERIFY(m_main->openDocumentFile(second));
    m_main->RichTextBox1->SetText(QStringLiteral("unsaved"));
    auto choose = [this](int number) {
        m_main->findChild<QAction *>(QStringLiteral("mnuRecentFile%1").arg(number))->trigger();
    };

    ModalDriver driver;
    driver.answer(QMessageBox::Cancel);
    choose(2);
    QCOMPARE(driver.texts, QStringList{"Save changes to text?"});
    QCOMPARE(m_main->CurrentFile, second);
    QCOMPARE(m_main->RichTextBox1->Text(), QStringLiteral("unsaved"));

    driver.answer(QMessageBox::No);
    choose(2);
    QCOMPARE(m_main->CurrentFile, first);
    QCOMPARE(m_main->RichTextBox1->Text().trimmed(), QStringLiteral("First"));
    QCOMPARE(recentItems(*m_main).value(1), "&1 first.txt|" + QDir::toNativeSeparators(first));

    // Gone since: said so, and off the list.
    QVERIFY(QFile::remove(second));
    driver.answer(QMessageBox::Ok);
    choose(2);
    QCOMPARE(driver.texts.constLast(), QStringLiteral("\"%1\" no longer exists, so it was taken off the list of "
                                                      "recent documents.")
                                           .arg(QDir::toNativeSeparators(second)));
    driver.stop();
    QCOMPARE(m_main->CurrentFile, first);
    QCOMPARE(recentItems(*m_main), (QStringList{"-", "&1 first.txt|" + QDir::toNativeSeparators(first), "-"}));
    QCOMPARE(m_main->recentFiles()->files(), QStringList{first});
}

// Return held on the splash: the press opens the main window, its repeats
// neither answer the warning that follows nor reach the document. A key
// pressed anew repeats as usual.
void TestDesktop::heldReturnActsOnlyWhereItWasPressed()
{
    m_main.reset();
    HeldKeyFilter filter;
    qApp->installEventFilter(&filter);
    auto repeat = [](QWidget *w, int times) {
        for (int i = 0; i < times; ++i) {
            QTest::simulateEvent(w, false, Qt::Key_Return, {}, QStringLiteral("\r"), true);
            QTest::simulateEvent(w, true, Qt::Key_Return, {}, QStringLiteral("\r"), true);
        }
    };
    frmSplash splash([this] { return std::make_unique<frmMain>(m_data.path()); });
    splash.setScreenSize([] { return QSizeF(1024, 768); });
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    bool warningStayed = false;
    ModalDriver driver;
    driver.arm([&](QDialog *warning) {
        repeat(warning, 20);
        warningStayed = warning->isVisible();
        warning->accept();
    });
    QTest::simulateEvent(splash.RainButton1, true, Qt::Key_Return, {}, QStringLiteral("\r"), false);
    QCOMPARE(driver.seen(), 1);
    QVERIFY(warningStayed);

    frmMain &main = *splash.mainWindow();
    const QString before = main.RichTextBox1->Text();
    repeat(main.RichTextBox1, 20);
    QTest::simulateEvent(main.RichTextBox1, false, Qt::Key_Return, {}, QStringLiteral("\r"), false);
    QCOMPARE(main.RichTextBox1->Text(), before);
    QVERIFY(!main.TextChanged);

    QTest::simulateEvent(main.RichTextBox1, true, Qt::Key_Return, {}, QStringLiteral("\r"), false);
    repeat(main.RichTextBox1, 2);
    QTest::simulateEvent(main.RichTextBox1, false, Qt::Key_Return, {}, QStringLiteral("\r"), false);
    QCOMPARE(main.RichTextBox1->Text().count(QLatin1Char('\n')), before.count(QLatin1Char('\n')) + 3);
    QVERIFY(main.TextChanged);
}

void TestDesktop::focusRingStandsOutUnderPalette_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QApplication::style()->standardPalette();
    QTest::newRow("dark") << darkPalette();
}

// All around each kind of control, focus changes what is drawn there by at
// least 3:1 in one of the ring's two lines.
void TestDesktop::focusRingStandsOutUnderPalette()
{
    QFETCH(QPalette, palette);
    m_main.reset();
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    FocusRing ring;
    frmMain main(m_data.path());
    frmHelp help;
    for (QWidget *w : {static_cast<QWidget *>(&main), static_cast<QWidget *>(&help)}) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }
    QWidget *const controls[] = {main.lstBible,     main.lstSermonType, main.cmdUpperCase, main.RichTextBox2,
                                 main.rnbFind1,     main.RichTextBox1,  help.Text1};
    for (QWidget *control : controls) {
        QWidget *window = control->window();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->setFocus(); // nothing ringed
        QTRY_VERIFY(!ring.target());
        // The control and the ring's width around it, in its parent.
        const QRect area = control->geometry().adjusted(-FocusRing::Width, -FocusRing::Width, FocusRing::Width,
                                                        FocusRing::Width);
        const QImage plain = control->parentWidget()->grab(area).toImage();
        control->setFocus();
        QTRY_COMPARE(ring.target(), control);
        const QImage ringed = control->parentWidget()->grab(area).toImage();

        // Each place around the control, as the pixels across the ring there.
        const int w = plain.width();
        const int h = plain.height();
        QList<QList<QPoint>> edge;
        for (int y = FocusRing::Width; y < h - FocusRing::Width; ++y)
            edge << QList<QPoint>{{0, y}, {1, y}} << QList<QPoint>{{w - 1, y}, {w - 2, y}};
        for (int x = FocusRing::Width; x < w - FocusRing::Width; ++x)
            edge << QList<QPoint>{{x, 0}, {x, 1}} << QList<QPoint>{{x, h - 1}, {x, h - 2}};
        const qsizetype standOut = std::count_if(edge.cbegin(), edge.cend(), [&](const QList<QPoint> &across) {
            return std::any_of(across.cbegin(), across.cend(), [&](const QPoint &p) {
                return contrast(plain.pixelColor(p), ringed.pixelColor(p)) >= 3.0;
            });
        });
        QVERIFY2(standOut == edge.size(), qPrintable(QStringLiteral("%1: %2 of %3")
                                                         .arg(control->objectName())
                                                         .arg(standOut)
                                                         .arg(edge.size())));
    }
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
