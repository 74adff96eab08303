#include "app/frmMain.h"

#include "app/AppSetup.h"
#include "app/CommonDialog.h"
#include "app/CoolClose.h"
#include "app/GeometrySettings.h"
#include "app/Pictures.h"
#include "app/RainButton.h"
#include "app/Twips.h"
#include "app/WindowCentring.h"
#include "editor/RichTextBox.h"
#include "editor/TextDecorations.h"
#include "reference/SubjectList.h"
#include "reference/SubjectLists.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <cstdlib>

namespace {

// The window's own colours; the "border colour" is ours to choose, dark
// enough for the yellow captions to read well.
const QColor BorderColour(40, 56, 88);
const QColor WindowColour(255, 255, 255);
// Selections in the classic colours, readable on every background we fix
// (the desktop's own selection colour need not be).
const QColor SelectionColour(0, 0, 128);
const QColor SelectionTextColour(255, 255, 255);
// Face of the picture buttons that have no colour of their own: light, so
// that their black pictures show under a dark desktop palette too.
const QColor ButtonFaceColour(239, 239, 239);

// A fixed background comes with a fixed text colour and fixed selection
// colours: a dark or high-contrast desktop palette would otherwise put its
// light text on our light backgrounds.
void setBackground(QWidget *w, const QColor &colour, const QColor &text = Qt::black)
{
    QPalette p = w->palette();
    for (const auto role : {QPalette::Base, QPalette::Button, QPalette::Window})
        p.setColor(role, colour);
    for (const auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        p.setColor(role, text);
    p.setColor(QPalette::Highlight, SelectionColour);
    p.setColor(QPalette::HighlightedText, SelectionTextColour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// The design's caption font is narrower than the fonts that stand in for it:
// a caption that would run past its frame's right edge is drawn condensed
// just enough to fit.
void fitCaption(QGroupBox *frame)
{
    QStyleOptionGroupBox opt;
    opt.initFrom(frame);
    opt.text = frame->title();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const int left = frame->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, frame).left();
    const int room = frame->width() - 2 - left;
    QFont font = frame->font();
    const int width = QFontMetrics(font).horizontalAdvance(frame->title());
    if (width <= room || width <= 0)
        return;
    for (int stretch = 100 * room / width; stretch >= 50; --stretch) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(frame->title()) <= room)
            break;
    }
    frame->setFont(font);
}

// What a screen reader says: what each control is for, where its caption or
// picture does not say it (the four find buttons all read "Find" or "Fnd/Nxt").
void nameControls(frmMain *w)
{
    const QString list = QStringLiteral("One subject at a time: the arrow keys or the mouse wheel choose the next");
    const QString view = QStringLiteral("Select a passage and press Ctrl+C to copy it");
    const struct {
        QWidget *control;
        const char *name;
        QString description;
    } names[] = {
        {w->RichTextBox1, "Sermon document", {}},
        {w->cmdUpperCase, "Upper case", QStringLiteral("Capitals for the selected text of the document")},
        {w->cmdLowerCase, "Lower case", QStringLiteral("Small letters for the selected text of the document")},
        {w->optAlign[0], "Align left", {}},
        {w->optAlign[2], "Align center", {}},
        {w->optAlign[1], "Align right", {}},
        {w->txtTextBox3, "Text to find in the document", {}},
        {w->rnbFind3, "Find in the document", {}},
        {w->rnbFindNext3, "Find next in the document", {}},
        {w->frmBibleKJ, "Bible", w->frmBibleKJ->title()},
        {w->lstBible, "Bible section", list},
        {w->RichTextBox2, "Bible passage", view},
        {w->txtTextBox1, "Text to find in the Bible", {}},
        {w->rnbFind1, "Find in the Bible", {}},
        {w->rnbFindNext1, "Find next in the Bible", {}},
        {w->frameSermonType, "Sermon types and samples", w->frameSermonType->title()},
        {w->lstSermonType, "Sermon type", list},
        {w->RichTextBox4, "Sermon type or sample", view},
        {w->frameQuotation, "Quotations", w->frameQuotation->title()},
        {w->LstQuote, "Quotation subject", list},
        {w->RichTextBox3, "Quotation", view},
        {w->frmHumor, "Dictionary", w->frmHumor->title()},
        {w->lstJoke, "Dictionary subject", list},
        {w->RichTextBox5, "Dictionary entry", view},
        {w->txtTextBox2, "Text to find in the dictionary", {}},
        {w->rnbFind2, "Find in the dictionary", {}},
        {w->rnbFindNext2, "Find next in the dictionary", {}},
    };
    for (const auto &n : names) {
        n.control->setAccessibleName(QString::fromLatin1(n.name));
        n.control->setAccessibleDescription(n.description);
    }
    // The window is read by its title once the document commands set one.
    auto nameWindow = [w](const QString &title) {
        w->setAccessibleName(title.isEmpty() ? QStringLiteral("Vellumor") : QString());
    };
    nameWindow(w->windowTitle());
    QObject::connect(w, &QWidget::windowTitleChanged, w, nameWindow);
    w->setAccessibleDescription(QStringLiteral("The sermon document beside four reference panels"));
}

} // namespace

