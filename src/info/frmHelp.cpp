#include "info/frmHelp.h"

#include "app/AppSetup.h"
#include "app/Pictures.h"
#include "app/Twips.h"
#include "app/WindowCentring.h"
#include "info/HelpText.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>

frmHelp::frmHelp(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    AppSetup::initResources();
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Help Screen"));
    setWindowIcon(AppSetup::programIcon());
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPointSizeF(8.25);
    setFont(windowFont);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, QColor(192, 192, 255));
    setPalette(windowPalette);
    setAutoFillBackground(true);
    resize(Twips::toPx(5085), Twips::toPx(6180));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text1->setTabChangesFocus(true);
    // Default text-box colours, not the window's.
    Text1->setPalette(QGuiApplication::palette());
    Text1->setPlainText(HelpText::contents());
    Text1->moveCursor(QTextCursor::Start);
    Twips::place(Text1, 120, 2040, 4815, 4095);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("Vellumor is free: you may copy it and give it away to anyone, but you may "
                                   "not sell it. It comes with no warranty of any kind; the full notice is at "
                                   "the end of the help text.\n\nQuestions and comments: help@vellumor.org"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label1->setMargin(2);
    Label1->setLineWidth(1);
    Label1->setAutoFillBackground(true);
    QPalette labelPalette = Label1->palette();
    labelPalette.setColor(QPalette::Window, QColor(192, 255, 255));
    labelPalette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    Label1->setPalette(labelPalette);
    QFont labelFont(QStringLiteral("Times New Roman"));
    labelFont.setPointSizeF(9);
    labelFont.setBold(true);
    Label1->setFont(labelFont);
    Twips::place(Label1, 1560, 120, 3375, 1815);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Image1->setLineWidth(1);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(Pictures::pixmap(QStringLiteral("emblem"), QSize(78, 102)));
    Twips::place(Image1, 120, 240, 1230, 1590);

    setAccessibleName(QStringLiteral("Vellumor help"));
    Text1->setAccessibleName(QStringLiteral("Help text"));
    Image1->setAccessibleName(QStringLiteral("Emblem: an open Bible under a cross"));

    Text1->setFocus();
    Form_Load();
}

frmHelp::~frmHelp() = default;

void frmHelp::Form_Load()
{
    // Framed as the window it is opened from.
    WindowCentring::centre(this, WindowCentring::frameOf(QApplication::activeWindow()));
}
