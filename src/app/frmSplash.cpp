#include "app/frmSplash.h"

#include "app/AppSetup.h"
#include "app/Pictures.h"
#include "app/RainButton.h"
#include "app/Twips.h"
#include "app/WindowCentring.h"
#include "app/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>

namespace {

// The background picture, drawn unscaled from the top left corner.
constexpr QSize BackgroundSize(768, 512);

QSizeF primaryScreenPixels()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return QSizeF(screen->geometry().size()) * screen->devicePixelRatio();
}

} // namespace

frmSplash::frmSplash(MainFactory makeMain, QWidget *parent)
    : QWidget(parent)
    , m_makeMain(std::move(makeMain))
    , m_screenSize(primaryScreenPixels)
{
    AppSetup::initResources();
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Orvanta"));
    // The program's icon, unless the application carries it already.
    if (QGuiApplication::windowIcon().isNull())
        setWindowIcon(AppSetup::programIcon());
    setFont(AppSetup::designFont(QStringLiteral("MS Sans Serif"), 8.25));
    setFixedSize(Twips::toPx(6705), Twips::toPx(4965));
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(Twips::toPx(6705), Twips::toPx(4965));
    // The part of the background the window shows; the rest when it grows.
    m_background = Pictures::pixmap(QStringLiteral("splash"), BackgroundSize, size());

    RainButton1 = new RainButton(QStringLiteral("ENTER"), this);
    RainButton1->setObjectName(QStringLiteral("RainButton1"));
    RainButton1->setFont(AppSetup::designFont(QStringLiteral("GoudyOldStyTExtBol"), 18, true));
    RainButton1->setFaceColor(QColor(255, 0, 0));
    RainButton1->setTextColor(QColor(128, 255, 128));
    RainButton1->setGradientColor(QColor(0, 0, 255));
    RainButton1->setMouseTrack(true);
    Twips::place(RainButton1, 1200, 2520, 1815, 615);
    connect(RainButton1, &RainButton::clicked, this, &frmSplash::RainButton1_Click);

    auto label = [this](const char *name, const QString &text, const QColor &colour, const QFont &font,
                        Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAttribute(Qt::WA_TranslucentBackground);
        l->setAutoFillBackground(false);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, colour);
        l->setPalette(p);
        l->setFont(font);
        l->setAlignment(align);
        l->setWordWrap(true);
        return l;
    };
    const QFont plain = font();
    Label1 = label("Label1", QStringLiteral("VELLUMOR"), QColor(0, 255, 255), AppSetup::designFont(QStringLiteral("Poster"), 18, true));
    Twips::place(Label1, 1680, 360, 4815, 495);
    Label2 = label("Label2", QStringLiteral("WIN95/98"), QColor(255, 255, 0),
                   AppSetup::designFont(QStringLiteral("Times New Roman"), 12, true));
    Twips::place(Label2, 4800, 3960, 1455, 255);
    Label3 = label("Label3", QStringLiteral("VER 1.36"), QColor(255, 255, 0),
                   AppSetup::designFont(QStringLiteral("Times New Roman"), 12, true));
    Twips::place(Label3, 4800, 4320, 1215, 495);
    Label4 = label("Label4",
                   QStringLiteral("This program is free: you may copy it and give it away to anyone, "
                                  "but you may not sell it."),
                   QColor(255, 255, 255), plain);
    Twips::place(Label4, 600, 3360, 3375, 1095);
    Label5 = label("Label5",
                   QStringLiteral(" Jesus did many other things as well. If every one of them were written down, "
                                  "I suppose that even the whole world would not have room for the books that "
                                  "would be written. "),
                   QColor(255, 255, 0), plain, Qt::AlignRight | Qt::AlignTop);
    Twips::place(Label5, 2280, 840, 3135, 975);
    Label6 = label("Label6", QStringLiteral("John 21:25 "), QColor(0, 255, 0), plain, Qt::AlignHCenter | Qt::AlignTop);
    Twips::place(Label6, 3120, 1680, 1215, 255);
    Label7 = label("Label7", QStringLiteral("Press ENTER to begin writing."), QColor(0, 255, 0), plain,
                   Qt::AlignHCenter | Qt::AlignTop);
    Twips::place(Label7, 600, 4440, 2775, 495);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Pictures::pixmap(QStringLiteral("emblem"), QSize(78, 102)));
    Twips::place(Image1, 360, 480, 1170, 1530);

    setAccessibleName(QStringLiteral("Welcome to Vellumor"));
    RainButton1->setAccessibleName(QStringLiteral("Begin writing"));
    RainButton1->setAccessibleDescription(Label7->text());
    Image1->setAccessibleName(QStringLiteral("Emblem: an open Bible under a cross"));

    RainButton1->setFocus();
    Form_Load();
}

frmSplash::~frmSplash() = default;

void frmSplash::Form_Load()
{
    WindowCentring::centre(this);
}

QString frmSplash::resolutionWarning(QSizeF pixels)
{
    // The quotients are single precision; the check uses them rounded.
    const auto w = float(pixels.width());
    const auto h = float(pixels.height());
    if (qRound(w) == 800 && qRound(h) == 600)
        return {};
    auto number = [](float v) { return QString::number(double(v), 'g', 7); };
    return QStringLiteral("This program works best at 800x600 resolution and the current resolution is: ") +
           number(w) + QLatin1Char('x') + number(h);
}

void frmSplash::RainButton1_Click()
{
    // The main window is framed as this one is: centred by that frame, it
    // opens where it stays.
    const QMargins frame = WindowCentring::frameOf(this);
    hide();
    if (!m_main) {
        m_main = m_makeMain();
        m_main->registerWindow(this);
        WindowCentring::centre(m_main.get(), frame);
    }
    m_main->show();
    m_main->raise();
    m_main->activateWindow();

    const QString warning = resolutionWarning(m_screenSize());
    if (!warning.isEmpty()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Screen Resolution"), warning, QMessageBox::Ok,
                        m_main.get());
        box.exec();
    }
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_background);
}

void frmSplash::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QSize shown = size().boundedTo(BackgroundSize);
    const QSizeF have = m_background.deviceIndependentSize();
    if (have.width() < shown.width() || have.height() < shown.height())
        m_background = Pictures::pixmap(QStringLiteral("splash"), BackgroundSize, shown);
}

void frmSplash::closeEvent(QCloseEvent *event)
{
    event->accept();
    // Closed before the main window was opened: nothing else will end the program.
    if (!m_main)
        QCoreApplication::quit();
}
