#include "ModalDriver.h"
#include "app/AppSetup.h"
#include "app/CommonDialog.h"
#include "editor/FontDialog.h"
#include "app/CoolClose.h"
#include "app/GeometrySettings.h"
#include "app/HeldKeyFilter.h"
#include "app/Pictures.h"
#include "app/RainButton.h"
#include "app/RecentFiles.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "editor/RichTextBox.h"
#include "info/frmAbout.h"
#include "info/frmHelp.h"
#include "reference/ReferenceFixture.h"
#include "reference/SubjectList.h"
#include "WindowTestSetup.h"

#include <QAccessible>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <cstring>

namespace {

// Relative luminance and contrast ratio as WCAG defines them.
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

// The colour a window shows in a rectangle (window coordinates): the median
// by luminance of its pixels, so that the few pixels of a text drawn there
// do not count.
QColor shownAt(const QImage &window, const QRect &rect)
{
    QList<QColor> pixels;
    const QRect r = rect.intersected(window.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            pixels << window.pixelColor(x, y);
    if (pixels.isEmpty())
        return {};
    std::sort(pixels.begin(), pixels.end(),
              [](const QColor &a, const QColor &b) { return luminance(a) < luminance(b); });
    return pixels.at(pixels.size() / 2);
}

// Of a picture's opaque pixels, the one that stands out most from background.
QColor inkOf(const QImage &picture, const QColor &background)
{
    QColor ink = background;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.alpha() > 200 && contrast(c, background) > contrast(ink, background))
                ink = c;
        }
    return ink;
}

struct TextOn {
    QString what;
    QColor text;
    QColor background;
};

// Every text and picture a window draws, with the colour it is drawn in and
// the colour behind it, as the window shows them.
QList<TextOn> textsOf(QWidget *window)
{
    const QImage shot = window->grab().toImage();
    auto inWindow = [window](QWidget *w, const QRect &r) { return QRect(w->mapTo(window, r.topLeft()), r.size()); };
    QList<TextOn> texts;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        if (w->window() != window)
            continue; // an owned window (the About box of the main window)
        const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            const QPalette p = w->palette();
            auto colour = [&](QPalette::ColorRole role) { return p.color(group, role); };
            const QString state = group == QPalette::Active ? QStringLiteral(" (active)") : QStringLiteral(" (inactive)");
            if (auto *b = qobject_cast<RainButton *>(w)) {
                // The caption sits in the middle of a gradient.
                const QColor face = b->hasGradient() ? QColor((b->faceColor().red() + b->gradientColor().red()) / 2,
                                                              (b->faceColor().green() + b->gradientColor().green()) / 2,
                                                              (b->faceColor().blue() + b->gradientColor().blue()) / 2)
                                                     : b->faceColor();
                texts.append({name, b->textColor(), face});
            } else if (qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractScrollArea *>(w)) {
                texts.append({name + QStringLiteral(" text") + state, colour(QPalette::Text), colour(QPalette::Base)});
                texts.append({name + QStringLiteral(" selection") + state, colour(QPalette::HighlightedText),
                              colour(QPalette::Highlight)});
            } else if (auto *b = qobject_cast<QPushButton *>(w)) {
                if (!b->text().isEmpty())
                    texts.append({name + state, colour(QPalette::ButtonText), colour(QPalette::Button)});
                if (!b->icon().isNull())
                    texts.append({name + QStringLiteral(" picture") + state,
                                  inkOf(b->icon().pixmap(b->iconSize()).toImage(), colour(QPalette::Button)),
                                  colour(QPalette::Button)});
            } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
                QStyleOptionGroupBox opt;
                opt.initFrom(g);
                opt.text = g->title();
                opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
                const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
                texts.append({name + state, colour(QPalette::WindowText), shownAt(shot, inWindow(g, label))});
            } else if (auto *l = qobject_cast<QLabel *>(w); l && !l->text().isEmpty()) {
                texts.append({name + state, colour(QPalette::WindowText),
                              l->autoFillBackground() ? colour(QPalette::Window) : shownAt(shot, inWindow(l, l->rect()))});
            } else if (qobject_cast<QMenuBar *>(w)) {
                texts.append({QStringLiteral("menu bar") + state, colour(QPalette::ButtonText), colour(QPalette::Window)});
            }
            if (qobject_cast<RainButton *>(w))
                break;
        }
    }
    return texts;
}

QPalette darkPalette()
{
    QPalette p(QColor(53, 53, 53), QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::ToolTipBase, QColor(35, 35, 35));
    p.setColor(QPalette::ToolTipText, Qt::white);
    return p;
}

// As a high-contrast desktop theme sets it: white and yellow on black.
QPalette highContrastPalette()
{
    QPalette p(Qt::black, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        p.setColor(role, Qt::white);
    p.setColor(QPalette::Base, Qt::black);
    p.setColor(QPalette::Highlight, QColor(26, 235, 255));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Link, Qt::yellow);
    return p;
}

QString accessibleText(QObject *o, QAccessible::Text t)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(o);
    return i ? i->text(t) : QString();
}

