#include "app/frmSplash.h"

#include "BuildConfig.h"
#include "app/AppSetup.h"
#include "app/Pictures.h"
#include "app/RainButton.h"
#include "app/Twips.h"
#include "app/WindowCentring.h"
#include "app/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>

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

// A font as the design names it, not yet resolved to an installed family:
// that needs the font database, whose set-up (fontconfig's) is most of what
// painting the window costs, and a kept look is painted without it.
QFont designed(const QString &family, double points, bool bold = false)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
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
    setFont(designed(QStringLiteral("MS Sans Serif"), 8.25));
    setFixedSize(Twips::toPx(6705), Twips::toPx(4965));
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(Twips::toPx(6705), Twips::toPx(4965));

    RainButton1 = new RainButton(QStringLiteral("ENTER"), this);
    RainButton1->setObjectName(QStringLiteral("RainButton1"));
    RainButton1->setFont(designed(QStringLiteral("GoudyOldStyTExtBol"), 18, true));
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
    Label1 = label("Label1", QStringLiteral("VELLUMOR"), QColor(0, 255, 255), designed(QStringLiteral("Poster"), 18, true));
    Twips::place(Label1, 1680, 360, 4815, 495);
    Label2 = label("Label2", QStringLiteral("WIN95/98"), QColor(255, 255, 0),
                   designed(QStringLiteral("Times New Roman"), 12, true));
    Twips::place(Label2, 4800, 3960, 1455, 255);
    Label3 = label("Label3", QStringLiteral("VER 1.36"), QColor(255, 255, 0),
                   designed(QStringLiteral("Times New Roman"), 12, true));
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

QString frmSplash::keptLookFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/splash.pixels");
}

bool frmSplash::event(QEvent *event)
{
    // Polished once, before the first show (or grab): size and screen are known.
    if (event->type() == QEvent::Polish && m_firstLook == FirstLook::Undecided)
        chooseFirstLook();
    return QWidget::event(event);
}

void frmSplash::chooseFirstLook()
{
    m_lookKey = lookKey();
    const QString file = keptLookFile();
    const Pictures::Kept kept = file.isEmpty() ? Pictures::Kept{} : Pictures::readKept(file);
    const QString lead = m_lookKey + QLatin1Char('\n');
    const qreal ratio = devicePixelRatio();
    if (kept.label.startsWith(lead) && kept.image.size() == (QSizeF(size()) * ratio).toSize()) {
        m_firstLook = FirstLook::Kept;
        m_kept = kept.image;
        m_kept.setDevicePixelRatio(ratio);
        m_keptFamilies = kept.label.mid(lead.size());
        for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!w->isHidden()) {
                m_waiting << w;
                w->hide();
            }
        }
    } else {
        m_firstLook = FirstLook::Snapshot;
        prepare();
    }
}

void frmSplash::prepare()
{
    if (m_prepared)
        return;
    m_prepared = true;
    QList<QWidget *> widgets = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    widgets.prepend(this);
    for (QWidget *w : std::as_const(widgets)) {
        const QFont f = w->font();
        w->setFont(AppSetup::designFont(f.family(), f.pointSizeF(), f.bold()));
    }
    // The part of the background the window shows; the rest when it grows.
    m_background = Pictures::pixmap(QStringLiteral("splash"), BackgroundSize, size());
}

void frmSplash::reveal()
{
    if (m_firstLook != FirstLook::Kept)
        return;
    m_firstLook = FirstLook::Done;
    prepare();
    m_kept = QImage();
    for (const QPointer<QWidget> &w : std::as_const(m_waiting))
        if (w)
            w->show();
    m_waiting.clear();
    RainButton1->setFocus();
    update();
    // Fonts installed or removed since: the kept look is made anew next time.
    if (fontFamilies() != m_keptFamilies)
        QFile::remove(keptLookFile());
}

void frmSplash::afterFirstPaint()
{
    if (m_firstLook == FirstLook::Kept) {
        reveal();
    } else if (m_firstLook == FirstLook::Snapshot) {
        m_firstLook = FirstLook::Done;
        const QString file = keptLookFile();
        if (!m_snapshot.isNull() && !file.isEmpty())
            Pictures::writeKept(file, {m_snapshot, m_lookKey + QLatin1Char('\n') + fontFamilies()});
        m_snapshot = QImage();
    }
}

QString frmSplash::lookKey() const
{
    const QFileInfo program(QCoreApplication::applicationFilePath());
    QStringList key{
        QStringLiteral("%1.%2.%3").arg(VELLUMOR_VERSION_MAJOR).arg(VELLUMOR_VERSION_MINOR).arg(VELLUMOR_VERSION_PATCH),
        program.filePath() + QLatin1Char(' ') + program.lastModified().toString(Qt::ISODateWithMs),
        QString::fromLatin1(qVersion()) + QLatin1Char(' ') + QGuiApplication::platformName() + QLatin1Char(' ')
            + style()->name(),
        QStringLiteral("%1x%2 at %3, %4x%5 dpi")
            .arg(width())
            .arg(height())
            .arg(devicePixelRatio())
            .arg(logicalDpiX())
            .arg(logicalDpiY()),
        font().toString(),
    };
    for (const QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect r = w->geometry();
        QString text;
        if (const auto *label = qobject_cast<const QLabel *>(w))
            text = label->text();
        else if (const auto *button = qobject_cast<const QAbstractButton *>(w))
            text = button->text();
        key << QStringLiteral("%1 %2,%3 %4x%5 %6 %7 %8")
                   .arg(w->objectName())
                   .arg(r.x())
                   .arg(r.y())
                   .arg(r.width())
                   .arg(r.height())
                   .arg(w->font().toString(), w->palette().color(QPalette::WindowText).name(QColor::HexArgb), text);
    }
    return key.join(QLatin1Char('\n'));
}

QString frmSplash::fontFamilies() const
{
    QStringList families{font().family()};
    for (const QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        families << w->font().family();
    return families.join(QLatin1Char(','));
}

void frmSplash::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Not yet mapped, so neither focused nor under the mouse: the look a
    // first paint gives, whatever happens to the window before it is kept.
    if (m_firstLook == FirstLook::Snapshot && m_snapshot.isNull()) {
        const qreal ratio = devicePixelRatio();
        m_snapshot = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        m_snapshot.setDevicePixelRatio(ratio);
        m_snapshotting = true;
        render(&m_snapshot);
        m_snapshotting = false;
    }
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_firstLook == FirstLook::Kept)
        p.drawImage(0, 0, m_kept);
    else
        p.drawPixmap(0, 0, m_background);
    // Grabs before the window is shown and its own snapshot do not count.
    if (!m_firstPaintSeen && isVisible() && !m_snapshotting) {
        m_firstPaintSeen = true;
        QMetaObject::invokeMethod(this, &frmSplash::afterFirstPaint, Qt::QueuedConnection);
    }
}

void frmSplash::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_firstLook == FirstLook::Kept && m_kept.deviceIndependentSize() != QSizeF(size()))
        reveal();
    if (!m_prepared)
        return;
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