frmMain::frmMain(const QString &dataDir, QWidget *parent)
    : QMainWindow(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_dataDir(dataDir)
{
    AppSetup::initResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(AppSetup::programIcon());
    setFont(AppSetup::designFont(QStringLiteral("Arial"), 9.75));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    QPalette p = client->palette();
    p.setColor(QPalette::Window, BorderColour);
    p.setColor(QPalette::WindowText, QColor(0, 192, 0));
    client->setPalette(p);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    CommonDialog1 = new CommonDialog(this);
    CommonDialog1->setObjectName(QStringLiteral("CommonDialog1"));

    createControls();
    createMenus();
    setFocusOrder();
    setUpEditCommands();
    setUpDocument();
    setUpReferencePanels();
    setUpScripture();
    setUpSpelling();
    setUpPulpit();
    setUpDesktop();
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::createControls()
{
    QWidget *client = centralWidget();

    auto imageButton = [&](const char *name, const QString &icon, const QString &tip) {
        auto *b = new QPushButton(client);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(Pictures::icon(icon));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(tip);
        return b;
    };
    cmdUpperCase = imageButton("cmdUpperCase", QStringLiteral("uppercase"), QStringLiteral("UPPERCASE"));
    cmdLowerCase = imageButton("cmdLowerCase", QStringLiteral("lowercase"), QStringLiteral("lowercase"));
    for (QPushButton *b : {cmdUpperCase, cmdLowerCase})
        setBackground(b, QColor(255, 255, 0));
    Twips::place(cmdUpperCase, 240, 120, 315, 315);
    Twips::place(cmdLowerCase, 600, 120, 315, 315);
    connect(cmdUpperCase, &QPushButton::clicked, this, [this] { cmdUpperCase_Click(0); });
    connect(cmdLowerCase, &QPushButton::clicked, this, [this] { cmdLowerCase_Click(1); });

    const struct {
        int index;
        const char *icon;
        const char *tip;
        int left;
    } aligns[] = {{0, "align-left", "Left Align", 1200}, {2, "align-center", "Center", 1560},
                  {1, "align-right", "Right Align", 1920}};
    for (const auto &a : aligns) {
        QPushButton *b = imageButton("", QString::fromLatin1(a.icon), QString::fromLatin1(a.tip));
        b->setObjectName(QStringLiteral("optAlign(%1)").arg(a.index));
        b->setCheckable(true);
        Twips::place(b, a.left, 120, 315, 315);
        QPalette face = b->palette();
        face.setColor(QPalette::Button, ButtonFaceColour);
        face.setColor(QPalette::ButtonText, Qt::black);
        b->setPalette(face);
        optAlign[size_t(a.index)] = b;
        // One exclusive group, kept by hand: a QButtonGroup would take the
        // unselected buttons out of the Tab order, and each is a Tab stop.
        connect(b, &QPushButton::clicked, this, [this, index = a.index] {
            for (size_t i = 0; i < optAlign.size(); ++i)
                optAlign[i]->setChecked(int(i) == index);
            optAlign_Click(index);
        });
    }
    optAlign[0]->setChecked(true);

    auto findBox = [&](const char *name) {
        auto *box = new QLineEdit(QStringLiteral(" "), client);
        box->setObjectName(QString::fromLatin1(name));
        setBackground(box, QColor(192, 255, 192));
        return box;
    };
    auto findButton = [&](const char *name, bool next, const QFont &f) {
        auto *b = new RainButton(next ? QStringLiteral("Fnd/Nxt") : QStringLiteral("Find"), client);
        b->setObjectName(QString::fromLatin1(name));
        b->setFaceColor(next ? QColor(128, 128, 255) : QColor(192, 192, 255));
        b->setFont(f);
        b->setMouseTrack(true);
        return b;
    };
    const QFont small = AppSetup::designFont(QStringLiteral("Arial"), 8.25);
    const QFont normal = AppSetup::designFont(QStringLiteral("Arial"), 9.75);

    txtTextBox3 = findBox("txtTextBox3");
    Twips::place(txtTextBox3, 2520, 120, 1215, 360);
    rnbFind3 = findButton("rnbFind3", false, normal);
    Twips::place(rnbFind3, 3840, 120, 1095, 255);
    rnbFindNext3 = findButton("rnbFindNext3", true, normal);
    Twips::place(rnbFindNext3, 3840, 360, 1095, 255);
    for (QWidget *w : {static_cast<QWidget *>(txtTextBox3), static_cast<QWidget *>(rnbFind3),
                       static_cast<QWidget *>(rnbFindNext3)})
        w->setVisible(false);

    Label6 = new QLabel(QStringLiteral("CTL \"C\" to Copy,  CTL \"V\" to Paste"), client);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label6->setFont(small);
    QPalette lp = Label6->palette();
    lp.setColor(QPalette::WindowText, QColor(255, 255, 0));
    Label6->setPalette(lp);
    Twips::place(Label6, 840, 480, 3255, 255);

    RichTextBox1 = new RichTextBox(QStringLiteral("MS Sans Serif"), client);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    setBackground(RichTextBox1, WindowColour);
    Twips::place(RichTextBox1, 120, 720, 5175, 7455);
    connect(RichTextBox1, &RichTextBox::Change, this, &frmMain::RichTextBox1_Change);

    auto frame = [&](const char *name, const QString &caption, QWidget *parent) {
        auto *g = new QGroupBox(caption, parent);
        g->setObjectName(QString::fromLatin1(name));
        g->setFont(AppSetup::designFont(QStringLiteral("MS Sans Serif"), 8.25));
        g->setFocusPolicy(Qt::NoFocus);
        QPalette gp = g->palette();
        gp.setColor(QPalette::WindowText, QColor(255, 255, 0));
        gp.setColor(QPalette::Window, BorderColour);
        g->setPalette(gp);
        return g;
    };
    frmBibleKJ = frame("frmBibleKJ",
                       QStringLiteral("King James Bible   Select Main Book, Highlight it, Cursor Down, or Do Search For Verse"),
                       client);
    Twips::place(frmBibleKJ, 5400, 120, 6375, 2895);
    frameSermonType = frame("frameSermonType", QStringLiteral("Sermon Type And Samples"), client);
    Twips::place(frameSermonType, 5400, 3120, 2655, 2655);
    frameQuotation = frame("frameQuotation", QStringLiteral("Quotes, Poetry, History, Last Words, Epitaths, + "), client);
    Twips::place(frameQuotation, 8160, 3120, 3615, 2655);
    frmHumor = frame("frmHumor", QStringLiteral("Dictionary, Word Usage, Bible Names, Topical Index"), client);
    Twips::place(frmHumor, 5400, 5760, 6375, 2415);
    for (QGroupBox *g : {frmBibleKJ, frameSermonType, frameQuotation, frmHumor})
        fitCaption(g);

    auto list = [&](const char *name, const QColor &background, QWidget *parent) {
        auto *l = new SubjectList(parent);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(AppSetup::designFont(QStringLiteral("Arial"), 8.25));
        setBackground(l, background);
        l->addItems(SubjectLists::load(QString::fromLatin1(name)));
        return l;
    };
    lstBible = list("lstBible", QColor(192, 192, 255), client);
    Twips::place(lstBible, 5520, 360, 2895, 270);
    lstSermonType = list("lstSermonType", QColor(192, 255, 255), frameSermonType);
    lstSermonType->setFont(AppSetup::designFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(lstSermonType, QColor(192, 255, 255), QColor(64, 0, 64));
    lstSermonType->sortItems(Qt::AscendingOrder);
    Twips::place(lstSermonType, 120, 240, 2415, 255);
    LstQuote = list("LstQuote", QColor(255, 255, 192), client);
    Twips::place(LstQuote, 8280, 3360, 3255, 270);
    lstJoke = list("lstJoke", QColor(255, 192, 255), client);
    Twips::place(lstJoke, 5520, 6000, 3015, 270);
    connect(lstBible, &QListWidget::currentRowChanged, this, &frmMain::lstBible_Click);
    connect(lstSermonType, &QListWidget::currentRowChanged, this, &frmMain::lstSermonType_Click);
    connect(LstQuote, &QListWidget::currentRowChanged, this, &frmMain::LstQuote_Click);
    connect(lstJoke, &QListWidget::currentRowChanged, this, &frmMain::lstJoke_Click);

    auto view = [&](const char *name) {
        auto *v = new RichTextBox(QStringLiteral("Arial"), client);
        v->setObjectName(QString::fromLatin1(name));
        setBackground(v, QColor(255, 255, 255));
        return v;
    };
    RichTextBox2 = view("RichTextBox2");
    Twips::place(RichTextBox2, 5520, 720, 6135, 2175);
    RichTextBox4 = view("RichTextBox4");
    Twips::place(RichTextBox4, 5520, 3720, 2415, 1935);
    RichTextBox3 = view("RichTextBox3");
    Twips::place(RichTextBox3, 8280, 3720, 3375, 1935);
    RichTextBox5 = view("RichTextBox5");
    Twips::place(RichTextBox5, 5520, 6360, 6135, 1695);

    txtTextBox1 = findBox("txtTextBox1");
    txtTextBox1->setFont(small);
    Twips::place(txtTextBox1, 8520, 360, 1215, 330);
    rnbFind1 = findButton("rnbFind1", false, small);
    Twips::place(rnbFind1, 9840, 360, 855, 255);
    rnbFindNext1 = findButton("rnbFindNext1", true, small);
    Twips::place(rnbFindNext1, 10800, 360, 855, 255);
    txtTextBox2 = findBox("txtTextBox2");
    txtTextBox2->setFont(small);
    Twips::place(txtTextBox2, 8640, 6000, 1335, 330);
    rnbFind2 = findButton("rnbFind2", false, small);
    Twips::place(rnbFind2, 10080, 6000, 735, 255);
    rnbFindNext2 = findButton("rnbFindNext2", true, small);
    Twips::place(rnbFindNext2, 10920, 6000, 735, 255);
    txtTextBox3->setFont(normal);

    connect(rnbFind1, &RainButton::clicked, this, &frmMain::rnbFind1_Click);
    connect(rnbFindNext1, &RainButton::clicked, this, &frmMain::rnbFindNext1_Click);
    connect(rnbFind2, &RainButton::clicked, this, &frmMain::rnbFind2_Click);
    connect(rnbFindNext2, &RainButton::clicked, this, &frmMain::rnbFindNext2_Click);
    connect(rnbFind3, &RainButton::clicked, this, &frmMain::rnbFind3_Click);
    connect(rnbFindNext3, &RainButton::clicked, this, &frmMain::rnbFindNext3_Click);
    // Return in a find box runs that box's Find, as in any search box.
    connect(txtTextBox1, &QLineEdit::returnPressed, this, &frmMain::rnbFind1_Click);
    connect(txtTextBox2, &QLineEdit::returnPressed, this, &frmMain::rnbFind2_Click);
    connect(txtTextBox3, &QLineEdit::returnPressed, this, &frmMain::rnbFind3_Click);

    // Frames lie behind the lists, views and search controls drawn on them.
    for (QGroupBox *g : {frmBibleKJ, frameSermonType, frameQuotation, frmHumor})
        g->lower();
    nameControls(this);
}

void frmMain::createMenus()
{
    // The keys act in the whole window, whichever control has the focus,
    // and not while a dialog is open (the dialog is then the active window).
    auto item = [this](QMenu *menu, QAction *&action, const char *name, const QString &caption,
                       void (frmMain::*slot)(), const QKeySequence &shortcut = {}) {
        action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        connect(action, &QAction::triggered, this, slot);
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    item(mnuFile, mnuFileNew, "mnuFileNew", QStringLiteral("&New"), &frmMain::mnuFileNew_Click,
         QKeySequence(Qt::CTRL | Qt::Key_N));
    item(mnuFile, mnuFileOpen, "mnuFileOpen", QStringLiteral("&Open..."), &frmMain::mnuFileOpen_Click,
         QKeySequence(Qt::CTRL | Qt::Key_O));
    item(mnuFile, mnuSaveFile, "mnuSaveFile", QStringLiteral("&Save"), &frmMain::mnuSaveFile_Click,
         QKeySequence(Qt::CTRL | Qt::Key_S));
    item(mnuFile, mnuFileSaveAs, "mnuFileSaveAs", QStringLiteral("Save &As..."), &frmMain::mnuFileSaveAs_Click,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    item(mnuFile, mnuFilePrint, "mnuFilePrint", QStringLiteral("&Print..."), &frmMain::mnuFilePrint_Click,
         QKeySequence(Qt::CTRL | Qt::Key_P));
    item(mnuFile, mnuFileExit, "mnuFileExit", QStringLiteral("E&xit"), &frmMain::mnuFileExit_Click,
         QKeySequence(Qt::CTRL | Qt::Key_Q));

    mnuFormat = menuBar()->addMenu(QStringLiteral("Format"));
    mnuFormat->setObjectName(QStringLiteral("mnuFormat"));
    item(mnuFormat, mnuAllCaps, "mnuAllCaps", QStringLiteral("&All Caps"), &frmMain::mnuAllCaps_Click);
    item(mnuFormat, mnuFont, "mnuFont", QStringLiteral("&Font"), &frmMain::mnuFont_Click);
    item(mnuFormat, mnuBold, "mnuBold", QStringLiteral("&Bold"), &frmMain::mnuBold_Click,
         QKeySequence(Qt::CTRL | Qt::Key_B));
    item(mnuFormat, mnuUnderline, "mnuUnderline", QStringLiteral("&underline"), &frmMain::mnuUnderline_Click,
         QKeySequence(Qt::CTRL | Qt::Key_U));
    item(mnuFormat, mnuFindText3, "mnuFindText3", QStringLiteral("Fin&d"), &frmMain::mnuFindText3_Click,
         QKeySequence(Qt::CTRL | Qt::Key_F));
    item(mnuFormat, mnuItalic, "mnuItalic", QStringLiteral("&Italic"), &frmMain::mnuItalic_Click,
         QKeySequence(Qt::CTRL | Qt::Key_I));

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    item(mnuEdit, mnuClearAll, "mnuClearAll", QStringLiteral("C&lear All"), &frmMain::mnuClearAll_Click);
    item(mnuEdit, mnuEditCut, "mnuEditCut", QStringLiteral("Cu&t"), &frmMain::mnuEditCut_Click,
         QKeySequence(Qt::CTRL | Qt::Key_X));
    item(mnuEdit, mnuEditCopy, "mnuEditCopy", QStringLiteral("&Copy"), &frmMain::mnuEditCopy_Click,
         QKeySequence(Qt::CTRL | Qt::Key_C));
    item(mnuEdit, mnuEditPaste, "mnuEditPaste", QStringLiteral("&Paste"), &frmMain::mnuEditPaste_Click,
         QKeySequence(Qt::CTRL | Qt::Key_V));
    connect(mnuEdit, &QMenu::aboutToShow, this, &frmMain::mnuEdit_Click);

    // The sermon writer's own commands; each area adds its items when it is set up.
    mnuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    item(mnuHelp, mnuHelpContents, "mnuHelpContents", QStringLiteral("&Contents"), &frmMain::mnuHelpContents_Click,
         QKeySequence(Qt::Key_F1));
    item(mnuHelp, mnuHelpAbout, "mnuHelpAbout", QStringLiteral("&About "), &frmMain::mnuHelpAbout_Click);
}

void frmMain::setFocusOrder()
{
    // The dictionary view is reached by mouse only; frames and the label take no focus.
    RichTextBox5->setFocusPolicy(Qt::ClickFocus);
    Label6->setFocusPolicy(Qt::NoFocus);
    for (RichTextBox *v : {RichTextBox1, RichTextBox2, RichTextBox3, RichTextBox4, RichTextBox5})
        v->setTabChangesFocus(true);

    const QList<QWidget *> order{RichTextBox1, lstSermonType, RichTextBox2, RichTextBox3, cmdUpperCase,
                                 cmdLowerCase, LstQuote,      lstJoke,      lstBible,     RichTextBox4,
                                 optAlign[0],  optAlign[2],   optAlign[1],  txtTextBox1,  rnbFind1,
                                 rnbFindNext1, txtTextBox2,   rnbFind2,     rnbFindNext2, txtTextBox3,
                                 rnbFind3,     rnbFindNext3};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));
    // Option buttons in a group are otherwise one tab stop with arrow-key moves.
    for (QPushButton *b : optAlign)
        b->setFocusPolicy(Qt::StrongFocus);
}

void frmMain::Form_Load()
{
    // Centred on the screen at the design size; the stored geometry is not read.
    const QSize client(Twips::toPx(11880), Twips::toPx(8310));
    centralWidget()->setFixedSize(client);
    centralWidget()->setMinimumSize(0, 0);
    centralWidget()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    WindowCentring::centre(this);

    TextChanged = false;
    // The initial content went in before the document was watched, so no
    // notification is pending: the user's very first edit counts.
    SkipNextChange = false;

    CommonDialog1->Filter = SermonDocument::fileFilter();
}

void frmMain::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;

    // The other windows, newest first (the help screen before the hidden splash).
    for (qsizetype i = m_otherWindows.size() - 1; i >= 0; --i) {
        if (QWidget *w = m_otherWindows.at(i))
            w->close();
    }
    m_otherWindows.clear();

    if (windowState() & Qt::WindowMinimized)
        return;
    GeometrySettings::write(CoolClose::geometryTwips(this));
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!m_closing && !stopLongCommand()) {
        m_closeWhenIdle = true;
        event->ignore();
        return;
    }
    if (!m_closing && !confirmExit()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
    // A tool window does not count for Qt's last-window rule: end here.
    QCoreApplication::quit();
}

TextDecorations *frmMain::documentDecorations()
{
    if (!m_decorations)
        m_decorations = new TextDecorations(RichTextBox1);
    return m_decorations;
}

void frmMain::registerWindow(QWidget *window)
{
    m_otherWindows.append(window);
}

void frmMain::mnuFileExit_Click()
{
    if (m_closing)
        return;
    if (!stopLongCommand()) {
        m_exitWhenIdle = true;
        return;
    }
    if (!confirmExit())
        return;
    m_closing = true;
    coolCloseForm(this, 20);
    QCoreApplication::quit();
}

void frmMain::coolCloseForm(QWidget *window, short speed)
{
    if (!window)
        return;
    if (speed == 0) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vellumor"), QStringLiteral("Speed cannot zero"),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    // Only speeds from 1 to 3276 keep 10 x speed within 16 bits and end.
    CoolClose::shrink(window, short(qBound(1, std::abs(int(speed)), 3276)));
    if (window == this)
        m_closing = true;
    window->close();
}