// Where a frame centred on the screen has its top left corner (its top
// kept on the screen when it is taller than the screen).
QPoint centredFrameAt(const QRect &screen, const QSize &frame)
{
    return {screen.x() + qMax(0, (screen.width() - frame.width()) / 2),
            screen.y() + qMax(0, (screen.height() - frame.height()) / 2)};
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

class TestApp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layoutMatchesDesign_data();
    void layoutMatchesDesign();
    void colours();
    void menusInOrderWithCaptionsAndShortcuts();
    void initialStates();
    void focusOrderSkipsDictionaryView();
    void subjectListsShowOneRowAndMoveWithKeys();
    void splashOpensMainWindowAndWarnsOffSize_data();
    void splashOpensMainWindowAndWarnsOffSize();
    void splashLooks();
    void settingsWrittenOnCloseUnlessMinimised();
    void settingsValueFormat();
    void coolCloseShrinksAboutCentreThenCloses();
    void coolCloseSpeedZeroWarnsAndKeepsWindow();
    void coolCloseSmallWindowClosesAtOnce();
    void coolCloseEndsWhenSizeRefused();
    void exitShrinksWritesSettingsAndCloses();
    void unloadClosesOtherWindowsNewestFirst();
    void rainButtonHighlightAndClick();
    void commonDialogFilterEntries();

    void textReadableUnderPalette_data();
    void textReadableUnderPalette();
    void returnActivatesFocusedImageButton_data();
    void returnActivatesFocusedImageButton();
    void returnInFindBoxRunsItsFind_data();
    void returnInFindBoxRunsItsFind();
    void controlsHaveAccessibleNames();
    void windowsCentredByTheirFrame_data();
    void windowsCentredByTheirFrame();
    void wheelMovesSelectionLikeArrowKeys_data();
    void wheelMovesSelectionLikeArrowKeys();
    void tabIntoListWithNothingSelectedLooksNothingUp();
    void framesShowTheirWholeCaption();
    void picturesPreparedAtBuildTimeMatchTheirDrawings();
    void keptPictureFileDamagedIsIgnored_data();
    void keptPictureFileDamagedIsIgnored();
    void splashPaintsItsKeptLookFirst_data();
    void splashPaintsItsKeptLookFirst();
    void splashMakesAnUnfitKeptLookAnew_data();
    void splashMakesAnUnfitKeptLookAnew();
    void shortcutsReachTheirCommandFromAnyControl_data();
    void shortcutsReachTheirCommandFromAnyControl();
    void recentFilesNewestFirstAndOpenedAfterTheQuestion();
    void heldReturnActsOnlyWhereItWasPressed();

private:
    std::unique_ptr<frmMain> makeMain() { return std::make_unique<frmMain>(m_data.path()); }
    // What a first start of the splash keeps (none kept before), and the look it shows.
    Pictures::Kept keptByFirstStart(QImage *look);
    QSettings settings() const
    {
        return QSettings(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
    }

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_data;
    std::unique_ptr<frmMain> m_main;
};

void TestApp::initTestCase()
{
    // The splash keeps its look in the test folders, not in the user's cache.
    setUpWindowTests(m_settingsDir.path());
    // Small but sound reference files, so that no start-up message interrupts.
    QVERIFY(ReferenceFixture::writeAllSmall(m_data.path()));
}

void TestApp::init()
{
    QSettings s(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
    s.clear();
    s.sync();
    m_main = makeMain();
}

void TestApp::cleanup()
{
    m_main.reset();
}

// Design positions in twips, relative to the window's client area.
void TestApp::layoutMatchesDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    const struct {
        const char *name;
        int l, t, w, h;
        const char *caption;
    } rows[] = {
        {"cmdUpperCase", 240, 120, 315, 315, ""},
        {"cmdLowerCase", 600, 120, 315, 315, ""},
        {"optAlign(0)", 1200, 120, 315, 315, ""},
        {"optAlign(2)", 1560, 120, 315, 315, ""},
        {"optAlign(1)", 1920, 120, 315, 315, ""},
        {"txtTextBox3", 2520, 120, 1215, 360, " "},
        {"rnbFind3", 3840, 120, 1095, 255, "Find"},
        {"rnbFindNext3", 3840, 360, 1095, 255, "Fnd/Nxt"},
        {"Label6", 840, 480, 3255, 255, "CTL \"C\" to Copy,  CTL \"V\" to Paste"},
        {"RichTextBox1", 120, 720, 5175, 7455, " "},
        {"frmBibleKJ", 5400, 120, 6375, 2895,
         "King James Bible   Select Main Book, Highlight it, Cursor Down, or Do Search For Verse"},
        {"lstBible", 5520, 360, 2895, 270, ""},
        {"RichTextBox2", 5520, 720, 6135, 2175, "entry"},
        {"txtTextBox1", 8520, 360, 1215, 330, " "},
        {"rnbFind1", 9840, 360, 855, 255, "Find"},
        {"rnbFindNext1", 10800, 360, 855, 255, "Fnd/Nxt"},
        {"frameSermonType", 5400, 3120, 2655, 2655, "Sermon Type And Samples"},
        {"lstSermonType", 5520, 3360, 2415, 255, ""},
        {"RichTextBox4", 5520, 3720, 2415, 1935, "entry"},
        {"frameQuotation", 8160, 3120, 3615, 2655, "Quotes, Poetry, History, Last Words, Epitaths, + "},
        {"LstQuote", 8280, 3360, 3255, 270, ""},
        {"RichTextBox3", 8280, 3720, 3375, 1935, "entry"},
        {"frmHumor", 5400, 5760, 6375, 2415, "Dictionary, Word Usage, Bible Names, Topical Index"},
        {"lstJoke", 5520, 6000, 3015, 270, ""},
        {"RichTextBox5", 5520, 6360, 6135, 1695, "entry"},
        {"txtTextBox2", 8640, 6000, 1335, 330, " "},
        {"rnbFind2", 10080, 6000, 735, 255, "Find"},
        {"rnbFindNext2", 10920, 6000, 735, 255, "Fnd/Nxt"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.name) << QRect(r.l, r.t, r.w, r.h)
                              << QString::fromLatin1(r.caption);
}

void TestApp::layoutMatchesDesign()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);

    auto *w = m_main->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    const QPoint topLeft = w->mapTo(m_main->centralWidget(), QPoint(0, 0));
    // One pixel of rounding either way.
    QVERIFY(qAbs(topLeft.x() - twips.x() / 15.0) <= 1);
    QVERIFY(qAbs(topLeft.y() - twips.y() / 15.0) <= 1);
    QVERIFY(qAbs(w->width() - twips.width() / 15.0) <= 1);
    QVERIFY(qAbs(w->height() - twips.height() / 15.0) <= 1);

    QString text;
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        text = b->text();
    else if (auto *l = qobject_cast<QLabel *>(w))
        text = l->text();
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        text = e->text();
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        text = g->title();
    else if (auto *r = qobject_cast<RichTextBox *>(w))
        text = r->Text();
    QCOMPARE(text, caption);
}

void TestApp::colours()
{
    auto base = [this](const char *name) {
        return m_main->findChild<QWidget *>(QString::fromLatin1(name))->palette().color(QPalette::Base);
    };
    QCOMPARE(base("lstBible"), QColor(192, 192, 255));
    QCOMPARE(base("lstSermonType"), QColor(192, 255, 255));
    QCOMPARE(base("LstQuote"), QColor(255, 255, 192));
    QCOMPARE(base("lstJoke"), QColor(255, 192, 255));
    QCOMPARE(base("txtTextBox1"), QColor(192, 255, 192));
    QCOMPARE(base("RichTextBox2"), QColor(255, 255, 255));
    QCOMPARE(m_main->lstSermonType->palette().color(QPalette::Text), QColor(64, 0, 64));
    QCOMPARE(m_main->cmdUpperCase->palette().color(QPalette::Button), QColor(255, 255, 0));
    QCOMPARE(m_main->Label6->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(m_main->frmHumor->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(m_main->rnbFind1->faceColor(), QColor(192, 192, 255));
    QCOMPARE(m_main->rnbFindNext2->faceColor(), QColor(128, 128, 255));
    QCOMPARE(m_main->centralWidget()->palette().color(QPalette::WindowText), QColor(0, 192, 0));
    QCOMPARE(m_main->rnbFind3->font().pointSizeF(), 9.75);
    QCOMPARE(m_main->rnbFind1->font().pointSizeF(), 8.25);
    QCOMPARE(m_main->cmdUpperCase->toolTip(), QStringLiteral("UPPERCASE"));
    QCOMPARE(m_main->cmdLowerCase->toolTip(), QStringLiteral("lowercase"));
    QCOMPARE(m_main->optAlign[0]->toolTip(), QStringLiteral("Left Align"));
    QCOMPARE(m_main->optAlign[1]->toolTip(), QStringLiteral("Right Align"));
    QCOMPARE(m_main->optAlign[2]->toolTip(), QStringLiteral("Center"));
    QCOMPARE(m_main->centralWidget()->size(), QSize(792, 554));
}

void TestApp::menusInOrderWithCaptionsAndShortcuts()
{
    const QList<QAction *> top = m_main->menuBar()->actions();
    QStringList titles;
    for (QAction *a : top)
        titles << a->text();
    QCOMPARE(titles, (QStringList{"&File", "Format", "&Edit", "&Tools", "&Help"}));

    auto items = [](QMenu *m) {
        QStringList s;
        for (QAction *a : m->actions()) {
            if (a->isSeparator() || !a->isEnabled())
                s << QStringLiteral("separator or disabled");
            s << a->objectName() + QLatin1Char('=') + a->text() + QLatin1Char('=') + a->shortcut().toString();
        }
        return s;
    };
    QCOMPARE(items(m_main->mnuFile),
             (QStringList{"mnuFileNew=&New=Ctrl+N", "mnuFileOpen=&Open...=Ctrl+O", "mnuSaveFile=&Save=Ctrl+S",
                          "mnuFileSaveAs=Save &As...=Ctrl+Shift+S", "mnuFilePrint=&Print...=Ctrl+P",
                          "mnuFileExit=E&xit=Ctrl+Q"}));
    QCOMPARE(items(m_main->mnuFormat),
             (QStringList{"mnuAllCaps=&All Caps=", "mnuFont=&Font=", "mnuBold=&Bold=Ctrl+B",
                          "mnuUnderline=&underline=Ctrl+U", "mnuFindText3=Fin&d=Ctrl+F", "mnuItalic=&Italic=Ctrl+I"}));
    QCOMPARE(items(m_main->mnuEdit), (QStringList{"mnuClearAll=C&lear All=", "mnuEditCut=Cu&t=Ctrl+X",
                                                  "mnuEditCopy=&Copy=Ctrl+C", "mnuEditPaste=&Paste=Ctrl+V"}));
    QCOMPARE(items(m_main->mnuHelp), (QStringList{"mnuHelpContents=&Contents=F1", "mnuHelpAbout=&About ="}));
    QCOMPARE(items(m_main->mnuTools),
             (QStringList{"mnuToolsInsertScripture=Insert &Scripture...=Ctrl+Shift+B",
                          "mnuToolsSpelling=Check &Spelling as You Type=", "mnuToolsWordCount=&Word Count...=",
                          "mnuToolsPreach=&Preach=F5"}));
    QCOMPARE(m_main->findChild<QMenu *>("mnuFormat"), m_main->mnuFormat);
    QCOMPARE(m_main->findChild<QAction *>("mnuFileOpen"), m_main->mnuFileOpen);
}

void TestApp::initialStates()
{
    QVERIFY(!m_main->TextChanged);
    QVERIFY(m_main->optAlign[0]->isChecked());
    QVERIFY(!m_main->optAlign[1]->isChecked());
    QVERIFY(!m_main->optAlign[2]->isChecked());
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    // One exclusive group: selecting one releases the others.
    m_main->optAlign[2]->click();
    QVERIFY(m_main->optAlign[2]->isChecked());
    QVERIFY(!m_main->optAlign[0]->isChecked());

    QVERIFY(!m_main->txtTextBox3->isVisible());
    QVERIFY(!m_main->rnbFind3->isVisible());
    QVERIFY(!m_main->rnbFindNext3->isVisible());
    QVERIFY(m_main->txtTextBox1->isVisible());
    QVERIFY(m_main->rnbFindNext2->isVisible());

    QVERIFY(m_main->CurrentFile.isEmpty());
    QVERIFY(m_main->windowTitle().isEmpty());
    QCOMPARE(m_main->CommonDialog1->Filter,
             QStringLiteral("Text files (*.txt *.rtf)|*.txt;*.rtf|Batch files (*.bat) | *.bat|INI FILES (*ini) | *ini|All Files "
                            "(*.*)| *.*|Rich Text Format (*.rtf)|*.rtf"));
    QVERIFY(m_main->windowFlags().testFlag(Qt::Tool));

    QCOMPARE(m_main->lstBible->count(), 117);
    QCOMPARE(m_main->lstJoke->count(), 93);
    QCOMPARE(m_main->LstQuote->count(), 57);
    QCOMPARE(m_main->lstSermonType->count(), 15);
    QCOMPARE(m_main->lstSermonType->item(5)->text(), QStringLiteral("Expository Sermon Sample "));
    QCOMPARE(m_main->lstBible->item(0)->text(), QStringLiteral("1 Timothy"));
    QCOMPARE(m_main->lstJoke->item(74)->text(), QStringLiteral("TopicalText Book GOD"));
    QCOMPARE(m_main->lstJoke->item(89)->text(), QStringLiteral("TopicalTextBook  TITLES"));
    QCOMPARE(m_main->lstBible->currentRow(), -1);
}

void TestApp::focusOrderSkipsDictionaryView()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_main->activateWindow();
    m_main->RichTextBox1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_main->RichTextBox1);

    const QStringList expected{"lstSermonType", "RichTextBox2", "RichTextBox3", "cmdUpperCase", "cmdLowerCase",
                               "LstQuote",      "lstJoke",      "lstBible",     "RichTextBox4", "optAlign(0)",
                               "optAlign(2)",   "optAlign(1)",  "txtTextBox1",  "rnbFind1",     "rnbFindNext1",
                               "txtTextBox2",   "rnbFind2",     "rnbFindNext2", "RichTextBox1"};
    QStringList seen;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen, expected);
}

void TestApp::subjectListsShowOneRowAndMoveWithKeys()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    SubjectList *list = m_main->lstBible;
    QSignalSpy spy(list, &QListWidget::currentRowChanged);
    list->setCurrentRow(0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(list->selectedText(), QStringLiteral("1 Chron 1-13"));
    QCOMPARE(spy.count(), 3);
    // One row shows: the next item lies entirely below the viewport.
    const QRect next = list->visualItemRect(list->item(3));
    QVERIFY(next.top() >= list->viewport()->height());
    // The scroll arrows step through the subjects too.
    list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(list->currentRow(), 3);
    list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(list->currentRow(), 2);
}

void TestApp::splashOpensMainWindowAndWarnsOffSize_data()
{
    QTest::addColumn<QSizeF>("screen");
    QTest::addColumn<QString>("message");
    const QString lead = QStringLiteral("This program works best at 800x600 resolution and the current resolution is: ");
    QTest::newRow("800x600") << QSizeF(800, 600) << QString();
    QTest::newRow("800x480") << QSizeF(800, 480) << lead + QStringLiteral("800x480");
    QTest::newRow("1024x768") << QSizeF(1024, 768) << lead + QStringLiteral("1024x768");
    QTest::newRow("640x480") << QSizeF(640, 480) << lead + QStringLiteral("640x480");
    QTest::newRow("fraction") << QSizeF(1366.5, 768) << lead + QStringLiteral("1366.5x768");
}

void TestApp::splashOpensMainWindowAndWarnsOffSize()
{
    QFETCH(QSizeF, screen);
    QFETCH(QString, message);
    m_main.reset();

    frmSplash splash([this] { return makeMain(); });
    splash.setScreenSize([screen] { return screen; });
    QCOMPARE(splash.windowTitle(), QStringLiteral("Orvanta"));
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    QTimer::singleShot(0, splash.RainButton1, &QAbstractButton::click);
    QTRY_VERIFY(splash.mainWindow() && splash.mainWindow()->isVisible());
    QTest::qWait(60);
    driver.stop();

    QVERIFY(!splash.isVisible());
    if (message.isEmpty()) {
        QCOMPARE(driver.seen(), 0);
    } else {
        QCOMPARE(driver.texts, QStringList{message});
        QCOMPARE(driver.titles, QStringList{QStringLiteral("Screen Resolution")});
        QCOMPARE(driver.icons.value(0), QMessageBox::NoIcon);
    }
    // The main window is centred on the screen at its design size.
    const QRect avail = splash.mainWindow()->screen()->geometry();
    QVERIFY(qAbs(splash.mainWindow()->geometry().center().x() - avail.center().x()) <= 2);
    QCOMPARE(splash.mainWindow()->centralWidget()->size(), QSize(792, 554));
}

void TestApp::splashLooks()
{
    frmSplash splash([this] { return makeMain(); });
    QCOMPARE(splash.size(), QSize(447, 331));
    QCOMPARE(splash.RainButton1->text(), QStringLiteral("ENTER"));
    QCOMPARE(splash.RainButton1->geometry(), QRect(80, 168, 121, 41));
    QCOMPARE(splash.RainButton1->faceColor(), QColor(255, 0, 0));
    QCOMPARE(splash.RainButton1->textColor(), QColor(128, 255, 128));
    QCOMPARE(splash.RainButton1->gradientColor(), QColor(0, 0, 255));
    QVERIFY(splash.RainButton1->font().bold());
    QCOMPARE(splash.Label1->text(), QStringLiteral("VELLUMOR"));
    QCOMPARE(splash.Label2->text(), QStringLiteral("WIN95/98"));
    QCOMPARE(splash.Label3->text(), QStringLiteral("VER 1.36"));
    QCOMPARE(splash.Label6->text(), QStringLiteral("John 21:25 "));
    QVERIFY(splash.Label5->text().startsWith(QStringLiteral(" Jesus did many other things as well.")));
    QVERIFY(splash.Label5->text().endsWith(QStringLiteral("would be written. ")));
    QVERIFY(splash.Label5->alignment() & Qt::AlignRight);
    QCOMPARE(splash.Label5->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(splash.Image1->pixmap().deviceIndependentSize().toSize(), QSize(78, 102));
    QCOMPARE(splash.Image1->geometry(), QRect(24, 32, 78, 102));
}

void TestApp::settingsWrittenOnCloseUnlessMinimised()
{
    // Normal: the four values are the window's geometry in twips.
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_main->move(100, 50);
    QTRY_COMPARE(m_main->frameGeometry().topLeft(), QPoint(100, 50));
    const QRect frame = m_main->frameGeometry();
    m_main->close();
    {
        QSettings s = settings();
        s.beginGroup(QStringLiteral("Settings"));
        QCOMPARE(s.value("MainLeft").toString(), QString::number(frame.x() * 15));
        QCOMPARE(s.value("MainTop").toString(), QString::number(frame.y() * 15));
        QCOMPARE(s.value("MainWidth").toString(), QString::number(frame.width() * 15));
        QCOMPARE(s.value("MainHeight").toString(), QString::number(frame.height() * 15));
    }

    // Maximised: the maximised geometry is written.
    settings().clear();
    m_main = makeMain();
    m_main->showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QTRY_VERIFY(m_main->windowState() & Qt::WindowMaximized);
    const int width = m_main->frameGeometry().width() * 15;
    m_main->close();
    QCOMPARE(settings().value("Settings/MainWidth").toString(), QString::number(width));

    // Minimised: nothing is written.
    settings().clear();
    m_main = makeMain();
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_main->setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(m_main->windowState() & Qt::WindowMinimized);
    m_main->close();
    QVERIFY(settings().allKeys().isEmpty());
}

void TestApp::settingsValueFormat()
{
    QCOMPARE(GeometrySettings::formatValue(1200.0f), QStringLiteral("1200"));
    QCOMPARE(GeometrySettings::formatValue(-45.0f), QStringLiteral("-45"));
    QCOMPARE(GeometrySettings::formatValue(1234.5f), QStringLiteral("1234.5"));
    QCOMPARE(GeometrySettings::formatValue(0.0f), QStringLiteral("0"));
}

void TestApp::coolCloseShrinksAboutCentreThenCloses()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    const QRectF before = CoolClose::geometryTwips(m_main.get());
    QSignalSpy destroyedOrHidden(m_main.get(), &QWidget::windowTitleChanged);
    QList<QRectF> steps;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] { steps << CoolClose::geometryTwips(m_main.get()); });
    sampler.start(0);
    m_main->coolCloseForm(m_main.get(), 20);
    sampler.stop();

    const QRectF after = CoolClose::geometryTwips(m_main.get());
    QVERIFY(!m_main->isVisible());
    QVERIFY2(after.height() <= 405 && after.height() > 405 - 200 - 15, qPrintable(QString::number(after.height())));
    QVERIFY2(after.width() <= 1680 && after.width() > 1680 - 200 - 15, qPrintable(QString::number(after.width())));
    // About its centre, within pixel rounding of each step.
    // About its centre, within pixel rounding (and the menu bar's minimum height).
    QVERIFY(qAbs(after.center().x() - before.center().x()) <= 30);
    QVERIFY(qAbs(after.center().y() - before.center().y()) <= 30);
    // Height first: no sample shows the width shrunk while the height is above 405.
    for (const QRectF &g : steps)
        QVERIFY(!(g.height() > 405 && g.width() < before.width()));
    QVERIFY(steps.size() > 10);
    // The settings carry the shrunken geometry.
    QCOMPARE(settings().value("Settings/MainHeight").toString(), GeometrySettings::formatValue(float(after.height())));
}

void TestApp::coolCloseSpeedZeroWarnsAndKeepsWindow()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    const QRect before = m_main->geometry();
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    m_main->coolCloseForm(m_main.get(), 0);
    QCOMPARE(driver.texts, QStringList{QStringLiteral("Speed cannot zero")});
    QCOMPARE(driver.icons.value(0), QMessageBox::NoIcon);
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->geometry(), before);
    QVERIFY(settings().allKeys().isEmpty());
}

void TestApp::coolCloseSmallWindowClosesAtOnce()
{
    QWidget small;
    small.resize(100, 20); // 1500 x 300 twips: below both thresholds
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    const QRect before = small.geometry();
    m_main->coolCloseForm(&small, 20);
    QVERIFY(!small.isVisible());
    QCOMPARE(small.geometry(), before);
    QVERIFY(m_main->isHidden()); // only the window given is closed
}

void TestApp::coolCloseEndsWhenSizeRefused()
{
    // A layout that fixes the window's size refuses every smaller size.
    QWidget stubborn;
    auto *layout = new QVBoxLayout(&stubborn);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *child = new QWidget(&stubborn);
    child->setFixedSize(300, 300);
    layout->addWidget(child);
    stubborn.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stubborn));
    QElapsedTimer t;
    t.start();
    m_main->coolCloseForm(&stubborn, 20);
    QVERIFY(t.elapsed() < 5000);
    QVERIFY(!stubborn.isVisible());
}

void TestApp::exitShrinksWritesSettingsAndCloses()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_main->mnuFileExit->trigger();
    QVERIFY(!m_main->isVisible());
    QSettings s = settings();
    QVERIFY(s.value("Settings/MainHeight").toFloat() <= 405);
    QVERIFY(s.value("Settings/MainWidth").toFloat() <= 1680);
    QVERIFY(s.contains("Settings/MainLeft"));
    QVERIFY(s.contains("Settings/MainTop"));
}

void TestApp::unloadClosesOtherWindowsNewestFirst()
{
    QWidget older;
    QWidget newer;
    QStringList closed;
    older.show();
    newer.show();
    older.installEventFilter(this);
    struct Recorder : QObject {
        QStringList *log;
        QString name;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Close)
                log->append(name);
            return false;
        }
    } recOld, recNew;
    recOld.log = recNew.log = &closed;
    recOld.name = QStringLiteral("older");
    recNew.name = QStringLiteral("newer");
    older.installEventFilter(&recOld);
    newer.installEventFilter(&recNew);
    m_main->registerWindow(&older);
    m_main->registerWindow(&newer);
    m_main->show();
    m_main->close();
    QCOMPARE(closed, (QStringList{"newer", "older"}));
    QVERIFY(!older.isVisible());
}

void TestApp::rainButtonHighlightAndClick()
{
    RainButton b(QStringLiteral("Find"));
    b.resize(60, 20);
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&b, &leave); // the pointer may rest where the window opened
    QVERIFY(!b.isHighlighted());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&b, &enter);
    QVERIFY(b.isHighlighted());
    const QImage lit = b.grab().toImage();
    QApplication::sendEvent(&b, &leave);
    QVERIFY(!b.isHighlighted());
    QVERIFY(b.grab().toImage() != lit);

    QSignalSpy clicks(&b, &QAbstractButton::clicked);
    QTest::mouseClick(&b, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    b.setMouseTrack(false);
    QApplication::sendEvent(&b, &enter);
    QVERIFY(!b.isHighlighted());
}

void TestApp::commonDialogFilterEntries()
{
    CommonDialog d;
    d.Filter = m_main->CommonDialog1->Filter;
    const auto entries = d.filterEntries();
    QCOMPARE(entries.size(), 5);
    QCOMPARE(entries.at(1).description, QStringLiteral("Batch files (*.bat) "));
    QCOMPARE(entries.at(4).pattern, QStringLiteral("*.rtf"));
    QCOMPARE(entries.at(2).pattern, QStringLiteral(" *ini"));
    const QStringList filters = d.nameFilters();
    QCOMPARE(filters.at(0), QStringLiteral("Text files (*.txt *.rtf)"));
    QCOMPARE(CommonDialog::defaultSuffix(entries.at(0)), QStringLiteral("txt"));
    QVERIFY(filters.at(2).startsWith(QStringLiteral("INI FILES (*ini)")));
    d.Filter = QStringLiteral("Only a description");
    QVERIFY(d.filterEntries().isEmpty());
}

void TestApp::textReadableUnderPalette_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QApplication::style()->standardPalette();
    QTest::newRow("dark") << darkPalette();
    QTest::newRow("high contrast") << highContrastPalette();
}

void TestApp::textReadableUnderPalette()
{
    QFETCH(QPalette, palette);
    m_main.reset();
    const QPalette before = QApplication::palette();
    QApplication::setPalette(palette);
    auto restore = qScopeGuard([&] { QApplication::setPalette(before); });

    frmSplash splash([this] { return makeMain(); });
    auto main = makeMain();
    auto *about = new frmAbout(main.get());
    about->setAttribute(Qt::WA_DeleteOnClose, false);
    std::unique_ptr<frmAbout> aboutOwner(about);
    main->mnuFindText3->trigger(); // the document's find box too
    // Selected subjects show in the lists' selection colours.
    main->lstBible->setCurrentRow(0);
    // The font dialog's sample in black, the colour most text has (the
    // dialog's other colours are the desktop's own).
    FontDialog font(FontDialog::Choice{QStringLiteral("MS Sans Serif"), 12, qRgb(0, 0, 0)}, true, main.get());
    font.show();
    QVERIFY(QTest::qWaitForWindowExposed(&font));
    const QList<TextOn> samples = textsOf(&font);
    QCOMPARE(std::count_if(samples.begin(), samples.end(), [](const TextOn &t) { return t.what.startsWith("lblSample"); }), 2);
    for (const TextOn &t : samples)
        QVERIFY2(!t.what.startsWith("lblSample") || contrast(t.text, t.background) >= 4.5,
                 qPrintable(QStringLiteral("%1: %2 on %3").arg(t.what, t.text.name(), t.background.name())));
    for (QWidget *w : {static_cast<QWidget *>(&splash), static_cast<QWidget *>(main.get()), static_cast<QWidget *>(about)}) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QList<TextOn> texts = textsOf(w);
        QVERIFY2(texts.size() >= (w == main.get() ? 60 : 8), qPrintable(QString::number(texts.size())));
        for (const TextOn &t : texts)
            QVERIFY2(contrast(t.text, t.background) >= 4.5,
                     qPrintable(QStringLiteral("%1 %2: %3 on %4 is %5:1")
                                    .arg(w->objectName(), t.what, t.text.name(), t.background.name())
                                    .arg(contrast(t.text, t.background), 0, 'f', 2)));
    }
}

void TestApp::returnActivatesFocusedImageButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::newRow("splash ENTER, Return") << "RainButton1" << int(Qt::Key_Return);
    QTest::newRow("splash ENTER, keypad Enter") << "RainButton1" << int(Qt::Key_Enter);
    QTest::newRow("Find, Return") << "rnbFind1" << int(Qt::Key_Return);
    QTest::newRow("Fnd/Nxt, keypad Enter") << "rnbFindNext2" << int(Qt::Key_Enter);
}

void TestApp::returnActivatesFocusedImageButton()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    frmSplash splash([this] { return makeMain(); });
    splash.setScreenSize([] { return QSizeF(800, 600); });
    QWidget *window = button == QStringLiteral("RainButton1") ? static_cast<QWidget *>(&splash) : m_main.get();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    m_main->txtTextBox1->setText(QStringLiteral("entry"));
    auto *b = window->findChild<RainButton *>(button);
    QVERIFY(b);
    b->setFocus();
    QSignalSpy clicks(b, &QAbstractButton::clicked);
    QTest::keyClick(b, Qt::Key(key));
    QCOMPARE(clicks.count(), 1);
    if (window == &splash)
        QVERIFY(splash.mainWindow() && splash.mainWindow()->isVisible());
}

void TestApp::returnInFindBoxRunsItsFind_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("key");
    QTest::newRow("Bible") << "txtTextBox1" << "RichTextBox2" << int(Qt::Key_Return);
    QTest::newRow("dictionary") << "txtTextBox2" << "RichTextBox5" << int(Qt::Key_Return);
    QTest::newRow("document, keypad Enter") << "txtTextBox3" << "RichTextBox1" << int(Qt::Key_Enter);
}

void TestApp::returnInFindBoxRunsItsFind()
{
    QFETCH(QString, box);
    QFETCH(QString, view);
    QFETCH(int, key);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_main->RichTextBox1->LoadText(QStringLiteral("an entry"));
    m_main->mnuFindText3->trigger();
    auto *edit = m_main->findChild<QLineEdit *>(box);
    auto *searched = m_main->findChild<RichTextBox *>(view);
    searched->setSelection(0, 0);
    edit->setText(QStringLiteral(" NTR"));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key(key));
    QCOMPARE(searched->SelText(), QStringLiteral("ntr"));
    QCOMPARE(QApplication::focusWidget(), searched);
}

void TestApp::controlsHaveAccessibleNames()
{
    frmSplash splash([this] { return makeMain(); });
    auto *about = new frmAbout(m_main.get());
    std::unique_ptr<frmAbout> aboutOwner(about);
    frmHelp help;

    // What a screen reader says for each control of the main window.
    const std::pair<const char *, const char *> names[] = {
        {"RichTextBox1", "Sermon document"},
        {"cmdUpperCase", "Upper case"},
        {"cmdLowerCase", "Lower case"},
        {"optAlign(0)", "Align left"},
        {"optAlign(2)", "Align center"},
        {"optAlign(1)", "Align right"},
        {"txtTextBox3", "Text to find in the document"},
        {"rnbFind3", "Find in the document"},
        {"rnbFindNext3", "Find next in the document"},
        {"frmBibleKJ", "Bible"},
        {"lstBible", "Bible section"},
        {"RichTextBox2", "Bible passage"},
        {"txtTextBox1", "Text to find in the Bible"},
        {"rnbFind1", "Find in the Bible"},
        {"rnbFindNext1", "Find next in the Bible"},
        {"frameSermonType", "Sermon types and samples"},
        {"lstSermonType", "Sermon type"},
        {"RichTextBox4", "Sermon type or sample"},
        {"frameQuotation", "Quotations"},
        {"LstQuote", "Quotation subject"},
        {"RichTextBox3", "Quotation"},
        {"frmHumor", "Dictionary"},
        {"lstJoke", "Dictionary subject"},
        {"RichTextBox5", "Dictionary entry"},
        {"txtTextBox2", "Text to find in the dictionary"},
        {"rnbFind2", "Find in the dictionary"},
        {"rnbFindNext2", "Find next in the dictionary"},
    };
    for (const auto &[object, name] : names) {
        QWidget *w = m_main->findChild<QWidget *>(QString::fromLatin1(object));
        QVERIFY2(w, object);
        QCOMPARE(accessibleText(w, QAccessible::Name), QString::fromLatin1(name));
    }
    // The frames' captions, which tell how to use the panels, are read too.
    QCOMPARE(accessibleText(m_main->frmBibleKJ, QAccessible::Description), m_main->frmBibleKJ->title());
    // The main window is named before the document gives it a title, and by the title after.
    QCOMPARE(accessibleText(m_main.get(), QAccessible::Name), QStringLiteral("Vellumor"));
    m_main->setWindowTitle(QStringLiteral("Text Editor - /home/a/sermon.txt"));
    QCOMPARE(accessibleText(m_main.get(), QAccessible::Name), QStringLiteral("Text Editor - /home/a/sermon.txt"));

    // Every window and every control that shows something or takes the
    // focus has a name, distinct within its window.
    for (QWidget *window : {static_cast<QWidget *>(m_main.get()), static_cast<QWidget *>(&splash),
                            static_cast<QWidget *>(about), static_cast<QWidget *>(&help)}) {
        QVERIFY2(!accessibleText(window, QAccessible::Name).isEmpty(), qPrintable(window->objectName()));
        QStringList seen;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            const bool control = w->focusPolicy() != Qt::NoFocus || qobject_cast<QLabel *>(w) || qobject_cast<QGroupBox *>(w);
            if (!control || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            const QString name = accessibleText(w, QAccessible::Name);
            QVERIFY2(!name.isEmpty(), qPrintable(window->objectName() + QLatin1Char(' ') + w->objectName()));
            QVERIFY2(!seen.contains(name), qPrintable(window->objectName() + QStringLiteral(": twice ") + name));
            seen << name;
        }
        QVERIFY(seen.size() >= 3);
    }
    QVERIFY(!accessibleText(splash.RainButton1, QAccessible::Description).isEmpty());
}

void TestApp::windowsCentredByTheirFrame_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("splash") << "frmSplash";
    QTest::newRow("main") << "frmMain";
    QTest::newRow("main, opened by the splash") << "frmSplash+frmMain";
    QTest::newRow("About") << "frmAbout";
    QTest::newRow("help") << "frmHelp";
}

void TestApp::windowsCentredByTheirFrame()
{
    QFETCH(QString, window);
    std::unique_ptr<QWidget> owned;
    QWidget *w = nullptr;
    if (window.startsWith(QStringLiteral("frmSplash")))
        owned = std::make_unique<frmSplash>([this] { return makeMain(); });
    else if (window == QStringLiteral("frmAbout"))
        owned = std::make_unique<frmAbout>(m_main.get());
    else if (window == QStringLiteral("frmHelp"))
        owned = std::make_unique<frmHelp>();
    w = owned ? owned.get() : m_main.get();
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    if (window == QStringLiteral("frmSplash+frmMain")) {
        auto *splash = static_cast<frmSplash *>(w);
        splash->setScreenSize([] { return QSizeF(800, 600); });
        splash->RainButton1->click();
        w = splash->mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }
    const QRect screen = w->screen()->geometry();
    // The frame (title bar and borders) is known once the window is shown;
    // the window manager may be slow to give it when the machine is busy.
    QTRY_VERIFY_WITH_TIMEOUT(w->frameGeometry() != w->geometry(), 20000);
    QTRY_VERIFY2_WITH_TIMEOUT((w->frameGeometry().topLeft() - centredFrameAt(screen, w->frameGeometry().size())).manhattanLength() <= 1,
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5x%6")
                                .arg(w->frameGeometry().x())
                                .arg(w->frameGeometry().y())
                                .arg(w->frameGeometry().width())
                                .arg(w->frameGeometry().height())
                                .arg(screen.width())
                                .arg(screen.height())),
                 20000);
    if (window.endsWith(QStringLiteral("frmMain")))
        QCOMPARE(w->findChild<QWidget *>(QStringLiteral("client"))->size(), QSize(792, 554));
}

void TestApp::wheelMovesSelectionLikeArrowKeys_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<bool>("overScrollBar");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("lookups");
    QTest::newRow("one notch down") << 5 << QList<int>{-120} << false << 6 << 1;
    QTest::newRow("one notch up") << 5 << QList<int>{120} << false << 4 << 1;
    QTest::newRow("two notches at once") << 5 << QList<int>{-240} << false << 7 << 2;
    QTest::newRow("a fine wheel's quarter notches") << 5 << QList<int>{-30, -30, -30, -30} << false << 6 << 1;
    QTest::newRow("half a notch") << 5 << QList<int>{-60} << false << 5 << 0;
    QTest::newRow("over the scroll bar") << 5 << QList<int>{-120} << true << 6 << 1;
    QTest::newRow("past the last subject") << 116 << QList<int>{-120} << false << 116 << 0;
    QTest::newRow("nothing selected yet") << -1 << QList<int>{-120} << false << 0 << 1;
}

void TestApp::wheelMovesSelectionLikeArrowKeys()
{
    QFETCH(int, start);
    QFETCH(QList<int>, deltas);
    QFETCH(bool, overScrollBar);
    QFETCH(int, row);
    QFETCH(int, lookups);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    SubjectList *list = m_main->lstBible;
    if (start >= 0)
        list->setCurrentRow(start);
    QSignalSpy spy(list, &QListWidget::currentRowChanged);
    QWidget *target = overScrollBar ? static_cast<QWidget *>(list->verticalScrollBar()) : list->viewport();
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    for (int delta : deltas) {
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    }
    QCOMPARE(list->currentRow(), row);
    QCOMPARE(spy.count(), lookups);
    // The list shows the subject the view holds, selected.
    QCOMPARE(list->verticalScrollBar()->value(), row);
    QCOMPARE(list->selectedText(), list->item(row)->text());
    QCOMPARE(m_main->strBibleSubject, list->item(row)->text());
}

void TestApp::tabIntoListWithNothingSelectedLooksNothingUp()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_main->activateWindow();
    m_main->RichTextBox1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_main->RichTextBox1);
    SubjectList *list = m_main->lstSermonType;
    QSignalSpy spy(list, &QListWidget::currentRowChanged);
    QTest::keyClick(m_main->RichTextBox1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), list);
    QCOMPARE(spy.count(), 0);
    QVERIFY(m_main->strSermonSubject.isEmpty());
    // The first move of the arrow key selects the first subject and looks it up.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_main->strSermonSubject, list->item(0)->text());
}

void TestApp::framesShowTheirWholeCaption()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    for (QGroupBox *g : {m_main->frmBibleKJ, m_main->frameSermonType, m_main->frameQuotation, m_main->frmHumor}) {
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        const int textWidth = g->fontMetrics().horizontalAdvance(g->title());
        // Inside the frame's right edge, with the caption's own left margin at most.
        QVERIFY2(label.left() + textWidth <= g->width() - 2,
                 qPrintable(QStringLiteral("%1: caption %2 px from %3 in %4 px")
                                .arg(g->objectName())
                                .arg(textWidth)
                                .arg(label.left())
                                .arg(g->width())));
        QCOMPARE(g->font().pointSizeF(), 8.25);
    }
}

void TestApp::picturesPreparedAtBuildTimeMatchTheirDrawings()
{
    // Named <picture>-<width>x<height>.pixels: the drawing at that size, or
    // its top left part.
    const QStringList prepared = QDir(QStringLiteral(":/prerendered")).entryList();
    QVERIFY2(prepared.size() >= 4, qPrintable(prepared.join(QLatin1Char(' '))));
    const QRegularExpression pattern(QStringLiteral("^(.+)-(\\d+)x(\\d+)\\.pixels$"));
    for (const QString &file : prepared) {
        const QRegularExpressionMatch m = pattern.match(file);
        QVERIFY2(m.hasMatch(), qPrintable(file));
        const QSize size(m.captured(2).toInt(), m.captured(3).toInt());
        const QImage image = Pictures::pixmap(m.captured(1), size, QSize(1, 1)).toImage();
        QVERIFY2(image.width() < size.width() * 2 && !image.isNull(), qPrintable(file));
        const QImage drawn = Pictures::draw(m.captured(1), size).toImage().copy(image.rect());
        QCOMPARE(image.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    // A window larger than the part prepared gets the whole drawing.
    frmSplash splash([this] { return makeMain(); });
    splash.resize(700, 500);
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    const QImage whole = Pictures::draw(QStringLiteral("splash"), QSize(768, 512)).toImage();
    QCOMPARE(splash.grab().toImage().pixelColor(690, 495), whole.pixelColor(690, 495));
}

void TestApp::keptPictureFileDamagedIsIgnored_data()
{
    // A 32-bit number of the header replaced (at its byte offset), bytes cut or added.
    QTest::addColumn<int>("offset");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("grown");
    QTest::addColumn<bool>("sound");
    QTest::newRow("sound") << -1 << 0u << 0 << true;
    QTest::newRow("cut short") << -1 << 0u << -1 << false;
    QTest::newRow("a byte more") << -1 << 0u << 1 << false;
    QTest::newRow("not a kept picture") << 0 << 0x474e5089u << 0 << false;
    QTest::newRow("other byte order") << 4 << 0x04030201u << 0 << false;
    QTest::newRow("taller than its pixels") << 12 << 6u << 0 << false;
    QTest::newRow("unknown pixel format") << 16 << quint32(QImage::Format_Indexed8) << 0 << false;
    QTest::newRow("label past the end") << 20 << 0xffffu << 0 << false;
}

void TestApp::keptPictureFileDamagedIsIgnored()
{
    QFETCH(int, offset);
    QFETCH(quint32, value);
    QFETCH(int, grown);
    QFETCH(bool, sound);
    QImage image(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 30, y * 50, 200));
    const QString label = QStringLiteral("key\nfamilies, Schön");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kept/look.pixels"));
    QVERIFY(Pictures::writeKept(file, {image, label}));

    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    if (offset >= 0)
        std::memcpy(bytes.data() + offset, &value, sizeof value);
    bytes = grown < 0 ? bytes.left(bytes.size() + grown) : bytes + QByteArray(grown, '\0');
    QVERIFY(f.resize(0) && f.write(bytes) == bytes.size());
    f.close();

    const Pictures::Kept kept = Pictures::readKept(file);
    QCOMPARE(!kept.image.isNull(), sound);
    if (sound) {
        QCOMPARE(kept.image, image);
        QCOMPARE(kept.label, label);
    }
}

Pictures::Kept TestApp::keptByFirstStart(QImage *look)
{
    const QString file = frmSplash::keptLookFile();
    QFile::remove(file);
    frmSplash splash([this] { return makeMain(); });
    splash.show();
    if (!QTest::qWaitForWindowExposed(&splash) || !QTest::qWaitFor([&] { return QFile::exists(file); }))
        return {};
    *look = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return Pictures::readKept(file);
}

void TestApp::splashPaintsItsKeptLookFirst_data()
{
    QTest::addColumn<QString>("press");
    QTest::newRow("Return") << "Return";
    QTest::newRow("mouse") << "mouse";
}

void TestApp::splashPaintsItsKeptLookFirst()
{
    QFETCH(QString, press);
    m_main.reset();
    const QString file = frmSplash::keptLookFile();
    auto removeKept = qScopeGuard([&] { QFile::remove(file); });
    // The first start keeps its look as first painted.
    QImage look;
    const Pictures::Kept kept = keptByFirstStart(&look);
    QVERIFY(!kept.image.isNull());
    QCOMPARE(kept.image.convertToFormat(QImage::Format_RGB32), look);

    // The next start paints what was kept (marked here) before its controls.
    QImage marked = kept.image;
    marked.fill(QColor(1, 2, 3));
    QVERIFY(Pictures::writeKept(file, {marked, kept.label}));
    frmSplash splash([this] { return makeMain(); });
    splash.setScreenSize([] { return QSizeF(800, 600); });
    QCOMPARE(splash.grab().toImage().pixelColor(200, 100), QColor(1, 2, 3));
    QVERIFY(splash.RainButton1->isHidden());
    splash.show();
    QVERIFY(QTest::qWaitForWindowActive(&splash));
    // Right after it, the controls, looking as kept, and working.
    const QList<QWidget *> controls{splash.RainButton1, splash.Label1, splash.Label2, splash.Label3, splash.Label4,
                                    splash.Label5,      splash.Label6, splash.Label7, splash.Image1};
    QTRY_VERIFY(std::all_of(controls.begin(), controls.end(), [](QWidget *w) { return w->isVisible(); }));
    QCOMPARE(splash.grab().toImage().convertToFormat(QImage::Format_RGB32), look);
    QCOMPARE(accessibleText(splash.RainButton1, QAccessible::Name), QStringLiteral("Begin writing"));
    QTRY_COMPARE(QApplication::focusWidget(), splash.RainButton1);
    if (press == QStringLiteral("Return")) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    } else {
        QCOMPARE(splash.childAt(splash.RainButton1->geometry().center()), splash.RainButton1);
        QTest::mouseClick(splash.RainButton1, Qt::LeftButton);
    }
    QTRY_VERIFY(splash.mainWindow() && splash.mainWindow()->isVisible());
    QVERIFY(!splash.isVisible());
    // The same fonts: what was kept stays.
    QVERIFY(QFile::exists(file));
}

void TestApp::splashMakesAnUnfitKeptLookAnew_data()
{
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("paintedFirst");
    QTest::newRow("damaged") << "damaged" << false;
    QTest::newRow("of another window") << "another window" << false;
    QTest::newRow("in fonts since removed") << "other fonts" << true;
}

void TestApp::splashMakesAnUnfitKeptLookAnew()
{
    QFETCH(QString, kept);
    QFETCH(bool, paintedFirst);
    m_main.reset();
    const QString file = frmSplash::keptLookFile();
    auto removeKept = qScopeGuard([&] { QFile::remove(file); });
    QImage look;
    const Pictures::Kept sound = keptByFirstStart(&look);
    QVERIFY(!sound.image.isNull());
    // The label: what the look depends on, then the font families it was painted in.
    const QString key = sound.label.section(QLatin1Char('\n'), 0, -2);
    if (kept == QStringLiteral("damaged")) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(f.size() - 1));
    } else {
        const QString label = kept == QStringLiteral("another window")
                                  ? key + QStringLiteral(" wider") + sound.label.mid(key.size())
                                  : key + QStringLiteral("\nGone Sans");
        QVERIFY(Pictures::writeKept(file, {sound.image, label}));
    }

    frmSplash splash([this] { return makeMain(); });
    splash.grab();
    QCOMPARE(splash.Label1->isHidden(), paintedFirst);
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QTRY_VERIFY(splash.Label1->isVisible());
    if (paintedFirst) {
        // The fonts are known only now: made anew at the next start.
        QTRY_VERIFY(!QFile::exists(file));
    } else {
        QTRY_COMPARE(Pictures::readKept(file).label, sound.label);
        QCOMPARE(Pictures::readKept(file).image.convertToFormat(QImage::Format_RGB32), look);
    }
}

void TestApp::shortcutsReachTheirCommandFromAnyControl_data()
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
        {"mnuFileNew", Qt::CTRL | Qt::Key_N, "lstBible"},      {"mnuFileOpen", Qt::CTRL | Qt::Key_O, "RichTextBox2"},
        {"mnuSaveFile", Qt::CTRL | Qt::Key_S, "txtTextBox1"},  {"mnuFileSaveAs", Qt::CTRL | Qt::SHIFT | Qt::Key_S, "RichTextBox1"},
        {"mnuFilePrint", Qt::CTRL | Qt::Key_P, "cmdUpperCase"}, {"mnuFileExit", Qt::CTRL | Qt::Key_Q, "rnbFind1"},
        {"mnuBold", Qt::CTRL | Qt::Key_B, "RichTextBox5"},     {"mnuItalic", Qt::CTRL | Qt::Key_I, "txtTextBox2"},
        {"mnuUnderline", Qt::CTRL | Qt::Key_U, "RichTextBox1"}, {"mnuUnderline", Qt::CTRL | Qt::Key_U, "txtTextBox1"},
        {"mnuFindText3", Qt::CTRL | Qt::Key_F, "lstJoke"},     {"mnuHelpContents", Qt::Key_F1, "optAlign(2)"},
    };
    for (const auto &r : rows)
        for (const bool modal : {false, true})
            QTest::addRow("%s from %s%s", r.command, r.focus, modal ? ", dialog open" : "")
                << QString::fromLatin1(r.command) << r.key << QString::fromLatin1(r.focus) << modal;
}

// The key reaches the menu command (what that does is tested with the menu
// item), whichever control has the focus; a find box keeps its text.
void TestApp::shortcutsReachTheirCommandFromAnyControl()
{
    QFETCH(QString, command);
    QFETCH(QKeySequence, key);
    QFETCH(QString, focus);
    QFETCH(bool, modal);
    m_main->show();
    QApplication::setActiveWindow(m_main.get());
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    auto *action = m_main->findChild<QAction *>(command);
    QCOMPARE(action->shortcut(), key);
    disconnect(action, &QAction::triggered, m_main.get(), nullptr);
    QSignalSpy triggered(action, &QAction::triggered);
    auto *control = m_main->findChild<QWidget *>(focus);
    // A control that claims every key, as a line edit claims Ctrl+U on X11.
    struct Claim : QObject {
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() != QEvent::ShortcutOverride)
                return false;
            e->accept();
            return true;
        }
    } claim;
    control->installEventFilter(&claim);
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
    } else {
        QTest::keySequence(control, key);
    }
    // Ctrl+F puts the caret in the document's find box, without the menu item's search.
    QCOMPARE(command == QLatin1String("mnuFindText3") ? m_main->txtTextBox3->hasFocus() : triggered.count() == 1,
             !modal);
    QCOMPARE(box ? box->text() : QString(), boxText);
}

void TestApp::recentFilesNewestFirstAndOpenedAfterTheQuestion()
{
    QVERIFY(recentItems(*m_main).isEmpty()); // none yet: the menu as designed
    QTemporaryDir dir;
    auto writeFile = [&dir](const QString &name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write("text") == 4 ? f.fileName() : QString();
    };
    QStringList p;
    for (const char *name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt", "6.txt", "7.txt", "8 & 9.txt"})
        QVERIFY(m_main->openDocumentFile(p.emplace_back(writeFile(QString::fromLatin1(name)))));
    QVERIFY(m_main->Document->save(p.at(2), SermonDocument::Format::PlainText, nullptr)); // to the top, once
    QVERIFY(m_main->openDocumentFile(writeFile(QStringLiteral("new.txt")))); // the oldest drops off
    auto item = [&p](int n, int i) { return QStringLiteral("&%1 %2|%3").arg(n).arg(QFileInfo(p.at(i)).fileName().replace("&", "&&"), QDir::toNativeSeparators(p.at(i))); };
    p << dir.filePath(QStringLiteral("new.txt"));
    const QStringList expected{"-",         item(1, 8), item(2, 2), item(3, 7), item(4, 6),
                               item(5, 5),  item(6, 4), item(7, 3), item(8, 1), "-"};
    QCOMPARE(recentItems(*m_main), expected);
    QCOMPARE(recentItems(frmMain(m_data.path())), expected); // kept for the next run

    m_main->RichTextBox1->SetText(QStringLiteral("unsaved"));
    ModalDriver driver;
    driver.answer(QMessageBox::Cancel);
    m_main->findChild<QAction *>(QStringLiteral("mnuRecentFile2"))->trigger();
    QCOMPARE(driver.texts, QStringList{"Save changes to text?"});
    QCOMPARE(m_main->CurrentFile, p.at(8));
    driver.answer(QMessageBox::No);
    m_main->findChild<QAction *>(QStringLiteral("mnuRecentFile2"))->trigger();
    QCOMPARE(m_main->CurrentFile, p.at(2));
    // Gone since: said so, and off the list.
    QVERIFY(QFile::remove(p.at(8)));
    driver.answer(QMessageBox::Ok);
    m_main->findChild<QAction *>(QStringLiteral("mnuRecentFile2"))->trigger();
    driver.stop();
    QCOMPARE(driver.texts.constLast(), QStringLiteral("\"%1\" no longer exists, so it was taken off the list of "
                                                      "recent documents.").arg(QDir::toNativeSeparators(p.at(8))));
    QCOMPARE(m_main->CurrentFile, p.at(2));
    QCOMPARE(m_main->recentFiles()->files(), (QStringList{p.at(2), p.at(7), p.at(6), p.at(5), p.at(4), p.at(3), p.at(1)}));
}

// Return held on the splash: the press opens the main window, its repeats
// neither answer the warning that follows nor reach the document. A key
// pressed anew repeats as usual.
void TestApp::heldReturnActsOnlyWhereItWasPressed()
{
    m_main.reset();
    HeldKeyFilter filter;
    qApp->installEventFilter(&filter);
    auto key = [](QWidget *w, bool press, bool repeat, int times = 1) {
        for (int i = 0; i < times; ++i)
            QTest::simulateEvent(w, press, Qt::Key_Return, {}, QStringLiteral("\r"), repeat);
    };
    frmSplash splash([this] { return makeMain(); });
    splash.setScreenSize([] { return QSizeF(1024, 768); });
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    bool warningStayed = false;
    ModalDriver driver;
    driver.arm([&](QDialog *warning) {
        key(warning, true, true, 20);
        warningStayed = warning->isVisible();
        warning->accept();
    });
    key(splash.RainButton1, true, false);
    QVERIFY(warningStayed);

    RichTextBox *document = splash.mainWindow()->RichTextBox1;
    const QString before = document->Text();
    key(document, true, true, 20);
    key(document, false, false);
    QCOMPARE(document->Text(), before);
    QVERIFY(!splash.mainWindow()->TextChanged);
    key(document, true, false);
    key(document, true, true, 2);
    QCOMPARE(document->Text().count(QLatin1Char('\n')), before.count(QLatin1Char('\n')) + 3);
}

QTEST_MAIN(TestApp)
#include "tst_app.moc"
